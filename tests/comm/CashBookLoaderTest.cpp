// The take-in of a received company database: the refusal while others are
// attached, the account checks, the one transaction over both databases, the
// data import with the replacement of the company database, the log export.
#include "comm/z5CashBookLoader.h"
#include "core/FileUtils.h"
#include "dbaccess/AccInfo.h"
#include "platform/Cp932.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/Globals.h"
#include "framework/xPlButton.h"
#include "CompanyDb.h"
#include "support/DbFixture.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QFrame>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {
using commtest::CompanyDb;

class CashBookLoaderTest : public DbFixture
{
protected:
    void SetUp() override
    {
        DbFixture::SetUp();
        // The received database: a copy of the company's, made while nobody is attached.
        recvDir = testenv::freshDir(QStringLiteral("ComR"));
        received = recvDir + QStringLiteral("/vqacc.fdb");
        ASSERT_TRUE(QFile::copy(root.companyDir + QStringLiteral("/vqacc.fdb"), received));
        SystemDef.DataDir = root.companyDir;
        SystemDef.TempDir = testenv::freshDir(QStringLiteral("temp"));
        SystemDef.OpCode = 10;
    }

    // Opens the company database as the open data set.
    void openCompany()
    {
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        ASSERT_TRUE(dm->fnGetAccInfo());
    }

    static QStringList logOf(const TCashBookLoader &l)
    {
        QStringList out;
        for (const TCorvenaSyoriInfo &e : l.SyoriLog) out << QStringLiteral("%1 %2 %3").arg(e.Level).arg(e.Code).arg(e.Message);
        return out;
    }

    // Everything a run could change on either side, read through a connection of its own.
    static QStringList snapshot(const QString &folder)
    {
        CompanyDb db(folder);
        QStringList s;
        s << db.rows(QStringLiteral("SELECT KCODE, HCODE, HNAME FROM HOJOMST ORDER BY KCODE, HCODE"));
        s << db.rows(QStringLiteral("SELECT SCODE, KCODE, HCODE, BCODE FROM KAMOKU_SZ ORDER BY 1, 2, 3, 4"));
        s << db.rows(QStringLiteral("SELECT HOJO_INS_MODE, ENTTEXT, PASWORD, SHOUGOU FROM ACCDEF1"));
        s << db.rows(QStringLiteral("SELECT CREC, TEXT FROM TEKDIC ORDER BY REC"));
        s << db.rows(QStringLiteral("SELECT COUNT(*) FROM OPINF"));
        return s;
    }

    QString recvDir, received;
};

} // namespace

TEST_F(CashBookLoaderTest, AnotherAttachmentRefusesTheRunAndChangesNothing)
{
    openCompany();
    CompanyDb other(root.companyDir); // a second workstation
    const QStringList before = snapshot(recvDir);
    TCashBookLoader l(dm.get());
    l.SourceKind = 1;
    l.ImportKind = 0;
    l.SetReceiveFile(received);
    l.Run();
    EXPECT_EQ(logOf(l), QStringList{QStringLiteral("3 -100 現在、他のユーザーがデータを使用中です。他のユーザーがデータを使用"
                                                   "している間は現金出納帳の取り込みは行えません。")});
    EXPECT_EQ(l.ResultCode(), -100);
    EXPECT_EQ(snapshot(recvDir), before);
    EXPECT_TRUE(dm->IBDatabaseDAT.connected());
}

TEST_F(CashBookLoaderTest, AMissingReceivedFileFailsToConnect)
{
    openCompany();
    TCashBookLoader l(dm.get());
    l.SourceKind = 1;
    l.SetReceiveFile(recvDir + QStringLiteral("/none.fdb"));
    l.Run();
    EXPECT_EQ(logOf(l), QStringList{QStringLiteral("3 -100 会計データの接続に失敗しました。")});
    EXPECT_EQ(l.ResultValue, -100);
}

