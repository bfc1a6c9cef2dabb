// Company step 1.0.2: the prior-year repair it makes in the open database
// before its script, all or nothing, and the journal repair of its script.
#include "dbupdate/CompanyStepDb.h"

#include "dbaccess/AccInfo.h"
#include "dbupdate/z5DbUpdate.h"
#include "dbupdate/z5DbUpdateScript.h"
#include "dbupdate/z5UserDbUpdateParts.h"

using namespace stepdb;

namespace {

class RepairTest : public CompanyStepTest
{
protected:
    void TearDown() override
    {
        AccInf = TACCINF();
        CompanyStepTest::TearDown();
    }
    // Opening balances and empty prior-year rows of periods 0 and 4 for a
    // few accounts: cash, retained earnings, sales and two owner's accounts.
    void books()
    {
        Db db(dir);
        db.exec({QStringLiteral("INSERT INTO ACCDEF2 (KNAME, KCODE, KGROUP) VALUES ('元入金', '3101', '3100')"),
                 QStringLiteral("INSERT INTO ACCDEF2 (KNAME, KCODE, KGROUP) VALUES ('事業主貸', '1306', '1300')")});
        for (const char *k : {"1101", "3101", "1306", "4101"}) {
            db.exec(QStringLiteral("UPDATE KAMOKU_SZ SET KAISIZAN = %1 WHERE KCODE = '%2'").arg(QLatin1String(k).toInt()).arg(QLatin1String(k)));
            for (int m : {0, 4})
                db.exec(QStringLiteral("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES (' ', '%1', ' ', ' ', %2, 1)")
                            .arg(QLatin1String(k))
                            .arg(m));
        }
    }
    Rows priorYear()
    {
        Db db(dir);
        return db.rows(QStringLiteral("SELECT KCODE, MNUM, CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ ORDER BY KCODE, MNUM"));
    }
};

} // namespace

TEST_F(RepairTest, IndividualFromTheFirstDayLeavesOutOwnersAndProfitAndLoss)
{
    books();
    RunPreStep(TDbUpdateTarget::Company, [](FbQuery &q) {
        RepairPriorYearBalances(q, 2, QDate(2024, 1, 1), QDate(2024, 1, 1), 1);
    });
    EXPECT_EQ(priorYear(), Rows({{"1101", "0", "1101"}, {"1101", "4", "1"}, {"1306", "0", "1"}, {"1306", "4", "1"},
                                 {"3101", "0", "1"}, {"3101", "4", "1"}, {"4101", "0", "1"}, {"4101", "4", "1"}}));
}

TEST_F(RepairTest, CorporationFromMonthFourWritesEveryAccountToPeriodFour)
{
    books();
    RunPreStep(TDbUpdateTarget::Company, [](FbQuery &q) {
        RepairPriorYearBalances(q, 1, QDate(2024, 4, 1), QDate(2024, 7, 1), 4);
    });
    EXPECT_EQ(priorYear(), Rows({{"1101", "0", "1"}, {"1101", "4", "1101"}, {"1306", "0", "1"}, {"1306", "4", "1306"},
                                 {"3101", "0", "1"}, {"3101", "4", "3101"}, {"4101", "0", "1"}, {"4101", "4", "4101"}}));
}

// A failure half-way rolls the repair back, reports it, and writes no script.
TEST_F(RepairTest, AFailedRepairChangesNothingAndReportsSixteen)
{
    books();
    {
        Db db(dir);
        db.exec(QStringLiteral("CREATE EXCEPTION E_REFUSED 'refused'"));
        db.exec(QStringLiteral("CREATE TRIGGER PZ_REFUSE FOR KAMOKU_PZ ACTIVE BEFORE UPDATE POSITION 0 AS "
                               "BEGIN IF (NEW.KCODE = '4101') THEN EXCEPTION E_REFUSED; END"));
    }
    AccInf.DATATYPE = 1;
    AccInf.KISHU = AccInf.KAISI = QDate(2024, 4, 1);
    AccInf.KAISINO = 1;
    ScriptedMessages boxes;
    boxes.answer(mrOk);
    EXPECT_EQ(UserDbUpdate102(), DbUpdateToolError);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].kind, TMsgDlgType::mtError);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("Ver 1.0.2のデータベース更新に失敗しました。(過年度残高の評価と修復)")))
        << boxes.shown[0].text.toStdString();
    for (const QStringList &r : priorYear()) EXPECT_EQ(r[2], QStringLiteral("1")) << r.join(u' ').toStdString();
    Db db(dir);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT MAJOR || '.' || MINOR1 || '.' || MINOR2 FROM ACCVERSION")), QStringLiteral("0.1.0"));
}

