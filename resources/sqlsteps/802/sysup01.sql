/* System database 8.0.2: job control by process name, one row per process
   allowed to a job level (PROC_OPTION holds start options such as
   SyoriType=1).  The program fills it from JOBCONTROL after this file;
   the conversion does not filter duplicates, so the table has no key. */
CREATE TABLE JOBCONTROL2 (
  LEVELNO     INTEGER NOT NULL,
  PROC_ID     VARCHAR(64) CHARACTER SET SJIS_0208 DEFAULT '',
  PROC_OPTION VARCHAR(254) CHARACTER SET SJIS_0208 DEFAULT ''
);
CREATE INDEX IX_JOBCONTROL2_LEVEL ON JOBCONTROL2 (LEVELNO);
COMMIT;