TEST_F(CashBookLoaderTest, AnAccountWithAnotherGroupLogs105Then103AndChangesNothing)
{
    {
        CompanyDb r(recvDir);
        r.exec(QStringLiteral("UPDATE KAMOKUMST SET GROUPM0='1200' WHERE KCODE='1102'"));
        r.exec(QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME) VALUES ('1103', '01', '受信銀行')"));
    }
    openCompany();
    const QStringList company = snapshot(root.companyDir), recv = snapshot(recvDir);
    TCashBookLoader l(dm.get());
    l.SourceKind = 0;
    l.ImportKind = 1;
    l.SetReceiveFile(received);
    l.Run();
    EXPECT_EQ(logOf(l), (QStringList{
                            QStringLiteral("3 -105 (使用データ:1102 当座預金 ≠ 受信データ:1102 当座預金) "
                                           "受信データの科目の設定内容に違いがありました。"),
                            QStringLiteral("3 -103 データの設定変更により科目体系に差異が発生しています。マスター送信を行って下さい。")}));
    EXPECT_EQ(l.ResultCode(), -105);
    dm->IBDatabaseDAT.close();
    EXPECT_EQ(snapshot(root.companyDir), company);
    EXPECT_EQ(snapshot(recvDir), recv);
}

TEST_F(CashBookLoaderTest, AFailureInALateStepLeavesBothDatabasesUnchanged)
{
    {
        CompanyDb r(recvDir);
        r.exec(QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME) VALUES ('1103', '01', '受信銀行')"));
    }
    {
        // The cash account's debit/credit class has no balance query: the comparison fails.
        CompanyDb c(root.companyDir);
        c.exec(QStringLiteral("UPDATE KAMOKUMST SET DAC=0 WHERE KCODE='1101'"));
    }
    openCompany();
    const QStringList company = snapshot(root.companyDir), recv = snapshot(recvDir);
    TCashBookLoader l(dm.get());
    l.SourceKind = 0;
    l.ImportKind = 1;
    l.SetReceiveFile(received);
    bool merged = false;
    l.MergeCashEntries = [&](TCashBookLoader &loader) {
        // A step that writes the received database inside the work transaction.
        loader.ReceiveIBSQL1.setSql(QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='書き換え'"));
        loader.ReceiveIBSQL1.execSQL();
        // What the sub-account step wrote to the company database is seen here.
        loader.IBSQL1.setSql(QStringLiteral("SELECT COUNT(*) FROM HOJOMST WHERE KCODE='1103' AND HCODE='01'"));
        loader.IBSQL1.open();
        merged = loader.IBSQL1.field(0).asInteger() == 1;
        loader.IBSQL1.close();
    };
    l.Run();
    EXPECT_TRUE(merged);
    ASSERT_FALSE(l.SyoriLog.isEmpty());
    EXPECT_EQ(l.SyoriLog.last().Code, -100);
    EXPECT_TRUE(l.SyoriLog.last().Message.startsWith(QStringLiteral("「科目残高の比較」に失敗しました。 原因: ")));
    EXPECT_LT(l.ResultCode(), 0);
    dm->IBDatabaseDAT.close();
    EXPECT_EQ(snapshot(root.companyDir), company);
    EXPECT_EQ(snapshot(recvDir), recv);
}

TEST_F(CashBookLoaderTest, CashBookImportTakesNewSubAccountsAndWarnsOfUnusedAccounts)
{
    {
        CompanyDb r(recvDir);
        r.exec(QStringLiteral("INSERT INTO HOJOMST (KCODE, HCODE, HNAME) VALUES ('1103', '01', '受信銀行')"));
        r.exec(QStringLiteral("UPDATE KAMOKUMST SET USE=0 WHERE KCODE='1104'"));
    }
    openCompany();
    TCashBookLoader l(dm.get());
    l.SourceKind = 0;
    l.ImportKind = 1;
    l.SetReceiveFile(received);
    l.Run();
    EXPECT_EQ(logOf(l), (QStringList{
                            QStringLiteral("2 101 (使用データ:1104 定期預金) 受信データの当科目は[使用しない]に設定されています。"),
                            QStringLiteral("1 1 取り込み処理が成功しました。 （次回の送信時は、マスター送信を行って下さい。）")}));
    EXPECT_EQ(l.ResultCode(), 1);
    dm->IBDatabaseDAT.close();
    CompanyDb c(root.companyDir);
    EXPECT_EQ(c.rows(QStringLiteral("SELECT HNAME, OPCODE FROM HOJOMST WHERE KCODE='1103' AND HCODE='01'")),
              QStringList{QStringLiteral("受信銀行|10")});
    EXPECT_EQ(c.rows(QStringLiteral("SELECT SCODE, BCODE FROM KAMOKU_SZ WHERE KCODE='1103' AND HCODE='01'")),
              QStringList{QStringLiteral(" | ")});
    // The cash-book import never replaces the company database.
    EXPECT_EQ(c.rows(QStringLiteral("SELECT SHOUGOU FROM ACCDEF1")).size(), 1);
}

namespace {

class DataImportTest : public CashBookLoaderTest
{
protected:
    void SetUp() override
    {
        CashBookLoaderTest::SetUp();
        {
            CompanyDb c(root.companyDir);
            c.exec(QStringLiteral("UPDATE ACCDEF1 SET ENTTEXT='事務所のデータ', DATALOCK=1, SHOUGOU='旧商事'"));
            c.exec(QStringLiteral("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (1, ' ', 1, '事務所分類')"));
            c.exec(QStringLiteral("INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE, KAR_KCODE, KAR_HCODE, KAR_BCODE) "
                                  "VALUES (0, 1, 'ｼﾞﾑ', '事務所の摘要', ' ', '1101', ' ', ' ')"));
        }
        {
            CompanyDb r(recvDir);
            r.exec(QStringLiteral("UPDATE ACCDEF1 SET ENTTEXT='送信元', DATALOCK=0, PASWORD='pw', WEB_HOLDER='ID01', "
                                  "SHOUGOU='新商事'"));
            r.exec(QStringLiteral("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (5, ' ', 1, '送信元分類')"));
            r.exec(QStringLiteral("INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE) VALUES (0, 5, 'ｿｳｼﾝ', '送信元の摘要', ' ')"));
            r.exec(QStringLiteral("INSERT INTO OPINF (OPCODE, JOBNAME) VALUES (10, 'x')"));
            r.exec(QStringLiteral("INSERT INTO OPHIST (OPCODE, JOBNAME) VALUES (10, 'x')"));
            r.exec(QStringLiteral("INSERT INTO OPLICENSE (OPCODE, SCODE) VALUES (10, ' ')"));
            r.exec(QStringLiteral("UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', '合算データ区分', '整数', '1')"));
            r.exec(QStringLiteral("UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', '合算データ数', '整数', '2')"));
        }
        openCompany();
    }
    QStringList leftovers() const
    {
        return QDir(root.companyDir).entryList({QStringLiteral("vqacc.f0*"), QStringLiteral("*.part*")}, QDir::Files);
    }
};

} // namespace

TEST_F(DataImportTest, InstallsTheReceivedDatabaseWithTheCompanysDictionaries)
{
    TCashBookLoader l(dm.get());
    l.SourceKind = 1;
    l.ImportKind = 0;
    l.SetReceiveFile(received);
    l.Run();
    EXPECT_EQ(logOf(l), QStringList{QStringLiteral("1 1 取り込み処理が成功しました。")});
    EXPECT_EQ(l.ResultCode(), 1);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(u' ').toStdString();
    EXPECT_TRUE(QFileInfo::exists(GetEnvVar(SystemDef.TempDir) + QStringLiteral("/vqzjisyo.txt")));
    // The company connection is open again, on the received data set.
    ASSERT_TRUE(dm->IBDatabaseDAT.connected());
    EXPECT_EQ(AccInf.SHOUGOU, QStringLiteral("新商事"));
    dm->IBDatabaseDAT.close();
    CompanyDb c(root.companyDir);
    EXPECT_EQ(c.rows(QStringLiteral("SELECT SHOUGOU, ENTTEXT, DATALOCK, PASWORD, WEB_HOLDER FROM ACCDEF1")),
              QStringList{QStringLiteral("新商事|事務所のデータ|1||")});
    EXPECT_EQ(c.rows(QStringLiteral("SELECT H.TEXT, T.TEXT, T.KAR_KCODE FROM TEKDIC T JOIN TEKDICTI H ON H.CREC=T.CREC")),
              QStringList{QStringLiteral("事務所分類|事務所の摘要|1101")});
    for (const char *table : {"OPINF", "OPHIST", "OPLICENSE", "OPDEFSISETU"})
        EXPECT_EQ(c.rows(QStringLiteral("SELECT COUNT(*) FROM ") + QString::fromLatin1(table)), QStringList{QStringLiteral("0")})
            << table;
    // The merged-data settings of the sender are gone (reading the company information
    // afterwards writes the defaults of missing settings).
    EXPECT_EQ(c.rows(QStringLiteral("SELECT ACODE, ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE LIKE '合算データ%' "
                                    "ORDER BY ACODE")),
              (QStringList{QStringLiteral("合算データ区分|0"), QStringLiteral("合算データ数|0")}));
}

TEST_F(DataImportTest, AFailedReplacementIsAFailureAndKeepsTheCompanyDatabase)
{
    struct Case {
        const char *name;
        bool failCopy;       // the received file cannot be copied (half written)
        bool failSecondMove; // the copy cannot be put in place
    };
    for (const Case &c : {Case{"copy", true, false}, Case{"swap", false, true}}) {
        SCOPED_TRACE(c.name);
        if (!dm->IBDatabaseDAT.connected()) openCompany();
        TCashBookLoader l(dm.get());
        l.SourceKind = 1;
        l.ImportKind = 0;
        l.SetReceiveFile(received);
        l.CopyFile = [&](const QString &source, const QString &target, int mode) {
            if (!c.failCopy) return dm->FCopy(source, target, mode);
            testenv::writeFile(target, QByteArray("half a database"));
            return false;
        };
        int moves = 0;
        l.MoveFile = [&](const QString &source, const QString &target, int mode) {
            if (c.failSecondMove && ++moves == 2) return false;
            return dm->FMove(source, target, mode);
        };
        l.Run();
        ASSERT_GE(l.SyoriLog.size(), 2);
        EXPECT_EQ(logOf(l).mid(l.SyoriLog.size() - 2),
                  (QStringList{QStringLiteral("1 1 取り込み処理が成功しました。"),
                               QStringLiteral("3 -100 受信データの移行処理後のコピーに失敗しました。")}));
        EXPECT_EQ(l.ResultCode(), -100);
        EXPECT_EQ(l.ResultValue, -100);
        EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(u' ').toStdString();
        // The company database is the previous one, whole.
        ASSERT_TRUE(dm->IBDatabaseDAT.connected());
        dm->IBDatabaseDAT.close();
        CompanyDb db(root.companyDir);
        EXPECT_EQ(db.rows(QStringLiteral("SELECT SHOUGOU FROM ACCDEF1")), QStringList{QStringLiteral("旧商事")});
    }
}

TEST(CashBookLoaderLog, CsvAndTextBytes)
{
    TCorvenaSyoriLog log;
    log.append({QString(), 2, 201, QStringLiteral("残高の違い")});
    log.append({QString(), 3, -100, QStringLiteral("it's 'x'")});
    log.append({QString(), 0, 0, QStringLiteral("なし")});
    log.append({QString(), 7, 5, QStringLiteral("他")});
    auto cp = [](const char *utf8) { return platform::toCp932(QString::fromUtf8(utf8)); };
    EXPECT_EQ(TCashBookLoader::LogFileBytes(log, true),
              cp("'警告','201','残高の違い',\r\n\r\n"
                 "'エラー','-100','it''s ''x''',\r\n\r\n"
                 "'','0','なし',\r\n\r\n"
                 "'5','他',\r\n\r\n"));
    EXPECT_EQ(TCashBookLoader::LogFileBytes(log, false),
              cp("警告\t201\t残高の違い\t\r\n\r\n"
                 "エラー\t-100\tit's 'x'\t\r\n\r\n"
                 "\t0\tなし\t\r\n\r\n"
                 "5\t他\t\r\n\r\n"));
}

TEST(CashBookLoaderLog, ResultCodeWalk)
{
    struct Case {
        std::vector<std::pair<quint8, qint32>> entries;
        qint32 result;
    };
    const Case cases[] = {
        {{}, 0},
        {{{2, 201}, {1, 1}}, 1},          // warnings only before the summary
        {{{3, -105}, {3, -103}}, -105},   // the first error counts
        {{{1, 1}, {3, -100}}, 1},         // the summary comes first
        {{{2, 101}, {2, 201}}, 201},      // neither: the last entry
    };
    for (const Case &c : cases) {
        TCorvenaSyoriLog log;
        for (const auto &[level, code] : c.entries) log.append({QString(), level, code, QString()});
        EXPECT_EQ(SyoriLogResultCode(log), c.result);
    }
}

TEST_F(CashBookLoaderTest, AnUnattendedRunThatFailsShowsTheDialogWithItsLog)
{
    openCompany();
    CompanyDb other(root.companyDir);
    TCashBookLoaderBox box(dm.get());
    box.SetSourceKind(1);
    box.SetImportKind(0);
    box.SetReceiveFile(received);
    bool shown = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        if (!box.isVisible()) return;
        poll.stop();
        shown = true;
        EXPECT_EQ(box.btnCancel->text(), QStringLiteral("閉じる"));
        EXPECT_TRUE(box.btnCancel->isEnabled());
        EXPECT_FALSE(box.btnOk->isVisible());
        EXPECT_EQ(box.lblTitle1->text(), QStringLiteral("データの取り込みが中止されました。"));
        EXPECT_EQ(box.lblTitle2->text(), QStringLiteral("下記の情報より、中止された理由を確認して下さい。"));
        EXPECT_EQ(box.ListView1->topLevelItemCount(), 1);
        EXPECT_EQ(box.ListView1->topLevelItem(0)->text(0), QStringLiteral("エラー"));
        EXPECT_TRUE(box.btnOutput->isEnabled());
        const QString shot = qEnvironmentVariable("SOLTEA_SCREENSHOT_DIR");
        if (!shot.isEmpty()) box.grab().save(shot + QStringLiteral("/cashbookloader-refused.png"));
        box.btnCancelClick();
    });
    poll.start();
    box.RunAuto();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(box.ShownAfterError());
    EXPECT_EQ(box.ResultCode(), -100);
    EXPECT_EQ(box.result(), QDialog::Accepted); // closed with "閉じる"

    // The log export through the dialog: CSV by its name.
    const QString out = testenv::freshDir(QStringLiteral("logout")) + QStringLiteral("/受信ログ.csv");
    ASSERT_TRUE(box.ExportLog(out));
    EXPECT_EQ(testenv::readFile(out), TCashBookLoader::LogFileBytes(box.Loader().SyoriLog, true));
}

