// The stored procedures and triggers of the company steps 0.1.2 to 0.2.2 at
// work on small hand-computed books: the reconciliation lists and balance,
// the dictionaries after a deleted department or sub-account, the prior-year
// repair, the departmental trial balance and the prior-year, budget and
// opening-balance procedures, and the breakdown tables.
#include "dbupdate/CompanyStepDb.h"

#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5UserDbUpdateParts.h"

using namespace stepdb;

namespace {

// The books upgraded to a version before the test starts.
template <const char *Version>
class At : public CompanyStepTest
{
protected:
    void SetUp() override
    {
        CompanyStepTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(runSteps(QStringLiteral("0.1.0"), QString::fromLatin1(Version)));
    }
};

constexpr char k012[] = "0.1.2";
constexpr char k014[] = "0.1.4";
constexpr char k020[] = "0.2.0";
constexpr char k022[] = "0.2.2";

using At012 = At<k012>;
using At014 = At<k014>;
using At020 = At<k020>;
using At022 = At<k022>;

// Whole-number amounts of a selection, as text.
QString ints(const QStringList &columns)
{
    QStringList out;
    for (const QString &c : columns) out << QStringLiteral("CAST(%1 AS BIGINT)").arg(c);
    return out.join(QStringLiteral(", "));
}

// A journal row of the reconciliation examples: cash at the bank (1103).
QString bankRow(int rec, int swkno, int taishaku, const char *date, int mnum, int kessan, int nuk, int zei, int fusen2,
                int delflg = 0, const char *kcode = "1103")
{
    return QStringLiteral("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, KESSAN, SCODE, KCODE, HCODE, "
                          "BCODE, NUK, ZEI, FUSEN2) VALUES (%1, %2, %2, %3, %4, '%5', %6, %7, ' ', '%8', ' ', ' ', %9, %10, %11)")
        .arg(rec)
        .arg(swkno)
        .arg(delflg)
        .arg(taishaku)
        .arg(QLatin1String(date))
        .arg(mnum)
        .arg(kessan)
        .arg(QLatin1String(kcode))
        .arg(nuk)
        .arg(zei)
        .arg(fusen2);
}

} // namespace

// ---- current-account reconciliation ---------------------------------------

