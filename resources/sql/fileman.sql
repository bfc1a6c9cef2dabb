/*
  vqfileman.fdb - file-manager database

  Lies beside the system database on the database server and serves only to
  move whole files between a client and the server: a backup file made on
  the server is read into a blob row and fetched by the client, or a client
  file is stored into a blob row and written out to a server file, after
  which the row is deleted.  Rows are keyed by a content key such as
  VQZ_<operator id>.

  Run on an empty database created with DEFAULT CHARACTER SET SJIS_0208,
  SQL dialect 3.

  The server-side functions that read a server file into a blob
  (SP_FILETOBLOB) and write a blob to a server file (SP_BLOBTOFILE) work on
  files and are installed by a separate script.
*/

/* One file in transfer per content key. */
CREATE TABLE FILETRANS (
  CONTENT_ID  VARCHAR(64) NOT NULL,
  CONTENT     BLOB SUB_TYPE 0 SEGMENT SIZE 1024,
  CREATETIME  TIMESTAMP DEFAULT CURRENT_TIMESTAMP,
  CONSTRAINT PK_FILETRANS PRIMARY KEY (CONTENT_ID)
);

COMMIT;
