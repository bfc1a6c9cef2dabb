/*
  vqaccdef.fdb - system database (schema version 10.0.4)

  Holds what belongs to the whole installation rather than to one company:
  operator groups, operators, job levels and job control, the logged-on
  operators, per-operator settings (SYSDEF, SYSREG, STYLECOLOR, FORMRSIZE,
  KENSAKUJYOKEN), installation settings (SYSTEMINI), the Japanese era table,
  the code-system slots, the data places and the data-set lists (local list,
  data-place lists, shared-server lists and their child rows), the version
  stamps of the schema upgrade and the stored procedures of login and of the
  data-set lists.

  Run on an empty database created with DEFAULT CHARACTER SET SJIS_0208,
  SQL dialect 3.  Text columns without a character set use SJIS_0208.

  The file procedures (FILEOPERATION, DIRECTORYTEST, LONGTOSHORTFILENAME)
  run in the database server's module "soltea_fileops"; system_fileops.sql
  declares them where the server has that module.
*/

/* ========================================================================
   Version stamps
   ======================================================================== */

/* One row per applied upgrade step, the database version is the highest
   (MAJOR, MINOR1, MINOR2) row.  REC is numbered by trigger VERSION_REC. */
CREATE TABLE VERSION (
  REC        INTEGER NOT NULL,
  MAJOR      INTEGER DEFAULT 0,
  MINOR1     INTEGER DEFAULT 0,
  MINOR2     INTEGER DEFAULT 0,
  MEMO       VARCHAR(128) DEFAULT '',
  CONSTRAINT PK_VERSION PRIMARY KEY (REC)
);

SET TERM ^ ;

CREATE OR ALTER TRIGGER VERSION_REC FOR VERSION
ACTIVE BEFORE INSERT POSITION 0
AS
DECLARE VARIABLE REC_WK INTEGER;
BEGIN
  SELECT MAX(V.REC) FROM VERSION V INTO :REC_WK;
  IF (REC_WK IS NULL) THEN
    NEW.REC = 1;
  ELSE
    NEW.REC = REC_WK + 1;
END^

SET TERM ; ^

/* ========================================================================
   Groups, operators, job levels, job control
   ======================================================================== */

/* Operator groups: the data-set lists and the operators belong to a group
   (10000 is the standard group). */
CREATE TABLE USERGROUP (
  GROUPID    INTEGER NOT NULL,
  GROUPNAME  VARCHAR(40) DEFAULT '',
  CONSTRAINT PK_USERGROUP PRIMARY KEY (GROUPID)
);

/* Names of the job levels (9 = unrestricted). */
CREATE TABLE LEVELNAME (
  LEVELNO    INTEGER NOT NULL,
  NAME       VARCHAR(40) DEFAULT '',
  CONSTRAINT PK_LEVELNAME PRIMARY KEY (LEVELNO)
);

/* Operators.  The login code is OPCODE within GROUPID, the operator id
   used by the program is GROUPID * 10000 + OPCODE. */
CREATE TABLE OPERATOR (
  GROUPID      INTEGER NOT NULL,
  OPCODE       INTEGER NOT NULL,
  OPNAME       VARCHAR(40) DEFAULT '',
  JOBLEVEL     INTEGER DEFAULT 0,
  PASWORD      VARCHAR(16) DEFAULT '',
  DATAPAS      VARCHAR(16) DEFAULT '',
  JIMUSHO      INTEGER DEFAULT 0,
  OKINIIRI     INTEGER DEFAULT 0,
  KANSA        INTEGER DEFAULT 0,
  SISETUNO     INTEGER DEFAULT 0,
  ACCTIME      TIMESTAMP,
  MYNUMBER_ADM INTEGER DEFAULT 0,
  SHONIN       INTEGER DEFAULT 0,
  CONSTRAINT PK_OPERATOR PRIMARY KEY (GROUPID, OPCODE)
);

/* Old job control: menu positions (page, place) allowed to a job level. */
CREATE TABLE JOBCONTROL (
  LEVELNO    INTEGER NOT NULL,
  PAGENO     INTEGER NOT NULL,
  MENUNO     INTEGER NOT NULL,
  CONSTRAINT PK_JOBCONTROL PRIMARY KEY (LEVELNO, PAGENO, MENUNO)
);

/* Job control by process name: one row per process allowed to a job level
   (PROC_OPTION holds start options such as SyoriType=1).  The conversion
   from JOBCONTROL does not filter duplicates, so the table has no key. */
CREATE TABLE JOBCONTROL2 (
  LEVELNO     INTEGER NOT NULL,
  PROC_ID     VARCHAR(64) DEFAULT '',
  PROC_OPTION VARCHAR(254) DEFAULT ''
);