// The journal repair of the script: totals re-added from the live lines, and
// an account whose own row is missing loses only its own prior-year rows.
TEST_F(RepairTest, JournalRepairAfterTheStep)
{
    AccInf.DATATYPE = 1;
    ASSERT_TRUE(runSteps(QStringLiteral("0.1.0"), QStringLiteral("1.0.1")));
    {
        Db db(dir);
        db.exec({QStringLiteral("UPDATE ACCDEF1 SET CONVERT = 0"),
                 QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('1142', 'A1', '甲社', 'B')"),
                 QStringLiteral("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES (' ', '1142', 'A1', ' ')"),
                 QStringLiteral("DELETE FROM KAMOKU_SZ WHERE KCODE = '1142' AND HCODE = ' '"),
                 QStringLiteral("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES (' ', '1142', 'A1', ' ', 0, 70)"),
                 QStringLiteral("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES (' ', '1142', ' ', ' ', 0, 30)"),
                 QStringLiteral("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, TAXUH, NUK, ZEI) "
                                "VALUES (1, 1, 1, 0, 1, '2024-04-05', 1, ' ', '1101', ' ', ' ', 2, 1000, 100)"),
                 QStringLiteral("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, TAXUH, NUK, ZEI) "
                                "VALUES (2, 1, 1, 0, 2, '2024-04-05', 1, ' ', '4101', ' ', ' ', 1, 1000, 100)"),
                 QStringLiteral("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, TAXUH, NUK, ZEI) "
                                "VALUES (3, 2, 2, 1, 1, '2024-04-06', 1, ' ', '1101', ' ', ' ', 0, 5000, 0)")});
    }
    ASSERT_TRUE(runSteps(QStringLiteral("1.0.1"), QStringLiteral("1.0.2")));
    Db db(dir);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT RPCNT FROM SP_SIWAKE_REPAIR")), Rows({{"2"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KCODE, CAST(KAR_NUK AS INTEGER), CAST(KAR_TAX AS INTEGER), CAST(KAS_NUK AS INTEGER) FROM KAMOKU_MS "
                                     "WHERE MNUM = 1 AND (KAR_NUK <> 0 OR KAS_NUK <> 0) ORDER BY KCODE")),
              Rows({{"1101", "1000", "100", "0"}, {"4101", "0", "0", "1000"}}));
    EXPECT_EQ(db.rows(QStringLiteral("SELECT KKUBUN, CAST(KAR AS INTEGER), CAST(KAS AS INTEGER) FROM KAMOKU_TAX WHERE MNUM = 1 "
                                     "AND (KAR <> 0 OR KAS <> 0) ORDER BY KKUBUN")),
              Rows({{"1", "0", "100"}, {"2", "100", "0"}}));
    // The own row is back; the sub-account keeps its prior-year balance.
    EXPECT_EQ(db.count(QStringLiteral("KAMOKU_SZ"), QStringLiteral("KCODE = '1142' AND HCODE = ' '")), 1);
    EXPECT_EQ(db.rows(QStringLiteral("SELECT HCODE, CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE KCODE = '1142' ORDER BY HCODE")),
              Rows({{"A1", "70"}}));
    EXPECT_EQ(db.count(QStringLiteral("ACCDEF2")), 5);
}
