// The link stamps of the cash-book sender and the merge of the cash entries of
// a received cash book: entries made there are taken in once, entries changed
// there replace the office's, deletions on either side meet the rules, and an
// entry the company cannot hold rolls the whole take-in back.
#include "comm/CashBookLoader.h"
#include "comm/z5CashBookSender.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "dbaccess/z5SiwakeIO.h"
#include "CompanyDb.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {
using commtest::CompanyDb;

Currency yen(qint64 units) { return Currency::fromUnits(units); }

class CashSiwakeMergeTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        recvDir = testenv::freshDir(QStringLiteral("ComR"));
        received = recvDir + QStringLiteral("/vqacc.fdb");
        SystemDef.DataDir = root.companyDir;
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("temp"));
        SystemDef.OpCode = 10;
        SystemDef.OpLevel = 1;
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        openCompany();
        cash = AccInf.SysKCode[saGenkin];
        ASSERT_FALSE(cash.isEmpty());
    }

    void openCompany()
    {
        if (!dm->IBDatabaseDAT.connected()) {
            ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        }
        ASSERT_TRUE(dm->fnGetAccInfo());
    }

    // An entry of `debit` against `credit` (user codes) written through the
    // writer on the transaction given; answers its REC.
    static int put(FbTransaction &tr, const QDate &date, qint64 amount, const QString &debit, const QString &credit,
                   const QString &text)
    {
        TSiwakeWrite w;
        w.SetTransaction(&tr);
        TSWKREC rec;
        w.InitSiwakeRec(rec, 0, date);
        rec.SCODE = QStringLiteral(" ");
        rec.L.KCODE = debit;
        rec.L.TAXCODE = debit == QStringLiteral("6208") ? 511 : 810;
        rec.R.KCODE = credit;
        rec.R.TAXCODE = credit == QStringLiteral("6208") ? 511 : 810;
        rec.KINGAKU = yen(amount);
        rec.L.NUK = yen(amount);
        rec.R.NUK = yen(amount);
        rec.TEKTEXT = text;
        int error = 0;
        QString message;
        EXPECT_TRUE(w.TestSiwake(rec, error, message)) << message.toStdString();
        return w.PutSiwake(rec);
    }
    // Changes an entry's amount and text as the cash book would (the change
    // replaces it and marks the new rows with LINKREC).
    static void change(FbTransaction &tr, int rec, qint64 amount, const QString &text)
    {
        TSiwakeWrite w;
        w.SetTransaction(&tr);
        TSWKREC r;
        w.GetSiwake(r, rec, false);
        r.KINGAKU = yen(amount);
        r.L.NUK = yen(amount);
        r.R.NUK = yen(amount);
        r.TEKTEXT = text;
        int error = 0;
        QString message;
        ASSERT_TRUE(w.TestSiwake(r, error, message)) << message.toStdString();
        ASSERT_EQ(w.PutSiwake(r), 0);
    }
    static void remove(FbTransaction &tr, int swkrec)
    {
        TSiwakeWrite w;
        w.SetTransaction(&tr);
        w.DeleteSiwake(swkrec);
    }

    // The company database goes out as the cash book's copy.
    void shipToCashBook()
    {
        dm->IBDatabaseDAT.close();
        QFile::remove(received);
        ASSERT_TRUE(QFile::copy(root.companyDir + QStringLiteral("/vqacc.fdb"), received));
        openCompany();
    }

    QStringList takeIn()
    {
        openCompany();
        TCashBookLoader l(dm.get());
        l.SourceKind = 0;
        l.ImportKind = 1;
        l.SetReceiveFile(received);
        l.Run();
        QStringList out;
        for (const TCorvenaSyoriInfo &e : l.SyoriLog) out << QStringLiteral("%1 %2 %3").arg(e.Level).arg(e.Code).arg(e.Message);
        return out;
    }

    QStringList companyRows(const QString &sql)
    {
        dm->IBDatabaseDAT.close();
        CompanyDb c(root.companyDir);
        return c.rows(sql);
    }

    static const QString kAll;
    QString recvDir, received, cash;
};

const QString CashSiwakeMergeTest::kAll = QStringLiteral(
    "SELECT REC,SWKREC,SWKNO,DELFLG,TAISHAKU,HIZUKE,KCODE,R_KCODE,CAST(KINGAKU AS INTEGER),TEKTEXT,LINKKEY,LINKKUB,LINKREC,"
    "LOCALFLG,RESERVE1,RESERVE2 FROM SIWAKE ORDER BY REC");

const QString kOk = QStringLiteral("1 1 取り込み処理が成功しました。");

} // namespace