CREATE INDEX IX_JOBCONTROL2_LEVEL ON JOBCONTROL2 (LEVELNO);

/* Operators logged on right now, one row per operator, workstation and
   application.  OPCODE is the operator id (GROUPID * 10000 + login code),
   OPERATORCODE the login code.  ATTACHMENT_ID and DBUSER identify the
   database attachment of the login, so that rows left behind by a program
   that ended without logging off can be recognised. */
CREATE TABLE LOGONUSERLIST (
  OPCODE        INTEGER NOT NULL,
  PCNAME        VARCHAR(64) NOT NULL,
  APPVERSION    INTEGER DEFAULT 0 NOT NULL,
  GROUPID       INTEGER DEFAULT 0,
  OPERATORCODE  INTEGER DEFAULT 0,
  LOGINTIME     TIMESTAMP,
  ATTACHMENT_ID BIGINT,
  DBUSER        VARCHAR(63) CHARACTER SET ASCII,
  CONSTRAINT PK_LOGONUSERLIST PRIMARY KEY (OPCODE, PCNAME, APPVERSION)
);

CREATE INDEX IX_LOGONUSERLIST_GROUP ON LOGONUSERLIST (GROUPID, OPERATORCODE);

/* ========================================================================
   Settings stores
   ======================================================================== */

/* Screen and print preferences, one row per operator id. */
CREATE TABLE SYSDEF (
  OPCODE              INTEGER NOT NULL,
  DATADIR             VARCHAR(254) DEFAULT '',
  PRINTERNAME         VARCHAR(128) DEFAULT '',
  MFLEFT              INTEGER DEFAULT 0,
  MFTOP               INTEGER DEFAULT 0,
  MFWIDTH             INTEGER DEFAULT 0,
  MFHEIGHT            INTEGER DEFAULT 0,
  LASTMENU            INTEGER DEFAULT 0,
  FONTNAME            VARCHAR(64) DEFAULT '',
  FONTSIZE            INTEGER DEFAULT 0,
  FONTSTYLE           INTEGER DEFAULT 0,
  FONTCHARSET         INTEGER DEFAULT 0,
  FONTHEIGHT          INTEGER DEFAULT 0,
  GRIDRESIZE          INTEGER DEFAULT 0,
  SHOWHINT            INTEGER DEFAULT 1,
  GRIDMAXROW          INTEGER DEFAULT 0,
  GRIDRSIZ            INTEGER DEFAULT 0,
  CLIENTCOLOR         INTEGER DEFAULT 0,
  CLIENTCOLOR1        INTEGER DEFAULT 0,
  CLIENTCOLOR2        INTEGER DEFAULT 0,
  CLIENTCOLOR3        INTEGER DEFAULT 0,
  FORECOLOR           INTEGER DEFAULT 0,
  BORDERCOLOR         INTEGER DEFAULT 0,
  ACTIVECOLOR         INTEGER DEFAULT 0,
  THRUBORDERCOLOR     INTEGER DEFAULT 0,
  COLHEADERCOLOR      INTEGER DEFAULT 0,
  FIXEDTOPCOLOR       INTEGER DEFAULT 0,
  ROWHEADERCOLOR      INTEGER DEFAULT 0,
  FIXEDLEFTCOLOR      INTEGER DEFAULT 0,
  TOTALCOLOR          INTEGER DEFAULT 0,
  NETCOLOR1           INTEGER DEFAULT 0,
  NETCOLOR2           INTEGER DEFAULT 0,
  PLINECOLOR1         INTEGER DEFAULT 0,
  PLINECOLOR2         INTEGER DEFAULT 0,
  PANELCOLOR          INTEGER DEFAULT 0,
  PANELBACKCOLOR      INTEGER DEFAULT 0,
  COLHEADERGRADCOLOR1 INTEGER DEFAULT 0,
  COLHEADERGRADCOLOR2 INTEGER DEFAULT 0,
  PREVIEWZOOM         INTEGER DEFAULT 100,
  MENUPRINTSW         INTEGER DEFAULT 0,
  SHOUHYOU            INTEGER,
  HOJWAIT             INTEGER DEFAULT 0,
  USERPRINT           INTEGER DEFAULT 0,
  SWKTOTAL            INTEGER DEFAULT 0,
  SWKLINE             INTEGER DEFAULT 0,
  KINGAKUPLUS         INTEGER DEFAULT 0,
  ZEROPRINT           INTEGER DEFAULT 0,
  SANKAKUPLUS         INTEGER DEFAULT 0,
  DICSWITCH           INTEGER DEFAULT 0,
  DICTEKAUTO          INTEGER DEFAULT 0,
  DICTORAUTO          INTEGER DEFAULT 0,
  DICUSEDNT           INTEGER DEFAULT 0,
  DICTYPE             INTEGER DEFAULT 0,
  DICNUM1             INTEGER DEFAULT 0,
  DICNUM2             INTEGER DEFAULT 0,
  DICSORTTYPE         INTEGER DEFAULT 0,
  TEK_AUTOUP          INTEGER DEFAULT 0,
  TOR_AUTOUP          INTEGER DEFAULT 0,
  SHOWDATASENTAKU     INTEGER DEFAULT 0,
  ZENKAIDRIVE         VARCHAR(254) DEFAULT '',
  RESERVE1            INTEGER DEFAULT 0,
  RESERVE2            INTEGER DEFAULT 0,
  RESERVE3            INTEGER DEFAULT 0,
  RESERVE4            INTEGER DEFAULT 0,
  RESERVE5            INTEGER DEFAULT 0,
  SSTR                VARCHAR(1024) DEFAULT '',
  CONSTRAINT PK_SYSDEF PRIMARY KEY (OPCODE)
);

