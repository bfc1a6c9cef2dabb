/*
  File procedures of the system database, in the database server's module
  "soltea_fileops" (installed beside the server's UDR engine).
*/

/* ========================================================================
   File procedures: the server answers for files and folders on its side.
   MODE "FEXIST", "FCOPY", "FDEL" and "DEXIST", "MKDIR", "RMDIR";
   WBOOL 1 on success (for the tests: it exists).  Only paths inside the
   folder of this database, the work folder beside it ("temp") and the
   folders of DATALIST, DATALIST_EX and DATAPLACEMAN are served; any other
   path, and removing what holds this database, ends in an error.
   ======================================================================== */

CREATE PROCEDURE FILEOPERATION (
  MODE       VARCHAR(10),
  FILEPATH1  VARCHAR(254),
  FILEPATH2  VARCHAR(254))
RETURNS (
  WBOOL      INTEGER)
EXTERNAL NAME 'soltea_fileops!fileoperation'
ENGINE UDR;

CREATE PROCEDURE DIRECTORYTEST (
  MODE       VARCHAR(10),
  FILEPATH1  VARCHAR(254))
RETURNS (
  WBOOL      INTEGER)
EXTERNAL NAME 'soltea_fileops!directorytest'
ENGINE UDR;

CREATE PROCEDURE LONGTOSHORTFILENAME (
  LONGNAME   VARCHAR(254))
RETURNS (
  SHORTNAME  VARCHAR(254))
EXTERNAL NAME 'soltea_fileops!longtoshortfilename'
ENGINE UDR;
