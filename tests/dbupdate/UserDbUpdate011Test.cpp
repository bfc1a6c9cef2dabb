#include "support/TestEnv.h"

#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/CompanyStepDb.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace stepdb;

namespace {

// Name, domain, type, length, scale, precision, character length and set,
// nullability and default of every column of a table, in column order.
QStringList columnsOf(Db &db, const QString &table)
{
    const auto rows = db.rows(QStringLiteral(
        "SELECT TRIM(RF.RDB$FIELD_NAME), TRIM(RF.RDB$FIELD_SOURCE), F.RDB$FIELD_TYPE, COALESCE(F.RDB$FIELD_SUB_TYPE, 0), "
        "F.RDB$FIELD_LENGTH, COALESCE(F.RDB$FIELD_SCALE, 0), COALESCE(F.RDB$FIELD_PRECISION, 0), "
        "COALESCE(F.RDB$CHARACTER_LENGTH, 0), COALESCE(F.RDB$CHARACTER_SET_ID, -1), "
        "COALESCE(RF.RDB$NULL_FLAG, F.RDB$NULL_FLAG, 0), "
        "CAST(COALESCE(RF.RDB$DEFAULT_SOURCE, F.RDB$DEFAULT_SOURCE, '') AS VARCHAR(200) CHARACTER SET UNICODE_FSS) "
        "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "WHERE RF.RDB$RELATION_NAME = :T ORDER BY RF.RDB$FIELD_POSITION"),
        {{QStringLiteral("T"), table}});
    QStringList out;
    for (QStringList r : rows) {
        if (r[1].startsWith(QStringLiteral("RDB$"))) r[1].clear(); // no domain of its own
        r[10] = r[10].simplified().toUpper();
        out << table + u'.' + r.join(u'|');
    }
    return out;
}

// Primary, unique and foreign keys of the tables: name, kind, table, columns,
// referenced table and the update and delete rules.
QStringList keysOf(Db &db, const QStringList &tables)
{
    QStringList out;
    for (const QString &table : tables) {
        const auto rows = db.rows(QStringLiteral(
            "SELECT TRIM(RC.RDB$CONSTRAINT_NAME), TRIM(RC.RDB$CONSTRAINT_TYPE), TRIM(RC.RDB$INDEX_NAME), "
            "COALESCE(TRIM(REF.RDB$RELATION_NAME), ''), COALESCE(TRIM(FK.RDB$UPDATE_RULE), ''), "
            "COALESCE(TRIM(FK.RDB$DELETE_RULE), '') "
            "FROM RDB$RELATION_CONSTRAINTS RC "
            "LEFT JOIN RDB$REF_CONSTRAINTS FK ON FK.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME "
            "LEFT JOIN RDB$RELATION_CONSTRAINTS REF ON REF.RDB$CONSTRAINT_NAME = FK.RDB$CONST_NAME_UQ "
            "WHERE RC.RDB$RELATION_NAME = :T AND RC.RDB$CONSTRAINT_TYPE <> 'NOT NULL' "
            "ORDER BY RC.RDB$CONSTRAINT_NAME"),
            {{QStringLiteral("T"), table}});
        for (const QStringList &r : rows) {
            QStringList fields;
            for (const QStringList &s : db.rows(QStringLiteral("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$INDEX_SEGMENTS "
                                                               "WHERE RDB$INDEX_NAME = :I ORDER BY RDB$FIELD_POSITION"),
                                                {{QStringLiteral("I"), r[2]}}))
                fields << s[0];
            out << QStringList({table, r[0], r[1], fields.join(u','), r[3], r[4], r[5]}).join(u'|');
        }
    }
    return out;
}

QStringList fixedAssetTables(Db &db)
{
    QStringList out;
    for (const QStringList &r : db.rows(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
                                                        "WHERE RDB$RELATION_NAME STARTING WITH 'KS_' AND RDB$SYSTEM_FLAG = 0 "
                                                        "ORDER BY 1")))
        out << r[0];
    return out;
}

QStringList accdef1Columns(Db &db)
{
    QStringList out;
    for (const QString &c : columnsOf(db, QStringLiteral("ACCDEF1")))
        for (const char *name : {"SDAI_HASUU3|", "KESSAN_KIKAN|", "CASHFLOW_KIKAN1|", "CASHFLOW_KIKAN2|"})
            if (c.startsWith(QStringLiteral("ACCDEF1.") + QLatin1String(name))) out << c;
    out.sort(); // their place among the other columns does not matter
    return out;
}

// A company database of version 0.1.0, ready for step 0.1.1.
class UserDbUpdate011Test : public CompanyStepTest
{
protected:
    ::testing::AssertionResult runStep011() { return runStep(UserDbUpdate011); }
};

} // namespace