/* Typed named values per operator id (STYPE: 文字, 論理, 日付, 整数, 金額).
   Group-wide values use the code GROUPID * 10000 + 9999. */
CREATE TABLE SYSREG (
  OPCODE     INTEGER NOT NULL,
  SCODE      VARCHAR(40) NOT NULL,
  STYPE      VARCHAR(10) DEFAULT '',
  STEXT      VARCHAR(254) DEFAULT '',
  CONSTRAINT PK_SYSREG PRIMARY KEY (OPCODE, SCODE)
);

/* Numbered installation settings (row 10: office name, address and
   telephone as NAME=, JYUSHO=, TEL= lines, row 20: unrestricted operators). */
CREATE TABLE SYSTEMINI (
  REC        INTEGER NOT NULL,
  RESERVE1   INTEGER DEFAULT 0,
  RESERVE2   INTEGER DEFAULT 0,
  RESERVE3   INTEGER DEFAULT 0,
  RESERVE4   INTEGER DEFAULT 0,
  RESERVE5   INTEGER DEFAULT 0,
  SSTR       VARCHAR(1024) DEFAULT '',
  CONSTRAINT PK_SYSTEMINI PRIMARY KEY (REC)
);

/* Report colours and saved screen values per operator id and style name
   (020- followed by the report or key name, upper-cased, at most
   40 bytes). */
CREATE TABLE STYLECOLOR (
  OPCODE     INTEGER NOT NULL,
  STYLENAME  VARCHAR(40) NOT NULL,
  LINECOLOR1 INTEGER DEFAULT -1,
  LINECOLOR2 INTEGER DEFAULT -1,
  LINECOLOR3 INTEGER DEFAULT -1,
  LINECOLOR4 INTEGER DEFAULT -1,
  LINECOLOR5 INTEGER DEFAULT -1,
  NETCOLOR1  INTEGER DEFAULT -1,
  NETCOLOR2  INTEGER DEFAULT -1,
  SSTR       VARCHAR(1024) DEFAULT '',
  CONSTRAINT PK_STYLECOLOR PRIMARY KEY (OPCODE, STYLENAME)
);

/* Saved bounds of resizable screens per operator id and form name.
   The column order matters: rows are inserted without a column list
   (operator, form, top, left, height, width, default height, default width). */
CREATE TABLE FORMRSIZE (
  OPCODE      INTEGER NOT NULL,
  FMNAME      VARCHAR(64) NOT NULL,
  FMTOP       INTEGER DEFAULT 0,
  FMLEFT      INTEGER DEFAULT 0,
  FMHEIGHT    INTEGER DEFAULT 0,
  FMWIDTH     INTEGER DEFAULT 0,
  FMDEFHEIGHT INTEGER DEFAULT 0,
  FMDEFWIDTH  INTEGER DEFAULT 0,
  CONSTRAINT PK_FORMRSIZE PRIMARY KEY (OPCODE, FMNAME)
);

/* Saved search condition of the data-set lists per operator id and list
   kind. */
CREATE TABLE KENSAKUJYOKEN (
  OPCODE     INTEGER NOT NULL,
  LISTTYPE   INTEGER NOT NULL,
  JYOKENUSE  INTEGER,
  DATATYPE   INTEGER,
  CODETYPE   INTEGER,
  DATACODE   VARCHAR(10) CHARACTER SET ASCII,
  DATANAME   VARCHAR(20),
  TANTO      INTEGER,
  DATAVER    VARCHAR(10) CHARACTER SET ASCII,
  SEIHINNAME VARCHAR(20),
  SORTCOL    INTEGER,
  SORTTYPE   INTEGER,
  CONSTRAINT PK_KENSAKUJYOKEN PRIMARY KEY (OPCODE, LISTTYPE)
);

/* ========================================================================
   Japanese eras and code systems
   ======================================================================== */

