// System step 5.0.0: the data places (up to a hundred folders, each with a
// data-set list of its own), the list-slot procedure that serves every place,
// and for the federation editions their ten code-system templates, imported
// before the script runs.
#include "dbaccess/CodeTaikeiIO.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5SystemDbUpdate.h"
#include "platform/Cp932.h"

#include "core/FileUtils.h"

namespace {

const char kStatements[] = R"(
CREATE TABLE DATAPLACEMAN (
  REC        INTEGER NOT NULL,
  ORDERKBN   INTEGER DEFAULT 0,
  NAME       VARCHAR(40) CHARACTER SET SJIS_0208 DEFAULT '',
  PATH       VARCHAR(127) CHARACTER SET SJIS_0208 DEFAULT '',
  YOBI1      VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI2      VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  YOBI3      VARCHAR(10) CHARACTER SET ASCII DEFAULT '',
  CONSTRAINT PK_DATAPLACEMAN PRIMARY KEY (REC)
);
CREATE TABLE DATALIST_EX (
  DATAPLACEREC INTEGER NOT NULL,
  REC          INTEGER NOT NULL,
  GROUPID      INTEGER DEFAULT 10000,
  ENTTEXT      VARCHAR(20) CHARACTER SET SJIS_0208 DEFAULT '',
  SHOUGOU      VARCHAR(20) CHARACTER SET SJIS_0208 DEFAULT '',
  PASNAME      VARCHAR(127) CHARACTER SET SJIS_0208 DEFAULT '',
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
  CONSTRAINT PK_DATALIST_EX PRIMARY KEY (DATAPLACEREC, REC)
);
ALTER TABLE DATALIST_EX ADD CONSTRAINT FK_DATALIST_EX_PLACE FOREIGN KEY (DATAPLACEREC)
  REFERENCES DATAPLACEMAN (REC) ON UPDATE CASCADE ON DELETE CASCADE;
ALTER TABLE DATALIST_EX ADD CONSTRAINT FK_DATALIST_EX_GROUP FOREIGN KEY (GROUPID)
  REFERENCES USERGROUP (GROUPID) ON UPDATE CASCADE ON DELETE CASCADE;
SET TERM ^ ;
CREATE OR ALTER PROCEDURE SP_DATALIST_INSERT (
  DATAPLACEREC INTEGER,
  PATHTEXT     VARCHAR(254) CHARACTER SET SJIS_0208,
  MAXCNT       INTEGER)
RETURNS (
  REC          INTEGER,
  PATHNAME     VARCHAR(254) CHARACTER SET SJIS_0208)
AS
DECLARE VARIABLE W_CNT INTEGER;
BEGIN
  IF (DATAPLACEREC = 0) THEN
    SELECT MAX(D.REC) FROM DATALIST D INTO :W_CNT;
  ELSE
    SELECT MAX(D.REC) FROM DATALIST_EX D
     WHERE D.DATAPLACEREC = :DATAPLACEREC INTO :W_CNT;
  IF (W_CNT IS NULL) THEN
    W_CNT = 0;
  WHILE (W_CNT < MAXCNT) DO
  BEGIN
    W_CNT = W_CNT + 1;
    REC = W_CNT;
    PATHNAME = PATHTEXT || '/' || F_RIGHT(CAST(W_CNT + 10000 AS VARCHAR(12)), 4);
    IF (DATAPLACEREC = 0) THEN
      INSERT INTO DATALIST (REC, GROUPID, ENTTEXT, SHOUGOU, PASNAME, NETDRIVE,
                            DATATYPE, CODETYPE, NENDO, KISHU, KIMATU)
      VALUES (:REC, 10000, '', '', :PATHNAME, 0, 0, 0, 0, '1899/12/30', '1899/12/30');
    ELSE
      INSERT INTO DATALIST_EX (DATAPLACEREC, REC, GROUPID, ENTTEXT, SHOUGOU, PASNAME, NETDRIVE,
                               DATATYPE, CODETYPE, NENDO, KISHU, KIMATU)
      VALUES (:DATAPLACEREC, :REC, 10000, '', '', :PATHNAME, 0, 0, 0, 0, '1899/12/30', '1899/12/30');
    SUSPEND;
  END
END^
SET TERM ; ^
COMMIT;
)";

// The federation editions' code-system templates of the slots 1 to 10 (slot 7 has none).
const char16_t *const kTemplates[10] = {u"販売業.txt", u"製造業.txt", u"建設業.txt", u"運送業.txt", u"病院.txt",
                                        u"その他.txt", nullptr, u"個人　一般.txt", u"個人　不動産.txt",
                                        u"個人　医業.txt"};

bool federation()
{
    return Edition == 1 || Edition == 2;
}

void importTemplates()
{
    RunPreStep(TDbUpdateTarget::System, [](FbQuery &) {
        TCodeTaikeiIO io;
        const QString folder = ExcludePathDelim(SystemDef.SqlDir) + QStringLiteral("/500/");
        for (int slot = 1; slot <= 10; ++slot) {
            const char16_t *name = kTemplates[slot - 1];
            if (!name) continue;
            if (!io.LoadFromFile(folder + QString::fromUtf16(name), slot)) break;
        }
    });
}

} // namespace

QString DataPlaceZeroName(const QString &systemFolder)
{
    return platform::toCp932(systemFolder).size() > 40 ? QStringLiteral("標準の場所") : systemFolder;
}

QStringList DataPlaceInserts(const QString &systemFolder)
{
    const QString folder = SqlText(systemFolder);
    QStringList out;
    out << QStringLiteral("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH) VALUES(0,1,'%1','%2');")
               .arg(SqlText(DataPlaceZeroName(systemFolder)), folder);
    for (int i = 1; i <= 99; ++i) {
        const QString two = QStringLiteral("%1").arg(i, 2, 10, QChar(u'0'));
        out << QStringLiteral("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH) VALUES(%1,%2,'','%3%1');")
                   .arg(two, QStringLiteral("%1").arg(i + 1, 2, 10, QChar(u'0')), folder);
    }
    out << QStringLiteral("COMMIT;");
    return out;
}

int SystemDbUpdate500()
{
    if (federation()) importTemplates();

    TDbUpdateScript script(TDbUpdateTarget::System, 5, 0, 0);
    script.BeginStampLast(true);
    script.Add(sysupdate::lines(kStatements));
    script.Add(DataPlaceInserts(SystemDef.SysDir));
    if (federation()) {
        script.Add(QStringLiteral("UPDATE SYSREG SET STEXT='1' WHERE SCODE='試算表集計出力区分';"));
        script.Add(QStringLiteral("COMMIT;"));
    }
    script.EndStampLast();
    return script.Run();
}
