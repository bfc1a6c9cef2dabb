// System step 4.0.0: the era table made anew, the company code of the four
// data-set lists, the procedure that makes the empty slots of the local list,
// code-system slots 11 to 20, and the menu flags of an office installation.
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"

namespace {

const char kEras[] = R"(
RECREATE TABLE GENGO (
  GName      VARCHAR(10) CHARACTER SET SJIS_0208 DEFAULT '',
  GSign      VARCHAR(2) CHARACTER SET ASCII DEFAULT '',
  StartDate  TIMESTAMP,
  YearOffSet INTEGER DEFAULT 0
);
INSERT INTO GENGO(GName,GSign,StartDate,YearOffSet) VALUES('明治','M','1868/09/08',1868);
INSERT INTO GENGO(GName,GSign,StartDate,YearOffSet) VALUES('大正','T','1912/07/30',1912);
INSERT INTO GENGO(GName,GSign,StartDate,YearOffSet) VALUES('昭和','S','1926/12/25',1926);
INSERT INTO GENGO(GName,GSign,StartDate,YearOffSet) VALUES('平成','H','1989/01/08',1989);
COMMIT;
ALTER TABLE DATALIST ADD DATACODE VARCHAR(10) CHARACTER SET ASCII DEFAULT '';
ALTER TABLE SERVERDATALIST ADD DATACODE VARCHAR(10) CHARACTER SET ASCII DEFAULT '';
ALTER TABLE CHILD_DATALIST ADD DATACODE VARCHAR(10) CHARACTER SET ASCII DEFAULT '';
ALTER TABLE CHILD_SERVERDATALIST ADD DATACODE VARCHAR(10) CHARACTER SET ASCII DEFAULT '';
UPDATE DATALIST SET DATACODE='';
UPDATE SERVERDATALIST SET DATACODE='';
UPDATE CHILD_DATALIST SET DATACODE='';
UPDATE CHILD_SERVERDATALIST SET DATACODE='';
COMMIT;
SET TERM ^ ;
CREATE OR ALTER PROCEDURE SP_DATALIST_INSERT (
  MAXCNT   INTEGER,
  PATHTEXT VARCHAR(254) CHARACTER SET SJIS_0208)
RETURNS (
  REC      INTEGER,
  PASNAME  VARCHAR(254) CHARACTER SET SJIS_0208)
AS
DECLARE VARIABLE W_CNT INTEGER;
BEGIN
  SELECT MAX(D.REC) FROM DATALIST D INTO :W_CNT;
  WHILE (W_CNT < MAXCNT) DO
  BEGIN
    W_CNT = W_CNT + 1;
    REC = W_CNT;
    PASNAME = PATHTEXT || '/' || F_RIGHT(CAST(W_CNT + 10000 AS VARCHAR(12)), 4);
    INSERT INTO DATALIST (REC, GROUPID, ENTTEXT, SHOUGOU, PASNAME, NETDRIVE,
                          DATATYPE, CODETYPE, NENDO, KISHU, KIMATU)
    VALUES (:REC, 10000, '', '', :PASNAME, 0, 0, 0, 0, '1899/12/30', '1899/12/30');
    SUSPEND;
  END
END^
SET TERM ; ^
COMMIT;
DELETE FROM USERCODE WHERE RECNO>10;
)";

} // namespace

int SystemDbUpdate400()
{
    TDbUpdateScript script(TDbUpdateTarget::System, 4, 0, 0);
    script.BeginStampLast(false);
    script.Add(sysupdate::lines(kEras));
    for (int recNo = 11; recNo <= 20; ++recNo)
        script.Add(QStringLiteral("INSERT INTO USERCODE(RECNO,NAME,DATATYPE,CODETYPE,INIDAT1,INIDAT2,INIDAT3,INIDAT4,"
                                  "INIDAT5,INIDAT6,INIDAT7,INIDAT8) VALUES(%1,'',0,0,'','','','','','','','');")
                       .arg(recNo));
    script.Add(QStringLiteral("COMMIT;"));
    script.Add(QStringLiteral("UPDATE SYSTEMINI SET RESERVE2=63 "));
    script.Add(QStringLiteral("WHERE (REC=%1) AND (RESERVE1=1);").arg(10));
    script.Add(QStringLiteral("COMMIT;"));
    script.EndStampLast();
    return script.Run();
}