TEST_F(At012, ReconciliationListsAndBalance)
{
    Db db(dir);
    db.exec({bankRow(1, 1, 1, "2024-04-05", 1, 0, 3000, 0, 0),
             bankRow(3, 2, 2, "2024-04-10", 1, 0, 1000, 0, 1), // already reconciled
             bankRow(5, 3, 2, "2024-04-10", 1, 0, 400, 0, 0),
             bankRow(7, 4, 1, "2024-05-02", 2, 0, 500, 50, 0),
             bankRow(9, 6, 1, "2024-06-30", 4, 1, 200, 0, 0),       // the first quarterly closing
             bankRow(11, 7, 1, "2024-04-20", 1, 0, 9999, 0, 0, 1),  // deleted
             bankRow(13, 8, 1, "2024-04-07", 1, 0, 7777, 0, 0, 0, "1104")});

    const auto up = [&db](int proctype, const char *from, const char *to, int swkno, int taishaku, int offset, int limit) {
        return db.rows(QStringLiteral("SELECT RECORDCNT, SWKNO, TAISHAKU, CAST(NUK AS INTEGER), RESERVE1 FROM SP_TOUZACHOSEIHYO_LISTUP("
                                      "%1, ' ', '1103', '', '', 4, 0, '%2', '%3', %4, %5, 0, %6, %7)")
                           .arg(proctype)
                           .arg(QLatin1String(from), QLatin1String(to))
                           .arg(swkno)
                           .arg(taishaku)
                           .arg(offset)
                           .arg(limit));
    };
    // Backwards from journal 3, credit side: the reference row itself and the rows before it.
    const Rows all = {{"1", "3", "2", "400", "<null>"}, {"2", "2", "2", "1000", "<null>"}, {"3", "1", "1", "3000", "<null>"}};
    EXPECT_EQ(up(0, "2024-04-01", "2024-04-10", 3, 2, 0, 0), all);
    // The debit side of journal 3 comes before its credit row.
    EXPECT_EQ(up(0, "2024-04-01", "2024-04-10", 3, 1, 0, 0), Rows({{"1", "2", "2", "1000", "<null>"}, {"2", "1", "1", "3000", "<null>"}}));
    // Journal number 0 lets every row of the reference date pass.
    EXPECT_EQ(up(0, "2024-04-01", "2024-04-10", 0, 1, 0, 0), all);
    // Reconciliation rows only.
    EXPECT_EQ(up(1, "2024-04-01", "2024-04-10", 3, 2, 0, 0), Rows({{"1", "3", "2", "400", "<null>"}, {"2", "1", "1", "3000", "<null>"}}));
    // One row after skipping one.
    EXPECT_EQ(up(0, "2024-04-01", "2024-04-10", 3, 2, 1, 1), Rows({{"2", "2", "2", "1000", "<null>"}}));
    // An end before the start takes the start of the fiscal year.
    EXPECT_EQ(up(0, "2024-05-01", "2024-04-10", 3, 2, 0, 0), all);
    EXPECT_TRUE(up(2, "2024-04-01", "2024-04-10", 3, 2, 0, 0).isEmpty());

    const auto down = [&db](int mnum) {
        QStringList out;
        for (const QStringList &r : db.rows(QStringLiteral("SELECT SWKNO FROM SP_TOUZACHOSEIHYO_LISTDOWN(0, ' ', '1103', '', '', %1, 0, "
                                                           "'2024-04-10', '2024-06-30', 2, 2, 0, 0, 0)")
                                                .arg(mnum)))
            out << r[0];
        return out.join(u',');
    };
    // Forwards from journal 2: later dates only up to the period; the closing
    // entry counts a day after its date.
    EXPECT_EQ(down(2), QStringLiteral("2,3,4"));
    EXPECT_EQ(down(4), QStringLiteral("2,3,4,6"));

    const auto balance = [&db](int proctype, int calctype, int zeikbn, int mnum, const char *date, int swkrec, int taishaku) {
        return db.scalar(QStringLiteral("SELECT CAST(ZANDAKA AS INTEGER) FROM SP_TOUZACHOSEIHYO_ZENZAN(%1, %2, ' ', '1103', '', '', %3, %4, "
                                        "'%5', 0, 1, %6, %7, 10000)")
                             .arg(proctype)
                             .arg(calctype)
                             .arg(zeikbn)
                             .arg(mnum)
                             .arg(QLatin1String(date))
                             .arg(swkrec)
                             .arg(taishaku));
    };
    // 10000 rolled back over the rows up to period 2: -3000 +1000 +400 -500 (net) or -550 (with tax).
    EXPECT_EQ(balance(0, 1, 1, 2, "2024-04-30", 0, 0), QStringLiteral("7900"));
    EXPECT_EQ(balance(0, 1, 0, 2, "2024-04-30", 0, 0), QStringLiteral("7850"));
    EXPECT_EQ(balance(1, 1, 1, 2, "2024-04-30", 0, 0), QStringLiteral("6900"));
    // Up to journal 3 of period 1: the rows before it.
    EXPECT_EQ(balance(0, 0, 1, 1, "2024-04-10", 3, 2), QStringLiteral("8000"));
    // A journal row that is not there: every selected row.
    EXPECT_EQ(balance(0, 0, 1, 1, "2024-04-10", 99, 2), QStringLiteral("8400"));
    EXPECT_EQ(balance(2, 1, 1, 2, "2024-04-30", 0, 0), QStringLiteral("10000"));

    // A limit of 0 means 50 rows.
    db.exec(QStringLiteral("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, NUK, ZEI) "
                           "SELECT 1000 + R.RDB$RELATION_ID, 1000 + R.RDB$RELATION_ID, 1000 + R.RDB$RELATION_ID, 0, 1, '2024-04-02', 1, "
                           "' ', '1103', ' ', ' ', 1, 0 FROM RDB$RELATIONS R ROWS 55"));
    ASSERT_EQ(db.count(QStringLiteral("SIWAKE"), QStringLiteral("REC >= 1000")), 55);
    EXPECT_EQ(up(0, "2024-04-01", "2024-04-10", 0, 2, 0, 0).size(), 50);
}

// ---- deleted departments and sub-accounts ----------------------------------

