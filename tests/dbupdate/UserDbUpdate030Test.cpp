// The company steps 0.3.0 to 1.0.5 on the base schema of version 0.1.0, run
// through the Firebird SQL tool: the tables and rows they leave by data kind,
// and their procedures and triggers at work on small hand-computed books.
#include "dbupdate/CompanyStepDb.h"

#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"

using namespace stepdb;

namespace {

// A company of a data kind and code system, as the data module read it.
class KindStepTest : public CompanyStepTest
{
protected:
    void SetUp() override
    {
        CompanyStepTest::SetUp();
        AccInf.DATATYPE = 1;
        AccInf.CODETYPE = 1;
    }
    void TearDown() override
    {
        AccInf = TACCINF();
        CompanyStepTest::TearDown();
    }
    void kind(int dataType, int codeType)
    {
        AccInf.DATATYPE = dataType;
        AccInf.CODETYPE = codeType;
        Db db(dir);
        db.exec(QStringLiteral("UPDATE ACCDEF1 SET DATATYPE = %1, CODETYPE = %2").arg(dataType).arg(codeType));
    }
};

QString version(Db &db)
{
    return db.scalar(QStringLiteral("SELECT MAJOR || '.' || MINOR1 || '.' || MINOR2 FROM ACCVERSION"));
}

// The caution and good rates of an account, in hundredths.
Rows rates(Db &db, const char *kcode)
{
    return db.rows(QStringLiteral("SELECT KKANA, CAST(VELDA_BADRATE * 100 AS INTEGER), VELDA_BADKIND, CAST(VELDA_GOODRATE * 100 AS INTEGER), "
                                  "VELDA_GOODKIND FROM KAMOKUMST WHERE KCODE = '%1'")
                       .arg(QLatin1String(kcode)));
}

QString pzRow(const char *scode, const char *kcode, const char *bcode, int mnum, const char *nukizan, int haibun = 0)
{
    return QStringLiteral("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, HAIBUN) VALUES ('%1', '%2', ' ', '%3', %4, %5, %6)")
        .arg(QLatin1String(scode), QLatin1String(kcode), QLatin1String(bcode))
        .arg(mnum)
        .arg(QLatin1String(nukizan))
        .arg(haibun);
}

} // namespace