TEST_F(CashSiwakeMergeTest, FullStampLinksCashEntriesAndClearsFormerOnes)
{
    const int live = put(dm->IBTransactionDAT, QDate(2024, 5, 10), 1000, QStringLiteral("6208"), QStringLiteral("1101"), QStringLiteral("電話代"));
    const int gone = put(dm->IBTransactionDAT, QDate(2024, 5, 11), 2000, QStringLiteral("6208"), QStringLiteral("1101"), QStringLiteral("切手"));
    const int former = put(dm->IBTransactionDAT, QDate(2024, 5, 12), 3000, QStringLiteral("6208"), QStringLiteral("1102"), QStringLiteral("振込"));
    const int other = put(dm->IBTransactionDAT, QDate(2024, 5, 13), 4000, QStringLiteral("6208"), QStringLiteral("1102"), QStringLiteral("振込2"));
    ASSERT_GT(other, 0);
    remove(dm->IBTransactionDAT, (gone + 1) / 2);
    // Once a cash entry, now booking two other accounts.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE SIWAKE SET LINKREC=99,LINKKEY='77',LINKKUB=10,RESERVE1=5,RESERVE2=6,"
                                                  "LOCALFLG=10 WHERE REC=%1").arg(former));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE SIWAKE SET RESERVE2=3,LOCALFLG=10 WHERE REC=%1").arg(live));
    const QString columns = QStringLiteral("SELECT REC,LINKKEY,LINKKUB,LINKREC,LOCALFLG,RESERVE1,RESERVE2 FROM SIWAKE WHERE SWKREC=%1 ORDER BY REC");
    const QStringList untouched = companyRows(columns.arg((other + 1) / 2));
    openCompany();

    TCashBookSender s(dm.get());
    s.LinkOnly = 0;
    s.StampMode = 0;
    s.Execute();
    EXPECT_EQ(s.ResultCode(), 1);
    ASSERT_EQ(s.SyoriLog.size(), 1);
    EXPECT_EQ(s.SyoriLog[0].Message, QStringLiteral("出納帳データの送信処理が成功しました。"));
    EXPECT_FALSE(dm->IBTransactionDAT.inTransaction());

    const QString l = QString::number(live), g = QString::number(gone), f = QString::number(former);
    EXPECT_EQ(companyRows(columns.arg((live + 1) / 2)),
              (QStringList{l + u'|' + l + QStringLiteral("|10|0|0|") + l + QStringLiteral("|0"),
                           QString::number(live + 1) + u'|' + l + QStringLiteral("|10|0|0|") + l + QStringLiteral("|0")}));
    EXPECT_EQ(companyRows(columns.arg((gone + 1) / 2)).value(0), g + QStringLiteral("||0|0|0|") + g + QStringLiteral("|0"));
    EXPECT_EQ(companyRows(columns.arg((former + 1) / 2)).value(0), f + QStringLiteral("||0|0|0|0|0"));
    EXPECT_EQ(companyRows(columns.arg((other + 1) / 2)), untouched);
}

TEST_F(CashSiwakeMergeTest, LinkOnlyStampLinksUnlinkedLiveEntriesOnce)
{
    const int a = put(dm->IBTransactionDAT, QDate(2024, 5, 10), 1000, QStringLiteral("6208"), QStringLiteral("1101"), QStringLiteral("a"));
    const int b = put(dm->IBTransactionDAT, QDate(2024, 5, 11), 2000, QStringLiteral("1101"), QStringLiteral("6208"), QStringLiteral("b"));
    const int c = put(dm->IBTransactionDAT, QDate(2024, 5, 12), 3000, QStringLiteral("6208"), QStringLiteral("1101"), QStringLiteral("c"));
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE SIWAKE SET LINKKEY='x',LINKKUB=10,RESERVE1=4 WHERE SWKREC=%1").arg((b + 1) / 2));
    remove(dm->IBTransactionDAT, (c + 1) / 2);
    const QStringList before = companyRows(kAll);
    openCompany();

    TCashBookSender first(dm.get()); // no flags set: the link-only stamp
    first.Execute();
    EXPECT_EQ(first.ResultCode(), 1);
    const QStringList after = companyRows(kAll);
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        const QStringList was = before[i].split(u'|'), now = after[i].split(u'|');
        if (was[1] == QString::number((a + 1) / 2)) {
            EXPECT_EQ(now[10], QString::number(a)) << after[i].toStdString();
            EXPECT_EQ(now[11], QStringLiteral("10"));
            QStringList rest = now;
            rest[10] = was[10];
            rest[11] = was[11];
            EXPECT_EQ(rest, was);
        } else {
            EXPECT_EQ(now, was);
        }
    }

    openCompany();
    TCashBookSender second(dm.get());
    second.LinkOnly = 1;
    second.StampMode = 0; // the link-only flag wins
    second.Execute();
    EXPECT_EQ(second.ResultCode(), 1);
    EXPECT_EQ(companyRows(kAll), after);
}