/* Japanese eras: name, short sign, first day, western year of the first
   year.  Read newest first (ORDER BY YEAROFFSET DESC). */
CREATE TABLE GENGO (
  GNAME      VARCHAR(10) DEFAULT '' NOT NULL,
  GSIGN      VARCHAR(2) CHARACTER SET ASCII DEFAULT '',
  STARTDATE  TIMESTAMP,
  YEAROFFSET INTEGER DEFAULT 0,
  CONSTRAINT PK_GENGO PRIMARY KEY (GNAME)
);

/* Code-system slots (initial definitions for new company data sets).
   The definitions are only ever written by UPDATE, so every slot exists. */
CREATE TABLE USERCODE (
  RECNO      INTEGER NOT NULL,
  NAME       VARCHAR(40) DEFAULT '',
  DATATYPE   INTEGER DEFAULT 0,
  CODETYPE   INTEGER DEFAULT 0,
  INIDAT1    BLOB SUB_TYPE TEXT,
  INIDAT2    BLOB SUB_TYPE TEXT,
  INIDAT3    BLOB SUB_TYPE TEXT,
  INIDAT4    BLOB SUB_TYPE TEXT,
  INIDAT5    BLOB SUB_TYPE TEXT,
  INIDAT6    BLOB SUB_TYPE TEXT,
  INIDAT7    BLOB SUB_TYPE TEXT,
  INIDAT8    BLOB SUB_TYPE TEXT,
  CONSTRAINT PK_USERCODE PRIMARY KEY (RECNO)
);

/* ========================================================================
   Data places and data-set lists
   ======================================================================== */

/* Data places (folders on the data server, 0 = standard place), the
   program fills the 100 rows itself on first use.  The standard place is
   named after the system folder when that takes at most 40 bytes, so NAME
   holds 40 characters (a name typed by the operator has at most 20). */
CREATE TABLE DATAPLACEMAN (
  REC        INTEGER NOT NULL,
  ORDERKBN   INTEGER DEFAULT 0,
  NAME       VARCHAR(40) DEFAULT '',
  PATH       VARCHAR(127) DEFAULT '',
  YOBI1      VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI2      VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI3      VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  CONSTRAINT PK_DATAPLACEMAN PRIMARY KEY (REC)
);

/* Local data-set list: one row per data set (REC = list number, in
   stand-alone mode also the number of its data folder).  In stand-alone
   mode the list consists of DataListCnt fixed slots, created for the data
   folder of the installation by calling SP_DATALIST_INSERT with data
   place 0, the system folder and 120, which adds the slots
   <system folder>\0001 to <system folder>\0120. */
CREATE TABLE DATALIST (
  REC         INTEGER NOT NULL,
  GROUPID     INTEGER DEFAULT 10000,
  ENTTEXT     VARCHAR(20) DEFAULT '',
  SHOUGOU     VARCHAR(20) DEFAULT '',
  PASNAME     VARCHAR(127) DEFAULT '',
  NETDRIVE    INTEGER DEFAULT 0,
  DATATYPE    INTEGER DEFAULT 0,
  CODETYPE    INTEGER DEFAULT 0,
  NENDO       INTEGER DEFAULT 0,
  KISHU       TIMESTAMP,
  KIMATU      TIMESTAMP,
  DATALOCK    INTEGER DEFAULT 0,
  TANTOU      INTEGER DEFAULT 0,
  VER_MAJOR   INTEGER DEFAULT 0,
  VER_MINOR1  INTEGER DEFAULT 0,
  VER_MINOR2  INTEGER DEFAULT 0,
  VER_TEXT    VARCHAR(20) DEFAULT '',
  KYOYULOCK   INTEGER DEFAULT 0,
  UPDATE_LOCK INTEGER DEFAULT 0,
  GASSAN      INTEGER DEFAULT 0,
  DATACODE    VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  DATA_STATUS INTEGER DEFAULT 0,
  YOBI1       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI2       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI3       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  CONSTRAINT PK_DATALIST PRIMARY KEY (REC)
);

CREATE INDEX IX_DATALIST_GROUP ON DATALIST (GROUPID, REC);
CREATE INDEX IX_DATALIST_UPASNAME ON DATALIST COMPUTED BY (UPPER(PASNAME));

/* Data-set list of a data place other than the standard one (server
   connection modes). */