TEST_F(UserDbUpdate011Test, BringsA010DatabaseTo011)
{
    if (FindIsqlTool().isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
    ASSERT_TRUE(runStep011());
    Db db(dir);

    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, MAJOR, MINOR1, MINOR2 FROM ACCVERSION")),
              QList<QStringList>({{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1")}}));

    // The 70 default rows, numbered by the generator, 35 per data type in the
    // groups' order with the group's default row last.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM KS_SETSWK_INIT")), QStringLiteral("70"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT MIN(REC) || '-' || MAX(REC) FROM KS_SETSWK_INIT")), QStringLiteral("1-70"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT ACCGROUP, KGROUP, COUNT(*), COUNT(KCODE) FROM KS_SETSWK_INIT "
                                     "GROUP BY ACCGROUP, KGROUP ORDER BY 1, 2"))
                  .size(),
              8);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, TEKIYO, RUIKEIKCODE, BAISONKCODE, BAIEKIKCODE, BAIEKITEKIYO "
                                     "FROM KS_SETSWK_INIT WHERE REC IN (14, 49) ORDER BY REC")),
              QList<QStringList>({{QStringLiteral("<null>"), QStringLiteral("購入"), QStringLiteral("1416"),
                                   QStringLiteral("8201"), QStringLiteral("8101"), QStringLiteral("売却")},
                                  {QStringLiteral("<null>"), QStringLiteral("購入"), QStringLiteral("1416"),
                                   QStringLiteral("1608"), QStringLiteral("2205"), QStringLiteral("売却")}}));

    // Every procedure and trigger of the step, none of the dropped ones, no one-time procedure.
    const QStringList procedures = db.names(QStringLiteral("SELECT TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES "
                                                           "WHERE RDB$SYSTEM_FLAG = 0 AND (RDB$PROCEDURE_NAME STARTING WITH 'SP_KS_' "
                                                           "OR RDB$PROCEDURE_NAME IN ('SP_MB_SELECT_SYUGYOU', 'ONE_TIME_PROC')) ORDER BY 1"));
    EXPECT_EQ(procedures, QStringList({QStringLiteral("SP_KS_BUMONHB_ADD"), QStringLiteral("SP_KS_BUMONHB_REC_ADD"),
                                       QStringLiteral("SP_KS_DAICHO_UPDATE"), QStringLiteral("SP_KS_INSSETSWK"),
                                       QStringLiteral("SP_KS_INSSETSWK_CALL_KAMOKU"), QStringLiteral("SP_KS_INSSETSWK_CALL_SISETU"),
                                       QStringLiteral("SP_KS_SISAN_SYUFUKU_HAIBUNRITU"), QStringLiteral("SP_MB_SELECT_SYUGYOU")}));
    const QStringList triggers = db.names(QStringLiteral("SELECT TRIM(RDB$TRIGGER_NAME) || ':' || RDB$TRIGGER_TYPE || ':' || "
                                                         "RDB$TRIGGER_INACTIVE FROM RDB$TRIGGERS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
                                                         "AND RDB$TRIGGER_NAME IN ('KAMOKUMST_AFTER_INSERT', 'KSSETSWKINIT_BEFORE_INSERT', "
                                                         "'KSSETSWK_BEFORE_INSERT', 'SISETUMST_AFTER_INSERT', 'SIWAKE_AFTER_INSERT', "
                                                         "'SIWAKE_AFTER_UPDATE') ORDER BY 1"));
    EXPECT_EQ(triggers, QStringList({QStringLiteral("KAMOKUMST_AFTER_INSERT:2:0"), QStringLiteral("KSSETSWKINIT_BEFORE_INSERT:1:0"),
                                     QStringLiteral("KSSETSWK_BEFORE_INSERT:1:0"), QStringLiteral("SISETUMST_AFTER_INSERT:2:0"),
                                     QStringLiteral("SIWAKE_AFTER_INSERT:2:0"), QStringLiteral("SIWAKE_AFTER_UPDATE:4:0")}));
    // The staff-number query has its three years of twelve months.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM RDB$PROCEDURE_PARAMETERS "
                                       "WHERE RDB$PROCEDURE_NAME = 'SP_MB_SELECT_SYUGYOU' AND RDB$PARAMETER_TYPE = 1")),
              QStringLiteral("36"));

    // The existing facility got its journal settings: one row per account of the groups 1400 to 1800.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM KS_SETSWK WHERE SCODE = ' '")), QStringLiteral("31"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT GSHOUHOU, SETSWK, RUIKEIKCODE, SYOKYAKU1_KCODE, RUIKEIHCODE FROM KS_SETSWK "
                                     "WHERE KCODE = '1701'")),
              QList<QStringList>({{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("<null>"), QStringLiteral("6204"),
                                   QStringLiteral("<null>")}}));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT GDNAM FROM GENKADIV WHERE CODE = 6")), QStringLiteral("リース期間定額法"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT SDAI_HASUU3, KESSAN_KIKAN, CASHFLOW_KIKAN1, CASHFLOW_KIKAN2 FROM ACCDEF1")),
              QList<QStringList>({{QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("-1"), QStringLiteral("-1")}}));
}