TEST_F(CashSiwakeMergeTest, AFailedStampIsLoggedShownAndRolledBack)
{
    put(dm->IBTransactionDAT, QDate(2024, 5, 10), 1000, QStringLiteral("6208"), QStringLiteral("1101"), QStringLiteral("a"));
    put(dm->IBTransactionDAT, QDate(2024, 5, 11), 1000, QStringLiteral("6208"), QStringLiteral("1101"), QStringLiteral("b"));
    const QStringList before = companyRows(kAll);
    // The second entry's stamp fails: the first one's must not stay.
    {
        CompanyDb c(root.companyDir);
        c.exec(QStringLiteral("CREATE EXCEPTION E_STAMP 'stamp refused'"));
        c.exec(QStringLiteral("CREATE TRIGGER T_STAMP FOR SIWAKE BEFORE UPDATE AS BEGIN "
                              "IF (OLD.TEKTEXT='b') THEN EXCEPTION E_STAMP; END"));
    }
    const QStringList withTrigger = companyRows(kAll);
    ASSERT_EQ(withTrigger, before);
    openCompany();
    ScriptedMessages msgs;
    msgs.answer(mrOk);
    TCashBookSender s(dm.get());
    s.StampMode = 0;
    s.Execute();
    EXPECT_EQ(s.ResultCode(), -100);
    ASSERT_EQ(s.SyoriLog.size(), 1);
    EXPECT_TRUE(s.SyoriLog[0].Message.startsWith(QStringLiteral("出納帳データの送信処理に失敗しました。 原因: ")))
        << s.SyoriLog[0].Message.toStdString();
    ASSERT_EQ(msgs.shown.size(), 1);
    EXPECT_TRUE(msgs.shown[0].text.startsWith(QStringLiteral("出納帳データの送信処理中にエラーが発生しました。\r\r原因: ")));
    EXPECT_EQ(companyRows(kAll), before);
}

TEST_F(CashSiwakeMergeTest, AnEntryMadeInTheCashBookIsTakenInOnce)
{
    shipToCashBook();
    int made = 0;
    {
        CompanyDb r(recvDir);
        made = put(r.tr, QDate(2024, 6, 3), 5400, QStringLiteral("6208"), QStringLiteral("1101"), QStringLiteral("　お茶代 "));
    }
    ASSERT_GT(made, 0);
    EXPECT_EQ(takeIn(), QStringList{kOk});
    const QStringList first = companyRows(kAll);
    ASSERT_EQ(first.size(), 2);
    const QStringList debit = first[0].split(u'|');
    EXPECT_EQ(debit[5], QStringLiteral("2024/06/03"));
    EXPECT_EQ(debit[8], QStringLiteral("5400"));
    EXPECT_EQ(debit[9], QStringLiteral("　お茶代 "));
    EXPECT_EQ(debit[13], QStringLiteral("10")) << first[0].toStdString(); // LOCALFLG
    EXPECT_EQ(debit[14], QString::number(made));                          // RESERVE1: the cash book's REC
    EXPECT_EQ(debit[15], QStringLiteral("0"));
    // Written through the writer: the totals moved.
    EXPECT_EQ(companyRows(QStringLiteral("SELECT CAST(SUM(KAS_NUK) AS INTEGER) FROM KAMOKU_MS WHERE KCODE='%1' AND SCODE=' ' AND "
                                         "HCODE=' ' AND BCODE=' '").arg(cash)),
              QStringList{QStringLiteral("5400")});

    // The second take-in of the same cash book changes nothing.
    EXPECT_EQ(takeIn(), QStringList{kOk});
    EXPECT_EQ(companyRows(kAll), first);
}

