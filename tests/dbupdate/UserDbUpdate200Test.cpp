// The company database from 0.1.0 to 2.0.4 through the upgrade runner in one
// run, and the procedures of the steps 1.0.3 to 2.0.4 at work: the journal
// update, the pagers, budgets, variance rules, index captions, and the
// fixed-asset defaults of individual real-estate businesses.
#include "dbupdate/CompanyStepDb.h"

#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5UserDbUpdateParts.h"

#include <QTableWidget>
#include <QCoreApplication>
#include <QDir>
#include <QTableWidget>

using namespace stepdb;

namespace {

class To204Test : public CompanyStepTest
{
protected:
    void SetUp() override
    {
        CompanyStepTest::SetUp();
        if (IsSkipped()) return;
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("temp-data"));
        SystemDef.DocumentDir = testenv::freshDir(QStringLiteral("documents")) + QStringLiteral("/dorvelzaimu");
        AccInf.DATATYPE = 1;
        AccInf.CODETYPE = 1;
    }
    void TearDown() override
    {
        AccInf = TACCINF();
        CompanyStepTest::TearDown();
    }
};

// One journal entry of two lines, cash against sales.
QStringList entry(int swkrec, int swkno, const char *date, int kessan, int amount, int sitrec)
{
    QStringList out;
    for (int side : {1, 2}) {
        const char *k = side == 1 ? "1101" : "4101";
        const char *r = side == 1 ? "4101" : "1101";
        out << QStringLiteral("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, KESSAN, DNUM, SNUM, SCODE, SITREC, "
                              "KCODE, HCODE, BCODE, KNAME, NUK, ZEI, R_KCODE, R_HCODE, R_BCODE, R_KNAME, R_NUK, R_ZEI, KINGAKU, ZEIGAKU, "
                              "TEKTEXT, TORTEXT, COMMENT) VALUES (%1, %2, %3, 0, %4, '%5', 1, %6, 0, 0, ' ', %7, '%8', ' ', ' ', 'K', "
                              "%9, 0, '%10', ' ', ' ', 'R', %9, 0, %9, 0, 'x', '', 'a')")
                   .arg(2 * swkrec - 2 + side)
                   .arg(swkrec)
                   .arg(swkno)
                   .arg(side)
                   .arg(QLatin1String(date))
                   .arg(kessan)
                   .arg(sitrec)
                   .arg(QLatin1String(k))
                   .arg(amount)
                   .arg(QLatin1String(r));
    }
    return out;
}

// SP_SIWAKE_UPD of entry 1 with an amount and a comment.
QString update(int amount, const char *comment, int linkkub = 0)
{
    return QStringLiteral("SELECT NEWREC, NEWSWKREC, NEWSWKNO, UPREC FROM SP_SIWAKE_UPD(1, 1, 1, 0, '2024-04-05', 1, 0, 0, 0, 0, 0, ' ', "
                          "NULL, '1101', ' ', ' ', 'K', NULL, NULL, NULL, NULL, NULL, %1, 0, NULL, NULL, "
                          "NULL, '4101', ' ', ' ', 'R', NULL, NULL, NULL, NULL, NULL, %1, 0, NULL, NULL, "
                          "%1, 0, 0, 0, 0, 0, 0, 'x', 0, '', 0, 0, 0, 0, 0, NULL, '%2', '', '', %3, 0, 0, 0, 0, 7)")
        .arg(amount)
        .arg(QLatin1String(comment))
        .arg(linkkub);
}

} // namespace

