/*
  Functions of the file-manager database, in the database server's module
  "soltea_filetrans" (installed beside the server's UDR engine).  Both work
  only in the server's work folder ("temp" beside the folder of this
  database).
*/

/* The server's file read into a blob. */
CREATE FUNCTION SP_FILETOBLOB (
  FILEPATH  VARCHAR(254))
RETURNS BLOB SUB_TYPE 0
EXTERNAL NAME 'soltea_filetrans!filetoblob'
ENGINE UDR;

/* The blob written into the server's file (under a work name, then renamed); 1 when written. */
CREATE FUNCTION SP_BLOBTOFILE (
  FILEPATH  VARCHAR(254),
  CONTENT   BLOB SUB_TYPE 0)
RETURNS INTEGER
EXTERNAL NAME 'soltea_filetrans!blobtofile'
ENGINE UDR;