TEST_F(At014, DeletedCodesAreBlankedInTheDictionariesFromStep015On)
{
    const QStringList uses = {
        QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業')"),
        QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, REC, BPFLG) VALUES ('1142', 'A01', '甲社', 900, 'B')"),
        QStringLiteral("INSERT INTO SWKDIC (REC, L_KCODE, L_HCODE, L_BCODE, R_KCODE, R_HCODE, R_BCODE) "
                       "VALUES (1, '1142', 'A01', '01', '4101', ' ', '01')"),
        QStringLiteral("INSERT INTO TEKDIC (REC, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAS_KCODE, KAS_HCODE, KAS_BCODE) "
                       "VALUES (1, '6205', ' ', '01', '1142', 'A01', ' ')"),
        QStringLiteral("INSERT INTO TORDIC (REC, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAS_KCODE, KAS_HCODE, KAS_BCODE) "
                       "VALUES (1, '1142', 'A01', ' ', '4101', ' ', '01')"),
        QStringLiteral("UPDATE KANSA_ITEM SET MOT_KCODE = '1142', MOT_HCODE = 'A01', MOT_BCODE = '01', TOZ_BCODE = '01'"),
    };
    {
        Db db(dir);
        db.exec(uses);
        // Before the step the dictionaries' keys refuse both deletes.
        EXPECT_ANY_THROW(db.exec(QStringLiteral("DELETE FROM HOJOMST WHERE KCODE = '1142' AND HCODE = 'A01'")));
        EXPECT_ANY_THROW(db.exec(QStringLiteral("DELETE FROM BUMONMST WHERE BCODE = '01'")));
    }
    ASSERT_TRUE(runStep(UserDbUpdate015));
    Db db(dir);
    db.exec(QStringLiteral("DELETE FROM BUMONMST WHERE BCODE = '01'"));
    const QString codes = QStringLiteral(
        "SELECT (SELECT L_HCODE || '/' || L_BCODE || '/' || R_BCODE FROM SWKDIC), "
        "(SELECT KAR_BCODE || '/' || KAS_HCODE FROM TEKDIC), (SELECT KAR_HCODE || '/' || KAS_BCODE FROM TORDIC), "
        "(SELECT MOT_HCODE || '/' || MOT_BCODE || '/' || TOZ_BCODE FROM KANSA_ITEM) FROM RDB$DATABASE");
    EXPECT_EQ(db.rows(codes), Rows({{"A01/ / ", " /A01", "A01/ ", "A01/ / "}}));
    EXPECT_EQ(db.count(QStringLiteral("HOJOLOG")), 0);

    db.exec(QStringLiteral("DELETE FROM HOJOMST WHERE KCODE = '1142' AND HCODE = 'A01'"));
    EXPECT_EQ(db.rows(codes), Rows({{" / / ", " / ", " / ", " / / "}}));
    // One history row under a number of its own (the refused delete used one too).
    EXPECT_EQ(db.rows(QStringLiteral("SELECT LOGREC > 0, REC, KCODE, HCODE, HNAME, BPFLG FROM HOJOLOG")),
              Rows({{"1", "900", "1142", "A01", "甲社", "B"}}));
}

TEST_F(At014, OpeningBalancesGoToThePeriodBeforeTheFirstMonthExceptRetainedEarnings)
{
    ASSERT_TRUE(runStep(UserDbUpdate015));
    Db db(dir);
    db.exec(QStringLiteral("UPDATE ACCDEF1 SET KAISINO = 4"));
    for (const char *k : {"1101", "3320"})
        for (int m : {0, 4})
            db.exec(QStringLiteral("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES (' ', '%1', ' ', ' ', %2, 11)")
                        .arg(QLatin1String(k))
                        .arg(m));
    db.exec(QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 5000 WHERE KCODE IN ('1101', '3320')"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, MNUM, CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ ORDER BY KCODE, MNUM")),
              Rows({{"1101", "0", "11"}, {"1101", "4", "5000"}, {"3320", "0", "11"}, {"3320", "4", "11"}}));
}

// ---- prior-year balance repair ---------------------------------------------

TEST_F(At020, PriorYearRepairCopiesRatesAndClearsBlankDepartmentBalances)
{
    {
        Db db(dir);
        db.exec({QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業')"),
                 QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '6205', ' ', '01')")});
        const QString pz = QStringLiteral("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU, HAIBUN) "
                                          "VALUES (' ', '%1', ' ', '%2', %3, %4, %5, %6)");
        for (const auto &r : QList<QStringList>{{"6205", " ", "5", "100", "10", "30"},  {"6205", " ", "-11", "200", "20", "0"},
                                                {"6205", " ", "-27", "300", "30", "0"}, {"6205", "01", "5", "50", "0", "60"},
                                                {"6205", "01", "-11", "70", "7", "0"},  {"1101", " ", "3", "1000", "0", "25"},
                                                {"1101", " ", "-13", "900", "0", "0"},  {"1101", " ", "-29", "800", "0", "0"},
                                                {"1101", " ", "-14", "111", "0", "5"}})
            db.exec(pz.arg(r[0], r[1], r[2], r[3], r[4], r[5]));
    }
    ASSERT_TRUE(runSteps(QStringLiteral("0.2.0"), QStringLiteral("0.2.1")));
    Db db(dir);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, BCODE, MNUM, ") + ints({"NUKIZAN", "ZEIGAKU", "HAIBUN"}) + QStringLiteral(" FROM KAMOKU_PZ ORDER BY KCODE, BCODE, MNUM")),
              Rows({{"1101", " ", "-29", "800", "0", "25"},
                    {"1101", " ", "-14", "111", "0", "5"},
                    {"1101", " ", "-13", "900", "0", "25"},
                    {"1101", " ", "3", "1000", "0", "25"},
                    {"6205", " ", "-27", "0", "0", "30"},  // a departmental account: the blank department is cleared
                    {"6205", " ", "-11", "0", "0", "30"},
                    {"6205", " ", "5", "100", "10", "30"}, // the last year keeps its balance
                    {"6205", "01", "-11", "70", "7", "60"},
                    {"6205", "01", "5", "50", "0", "60"}}));
    EXPECT_EQ(db.count(QStringLiteral("RDB$PROCEDURES"), QStringLiteral("RDB$PROCEDURE_NAME = 'ONE_TIME_PROC'")), 0);
}