// The dialog's run over the registered steps 0.1.1 to 2.0.4 of a corporation.
TEST_F(To204Test, TheRunnerTakesTheBaseTo204InOneRun)
{
    TArrayDbUpdateListRec steps = UserDbUpdateSteps();
    ASSERT_EQ(versionText(steps[21]), QStringLiteral("2.0.4"));
    steps.resize(22);
    TDbUpdateBox box(SystemDbUpdateSteps(), steps);
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), dir, false));
    box.SetUpdateList(1, QString());
    dm->fnAccDatDisConnected(dir, false, false);
    ASSERT_TRUE(box.UpdateNeeded());
    ASSERT_EQ(box.ListView1->rowCount(), 22);
    EXPECT_EQ(box.BackupCount(), 18); // 0.2.0, 0.3.0, 0.3.2 and 0.4.0 need none

    ScriptedMessages boxes;
    EXPECT_EQ(box.ExecuteUpdate(), 1) << LastIsqlOutput().join(u'\n').toStdString();
    QStringList statuses;
    for (int i = 0; i < 22; ++i) statuses << box.RowStatus(i);
    EXPECT_EQ(statuses, QStringList(22, QStringLiteral("完了")));
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(box.DbVersion(), TDbVersionRec({2, 0, 4}));
    box.show();
    const QString shots = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(shots);
    EXPECT_TRUE(box.grab().save(shots + QStringLiteral("/dbupdate-company-010-to-204.png")));

    Db db(dir);
    EXPECT_EQ(db.count(QStringLiteral("ACCTOTALNAME")), 38);
    EXPECT_EQ(db.count(QStringLiteral("KANSA_ITEM")), 12);
    EXPECT_EQ(db.count(QStringLiteral("VELDA_HIKAKU")), 35);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, MEISHOU, CAST(RATE1 * 100 AS INTEGER), KIND1, CAST(RATE2 * 100 AS INTEGER), KIND2 "
                                     "FROM VELDA_YOJITUHENDOU ORDER BY REC")),
              Rows({{"1", "売    上", "95", "0", "105", "1"},
                    {"2", "変 動 費", "105", "1", "95", "0"},
                    {"3", "限界利益", "95", "0", "105", "1"},
                    {"4", "固 定 費", "105", "1", "95", "0"},
                    {"5", "営業利益", "95", "0", "105", "1"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, HOLDER, PASWORD FROM TUSIN_ID")), Rows({{"1", "", ""}}));
    EXPECT_EQ(db.count(QStringLiteral("SUITOTYO_SABUN")), 0);
    EXPECT_EQ(db.count(QStringLiteral("RDB$PROCEDURES"), QStringLiteral("RDB$PROCEDURE_NAME = 'ONE_TIME_PROC'")), 0);
    // Variance rules only on profit-and-loss accounts.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, CAST(VELDA_YOJITU_RATE1 * 100 AS INTEGER), VELDA_YOJITU_KIND2 FROM KAMOKUMST "
                                     "WHERE KCODE IN ('3101', '6101') ORDER BY KCODE")),
              Rows({{"3101", "<null>", "<null>"}, {"6101", "105", "0"}}));
    EXPECT_EQ(db.count(QStringLiteral("KAMOKU_MS"), QStringLiteral("RYOSAN IS DISTINCT FROM 0")), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT TNUM FROM SP_CONVERT_12TO16(3)")), QStringLiteral("4"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT TNUM FROM SP_CONVERT_12TO16(0)")), QStringLiteral("0"));

    // The journal update: a comment alone keeps the numbers; an amount makes a new entry.
    db.exec(entry(1, 1, "2024-04-05", 0, 1000, 1));
    db.exec(QStringLiteral("SET GENERATOR SIWAKE_REC_GEN TO 1"));
    EXPECT_EQ(db.rows(update(1000, "comment")), Rows({{"1", "1", "1", "0"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, DELFLG, COMMENT FROM SIWAKE ORDER BY REC")),
              Rows({{"1", "0", "comment"}, {"2", "0", "comment"}}));
    EXPECT_EQ(db.rows(update(2000, "amount")), Rows({{"3", "2", "1", "0"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT REC, SWKREC, DELFLG, TAISHAKU, KCODE, R_KCODE, CAST(NUK AS INTEGER), LINKREC FROM SIWAKE ORDER BY REC")),
              Rows({{"1", "1", "2", "1", "1101", "4101", "1000", "0"},
                    {"2", "1", "2", "2", "4101", "1101", "1000", "0"},
                    {"3", "2", "0", "1", "1101", "4101", "2000", "0"},
                    {"4", "2", "0", "2", "4101", "1101", "2000", "0"}}));
    // The replaced entry answers with its successor; an exchanged entry keeps the line it replaces.
    EXPECT_EQ(db.rows(update(3000, "again")), Rows({{"3", "0", "1", "-2"}}));
    db.exec(entry(5, 5, "2024-04-06", 0, 500, 5));
    db.exec(QStringLiteral("SET GENERATOR SIWAKE_REC_GEN TO 5"));
    EXPECT_EQ(db.rows(QString(update(600, "cash", 10)).replace(QStringLiteral("SP_SIWAKE_UPD(1, 1, 1,"), QStringLiteral("SP_SIWAKE_UPD(9, 5, 5,"))),
              Rows({{"11", "6", "6", "0"}})); // a new date renumbers the entry
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT LIST(LINKREC) FROM SIWAKE WHERE SWKREC = 6")), QStringLiteral("9,9"));

    // The pagers: a limit of 0 is 50, the offset still numbers the lines.
    for (int i = 0; i < 60; ++i) db.exec(entry(100 + i, 100 + i, "2024-05-01", 0, 1, 100 + i));
    const Rows page = db.rows(QStringLiteral("SELECT RECORDCNT, SWKREC FROM SP_MONITOR_LISTUP(' ', 0, 0, 0, 0, 0, 10, 0)"));
    ASSERT_EQ(page.size(), 50);
    EXPECT_EQ(page[0], QStringList({"11", "149"}));
    // A closing entry on the end date falls after an upward page unless closings count.
    db.exec(entry(300, 300, "2024-06-30", 1, 7, 300));
    const QString book = QStringLiteral("SELECT COUNT(*) FROM SP_SIWAKE_LISTUP(' ', %1, '2024-06-01', '2024-06-30', 0, -1, 0, 0) WHERE SWKREC = 300");
    EXPECT_EQ(db.scalar(book.arg(0)), QStringLiteral("0"));
    EXPECT_EQ(db.scalar(book.arg(1)), QStringLiteral("1"));

    // Twelve monthly budgets of 100, accumulated.
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_UPDATE_YOSAN(0, 1, '', '6101', ' ', '', 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100)"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT LIST(B) FROM (SELECT CAST(BYOSAN AS INTEGER) AS B FROM KAMOKU_MS WHERE KCODE = '6101' "
                                       "AND SCODE = ' ' AND HCODE = ' ' AND BCODE = ' ' ORDER BY MNUM)")),
              QStringLiteral("100,200,300,300,400,500,600,600,700,800,900,900,1000,1100,1200,1200"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, CAST(YOSAN04 AS INTEGER) FROM SP_YOSAN_READ(0, ' ', ' ') WHERE KCODE = '6101'")),
              Rows({{"6101", "400"}}));

    // A new facility gets its 50 index captions.
    db.exec(QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME) VALUES ('01', '支店')"));
    EXPECT_EQ(db.count(QStringLiteral("TORDICTI"), QStringLiteral("SCODE = '01'")), 50);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT LIST(SORTCODE) FROM (SELECT SORTCODE FROM TORDICTI WHERE SCODE = '01' AND TEXT = '　' "
                                       "ORDER BY SORTCODE)")),
              QStringLiteral("18,20,30,38,40,50"));

    // Year-end roll-over: a balance-sheet account carries its movements,
    // a profit-and-loss account starts again from 0.
    db.exec({QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 5 WHERE KCODE = '6101'"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 50 WHERE KCODE = '1102'"),
             QStringLiteral("INSERT INTO KAMOKU_MS (SCODE, KCODE, HCODE, BCODE, MNUM, KAR_NUK, KAR_TAX, KAS_NUK, KAS_TAX) "
                            "VALUES (' ', '1102', ' ', ' ', 3, 300, 10, 100, 0)")});
    const Rows counts = db.rows(QStringLiteral("SELECT BCOUNT > 0, PCOUNT > 0 FROM SP_SETHOJOKAISIZAN(0)"));
    EXPECT_EQ(counts, Rows({{"1", "1"}}));
    EXPECT_EQ(db.count(QStringLiteral("KAMOKU_SZ"), QStringLiteral("KCODE = '6101' AND KAISIZAN <> 0")), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CAST(KAISIZAN AS INTEGER) FROM KAMOKU_SZ WHERE SCODE = ' ' AND KCODE = '1102' AND HCODE = ' ' AND BCODE = ' '")),
              QStringLiteral("260"));
}