TEST_F(CashSiwakeMergeTest, ChangesAndDeletionsOfOfficeEntriesFollowTheCashBook)
{
    const QString today = QStringLiteral("6208");
    const int changed = put(dm->IBTransactionDAT, QDate(2024, 5, 10), 1000, today, QStringLiteral("1101"), QStringLiteral("変更"));
    const int revived = put(dm->IBTransactionDAT, QDate(2024, 5, 11), 2000, today, QStringLiteral("1101"), QStringLiteral("復活"));
    const int dropped = put(dm->IBTransactionDAT, QDate(2024, 5, 12), 3000, today, QStringLiteral("1101"), QStringLiteral("削除"));
    const int kept = put(dm->IBTransactionDAT, QDate(2024, 5, 13), 4000, today, QStringLiteral("1101"), QStringLiteral("そのまま"));
    ASSERT_GT(kept, 0);
    {
        TCashBookSender s(dm.get());
        s.StampMode = 0;
        s.Execute();
        ASSERT_EQ(s.ResultCode(), 1);
    }
    shipToCashBook();
    remove(dm->IBTransactionDAT, (revived + 1) / 2); // deleted at the office after the send
    {
        CompanyDb r(recvDir);
        change(r.tr, changed, 1500, QStringLiteral("変更後"));
        change(r.tr, revived, 2500, QStringLiteral("復活後"));
        remove(r.tr, (dropped + 1) / 2);
    }
    const QStringList keptBefore = companyRows(QStringLiteral("SELECT * FROM SIWAKE WHERE SWKREC=%1").arg((kept + 1) / 2));

    const QStringList log = takeIn();
    const QStringList rows = companyRows(
        QStringLiteral("SELECT SWKREC,HIZUKE,CAST(KINGAKU AS INTEGER),TEKTEXT,LINKKEY,LINKKUB,DELFLG FROM SIWAKE WHERE TAISHAKU=1 "
                       "AND DELFLG IN (0,1) ORDER BY HIZUKE"));
    ASSERT_EQ(rows.size(), 4) << rows.join(u'\n').toStdString();
    const QStringList c = rows[0].split(u'|'), v = rows[1].split(u'|'), d = rows[2].split(u'|');
    EXPECT_EQ(c.mid(2), (QStringList{QStringLiteral("1500"), QStringLiteral("変更後"), QString::number(changed), QStringLiteral("10"),
                                    QStringLiteral("0")}));
    // Deleted here, changed there: back, linked again and overwritten.
    EXPECT_EQ(v.mid(2), (QStringList{QStringLiteral("2500"), QStringLiteral("復活後"), QString::number(revived), QStringLiteral("10"),
                                    QStringLiteral("0")}));
    // Deleted there: deleted here.
    EXPECT_EQ(d[0], QString::number((dropped + 1) / 2));
    EXPECT_EQ(d[6], QStringLiteral("1"));
    EXPECT_EQ(d[2], QStringLiteral("3000"));
    EXPECT_EQ(companyRows(QStringLiteral("SELECT * FROM SIWAKE WHERE SWKREC=%1").arg((kept + 1) / 2)), keptBefore);

    const QString tail = QStringLiteral(" 受信データの訂正仕訳が優先されました。");
    EXPECT_EQ(log, (QStringList{
                       QStringLiteral("2 11 (仕訳番号:%1 日付:2024/05/10 相手科目:通信費 摘要:変更後 金額:1,500)").arg(c[0]) + tail,
                       QStringLiteral("2 11 (仕訳番号:%1 日付:2024/05/11 相手科目:通信費 摘要:復活後 金額:2,500)").arg(v[0]) + tail,
                       QStringLiteral("2 12 (仕訳番号:%1 日付:2024/05/12 相手科目:通信費 摘要:削除 金額:3,000) "
                                      "受信データの削除仕訳が優先されました。")
                           .arg(d[0]),
                       kOk}));

    // Taken in again: everything is recognised and nothing moves.
    const QStringList all = companyRows(kAll);
    EXPECT_EQ(takeIn(), QStringList{kOk});
    EXPECT_EQ(companyRows(kAll), all);
}

TEST_F(CashSiwakeMergeTest, AnAccountTheCompanyLacksRollsEverythingBack)
{
    shipToCashBook();
    {
        CompanyDb r(recvDir);
        r.exec(QStringLiteral("INSERT INTO KAMOKUMST (KCODE,USERCODE,KNAME,GROUPM0,USE,HOJOSW,DAC) "
                              "SELECT '99901','99901','新科目',GROUPM0,USE,HOJOSW,DAC FROM KAMOKUMST WHERE KCODE='6208'"));
        // Only the account itself is new there, not a sub-account.
        r.exec(QStringLiteral("DELETE FROM HOJOMST WHERE KCODE='99901'"));
        put(r.tr, QDate(2024, 6, 1), 800, QStringLiteral("6208"), QStringLiteral("1101"), QStringLiteral("良い仕訳"));
        const int bad = put(r.tr, QDate(2024, 6, 2), 1200, QStringLiteral("6208"), QStringLiteral("1101"), QString());
        r.exec(QStringLiteral("UPDATE SIWAKE SET KCODE='99901',KNAME='新科目' WHERE REC=%1").arg(bad));
        r.exec(QStringLiteral("UPDATE SIWAKE SET R_KCODE='99901',R_KNAME='新科目' WHERE REC=%1").arg(bad + 1));
    }
    const QStringList before = companyRows(kAll);
    const QStringList log = takeIn();
    EXPECT_EQ(log, (QStringList{QStringLiteral("3 -111 (仕訳番号:-  日付:2024/06/02 相手科目:新科目 摘要:－ 金額:1,200) "
                                               "借方の科目コードの設定が不正です。"),
                                QStringLiteral("3 -100 取り込み処理を中止しました。")}));
    EXPECT_EQ(companyRows(kAll), before);
}