// ---- departmental trial balance --------------------------------------------

namespace {

// Departments 00 (common), 01 and 02; communication costs (6205) in all
// three, supplies (6207) with the sub-account S1 in 00 and 01.
QStringList departmentBooks()
{
    QStringList s = {
        "INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('00', '共通')",
        "INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業')",
        "INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('02', '製造')",
        "INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('6207', 'S1', '文具', 'P')",
        "INSERT INTO GROUPMST (GCODE, GNAME) VALUES ('G1', '現場')",
        "INSERT INTO GROUPLIST (GCODE, BCODE) VALUES ('G1', '01')",
        "INSERT INTO GROUPLIST (GCODE, BCODE) VALUES ('G1', '02')",
    };
    const QString sz = QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, HAIBUN01, HAIBUN02) "
                                      "VALUES (' ', '%1', '%2', '%3', %4, %5)");
    for (const auto &r : QList<QStringList>{{"6205", " ", "00", "100", "50"}, {"6205", " ", "01", "60", "30"},
                                            {"6205", " ", "02", "40", "20"},  {"6207", " ", "00", "50", "0"},
                                            {"6207", " ", "01", "50", "0"},   {"6207", "S1", "00", "0", "0"},
                                            {"6207", "S1", "01", "0", "0"}})
        s << sz.arg(r[0], r[1], r[2], r[3], r[4]);
    const QString ms = QStringLiteral("INSERT INTO KAMOKU_MS (SCODE, KCODE, HCODE, BCODE, MNUM, KAR_NUK, KAR_TAX, KAS_NUK, KAS_TAX) "
                                      "VALUES (' ', '%1', '%2', '%3', %4, %5, %6, %7, 0)");
    for (const auto &r : QList<QStringList>{{"6205", " ", "00", "1", "1001", "100", "0"}, {"6205", " ", "00", "2", "333", "0", "10"},
                                            {"6205", " ", "01", "1", "200", "20", "0"},   {"6205", " ", "01", "3", "77", "0", "0"},
                                            {"6205", " ", "02", "1", "50", "0", "0"},     {"6207", " ", "00", "1", "300", "0", "0"},
                                            {"6207", "S1", "00", "1", "101", "0", "0"},   {"6207", "S1", "01", "1", "40", "0", "0"}})
        s << ms.arg(r[0], r[1], r[2], r[3], r[4], r[5], r[6]);
    return s;
}

const QStringList kTrialColumns = {"KCODE", "HCODE", "HNAME", "HOJCNT", "CAST(KAISIZAN AS BIGINT)", "CAST(KAR01 AS BIGINT)",
                                   "CAST(KAR02 AS BIGINT)", "CAST(KAR03 AS BIGINT)", "CAST(KAS02 AS BIGINT)"};

} // namespace