TEST_F(UserDbUpdate011Test, FixedAssetTablesEqualThoseOfANewCompanyDatabase)
{
    if (FindIsqlTool().isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
    ASSERT_TRUE(runStep011());
    // The declining-balance columns come with the file of step 4.0.2.
    ASSERT_EQ(UserDbUpdate402(), DbUpdateDone) << LastIsqlOutput().join(u'\n').toStdString();
    EXPECT_FALSE(LastIsqlOutput().join(u'\n').contains(QStringLiteral("Error")));

    QStringList upgradedTables, upgradedColumns, upgradedKeys, upgradedAccdef1;
    {
        Db upgraded(dir);
        upgradedTables = fixedAssetTables(upgraded);
        for (const QString &t : upgradedTables) upgradedColumns << columnsOf(upgraded, t);
        upgradedKeys = keysOf(upgraded, upgradedTables);
        upgradedAccdef1 = accdef1Columns(upgraded);
        EXPECT_EQ(upgraded.scalar(QStringLiteral("SELECT MAJOR || '.' || MINOR1 || '.' || MINOR2 FROM ACCVERSION")),
                  QStringLiteral("4.0.2"));
    }
    Db fresh(root.companyDir);
    const QStringList freshTables = fixedAssetTables(fresh);
    QStringList freshColumns;
    for (const QString &t : freshTables) freshColumns << columnsOf(fresh, t);

    EXPECT_EQ(upgradedTables, freshTables);
    EXPECT_EQ(upgradedTables.size(), 6); // KS_TRANSSWK comes with the base schema
    EXPECT_EQ(upgradedColumns, freshColumns);
    EXPECT_EQ(upgradedKeys, keysOf(fresh, freshTables));
    EXPECT_EQ(upgradedAccdef1, accdef1Columns(fresh));
    EXPECT_EQ(upgradedAccdef1.size(), 4);
}

TEST_F(UserDbUpdate011Test, ConditionalColumnsAndVersionRepair)
{
    if (FindIsqlTool().isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
    // SDAI_HASUU3 is there already (adding it again would fail), and the
    // version table lacks the 0.1.0 row.
    const QString other = testenv::freshDir(QStringLiteral("old010b"));
    makeBase(other, {QStringLiteral("ALTER TABLE ACCDEF1 ADD SDAI_HASUU3 INTEGER DEFAULT 7;"),
                      QStringLiteral("UPDATE ACCDEF1 SET SDAI_HASUU3 = 7;"),
                      QStringLiteral("DELETE FROM ACCVERSION;"),
                      QStringLiteral("INSERT INTO ACCVERSION (REC, MAJOR, MINOR1, MINOR2) VALUES (3, 0, 0, 9);")});
    SystemDef.DataDir = other;
    ASSERT_TRUE(runStep011());
    Db db(other);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, MAJOR, MINOR1, MINOR2 FROM ACCVERSION")),
              QList<QStringList>({{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1")}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT SDAI_HASUU3, KESSAN_KIKAN FROM ACCDEF1")),
              QList<QStringList>({{QStringLiteral("7"), QStringLiteral("-1")}}));
}

// ---- the procedures and triggers at work --------------------------------

class UpgradedCompanyTest : public UserDbUpdate011Test
{
protected:
    void SetUp() override
    {
        UserDbUpdate011Test::SetUp();
        if (FindIsqlTool().isEmpty()) GTEST_SKIP() << "the Firebird SQL tool (isql-fb) is not installed";
        ASSERT_TRUE(runStep011());
    }
};

TEST_F(UpgradedCompanyTest, JournalRowsMoveTheRunningTotals)
{
    Db db(dir);
    for (const char *k : {"1101", "4101"})
        db.exec(QStringLiteral("INSERT INTO KAMOKU_MS (SCODE, KCODE, HCODE, BCODE, MNUM) VALUES (' ', '%1', ' ', ' ', 5)")
                    .arg(QLatin1String(k)));
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_KAMOKU_TAX_INSERT(' ', ' ')"));
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_KAMOKU_TAX_INSERT(' ', '01')"));

    const auto totals = [&db] {
        return QStringList{
            db.scalar(QStringLiteral("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE = ' '")),
            db.scalar(QStringLiteral("SELECT CAST(KAR_NUK AS INTEGER) || '/' || CAST(KAR_TAX AS INTEGER) || '/' || "
                                     "CAST(KAS_NUK AS INTEGER) || '/' || CAST(KAS_TAX AS INTEGER) FROM KAMOKU_MS "
                                     "WHERE KCODE = '1101' AND MNUM = 5")),
            db.scalar(QStringLiteral("SELECT CAST(KAR_NUK AS INTEGER) || '/' || CAST(KAR_TAX AS INTEGER) || '/' || "
                                     "CAST(KAS_NUK AS INTEGER) || '/' || CAST(KAS_TAX AS INTEGER) FROM KAMOKU_MS "
                                     "WHERE KCODE = '4101' AND MNUM = 5")),
            db.scalar(QStringLiteral("SELECT LIST(TRIM(BCODE) || KKUBUN || ':' || CAST(KAR AS INTEGER) || '/' || "
                                     "CAST(KAS AS INTEGER), ' ') FROM (SELECT * FROM KAMOKU_TAX WHERE MNUM = 5 AND (KAR <> 0 OR KAS <> 0) "
                                     "ORDER BY BCODE, KKUBUN)")),
        };
    };
    const auto journal = [&db](int rec, int taishaku, const char *kcode, const char *bcode, int taxuh, int nuk, int zei) {
        db.exec(QStringLiteral("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, MNUM, SCODE, KCODE, HCODE, BCODE, TAXUH, NUK, ZEI) "
                               "VALUES (%1, 0, %2, 5, ' ', '%3', ' ', '%4', %5, %6, %7)")
                    .arg(rec)
                    .arg(taishaku)
                    .arg(QLatin1String(kcode), QLatin1String(bcode))
                    .arg(taxuh)
                    .arg(nuk)
                    .arg(zei));
    };

    const QStringList empty = totals();
    // One entry: a debit row on cash and a credit row on sales, with tax.
    journal(1, 1, "1101", " ", 1, 10000, 1000);
    journal(2, 2, "4101", " ", 2, 10000, 1000);
    const QStringList booked = {QStringLiteral("1"), QStringLiteral("10000/1000/0/0"), QStringLiteral("0/0/10000/1000"),
                                QStringLiteral("1:1000/0 2:0/1000")};
    EXPECT_EQ(totals(), booked);

    // Changing an amount without the delete mark moves nothing.
    db.exec(QStringLiteral("UPDATE SIWAKE SET NUK = 99999 WHERE REC = 1"));
    EXPECT_EQ(totals(), booked);
    db.exec(QStringLiteral("UPDATE SIWAKE SET NUK = 10000 WHERE REC = 1"));

    // Marking the entry deleted takes it out again, unmarking adds it back.
    db.exec(QStringLiteral("UPDATE SIWAKE SET DELFLG = 1 WHERE REC IN (1, 2)"));
    EXPECT_EQ(totals(), empty);
    db.exec(QStringLiteral("UPDATE SIWAKE SET DELFLG = 0 WHERE REC IN (1, 2)"));
    EXPECT_EQ(totals(), booked);
    // Any other mark takes it out too, but only 1 back to 0 adds it again.
    db.exec(QStringLiteral("UPDATE SIWAKE SET DELFLG = 2 WHERE REC IN (1, 2)"));
    EXPECT_EQ(totals(), empty);
    db.exec(QStringLiteral("UPDATE SIWAKE SET DELFLG = 0 WHERE REC IN (1, 2)"));
    EXPECT_EQ(totals(), empty);

    // With departments keeping their own books (BUMON 2) the tax goes to the row's department.
    db.exec(QStringLiteral("UPDATE ACCDEF1 SET BUMON = 2"));
    journal(3, 1, "1101", "01", 1, 500, 50);
    EXPECT_EQ(totals()[3], QStringLiteral("011:50/0"));
}

TEST_F(UpgradedCompanyTest, LinkedJournalRowsMarkTheAsset)
{
    Db db(dir);
    db.exec(QStringLiteral("UPDATE HOJOMST SET REC = 501 WHERE KCODE = '1401' AND HCODE = ' '"));
    db.exec(QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KANRI, KCODE, MEISYOU, TRANSKBN, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) "
                           "VALUES (7, ' ', 'A1', '1401', '本社', 0, NULL, NULL, NULL, NULL)"));
    db.exec(QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KANRI, KCODE, MEISYOU, TRANSKBN, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) "
                           "VALUES (8, ' ', 'A2', '1406', '車', 0, NULL, NULL, NULL, NULL)"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT HCODE FROM KS_SISAN WHERE REC = 7")), QStringLiteral(" "));

    const auto marks = [&db] { return db.scalar(QStringLiteral("SELECT LIST(REC || ':' || TRANSKBN, ' ') FROM (SELECT * FROM KS_SISAN ORDER BY REC)")); };
    // A key of another kind names the asset itself.
    db.exec(QStringLiteral("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, MNUM, SCODE, KCODE, HCODE, BCODE, TAXUH, NUK, ZEI, "
                           "LINKKEY, LINKKUB, LINKREC) VALUES (11, 0, 2, 5, ' ', '1101', ' ', ' ', 0, 1, 0, '1-S', 8, 8)"));
    EXPECT_EQ(marks(), QStringLiteral("7:0 8:1"));
    // A "2-A" key names a sub-account: the facility's assets on it are marked.
    db.exec(QStringLiteral("INSERT INTO SIWAKE (REC, DELFLG, TAISHAKU, MNUM, SCODE, KCODE, HCODE, BCODE, TAXUH, NUK, ZEI, "
                           "LINKKEY, LINKKUB, LINKREC) VALUES (12, 0, 2, 5, ' ', '1101', ' ', ' ', 0, 1, 0, '2-A1', 8, 501)"));
    EXPECT_EQ(marks(), QStringLiteral("7:1 8:1"));
}