CREATE TABLE DATALIST_EX (
  DATAPLACEREC INTEGER NOT NULL,
  REC          INTEGER NOT NULL,
  GROUPID      INTEGER DEFAULT 10000,
  ENTTEXT      VARCHAR(20) DEFAULT '',
  SHOUGOU      VARCHAR(20) DEFAULT '',
  PASNAME      VARCHAR(127) DEFAULT '',
  NETDRIVE     INTEGER DEFAULT 0,
  DATATYPE     INTEGER DEFAULT 0,
  CODETYPE     INTEGER DEFAULT 0,
  NENDO        INTEGER DEFAULT 0,
  KISHU        TIMESTAMP,
  KIMATU       TIMESTAMP,
  DATALOCK     INTEGER DEFAULT 0,
  TANTOU       INTEGER DEFAULT 0,
  VER_MAJOR    INTEGER DEFAULT 0,
  VER_MINOR1   INTEGER DEFAULT 0,
  VER_MINOR2   INTEGER DEFAULT 0,
  VER_TEXT     VARCHAR(20) DEFAULT '',
  KYOYULOCK    INTEGER DEFAULT 0,
  UPDATE_LOCK  INTEGER DEFAULT 0,
  GASSAN       INTEGER DEFAULT 0,
  DATACODE     VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  DATA_STATUS  INTEGER DEFAULT 0,
  YOBI1        VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI2        VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI3        VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  CONSTRAINT PK_DATALIST_EX PRIMARY KEY (DATAPLACEREC, REC),
  CONSTRAINT FK_DATALIST_EX_PLACE FOREIGN KEY (DATAPLACEREC)
    REFERENCES DATAPLACEMAN (REC) ON UPDATE CASCADE ON DELETE CASCADE,
  CONSTRAINT FK_DATALIST_EX_GROUP FOREIGN KEY (GROUPID)
    REFERENCES USERGROUP (GROUPID) ON UPDATE CASCADE ON DELETE CASCADE
);

CREATE INDEX IX_DATALIST_EX_UPASNAME ON DATALIST_EX COMPUTED BY (UPPER(PASNAME));

/* Child rows (distributed-input copies) of merged data sets of the local
   list. */
CREATE TABLE CHILD_DATALIST (
  REC         INTEGER NOT NULL,
  ROWNO       INTEGER NOT NULL,
  GROUPID     INTEGER DEFAULT 10000,
  ENTTEXT     VARCHAR(20),
  SHOUGOU     VARCHAR(20),
  PASNAME     VARCHAR(127),
  NETDRIVE    INTEGER,
  DATATYPE    INTEGER,
  CODETYPE    INTEGER,
  NENDO       INTEGER,
  KISHU       TIMESTAMP,
  KIMATU      TIMESTAMP,
  DATALOCK    INTEGER DEFAULT 0,
  TANTOU      INTEGER DEFAULT 0,
  VER_MAJOR   INTEGER DEFAULT 0,
  VER_MINOR1  INTEGER DEFAULT 0,
  VER_MINOR2  INTEGER DEFAULT 0,
  VER_TEXT    VARCHAR(20),
  KYOYULOCK   INTEGER DEFAULT 0,
  UPDATE_LOCK INTEGER DEFAULT 0,
  GASSAN      INTEGER DEFAULT 0,
  DATACODE    VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  DATA_STATUS INTEGER DEFAULT 0,
  YOBI1       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI2       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI3       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  CONSTRAINT PK_CHILD_DATALIST PRIMARY KEY (REC, ROWNO),
  CONSTRAINT FK_CHILD_DATALIST FOREIGN KEY (REC)
    REFERENCES DATALIST (REC) ON UPDATE CASCADE ON DELETE CASCADE
);

CREATE INDEX IX_CHILD_DATALIST_UPASNAME ON CHILD_DATALIST COMPUTED BY (UPPER(PASNAME));

/* The view of this installation on of the data areas on a shared server drive
   (areas sv0001, sv0002, ... numbered per group and drive letter). */
CREATE TABLE SERVERDATALIST (
  GROUPID     INTEGER NOT NULL,
  DRIVELETTER VARCHAR(1) CHARACTER SET ASCII NOT NULL,
  REC         INTEGER NOT NULL,
  ENTTEXT     VARCHAR(20),
  SHOUGOU     VARCHAR(20),
  PASNAME     VARCHAR(128),
  DATATYPE    INTEGER,
  CODETYPE    INTEGER,
  NENDO       INTEGER,
  KISHU       TIMESTAMP,
  KIMATU      TIMESTAMP,
  DATALOCK    INTEGER DEFAULT 0,
  TANTOU      INTEGER DEFAULT 0,
  VER_MAJOR   INTEGER DEFAULT 0,
  VER_MINOR1  INTEGER DEFAULT 0,
  VER_MINOR2  INTEGER DEFAULT 0,
  VER_TEXT    VARCHAR(20),
  UPDATE_LOCK INTEGER DEFAULT 0,
  GASSAN      INTEGER DEFAULT 0,
  DATACODE    VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  DATA_STATUS INTEGER DEFAULT 0,
  YOBI1       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI2       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI3       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  CONSTRAINT PK_SERVERDATALIST PRIMARY KEY (GROUPID, DRIVELETTER, REC),
  CONSTRAINT FK_SERVERDATALIST FOREIGN KEY (GROUPID)
    REFERENCES USERGROUP (GROUPID) ON UPDATE CASCADE ON DELETE CASCADE
);