TEST_F(At022, TrialBalanceByDepartmentAllocatesTheCommonDepartment)
{
    Db db(dir);
    db.exec(departmentBooks());
    const auto trial = [&db](int tax, int hibun, const char *bcode) {
        return db.rows(QStringLiteral("SELECT %1 FROM SP_SISANHYO_BUMON(%2, %3, ' ', '%4')")
                           .arg(kTrialColumns.join(QStringLiteral(", ")))
                           .arg(tax)
                           .arg(hibun)
                           .arg(QLatin1String(bcode)));
    };
    // Department 01 adds its share of 00, half up: 1001 x 60 % = 600.6 -> 601,
    // 333 x 30 % = 99.9 -> 100, 10 x 30 % = 3; 401 x 50 % = 200.5 -> 201.
    // The period-3 figure of 6205 does not stay on the rows after it.
    EXPECT_EQ(trial(1, 1, "01"), Rows({{"6205", "", "", "0", "0", "801", "100", "77", "3"},
                                       {"6207", "", "", "1", "0", "241", "0", "0", "0"},
                                       {"6207", " ", "消耗品費", "0", "0", "150", "0", "0", "0"},
                                       {"6207", "S1", "文具", "0", "0", "91", "0", "0", "0"}}));
    // Department 00 keeps what it does not allocate: at 100 % nothing.
    EXPECT_EQ(trial(1, 1, "00"), Rows({{"6205", "", "", "0", "0", "0", "166", "0", "5"},
                                       {"6207", "", "", "1", "0", "200", "0", "0", "0"},
                                       {"6207", " ", "消耗品費", "0", "0", "150", "0", "0", "0"},
                                       {"6207", "S1", "文具", "0", "0", "50", "0", "0", "0"}}));
    EXPECT_EQ(trial(1, 1, "02"), Rows({{"6205", "", "", "0", "0", "450", "67", "0", "2"}}));
    // Without allocation a department's own figures, the tax included with PTAX 0;
    // the account's own row with nothing on it is left out.
    EXPECT_EQ(trial(0, 0, "01"), Rows({{"6205", "", "", "0", "0", "220", "0", "77", "0"},
                                       {"6207", "", "", "1", "0", "40", "0", "0", "0"},
                                       {"6207", "S1", "文具", "0", "0", "40", "0", "0", "0"}}));

    // A department group: the sums of its departments, without allocation.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT %1 FROM SP_SISANHYO_BUMON_GROUP(1, ' ', 'G1')").arg(kTrialColumns.join(QStringLiteral(", ")))),
              Rows({{"6205", "", "", "0", "0", "250", "0", "77", "0"},
                    {"6207", "", "", "1", "0", "40", "0", "0", "0"},
                    {"6207", "S1", "文具", "0", "0", "40", "0", "0", "0"}}));
}

TEST_F(At022, TrialBalanceAllocatesTheOpeningBalanceAndTheTax)
{
    Db db(dir);
    db.exec(departmentBooks());
    // The books start in the fourth month: the opening balance takes the rate of period 5.
    db.exec({QStringLiteral("UPDATE ACCDEF1 SET KAISINO = 4"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 1000, HAIBUN05 = 40 WHERE KCODE = '6205' AND BCODE = '00'"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 100, HAIBUN05 = 25 WHERE KCODE = '6205' AND BCODE = '01'")});
    const auto opening = [&db](const char *bcode) {
        return db.scalar(QStringLiteral("SELECT CAST(KAISIZAN AS INTEGER) FROM SP_SISANHYO_BUMON(1, 1, ' ', '%1') WHERE KCODE = '6205'")
                             .arg(QLatin1String(bcode)));
    };
    EXPECT_EQ(opening("01"), QStringLiteral("350")); // 100 + 1000 x 25 %
    EXPECT_EQ(opening("00"), QStringLiteral("600")); // 1000 - 1000 x 40 %

    // Tax received of departments kept by department, added to the tax account.
    db.exec({QStringLiteral("UPDATE ACCDEF1 SET BUMON = 2, KAISINO = 1"),
             QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, HAIBUN01) VALUES (' ', '2112', ' ', '01', 60)"),
             QStringLiteral("INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES (' ', '01', 1, 1, 0, 80)"),
             QStringLiteral("INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES (' ', '00', 1, 1, 0, 100)"),
             QStringLiteral("INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES (' ', '01', 2, 1, 7, 0)")});
    EXPECT_EQ(db.rows(QStringLiteral("SELECT ") + ints({"KAR01", "KAS01"}) + QStringLiteral(" FROM SP_SISANHYO_BUMON(1, 1, ' ', '01') WHERE KCODE = '2112'")),
              Rows({{"0", "140"}})); // 80 + 100 x 60 %
}

// ---- prior-year balances and budgets -----------------------------------------

namespace {

QStringList priorYearBooks()
{
    QStringList s = departmentBooks();
    s << "UPDATE ACCDEF1 SET KAISINO = 4"
      << "INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '6207', ' ', '02')"
      << "UPDATE KAMOKU_MS SET BYOSAN = 1000 WHERE KCODE = '6205' AND BCODE = '00' AND MNUM = 1"
      << "UPDATE KAMOKU_MS SET BYOSAN = 100 WHERE KCODE = '6205' AND BCODE = '01' AND MNUM = 1";
    const QString pz = QStringLiteral("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU, HAIBUN) "
                                      "VALUES (' ', '%1', ' ', '%2', %3, %4, %5, %6)");
    for (const auto &r : QList<QStringList>{{"6205", "00", "-11", "1000", "80", "40"}, {"6205", "00", "2", "500", "0", "100"},
                                            {"6205", "00", "5", "999", "0", "0"},      {"6205", "01", "-11", "100", "0", "25"},
                                            {"6205", "01", "2", "0", "0", "50"},       {"6205", "02", "-11", "30", "0", "0"},
                                            {"6207", "01", "-10", "7", "0", "0"}})
        s << pz.arg(r[0], r[1], r[2], r[3], r[4], r[5]);
    return s;
}

} // namespace