// A corporation from 0.2.2 to 1.0.5, step by step, with the books each step works on.
TEST_F(KindStepTest, CorporationFrom022To105)
{
    ASSERT_TRUE(runSteps(QStringLiteral("0.1.0"), QStringLiteral("0.3.2")));
    {
        Db db(dir);
        EXPECT_EQ(version(db), QStringLiteral("0.3.2"));
        EXPECT_EQ(db.rows(QStringLiteral("SELECT WEB_HOLDER FROM ACCDEF1")), Rows({{""}}));
        // Two departments of one group with a balance in the same period: their sum.
        db.exec({QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業')"),
                 QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('02', '製造')"),
                 QStringLiteral("INSERT INTO GROUPLIST (GCODE, BCODE) VALUES ('G1', '01')"),
                 QStringLiteral("INSERT INTO GROUPLIST (GCODE, BCODE) VALUES ('G1', '02')"),
                 QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAKOZAN) VALUES (' ', '1101', ' ', '01', 0)"),
                 QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAKOZAN) VALUES (' ', '1101', ' ', '02', 77)"),
                 pzRow(" ", "1101", "01", 0, "100"), pzRow(" ", "1101", "02", 0, "250"), pzRow(" ", "1101", "01", -1, "40"),
                 pzRow(" ", "1101", "02", -32, "999")});
        EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, HCODE, CAST(ZANM00 AS INTEGER), CAST(ZANM01 AS INTEGER), CAST(ZANM32 AS INTEGER), "
                                         "CAST(ZANP01 AS INTEGER) FROM SP_KANENDO_BUMON_GROUPZANDAKA(' ', 'G1')")),
                  Rows({{"1101", " ", "350", "40", "999", "0"}}));
        // The prior-year balance trigger: the greatest balance after the oldest period.
        const QString kakozan = QStringLiteral("SELECT CAST(KAKOZAN AS INTEGER) FROM KAMOKU_SZ WHERE KCODE = '1101' AND BCODE = '02'");
        db.exec(QStringLiteral("UPDATE KAMOKU_PZ SET HAIBUN = 5 WHERE BCODE = '02' AND MNUM = 0"));
        EXPECT_EQ(db.scalar(kakozan), QStringLiteral("77"));
        db.exec(QStringLiteral("UPDATE KAMOKU_PZ SET NUKIZAN = 300 WHERE BCODE = '02' AND MNUM = 0"));
        EXPECT_EQ(db.scalar(kakozan), QStringLiteral("300"));
        db.exec(QStringLiteral("UPDATE KAMOKU_PZ SET NUKIZAN = 0 WHERE BCODE = '02' AND MNUM = 0"));
        EXPECT_EQ(db.scalar(kakozan), QStringLiteral("0"));
    }

    ASSERT_TRUE(runSteps(QStringLiteral("0.3.2"), QStringLiteral("0.3.3")));
    {
        Db db(dir);
        EXPECT_EQ(db.count(QStringLiteral("VELDA_HIKAKU_COL")), 8);
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT MEISHOU FROM VELDA_HIKAKU_COL WHERE REC = 8")), QStringLiteral("２期平均"));
        EXPECT_EQ(db.count(QStringLiteral("VELDA_HIKAKU")), 35);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT MEISHOU, TANIMEI, CAST(BADRATE * 100 AS INTEGER), BADKIND, CAST(GOODRATE * 100 AS INTEGER), "
                                         "GOODKIND, GROUPA1, GROUPA2, GROUPB1, GROUPB2 FROM VELDA_HIKAKU WHERE REC IN (9, 23) ORDER BY REC")),
                  Rows({{"流動資産回転率", "回", "95", "0", "105", "1", "1100", "1320", "4100", "4110"},
                        {"売上高対支払利息比率", "％", "105", "1", "95", "0", "4100", "4110", "7100", "7200"}}));
        EXPECT_EQ(rates(db, "1101"), Rows({{"genki", "95", "0", "105", "1"}}));
        EXPECT_EQ(rates(db, "3101"), Rows({{"shiho", "95", "0", "105", "1"}}));
        EXPECT_EQ(rates(db, "6101"), Rows({{"yakui", "105", "1", "95", "0"}}));
        EXPECT_EQ(rates(db, "3111").value(0).value(1), QStringLiteral("95")); // a corporate account
        // The carry-forward of owner's capital is for individual businesses only.
        EXPECT_TRUE(db.rows(QStringLiteral("SELECT * FROM SP_MOTOIREKIN_KURIIRE(' ')")).isEmpty());
    }

    ASSERT_TRUE(runSteps(QStringLiteral("0.3.3"), QStringLiteral("0.4.1")));
    {
        Db db(dir);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT * FROM SYSKMKCODEINF('仮受消費税')")), Rows({{"2112"}}));
        EXPECT_EQ(db.rows(QStringLiteral("SELECT * FROM SYSKMKCODEINF('元入金')")), Rows({{""}}));
        EXPECT_EQ(db.count(QStringLiteral("KAMOKUMST"), QStringLiteral("GROUPM2 = '1130' AND KCODE IN ('1141', '1142', '1147')")), 3);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, KGROUP, SUBREC FROM EXTERA4 WHERE REC IN (7, 12) ORDER BY REC")),
                  Rows({{"7", "1130", "1"}, {"12", "1130", "6"}}));
        EXPECT_EQ(db.count(QStringLiteral("EXTERA3"), QStringLiteral("KGROUP = '1130'")), 6);
        EXPECT_EQ(db.count(QStringLiteral("KANSA_ITEM")), 12);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, JUNJO, CHOUBO, KENSAKU, TOZ_KCODE, MOT_KCODE FROM KANSA_ITEM "
                                         "WHERE REC IN (1, 3, 8, 10, 12) ORDER BY REC")),
                  Rows({{"1", "1", "1", "1", "<null>", "<null>"},
                        {"3", "3", "3", "0", "1102", "<null>"},
                        {"8", "8", "2", "0", "<null>", "1306"},
                        {"10", "10", "2", "0", "<null>", "6206"},
                        {"12", "12", "2", "0", "<null>", "6212"}}));
    }

    ASSERT_TRUE(runSteps(QStringLiteral("0.4.1"), QStringLiteral("1.0.0")));
    {
        Db db(dir);
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT MEISHOU FROM VELDA_HIKAKU WHERE REC = 31")), QStringLiteral("一人当たり人件費"));
        // A corporation starting in month 4: the period before is the quarterly closing 4.
        db.exec({QStringLiteral("UPDATE ACCDEF1 SET KAISINO = 4"), pzRow(" ", "1101", " ", 4, "1"), pzRow(" ", "3320", " ", 4, "1")});
        db.exec(QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 500 WHERE SCODE = ' ' AND HCODE = ' ' AND BCODE = ' ' AND KCODE IN ('1101', '3320')"));
        EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE MNUM = 4 AND BCODE = ' ' ORDER BY KCODE")),
                  Rows({{"1101", "500"}, {"3320", "1"}}));
        // A medical corporation writes nothing.
        db.exec(QStringLiteral("UPDATE ACCDEF1 SET DATATYPE = 3"));
        db.exec(QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 700 WHERE SCODE = ' ' AND HCODE = ' ' AND BCODE = ' ' AND KCODE = '1101'"));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE MNUM = 4 AND KCODE = '1101' AND BCODE = ' '")),
                  QStringLiteral("500"));
        db.exec(QStringLiteral("UPDATE ACCDEF1 SET DATATYPE = 1, KAISINO = 1"));
    }

    ASSERT_TRUE(runSteps(QStringLiteral("1.0.0"), QStringLiteral("1.0.1")));
    {
        Db db(dir);
        EXPECT_EQ(db.count(QStringLiteral("OPINF")), 0);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT GROUPA1, GROUPA2, GROUPB1, GROUPB2 FROM VELDA_HIKAKU WHERE REC IN (1, 28, 31) ORDER BY REC")),
                  Rows({{"4100", "5820", "", ""}, {"5100", "5300", "5510", "5530"}, {"", "", "", ""}}));
        // Movements accumulated on the balance before the first period; a
        // profit-and-loss account starts from nothing.
        db.exec({pzRow(" ", "1101", " ", 0, "1000"), pzRow(" ", "6101", " ", 0, "1000")});
        db.exec(QStringLiteral("UPDATE KAMOKU_PZ SET KOMIZAN = 1000 WHERE BCODE = ' ' AND MNUM = 0"));
        for (const char *k : {"1101", "6101"})
            db.exec(QStringLiteral("EXECUTE PROCEDURE SP_UPDATE_KANENDOZAN(1, ' ', '%1', ' ', ' ', 1, 0, 10, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5)")
                        .arg(QLatin1String(k)));
        EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, LIST(CAST(NUKIZAN AS INTEGER), ',') FROM (SELECT KCODE, NUKIZAN FROM KAMOKU_PZ "
                                         "WHERE KCODE IN ('1101', '6101') AND BCODE = ' ' AND MNUM IN (1, 2, 3, 16) ORDER BY KCODE, MNUM) "
                                         "GROUP BY KCODE ORDER BY KCODE")),
                  Rows({{"1101", "1010,1030,1030,1035"}, {"6101", "10,30,30,35"}}));
        // The common department's allocated part, rounded half up.
        db.exec({QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('00', '共通')"),
                 QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '1101', ' ', '00')"),
                 pzRow(" ", "1101", "00", 0, "1234.5", 10), pzRow(" ", "1101", "00", -1, "1235", 10)});
        EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, CAST(ZANM00 AS INTEGER), CAST(ZANM01 AS INTEGER), CAST(ZANP05 AS INTEGER) "
                                         "FROM SP_KANENDO_BUMON_ZANDAKA(' ', '00', 1)")),
                  Rows({{"1101", "123", "124", "0"}}));
        EXPECT_EQ(db.rows(QStringLiteral("SELECT CAST(ZANM00 AS INTEGER) FROM SP_KANENDO_BUMON_ZANDAKA(' ', '00', 0)")), Rows({{"1235"}}));
    }

    ASSERT_TRUE(runSteps(QStringLiteral("1.0.1"), QStringLiteral("1.0.5")));
    Db db(dir);
    EXPECT_EQ(version(db), QStringLiteral("1.0.5"));
    EXPECT_EQ(db.count(QStringLiteral("ACCTOTALNAME")), 38);
}