CREATE INDEX IX_SERVERDATALIST_PASNAME ON SERVERDATALIST (GROUPID, DRIVELETTER, PASNAME);

/* Child rows of the shared-server areas. */
CREATE TABLE CHILD_SERVERDATALIST (
  GROUPID     INTEGER NOT NULL,
  DRIVELETTER VARCHAR(1) CHARACTER SET ASCII NOT NULL,
  REC         INTEGER NOT NULL,
  ROWNO       INTEGER NOT NULL,
  ENTTEXT     VARCHAR(20),
  SHOUGOU     VARCHAR(20),
  PASNAME     VARCHAR(127),
  DATATYPE    INTEGER,
  CODETYPE    INTEGER,
  NENDO       INTEGER,
  KISHU       TIMESTAMP,
  KIMATU      TIMESTAMP,
  DATALOCK    INTEGER DEFAULT 0,
  TANTOU      INTEGER DEFAULT 0,
  VER_MAJOR   INTEGER DEFAULT 0,
  VER_MINOR1  INTEGER DEFAULT 0,
  VER_MINOR2  INTEGER DEFAULT 0,
  VER_TEXT    VARCHAR(20),
  UPDATE_LOCK INTEGER DEFAULT 0,
  GASSAN      INTEGER DEFAULT 0,
  DATACODE    VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  DATA_STATUS INTEGER DEFAULT 0,
  YOBI1       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI2       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI3       VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  CONSTRAINT PK_CHILD_SERVERDATALIST PRIMARY KEY (GROUPID, DRIVELETTER, REC, ROWNO),
  CONSTRAINT FK_CHILD_SERVERDATALIST FOREIGN KEY (GROUPID, DRIVELETTER, REC)
    REFERENCES SERVERDATALIST (GROUPID, DRIVELETTER, REC)
    ON UPDATE CASCADE ON DELETE CASCADE
);

CREATE INDEX IX_CHILD_SERVERDATALIST_PASNAME ON CHILD_SERVERDATALIST (GROUPID, DRIVELETTER, PASNAME);

COMMIT;

/* ========================================================================
   Stored procedures
   ======================================================================== */

SET TERM ^ ;

/* Login of an operator.
   In : PCNAME computer name, GROUPID group, OPCODE login code,
        APPVERSION kind of the calling application, PASWORD as typed.
   Out: one row NUM, LOGINCODE, JOBLEVEL.
        NUM  0  logged in (new row in LOGONUSERLIST)
             1  logged in again from the same computer and application
                (the old row is replaced)
            -1  unknown operator or wrong password
            -3  the operator is logged in with the same application on
                another computer (and that login is still attached)
        LOGINCODE the login code of the operator, JOBLEVEL its job level
        (0 when refused with -1).
   Rows of logins whose database attachment has ended (a program that
   stopped without logging off) are removed first. Only rows made under the
   database user of the caller are judged, since only those attachments are
   visible to it. */
CREATE OR ALTER PROCEDURE LOGONUSERTEST (
  PCNAME     VARCHAR(64),
  GROUPID    INTEGER,
  OPCODE     INTEGER,
  APPVERSION INTEGER,
  PASWORD    VARCHAR(32))
RETURNS (
  NUM        INTEGER,
  LOGINCODE  INTEGER,
  JOBLEVEL   INTEGER)