TEST_F(At022, PriorYearBalancesByDepartmentAndGroup)
{
    Db db(dir);
    db.exec(priorYearBooks());
    const QString cols = QStringLiteral("KCODE, HCODE, ") + ints({"ZANM11", "ZANM10", "ZANP02", "YOSAN01", "YOSAN02"});
    const auto dept = [&db, &cols](const char *bcode, int hibun) {
        return db.rows(QStringLiteral("SELECT %1 FROM SP_KANENDO_BUMON_ZANDAKA(' ', '%2', %3)").arg(cols, QLatin1String(bcode)).arg(hibun));
    };
    // Department 01 adds its share: 100 + 1000 x 25 % and 0 + 500 x 50 %, the
    // budget 100 + 1000 x 60 %. The row of 6207 shows its own period -10 and
    // nothing of the row before it.
    EXPECT_EQ(dept("01", 1), Rows({{"6205", " ", "350", "0", "250", "700", "0"},
                                   {"6207", " ", "0", "7", "0", "0", "0"},
                                   {"6207", "S1", "0", "0", "0", "0", "0"}}));
    // Department 00 keeps the remainder: 1000 - 400, 500 at 100 % gives 0, the budget at 100 % too.
    EXPECT_EQ(dept("00", 1), Rows({{"6205", " ", "600", "0", "0", "0", "0"},
                                   {"6207", " ", "0", "0", "0", "0", "0"},
                                   {"6207", "S1", "0", "0", "0", "0", "0"}}));
    EXPECT_EQ(dept("01", 0).value(0), QStringList({"6205", " ", "100", "0", "0", "100", "0"}));
    // A department group sums its departments (01 and 02) for every period.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT %1 FROM SP_KANENDO_BUMON_GROUPZANDAKA(' ', 'G1')").arg(cols)),
              Rows({{"6205", " ", "130", "0", "0", "100", "0"},
                    {"6207", " ", "0", "7", "0", "0", "0"},
                    {"6207", "S1", "0", "0", "0", "0", "0"}}));
    // All departments of the facility, balances before the first month only (period 5 is left out).
    EXPECT_EQ(db.rows(QStringLiteral("SELECT %1 FROM SP_KANENDO_ZANDAKA(' ') WHERE KCODE IN ('6205', '6207')").arg(cols)),
              Rows({{"6205", " ", "1130", "0", "500", "1100", "0"},
                    {"6207", " ", "0", "7", "0", "0", "0"},
                    {"6207", "S1", "0", "0", "0", "0", "0"}}));
    // The reading for the balance screen: periods before the limit of the fourth month (5).
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, HCODE, ") + ints({"ZANM11", "ZANM10", "ZANP02", "ZANP04"}) + QStringLiteral(" FROM SP_KANENDOZAN_YOMIKOMI(' ', ' ') WHERE KCODE IN ('6205', '6207')")),
              Rows({{"6205", " ", "1130", "0", "500", "0"}, {"6207", " ", "0", "7", "0", "0"}, {"6207", "S1", "0", "0", "0", "0"}}));
    EXPECT_EQ(db.count(QStringLiteral("SP_KANENDOZAN_YOMIKOMI(' ', ' ')"), QStringLiteral("KCODE = '9901'")), 0);
}