TEST_F(UpgradedCompanyTest, NewFacilitiesAndAccountsGetTheirSettings)
{
    Db db(dir);
    db.exec(QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業')"));
    db.exec(QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('02', '製造')"));
    db.exec(QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('S1', '支店', 1)"));
    db.exec(QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('S2', '工場', 0)"));

    const auto count = [&db](const QString &table, const QString &where) {
        return db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, where)).toInt();
    };
    EXPECT_EQ(count(QStringLiteral("KS_SETSWK"), QStringLiteral("SCODE = 'S1'")), 31);
    // every account in use, with its own sub-account row
    EXPECT_EQ(count(QStringLiteral("KAMOKU_SZ"), QStringLiteral("SCODE = 'S1'")),
              count(QStringLiteral("KAMOKUMST"), QStringLiteral("USE = 1")));
    EXPECT_EQ(count(QStringLiteral("KAMOKU_TAX"), QStringLiteral("SCODE = 'S1'")), 48);
    EXPECT_EQ(count(QStringLiteral("TORDICTI"), QStringLiteral("SCODE = 'S1'")), 50);
    EXPECT_EQ(count(QStringLiteral("SWKDICTI"), QStringLiteral("SCODE = 'S1'")), 50);
    EXPECT_EQ(count(QStringLiteral("ACCDEF5"), QStringLiteral("SCODE = 'S1' AND MNUM BETWEEN -31 AND 16")), 48);
    EXPECT_EQ(count(QStringLiteral("KS_TRANSSWK"), QStringLiteral("SCODE = 'S1' AND TRANSKBN1 = -1")), 1);
    EXPECT_EQ(count(QStringLiteral("YOSOKUINF"), QStringLiteral("SCODE = 'S1'")), 1);
    EXPECT_EQ(count(QStringLiteral("SISETUBUM"), QStringLiteral("SCODE = 'S1'")), 2);
    EXPECT_EQ(count(QStringLiteral("SISETUBUM"), QStringLiteral("SCODE = 'S2'")), 0);

    // A new tangible account without a row of its own takes its group's default
    // row, in every facility; an account outside 1400 to 1800 gets nothing.
    db.exec(QStringLiteral("INSERT INTO KAMOKUMST (KCODE, GROUPM1, KNAME, BPFLG) VALUES ('1413', '1400', '美術品', 'B')"));
    db.exec(QStringLiteral("INSERT INTO KAMOKUMST (KCODE, GROUPM1, KNAME, BPFLG) VALUES ('2199', '2100', '雑負債', 'B')"));
    EXPECT_EQ(count(QStringLiteral("HOJOMST"), QStringLiteral("KCODE IN ('1413', '2199') AND HCODE = ' '")), 2);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT SCODE, GSKEIJYO, GSKAHI, RUIKEIKCODE, BAISONKCODE FROM KS_SETSWK "
                                     "WHERE KCODE = '1413' ORDER BY SCODE")),
              QList<QStringList>({{QStringLiteral(" "), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1416"),
                                   QStringLiteral("8201")},
                                  {QStringLiteral("S1"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1416"),
                                   QStringLiteral("8201")},
                                  {QStringLiteral("S2"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1416"),
                                   QStringLiteral("8201")}}));
    EXPECT_EQ(count(QStringLiteral("KS_SETSWK"), QStringLiteral("KCODE = '2199'")), 0);
}

TEST_F(UpgradedCompanyTest, AllocationRepairAndLedgerLines)
{
    Db db(dir);
    db.exec(QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('00', '共通')"));
    db.exec(QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業')"));
    db.exec(QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('S1', '支店', 1)"));
    db.exec(QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KCODE, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) "
                           "VALUES (1, 'S1', '1401', NULL, NULL, NULL, NULL)"));
    db.exec(QStringLiteral("INSERT INTO KS_SISAN (REC, SCODE, KCODE, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) "
                           "VALUES (2, 'S1', '1406', NULL, NULL, NULL, NULL)"));
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_KS_BUMONHB_ADD('S1')"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) || '/' || CAST(SUM(HAIBUN) AS INTEGER) FROM KS_BUMONHB")),
              QStringLiteral("4/0"));

    // Shares of 30 for department 01: department 00 takes the remaining 70.
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_KS_BUMONHB_REC_ADD(1, 'S1', '01', 30, '')"));
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_KS_BUMONHB_REC_ADD(2, 'S1', '00', 100, '')"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT SYUFUKU FROM SP_KS_SISAN_SYUFUKU_HAIBUNRITU('S1')")), QStringLiteral("1"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT LIST(KS_REC || TRIM(BCODE) || '=' || CAST(HAIBUN AS INTEGER), ' ') "
                                       "FROM (SELECT * FROM KS_BUMONHB ORDER BY KS_REC, BCODE)")),
              QStringLiteral("100=70 101=30 200=100 201=0"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT SYUFUKU FROM SP_KS_SISAN_SYUFUKU_HAIBUNRITU('S1')")), QStringLiteral("0"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT SYUFUKU FROM SP_KS_SISAN_SYUFUKU_HAIBUNRITU(' ')")), QStringLiteral("0"));

    // One ledger line per asset, date and line type: inserted, then updated.
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_KS_DAICHO_UPDATE(1, '2024-03-31', 1, '取得', 1000, 0, 100, 900, '')"));
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_KS_DAICHO_UPDATE(1, '2024-03-31', 1, '取得', 1000, 0, 150, 850, '')"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT TEKIYO, CAST(SYOKYAKU AS INTEGER), CAST(BOKAGAKU AS INTEGER) FROM KS_DAICHO")),
              QList<QStringList>({{QStringLiteral("取得"), QStringLiteral("150"), QStringLiteral("850")}}));
}