AS
DECLARE VARIABLE W_FOUND   INTEGER;
DECLARE VARIABLE W_PAS     VARCHAR(32);
DECLARE VARIABLE W_LEVEL   INTEGER;
DECLARE VARIABLE W_OPID    INTEGER;
DECLARE VARIABLE W_APP     INTEGER;
DECLARE VARIABLE W_PC      VARCHAR(64);
BEGIN
  NUM = -1;
  LOGINCODE = COALESCE(OPCODE, 0);
  JOBLEVEL = 0;
  W_FOUND = 0;
  W_APP = COALESCE(APPVERSION, 0);
  W_PC = UPPER(TRIM(COALESCE(PCNAME, '')));

  FOR SELECT O.PASWORD, O.JOBLEVEL
        FROM OPERATOR O
       WHERE O.GROUPID = :GROUPID AND O.OPCODE = :OPCODE
        INTO :W_PAS, :W_LEVEL
  DO
    W_FOUND = 1;

  IF (W_FOUND = 0 OR COALESCE(W_PAS, '') <> COALESCE(PASWORD, '')) THEN
  BEGIN
    SUSPEND;
    EXIT;
  END

  /* forget logins whose attachment no longer exists */
  DELETE FROM LOGONUSERLIST L
   WHERE L.DBUSER = CURRENT_USER
     AND L.ATTACHMENT_ID IS NOT NULL
     AND NOT EXISTS (SELECT 1 FROM MON$ATTACHMENTS A
                      WHERE A.MON$ATTACHMENT_ID = L.ATTACHMENT_ID);

  W_OPID = GROUPID * 10000 + OPCODE;
  JOBLEVEL = COALESCE(W_LEVEL, 0);

  IF (EXISTS (SELECT 1 FROM LOGONUSERLIST L
               WHERE L.OPCODE = :W_OPID
                 AND L.APPVERSION = :W_APP
                 AND UPPER(L.PCNAME) <> :W_PC)) THEN
  BEGIN
    NUM = -3;
    SUSPEND;
    EXIT;
  END

  IF (EXISTS (SELECT 1 FROM LOGONUSERLIST L
               WHERE L.OPCODE = :W_OPID
                 AND L.APPVERSION = :W_APP
                 AND UPPER(L.PCNAME) = :W_PC)) THEN
    NUM = 1;
  ELSE
    NUM = 0;

  DELETE FROM LOGONUSERLIST L
   WHERE L.OPCODE = :W_OPID
     AND L.APPVERSION = :W_APP
     AND UPPER(L.PCNAME) = :W_PC;

  INSERT INTO LOGONUSERLIST (OPCODE, PCNAME, APPVERSION, GROUPID, OPERATORCODE,
                             LOGINTIME, ATTACHMENT_ID, DBUSER)
  VALUES (:W_OPID, :W_PC, :W_APP, :GROUPID, :OPCODE,
          CURRENT_TIMESTAMP, CURRENT_CONNECTION, CURRENT_USER);

  UPDATE OPERATOR O SET O.ACCTIME = CURRENT_TIMESTAMP
   WHERE O.GROUPID = :GROUPID AND O.OPCODE = :OPCODE;

  LOGINCODE = OPCODE;
  SUSPEND;
END^

/* Adds empty data-set list slots up to slot number MAXCNT.
   DATAPLACEREC 0 fills DATALIST, any other number the rows of that data
   place in DATALIST_EX.  The slots after the current highest REC (0 when
   the list is empty) are inserted with group 10000, empty names and the
   folder PATHTEXT, a slash and the slot number as four digits. One
   output row
   (REC, PATHNAME) per inserted slot. */
CREATE OR ALTER PROCEDURE SP_DATALIST_INSERT (
  DATAPLACEREC INTEGER,
  PATHTEXT     VARCHAR(254),
  MAXCNT       INTEGER)
RETURNS (
  REC          INTEGER,
  PATHNAME     VARCHAR(254))
AS
DECLARE VARIABLE W_PLACE INTEGER;
DECLARE VARIABLE W_CNT   INTEGER;
BEGIN
  W_PLACE = COALESCE(DATAPLACEREC, 0);
  IF (W_PLACE = 0) THEN
    SELECT MAX(D.REC) FROM DATALIST D INTO :W_CNT;
  ELSE
    SELECT MAX(D.REC) FROM DATALIST_EX D
     WHERE D.DATAPLACEREC = :W_PLACE INTO :W_CNT;
  W_CNT = COALESCE(W_CNT, 0);

  WHILE (W_CNT < COALESCE(MAXCNT, 0)) DO
  BEGIN
    W_CNT = W_CNT + 1;
    REC = W_CNT;
    PATHNAME = COALESCE(PATHTEXT, '') || '/' ||
               RIGHT(CAST(W_CNT + 10000 AS VARCHAR(12)), 4);
    IF (W_PLACE = 0) THEN
      INSERT INTO DATALIST (REC, GROUPID, ENTTEXT, SHOUGOU, PASNAME, NETDRIVE,
                            DATATYPE, CODETYPE, NENDO, KISHU, KIMATU)
      VALUES (:REC, 10000, '', '', :PATHNAME, 0,
              0, 0, 0, TIMESTAMP '1899-12-30 00:00:00', TIMESTAMP '1899-12-30 00:00:00');
    ELSE
      INSERT INTO DATALIST_EX (DATAPLACEREC, REC, GROUPID, ENTTEXT, SHOUGOU, PASNAME,
                               NETDRIVE, DATATYPE, CODETYPE, NENDO, KISHU, KIMATU)
      VALUES (:W_PLACE, :REC, 10000, '', '', :PATHNAME,
              0, 0, 0, 0, TIMESTAMP '1899-12-30 00:00:00', TIMESTAMP '1899-12-30 00:00:00');
    SUSPEND;
  END
END^