// An individual real-estate business kept by head office and branches, with
// departments for profit-and-loss accounts only.
TEST_F(To204Test, IndividualRealEstateWithBranches)
{
    ASSERT_TRUE(runSteps(QStringLiteral("0.1.0"), QStringLiteral("1.0.2")));
    AccInf.DATATYPE = 2;
    AccInf.CODETYPE = 2;
    AccInf.SITEN = 1;
    {
        Db db(dir);
        db.exec({QStringLiteral("UPDATE ACCDEF1 SET DATATYPE = 2, CODETYPE = 2, SITEN = 1, BUMON = 1"),
                 QStringLiteral("INSERT INTO SISETUMST (SCODE, SNAME) VALUES ('01', '本店')"),
                 QStringLiteral("UPDATE OR INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES (' ', '1101', ' ', ' ', 0, 9) "
                                "MATCHING (SCODE, KCODE, HCODE, BCODE, MNUM)"),
                 QStringLiteral("UPDATE OR INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES ('01', '1101', ' ', ' ', 0, 9) "
                                "MATCHING (SCODE, KCODE, HCODE, BCODE, MNUM)")});
    }
    ASSERT_TRUE(runSteps(QStringLiteral("1.0.2"), QStringLiteral("2.0.0")));
    {
        Db db(dir);
        // Branch-managed data: the company-wide balances are cleared, the branch's kept.
        EXPECT_EQ(db.rows(QStringLiteral("SELECT SCODE, CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE KCODE = '1101' AND MNUM = 0 ORDER BY SCODE")),
                  Rows({{" ", "0"}, {"01", "9"}}));
        // Individual businesses book no depreciation of group 2 and use account 6202.
        EXPECT_EQ(db.count(QStringLiteral("KS_SETSWK_INIT"), QStringLiteral("ACCGROUP = 2 AND (GSKEIJYO <> 0 OR SYOKYAKU1_KCODE = '6204')")), 0);
        // Without settings for account 1401 the step rebuilds them.
        db.exec(QStringLiteral("DELETE FROM KS_SETSWK_INIT WHERE KCODE = '1401'"));
    }
    ASSERT_TRUE(runSteps(QStringLiteral("2.0.0"), QStringLiteral("2.0.4")));
    {
        Db db(dir);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT COUNT(*), MIN(ACCGROUP), MAX(ACCGROUP), MIN(REC), MAX(REC) FROM KS_SETSWK_INIT")),
                  Rows({{"35", "2", "2", "1", "35"}}));
        EXPECT_EQ(db.rows(QStringLiteral("SELECT KGROUP, KCODE, GSKEIJYO, RUIKEIKCODE, SYOKYAKU1_KCODE, BAIEKIKCODE FROM KS_SETSWK_INIT "
                                         "WHERE REC IN (1, 14, 35) ORDER BY REC")),
                  Rows({{"0", "1401", "0", "1416", "6202", "2205"}, {"0", "<null>", "1", "1416", "6202", "2205"},
                        {"3", "<null>", "0", "<null>", "6202", "2205"}}));
        EXPECT_GT(db.count(QStringLiteral("KS_SETSWK"), QStringLiteral("SCODE = ' '")), 0);
        EXPECT_GT(db.count(QStringLiteral("KS_SETSWK"), QStringLiteral("SCODE = '01'")), 0);
        db.exec(QStringLiteral("UPDATE KS_SETSWK_INIT SET TEKIYO = '手入力' WHERE REC = 1"));

        // Departments for profit-and-loss accounts only: a new sub-account of
        // 6101 gets its department rows, one of 1101 the department " " alone.
        db.exec({QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('00', '共通')"),
                 QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業')"),
                 QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '6101', ' ', '00')"),
                 QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '6101', ' ', '01')"),
                 QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '1101', ' ', '01')"),
                 QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('6101', 'S1', '役員A', 'P')"),
                 QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('1101', 'S1', '金庫', 'B')")});
        EXPECT_EQ(db.rows(QStringLiteral("SELECT OUT_SCODE, OUT_KCODE, OUT_HCODE FROM SP_HOJO_KAMOKUSZ_INS(' ', '6101', 'S1')")),
                  Rows({{" ", "6101", "S1"}}));
        db.rows(QStringLiteral("SELECT * FROM SP_HOJO_KAMOKUSZ_INS(' ', '1101', 'S1')"));
        EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, SCODE, BCODE, CAST(HAIBUN01 AS INTEGER), CAST(HAIBUN16 AS INTEGER) FROM KAMOKU_SZ "
                                         "WHERE HCODE = 'S1' ORDER BY KCODE, SCODE, BCODE")),
                  Rows({{"1101", " ", " ", "0", "0"}, {"1101", "01", " ", "0", "0"},
                        {"6101", " ", " ", "0", "0"}, {"6101", " ", "00", "100", "100"}, {"6101", " ", "01", "0", "0"},
                        {"6101", "01", " ", "0", "0"}}));
    }
    // Settings that exist are kept when the step runs again.
    ASSERT_TRUE(runStep(UserDbUpdate204));
    Db db(dir);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT TEKIYO FROM KS_SETSWK_INIT WHERE REC = 1")), QStringLiteral("手入力"));
}

// The facility code is a quoted literal of the script.
TEST(KsSetSwkRebuild, FacilityCodesAreQuoted)
{
    const QStringList lines = KsSetSwkRebuildLines({QStringLiteral(" "), QStringLiteral("A'1")});
    ASSERT_GE(lines.size(), 40);
    EXPECT_EQ(lines.first(), QStringLiteral("SET GENERATOR KSSETSWKINIT_GEN TO 0;"));
    EXPECT_EQ(lines.mid(lines.size() - 3),
              QStringList({"EXECUTE PROCEDURE SP_KS_INSSETSWK_CALL_SISETU(' ');", "EXECUTE PROCEDURE SP_KS_INSSETSWK_CALL_SISETU('A''1');",
                           "COMMIT;"}));
    EXPECT_EQ(lines.filter(QStringLiteral("INSERT INTO KS_SETSWK_INIT")).size(), 35);
}