TEST_F(CashBookLoaderTest, AnUnattendedRunThatSucceedsShowsNoWindow)
{
    openCompany();
    TCashBookLoaderBox box(dm.get());
    box.SetSourceKind(1);
    box.SetImportKind(0);
    box.SetReceiveFile(received);
    box.RunAuto();
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(box.ShownAfterError());
    EXPECT_EQ(box.ResultCode(), 1);
}

TEST_F(CashBookLoaderTest, AShownDialogRunsByItselfAndClosesWithTheCloseButton)
{
    openCompany();
    TCashBookLoaderBox box(dm.get());
    box.SetSourceKind(0);
    box.SetImportKind(1);
    box.SetReceiveFile(received);
    bool sawPanel = false, checked = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        if (!box.isVisible()) return;
        if (box.pnlProgress->isVisible()) sawPanel = true;
        if (!box.btnCancel->isEnabled() || box.ListView1->topLevelItemCount() == 0) return;
        poll.stop();
        checked = true;
        EXPECT_EQ(box.lblTitle1->text(), QStringLiteral("現金出納帳データの取り込みを行いました。"));
        EXPECT_EQ(box.lblTitle2->text(), QStringLiteral("下記の情報を確認して下さい。"));
        EXPECT_EQ(box.ListView1->topLevelItem(0)->text(0), QStringLiteral("情報"));
        EXPECT_EQ(box.ListView1->topLevelItem(0)->text(1), QStringLiteral("取り込み処理が成功しました。"));
        EXPECT_EQ(box.RichEdit1->toPlainText(), QStringLiteral("取り込み処理が成功しました。"));
        EXPECT_FALSE(box.pnlProgress->isVisible());
        const QString shot = qEnvironmentVariable("SOLTEA_SCREENSHOT_DIR");
        if (!shot.isEmpty()) box.grab().save(shot + QStringLiteral("/cashbookloader-done.png"));
        box.btnCancel->click();
    });
    poll.start();
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(sawPanel);
    EXPECT_EQ(box.ResultCode(), 1);
}