/* Answers how many rows of the local list have their data folder in the
   folder SYSDIR (compared without regard to letter case; an empty SYSDIR
   counts every row).  The folder names themselves are kept as they are:
   on a file system that tells letter cases apart another case names
   another folder, and the list is looked up by the upper-case form of its
   names anyway (IX_DATALIST_UPASNAME).  Output: one row RECCNT. */
CREATE OR ALTER PROCEDURE SP_DATALIST_UPDATE (
  SYSDIR     VARCHAR(254))
RETURNS (
  RECCNT     INTEGER)
AS
DECLARE VARIABLE W_DIR VARCHAR(254);
BEGIN
  W_DIR = UPPER(TRIM(COALESCE(SYSDIR, '')));
  SELECT COUNT(*) FROM DATALIST D
   WHERE UPPER(D.PASNAME) STARTING WITH :W_DIR
    INTO :RECCNT;
  SUSPEND;
END^

/* Signals an event to the stations that listen on the system database:
   posts the database event EVENT<EVENTNO> (for example EVENT3) and, for
   an operator id other than 0, EVENT<EVENTNO>_<OPCODE>.  TXT is a free
   text for the own use of the caller (events carry no text). */
CREATE OR ALTER PROCEDURE SP_SETEVENT (
  EVENTNO    INTEGER,
  OPCODE     INTEGER,
  TXT        VARCHAR(254))
AS
BEGIN
  POST_EVENT 'EVENT' || COALESCE(EVENTNO, 0);
  IF (COALESCE(OPCODE, 0) <> 0) THEN
    POST_EVENT 'EVENT' || COALESCE(EVENTNO, 0) || '_' || OPCODE;
END^

SET TERM ; ^

COMMIT;

/* ========================================================================
   Default rows
   ======================================================================== */

/* Standard operator group: every operator, data-set list row and shared
   area row of a normal installation belongs to group 10000. */
INSERT INTO USERGROUP (GROUPID, GROUPNAME) VALUES (10000, '標準グループ');

/* Job level 9: unrestricted operator (the operator list joins every
   operator to its level name, so a level row must exist). */
INSERT INTO LEVELNAME (LEVELNO, NAME) VALUES (9, 'システム管理者');

/* System user (code 1) used by the e-book and analysis add-ons. Codes
   below 10 cannot log in at the login dialog. */
INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL, PASWORD, DATAPAS,
                      JIMUSHO, OKINIIRI, KANSA, SISETUNO, MYNUMBER_ADM, SHONIN)
VALUES (10000, 1, 'システムユーザー', 9, '', '', 0, 0, 0, 0, 0, 0);

/* Administrator for the first login: group 10000, code 10, empty
   password, job level 9 (unrestricted, may use every data set and branch).
   A password should be set after installation. */
INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL, PASWORD, DATAPAS,
                      JIMUSHO, OKINIIRI, KANSA, SISETUNO, MYNUMBER_ADM, SHONIN)
VALUES (10000, 10, '管理者', 9, '', '', 0, 0, 0, 0, 0, 0);

/* Japanese eras for the era display of dates (newest first when read). */
INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('明治', 'M', TIMESTAMP '1868-09-08 00:00:00', 1868);
INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('大正', 'T', TIMESTAMP '1912-07-30 00:00:00', 1912);
INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('昭和', 'S', TIMESTAMP '1926-12-25 00:00:00', 1926);
INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('平成', 'H', TIMESTAMP '1989-01-08 00:00:00', 1989);
INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('令和', 'R', TIMESTAMP '2019-05-01 00:00:00', 2019);

/* Twenty empty code-system slots (RECNO 1 to 20). An imported code system
   is written into an existing slot. */
SET TERM ^ ;
EXECUTE BLOCK
AS
DECLARE VARIABLE I INTEGER;
BEGIN
  I = 1;
  WHILE (I <= 20) DO
  BEGIN
    INSERT INTO USERCODE (RECNO, NAME, DATATYPE, CODETYPE,
                          INIDAT1, INIDAT2, INIDAT3, INIDAT4,
                          INIDAT5, INIDAT6, INIDAT7, INIDAT8)
    VALUES (:I, '', 0, 0, '', '', '', '', '', '', '', '');
    I = I + 1;
  END
END^
SET TERM ; ^

/* Schema version of this script: 10.0.4 (MEMO = time of creation,
   yyyy/mm/dd hh:nn:ss). */
INSERT INTO VERSION (MAJOR, MINOR1, MINOR2, MEMO)
SELECT 10, 0, 4,
       REPLACE(SUBSTRING(CAST(CURRENT_TIMESTAMP AS VARCHAR(24)) FROM 1 FOR 19), '-', '/')
  FROM RDB$DATABASE;

COMMIT;