TEST_F(UpgradedCompanyTest, StaffNumbersOfThreeYears)
{
    Db db(dir);
    db.exec(QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('S1', '支店', 0)"));
    db.exec(QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('S2', '工場', 0)"));
    db.exec(QStringLiteral("UPDATE ACCDEF5 SET NUM1 = 3 WHERE MNUM IN (1, 16, -15, -31, -17)"));
    const auto row = db.rows(QStringLiteral("SELECT * FROM SP_MB_SELECT_SYUGYOU('', '')")).value(0);
    ASSERT_EQ(row.size(), 36);
    EXPECT_EQ(row[0], QStringLiteral("6"));       // T_NINZU1: both facilities
    EXPECT_EQ(row[1], QStringLiteral("0"));       // a month with rows of 0
    EXPECT_EQ(row[12], QStringLiteral("6"));      // Z_NINZU1 is period -15
    EXPECT_EQ(row[24], QStringLiteral("6"));      // ZZ_NINZU1 is period -31
    EXPECT_EQ(row[35], QStringLiteral("6"));      // ZZ_NINZU12 is period -17
    EXPECT_EQ(db.rows(QStringLiteral("SELECT T_NINZU1 FROM SP_MB_SELECT_SYUGYOU('S1', ' ')")).value(0).value(0),
              QStringLiteral("3"));
}