// An individual business: the individual account list, the other audit
// accounts, the owner's accounts in the opening-balance trigger.
TEST_F(KindStepTest, IndividualBusinessFrom022To101)
{
    ASSERT_TRUE(runSteps(QStringLiteral("0.1.0"), QStringLiteral("0.2.2")));
    kind(2, 1);
    {
        Db db(dir);
        db.exec({QStringLiteral("INSERT INTO ACCDEF2 (KNAME, KCODE, KGROUP) VALUES ('元入金', '3101', '3100')"),
                 QStringLiteral("INSERT INTO ACCDEF2 (KNAME, KCODE, KGROUP) VALUES ('事業主貸', '1306', '1300')"),
                 QStringLiteral("INSERT INTO ACCDEF2 (KNAME, KCODE, KGROUP) VALUES ('事業主借', '2104', '2100')")});
    }
    ASSERT_TRUE(runSteps(QStringLiteral("0.2.2"), QStringLiteral("1.0.1")));
    Db db(dir);
    EXPECT_EQ(rates(db, "3101"), Rows({{"motoi", "95", "0", "105", "1"}}));
    const Rows other = rates(db, "3111"); // not in the individual list
    ASSERT_EQ(other.size(), 1);
    EXPECT_EQ(other[0][1], QStringLiteral("<null>"));
    EXPECT_EQ(other[0][3], QStringLiteral("<null>"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT MOT_KCODE FROM KANSA_ITEM WHERE REC IN (8, 10, 12) ORDER BY REC")), Rows({{"2104"}, {"6109"}, {"6107"}}));

    // The owner's capital carried forward: assets less liabilities.
    db.exec({QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 800 WHERE KCODE = '1101'"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 300 WHERE KCODE = '2101'"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 100 WHERE KCODE = '3101'")});
    EXPECT_EQ(db.rows(QStringLiteral("SELECT BCODE, CAST(MOTOIREZAN AS INTEGER), CAST(KIMATU_MOTOIREZAN AS INTEGER), "
                                     "CAST(KIMATU_KARIZAN AS INTEGER), CAST(KIMATU_KASIZAN AS INTEGER) FROM SP_MOTOIREKIN_KURIIRE(' ')")),
              Rows({{" ", "500", "100", "800", "400"}}));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CAST(KAISIZAN AS INTEGER) FROM KAMOKU_SZ WHERE KCODE = '3101'")), QStringLiteral("500"));

    // Data from month 1: the owner's accounts write no prior-year balance.
    db.exec({pzRow(" ", "1101", " ", 0, "1"), pzRow(" ", "3101", " ", 0, "1"), pzRow(" ", "1101", " ", 5, "1"),
             pzRow(" ", "3101", " ", 5, "1")});
    db.exec(QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = KAISIZAN + 1 WHERE KCODE IN ('1101', '3101')"));
    const QString pz = QStringLiteral("SELECT KCODE, MNUM, CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE KCODE IN ('1101', '3101') "
                                      "AND MNUM IN (0, 5) ORDER BY KCODE, MNUM");
    EXPECT_EQ(db.rows(pz), Rows({{"1101", "0", "801"}, {"1101", "5", "1"}, {"3101", "0", "1"}, {"3101", "5", "1"}}));
    // Data from month 5 with no roll-over running: every account writes period 5.
    db.exec(QStringLiteral("UPDATE ACCDEF1 SET KAISINO = 5"));
    db.exec(QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = KAISIZAN + 1 WHERE KCODE IN ('1101', '3101')"));
    EXPECT_EQ(db.rows(pz), Rows({{"1101", "0", "801"}, {"1101", "5", "802"}, {"3101", "0", "1"}, {"3101", "5", "502"}}));
    // A roll-over job running: the owner's accounts are left out again.
    db.exec(QStringLiteral("INSERT INTO OPINF (REC, OPCODE, JOBNAME) VALUES (1, 1, '繰越残高調整')"));
    db.exec(QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = KAISIZAN + 1 WHERE KCODE IN ('1101', '3101')"));
    EXPECT_EQ(db.rows(pz), Rows({{"1101", "0", "801"}, {"1101", "5", "803"}, {"3101", "0", "1"}, {"3101", "5", "502"}}));
}

// ---- total names by data kind (step 1.0.5 alone on the base) ----------------

struct TotalNameCase {
    int dataType, codeType, rows;
};

void PrintTo(const TotalNameCase &c, std::ostream *os) { *os << c.dataType << "/" << c.codeType; }

class TotalNameTest : public KindStepTest, public ::testing::WithParamInterface<TotalNameCase>
{
};

TEST_P(TotalNameTest, StandardRowsOfTheDataKind)
{
    kind(GetParam().dataType, GetParam().codeType);
    ASSERT_TRUE(runStep(UserDbUpdate105));
    Db db(dir);
    EXPECT_EQ(db.count(QStringLiteral("ACCTOTALNAME")), GetParam().rows);
    EXPECT_EQ(db.count(QStringLiteral("JOBCONTROL")), 0);
    // Dictionary rows without a group take their own number; the others keep theirs.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, CREC FROM ORGDIC_1 ORDER BY REC")), Rows({{"1", "1"}, {"2", "5"}, {"3", "3"}}));
    if (GetParam().rows == 38) {
        EXPECT_EQ(db.rows(QStringLiteral("SELECT KGROUP, KOUMOKU, PLUSNAME, MINUSNAME, MODIFY, LAYOUT_TEXT, LAYOUT_MAX, KESSAN_TEXT, KESSAN_USE "
                                         "FROM ACCTOTALNAME WHERE REC IN (21, 29) ORDER BY REC")),
                  Rows({{"3900", "負債純資産の部合", "負債純資産の部合計", "", "0", "負債・純資産の部", "16", "負債・純資産の部", "1"},
                        {"5900", "売上総利益", "売上総利益", "売上総損失", "1", "", "0", "", "0"}}));
    }
    if (GetParam().rows == 24) {
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT KOUMOKU FROM ACCTOTALNAME WHERE REC = 24")), QStringLiteral("青色申告特別控除前"));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, TotalNameTest,
                         ::testing::Values(TotalNameCase{1, 1, 38}, TotalNameCase{1, 3, 38}, TotalNameCase{2, 1, 31},
                                           TotalNameCase{2, 2, 24}, TotalNameCase{2, 3, 0}, TotalNameCase{3, 1, 0}));

// Without the table it drops, the step fails and reports the tool's error.
TEST_F(KindStepTest, TotalNameStepFailsWithoutTheOldTable)
{
    {
        Db db(dir);
        db.exec(QStringLiteral("DROP TABLE ACCTOTALNAME"));
    }
    EXPECT_EQ(UserDbUpdate105(), DbUpdateToolError);
    EXPECT_TRUE(LastIsqlOutput().join(u'\n').contains(QStringLiteral("ACCTOTALNAME")));
}
