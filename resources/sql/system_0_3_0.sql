/*
  vqaccdef.fdb - system database as the upgrade steps of the system database
  find it (schema version 0.3.0, before step 0.3.1)

  The objects the steps drop, alter, recreate or call, in their old form:
  the version table without its numbering trigger, the local data-set list
  before its version, lock, merge, code and status columns, the old child
  list, the old shared-server list with its numbering trigger and group
  column, the old era table, ten code-system slots, the list-folder
  procedure that steps 1.0.1 and 4.0.2 call and the right-hand substring
  function that the list-slot procedure of steps 4.0.0 and 5.0.0 uses.
  Everything no step touches is here in its current form.

  Run on an empty database created with DEFAULT CHARACTER SET SJIS_0208,
  SQL dialect 3.  Text columns without a character set use SJIS_0208.
  The steps from 0.3.1 to 10.0.4 bring it to the schema of system.sql.
*/

/* ========================================================================
   Version stamps
   ======================================================================== */

/* One row per applied upgrade step; REC is given by the writer until step
   0.3.1 numbers the rows by trigger. */
CREATE TABLE VERSION (
  REC        INTEGER NOT NULL,
  MAJOR      INTEGER DEFAULT 0,
  MINOR1     INTEGER DEFAULT 0,
  MINOR2     INTEGER DEFAULT 0,
  MEMO       VARCHAR(128) DEFAULT '',
  CONSTRAINT PK_VERSION PRIMARY KEY (REC)
);

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
   used by the program is GROUPID * 10000 + OPCODE.  The individual-number
   administrator flag (step 8.0.0) and the approver flag (step 10.0.4)
   follow. */
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
  CONSTRAINT PK_OPERATOR PRIMARY KEY (GROUPID, OPCODE)
);

/* Old job control: menu positions (page, place) allowed to a job level. */
CREATE TABLE JOBCONTROL (
  LEVELNO    INTEGER NOT NULL,
  PAGENO     INTEGER NOT NULL,
  MENUNO     INTEGER NOT NULL,
  CONSTRAINT PK_JOBCONTROL PRIMARY KEY (LEVELNO, PAGENO, MENUNO)
);

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

/* ========================================================================
   Japanese eras and code systems
   ======================================================================== */

/* Japanese eras, in the form step 4.0.0 replaces. */
CREATE TABLE GENGO (
  GNAME      VARCHAR(10),
  GSIGN      VARCHAR(2) CHARACTER SET ASCII,
  STARTDATE  TIMESTAMP,
  YEAROFFSET INTEGER
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
   Data-set lists
   ======================================================================== */

/* Local data-set list: one row per data set (REC = list number, in
   stand-alone mode also the number of its data folder). */
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
  CONSTRAINT PK_DATALIST PRIMARY KEY (REC)
);

CREATE INDEX IX_DATALIST_GROUP ON DATALIST (GROUPID, REC);
CREATE INDEX IX_DATALIST_UPASNAME ON DATALIST COMPUTED BY (UPPER(PASNAME));

/* Child rows of merged data sets, in the form step 3.0.5 replaces. */
CREATE TABLE CHILD_DATALIST (
  REC         INTEGER NOT NULL,
  ROWNO       INTEGER NOT NULL,
  ENTTEXT     VARCHAR(20),
  PASNAME     VARCHAR(127),
  CONSTRAINT PK_CHILD_DATALIST PRIMARY KEY (REC, ROWNO)
);

/* Shared-server list, in the form step 0.3.1 drops: numbered by trigger
   SERVERDATALIST_NO, one group per row. */
CREATE TABLE SERVERDATALIST (
  SERIALNO    INTEGER NOT NULL,
  GROUPID     INTEGER DEFAULT 10000,
  DRIVELETTER VARCHAR(1) CHARACTER SET ASCII,
  ENTTEXT     VARCHAR(20),
  SHOUGOU     VARCHAR(20),
  PASNAME     VARCHAR(128),
  CONSTRAINT PK_SERVERDATALIST PRIMARY KEY (SERIALNO)
);

SET TERM ^ ;

CREATE TRIGGER SERVERDATALIST_NO FOR SERVERDATALIST
ACTIVE BEFORE INSERT POSITION 0
AS
DECLARE VARIABLE NO_WK INTEGER;
BEGIN
  SELECT MAX(S.SERIALNO) FROM SERVERDATALIST S INTO :NO_WK;
  NEW.SERIALNO = COALESCE(NO_WK, 0) + 1;
END^

SET TERM ; ^

COMMIT;

/* ========================================================================
   Functions and stored procedures
   ======================================================================== */

SET TERM ^ ;

/* The last N characters of S (all of S when it is shorter). */
CREATE OR ALTER FUNCTION F_RIGHT (
  S          VARCHAR(254),
  N          INTEGER)
RETURNS VARCHAR(254)
AS
BEGIN
  RETURN RIGHT(S, N);
END^

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

INSERT INTO USERGROUP (GROUPID, GROUPNAME) VALUES (10000, '標準グループ');
INSERT INTO LEVELNAME (LEVELNO, NAME) VALUES (9, 'システム管理者');

/* Administrator for the first login: group 10000, code 10, empty
   password, job level 9. */
INSERT INTO OPERATOR (GROUPID, OPCODE, OPNAME, JOBLEVEL, PASWORD, DATAPAS,
                      JIMUSHO, OKINIIRI, KANSA, SISETUNO)
VALUES (10000, 10, '管理者', 9, '', '', 0, 0, 0, 0);

INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('明治', 'M', TIMESTAMP '1868-09-08 00:00:00', 1868);
INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('大正', 'T', TIMESTAMP '1912-07-30 00:00:00', 1912);
INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('昭和', 'S', TIMESTAMP '1926-12-25 00:00:00', 1926);
INSERT INTO GENGO (GNAME, GSIGN, STARTDATE, YEAROFFSET) VALUES ('平成', 'H', TIMESTAMP '1989-01-08 00:00:00', 1989);

/* Ten empty code-system slots (RECNO 1 to 10); step 4.0.0 adds 11 to 20. */
SET TERM ^ ;
EXECUTE BLOCK
AS
DECLARE VARIABLE I INTEGER;
BEGIN
  I = 1;
  WHILE (I <= 10) DO
  BEGIN
    INSERT INTO USERCODE (RECNO, NAME, DATATYPE, CODETYPE,
                          INIDAT1, INIDAT2, INIDAT3, INIDAT4,
                          INIDAT5, INIDAT6, INIDAT7, INIDAT8)
    VALUES (:I, '', 0, 0, '', '', '', '', '', '', '', '');
    I = I + 1;
  END
END^
SET TERM ; ^

INSERT INTO VERSION (REC, MAJOR, MINOR1, MINOR2, MEMO) VALUES (1, 0, 3, 0, '');

COMMIT;