TEST_F(At022, ManagementComparisonBalancesAndBudgets)
{
    Db db(dir);
    db.exec(priorYearBooks());
    const QString cols = QStringLiteral("KCODE, BCODE, BNAME, ") + ints({"Z_ZAN5", "Z_ZAN6", "T_ZAN2", "T_ZAN5"});
    // All departments: 1000 + 80 + 100 + 30 with the tax, 1130 without it;
    // 6207 has period -10 alone.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT %1 FROM SP_MB_SELECT_KANENDOZAN(' ', '', 0)").arg(cols)),
              Rows({{"6205", "", "", "1210", "0", "500", "999"}, {"6207", "", "", "0", "7", "0", "0"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT %1 FROM SP_MB_SELECT_KANENDOZAN(' ', ' ', 1)").arg(cols)).value(0),
              QStringList({"6205", "", "", "1130", "0", "500", "999"}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT %1 FROM SP_MB_SELECT_KANENDOZAN(' ', '01', 0)").arg(cols)),
              Rows({{"6205", "01", "営業", "100", "0", "0", "0"}, {"6207", "01", "営業", "0", "7", "0", "0"}}));

    // Next year's budget of rent from last year's actuals: months 2 to 4 at 105 %.
    const QString pz = QStringLiteral("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU) "
                                      "VALUES (' ', '6210', ' ', ' ', %1, %2, %3)");
    for (const auto &r : QList<QStringList>{{"-15", "90", "10"}, {"-14", "250", "0"}, {"-13", "450", "0"}, {"-12", "460", "0"}, {"-11", "600", "0"}})
        db.exec(pz.arg(r[0], r[1], r[2]));
    for (const auto &r : QList<QStringList>{{"1", "1000"}, {"2", "2000"}, {"3", "3000"}, {"4", "3000"}, {"5", "4000"}})
        db.exec(QStringLiteral("INSERT INTO KAMOKU_MS (SCODE, KCODE, HCODE, BCODE, MNUM, BYOSAN) VALUES (' ', '6210', ' ', ' ', %1, %2)")
                    .arg(r[0], r[1]));
    db.exec(QStringLiteral("EXECUTE PROCEDURE SP_MB_UPDATE_JISSEKIYOSAN(' ', '6210', '', 1.05, 2, 4)"));
    // Monthly actuals 100, 150, 200, 140 (the closing carries 460): months 2 to
    // 4 become 157.5 -> 158, 210, 147; month 1 keeps 1000, later months had none.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT LIST(MNUM || ':' || CAST(BYOSAN AS INTEGER), ' ') FROM "
                                       "(SELECT MNUM, BYOSAN FROM KAMOKU_MS WHERE KCODE = '6210' AND MNUM IN (1, 2, 3, 4, 5, 6, 16) ORDER BY MNUM)")),
              QStringLiteral("1:1000 2:1158 3:1368 4:1368 5:1515 6:1515 16:1515"));
    // The stored budgets read back month by month.
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, ") + ints({"T_YOSAN1", "T_YOSAN2", "T_YOSAN4", "T_YOSAN12"}) + QStringLiteral(" FROM SP_MB_SELECT_YOSAN(' ', '') WHERE KCODE IN ('6205', '6210')")),
              Rows({{"6205", "1100", "0", "0", "0"}, {"6210", "1000", "1158", "1515", "1515"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, HCODE, ") + ints({"YOSAN01", "YOSAN04", "YOSAN12"}) + QStringLiteral(" FROM SP_YOSAN_READ(' ', ' ') WHERE KCODE IN ('6205', '6207', '6210')")),
              Rows({{"6205", " ", "1100", "0", "0"}, {"6207", " ", "0", "0", "0"}, {"6207", "S1", "0", "0", "0"},
                    {"6210", " ", "1000", "1515", "1515"}}));
}

// ---- opening balances ------------------------------------------------------

TEST_F(At022, OpeningBalanceListsAndRetainedEarnings)
{
    Db db(dir);
    db.exec({QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('00', '共通')"),
             QStringLiteral("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業')"),
             QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('1142', 'A01', '甲社', 'B')")});
    const QString sz = QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES (' ', '%1', '%2', '%3', %4)");
    for (const auto &r : QList<QStringList>{{"1142", " ", "00", "0"}, {"1142", "A01", "00", "300"}, {"1142", " ", "01", "0"},
                                            {"1142", "A01", "01", "200"}, {"6205", " ", "00", "10"}, {"6205", " ", "01", "20"},
                                            {"3320", " ", "00", "0"}, {"3320", " ", "01", "0"}})
        db.exec(sz.arg(r[0], r[1], r[2], r[3]));

    EXPECT_EQ(db.scalar(QStringLiteral("SELECT RECCOUNT FROM SP_BUMONKAISIZAN_COUNT(' ')")), QStringLiteral("3"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT BCODE, KGROUP, KCODE, HCODE, HNAME, HCNT, ") + ints({"KAISIZAN", "BUMGOUKEI"}) + QStringLiteral(" FROM SP_BUMONKAISIZAN_LIST(' ') WHERE KCODE IN ('1142', '6205')")),
              Rows({{"00", "1100", "1142", " ", "", "2", "0", "0"},
                    {"00", "1100", "1142", "A01", "甲社", "0", "300", "500"},
                    {"00", "6200", "6205", " ", "", "1", "10", "30"},
                    {"01", "1100", "1142", " ", "", "2", "0", "0"},
                    {"01", "1100", "1142", "A01", "甲社", "0", "200", "500"},
                    {"01", "6200", "6205", " ", "", "1", "20", "30"}}));
    // Sub-accounts and accounts without them; never the suspense account.
    const Rows list = db.rows(QStringLiteral("SELECT KCODE, HCODE, BPFLG, ") + ints({"KAISIZAN", "BUMONZAN"}) + QStringLiteral(" FROM SP_KAISIZAN_LIST(' ', 1) WHERE KCODE IN ('1101', '1142', '9901')"));
    EXPECT_EQ(list, Rows({{"1101", " ", "B", "0", "0"}, {"1142", "A01", "B", "500", "200"}}));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT RECCOUNT FROM SP_KAISIZAN_COUNT(' ', 1)")),
              QString::number(db.count(QStringLiteral("SP_KAISIZAN_LIST(' ', 1)"))));

    // Retained earnings: assets less liabilities and the other net assets.
    db.exec({QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 5000 WHERE KCODE = '1101' AND BCODE = ' '"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 1200 WHERE KCODE = '2102' AND BCODE = ' '"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 3000 WHERE KCODE = '3101' AND BCODE = ' '"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 100 WHERE KCODE = '1320' AND BCODE = ' '"),
             QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = 999 WHERE KCODE = '4101' AND BCODE = ' '")});
    EXPECT_EQ(db.rows(QStringLiteral("SELECT BCODE, CAST(KAISIZAN AS INTEGER) FROM SP_ZENKURI(' ', '')")), Rows({{" ", "700"}}));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CAST(KAISIZAN AS INTEGER) FROM KAMOKU_SZ WHERE KCODE = '3320' AND BCODE = ' '")),
              QStringLiteral("700"));
    // By department where every account is kept by department.
    db.exec({QStringLiteral("UPDATE ACCDEF1 SET BUMON = 2"), QStringLiteral("UPDATE SISETUMST SET BUMEX = 1")});
    EXPECT_EQ(db.rows(QStringLiteral("SELECT BCODE, CAST(KAISIZAN AS INTEGER) FROM SP_ZENKURI(' ', '3320')")),
              Rows({{"00", "300"}, {"01", "200"}}));
    // Not for a sole proprietor.
    db.exec(QStringLiteral("UPDATE ACCDEF1 SET DATATYPE = 2"));
    EXPECT_TRUE(db.rows(QStringLiteral("SELECT * FROM SP_ZENKURI(' ', '')")).isEmpty());
}

// ---- breakdown statements ----------------------------------------------------

TEST_F(At022, BreakdownTables)
{
    Db db(dir);
    db.exec({QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('1142', 'A01', '甲社', 'B')"),
             QStringLiteral("INSERT INTO UTIWAKE03 (REC, KCODE, HCODE, KAMOKU, SIMEI, KIMATUZAN) VALUES (1, '1142', 'A01', '売掛金', '甲社', 500)"),
             QStringLiteral("INSERT INTO UTIWAKE12 (REC, URIAGE, TESURYO) VALUES (1, 1000, 30)"),
             QStringLiteral("INSERT INTO UTIWAKE14 (REC, SIYOUNIN, TEIKIDOUGAKU, JIZENTODOKE, RIEKIRENDOU, SONOTA, TAISYOKU) "
                            "VALUES (1, 1, 20, 300, 4000, 50000, 600000)"),
             QStringLiteral("UPDATE UTIWAKE14B SET SOUGAKU1 = 1, SOUGAKU2 = 2, SOUGAKU3 = 3, KAZOKU1 = 10, KAZOKU3 = 30")});
    // Totals follow their parts.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CAST(GOUKEI AS INTEGER) FROM UTIWAKE12")), QStringLiteral("1030"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CAST(GOUKEI AS INTEGER) FROM UTIWAKE14")), QStringLiteral("54321"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT ") + ints({"SOUGAKU_KEI", "KAZOKU_KEI"}) + QStringLiteral(" FROM UTIWAKE14B")), Rows({{"6", "40"}}));
    db.exec(QStringLiteral("UPDATE UTIWAKE12 SET TESURYO = 70"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CAST(GOUKEI AS INTEGER) FROM UTIWAKE12")), QStringLiteral("1070"));
    // A deleted sub-account leaves the line without its account.
    db.exec(QStringLiteral("DELETE FROM HOJOMST WHERE KCODE = '1142' AND HCODE = 'A01'"));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, HCODE, SIMEI FROM UTIWAKE03")), Rows({{"<null>", "<null>", "甲社"}}));
    // The group again replaces every table: only the fixed rows remain.
    ExecuteSqlScript(db.db, UserStepStatements(QStringLiteral("UtiwakeTables.sql")).join(u'\n'));
    EXPECT_EQ(db.count(QStringLiteral("UTIWAKE03")) + db.count(QStringLiteral("UTIWAKE12")) + db.count(QStringLiteral("UTIWAKE14")), 0);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT ") + ints({"SOUGAKU_KEI", "KAZOKU_KEI"}) + QStringLiteral(" FROM UTIWAKE14B")), Rows({{"0", "0"}}));
    EXPECT_EQ(db.count(QStringLiteral("UTIWAKE10B")), 12);
}
