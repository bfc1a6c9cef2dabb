// The cash-book exchange modes of the communication window end to end over
// the loopback fake relay and FTP server: sends stamp and upload to their
// slot, receives choose their slot, restore into a work database and load it,
// and only a load that finished deletes the slot on the server.
#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "RelayTestServers.h"
#include "comm/CashBookExchange.h"
#include "comm/DataTransfer.h"
#include "comm/z5CashBookLoader.h"
#include "comm/z5DataTusin.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "framework/FrameworkMessages.h"
#include "framework/xPlButton.h"
#include "framework/z5HikakuMess2.h"
#include "platform/ForeignWindows.h"
#include "CompanyDb.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

using namespace relaytest;

namespace {

const QString kCashId = QStringLiteral("CASH0001");
const QString kCashPass = QStringLiteral("cashpass");
const QString kFtpPass = QStringLiteral("ftp-secret");

class UpgradeWindowShown : public platform::ForeignWindows
{
public:
    bool exists(const QString &title) const override { return title == cashbook::kUpgradeWindowTitle; }
};

class CashBookExchangeTest : public DbFixture
{
protected:
    void SetUp() override
    {
        if (serverCertificate().certFile.isEmpty()) GTEST_SKIP() << "the OpenSSL tool could not make a certificate";
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 10;
        SystemDef.OpLevel = 9;
        ASSERT_TRUE(dm->fnGetSysDef());
        InitGengoTable();
        SystemDef.TempDir = root.root + QStringLiteral("/temp");
        QDir().mkpath(SystemDef.TempDir);
        savedRunner = ModalRunner;
        savedHook = MenuCallbackHook;
        MenuCallbackHook = nullptr;
        DataTusinPipelines = TDataTusinPipelines();
        InstallDataTransferPipelines();
        InstallCashBookPipelines();
        relay = std::make_unique<FakeRelay>();
        ASSERT_TRUE(relay->start());
        ftpRoot = testenv::freshDir(QStringLiteral("ftp"));
        for (int i = 1; i <= 10; ++i) QDir(ftpRoot).mkdir(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
        ftp = std::make_unique<FtpServer>(ftpRoot, kCashId, kFtpPass);
        if (!ftp->start(&why)) GTEST_SKIP() << why.toStdString();
        SystemDef.AppIniFile = testenv::sandbox() + QStringLiteral("/vqzaimu.ini");
        testenv::writeFile(SystemDef.AppIniFile,
                           QStringLiteral("[RELAY]\r\nHOST=127.0.0.1\r\nPORT=%1\r\nFTPPORT=%2\r\nCAFILE=%3\r\nCONNECTTIMEOUT=3000\r\n"
                                          "READTIMEOUT=5000\r\nSERIAL=SN-0001\r\nSTEPPAUSE=0\r\n")
                               .arg(relay->port())
                               .arg(ftp->port())
                               .arg(serverCertificate().certFile)
                               .toLatin1());
        // The company is attached after the FTP child started, so that the
        // child holds none of its files.
        SystemDef.DataDir = root.companyDir;
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE TUSIN_ID SET HOLDER='%1',PASWORD='%2' WHERE REC=1").arg(kCashId, kCashPass));
        ASSERT_TRUE(dm->fnGetAccInfo());
    }
    void TearDown() override
    {
        ModalRunner = savedRunner;
        MenuCallbackHook = savedHook;
        DataTusinPipelines = TDataTusinPipelines();
        platform::ForeignWindows::install(nullptr);
        relay.reset();
        ftp.reset();
        if (dm) DbFixture::TearDown();
    }

    // A slot holding data of this data set (or of another name or period).
    SlotSpec ours(const QString &password = kCashPass) const
    {
        SlotSpec s;
        s.name = AccInf.SHOUGOU;
        s.start = AccInf.KISHU.toString(QStringLiteral("yyyy-MM-dd 00:00:00"));
        s.end = AccInf.KIMATU.toString(QStringLiteral("yyyy-MM-dd 00:00:00"));
        s.password = password;
        return s;
    }

    // One run of a mode; the loader dialog of "/01" and the comparison dialog
    // go to `dialogs` (their result is the dialog's).
    int runMode(int mode, const QList<SlotSpec> &slots, const QList<QByteArray> &moreReplies = {})
    {
        QList<SlotSpec> all = slots;
        while (all.size() < 10) all << SlotSpec();
        relay->addReply(slotListReply(QStringLiteral("000"), all, 0, QStringLiteral("127.0.0.1"), kFtpPass));
        for (const QByteArray &r : moreReplies) relay->addReply(r);
        ModalRunner = [this](QDialog &d) { return dialogs ? dialogs(d) : 0; };
        if (!dm->IBDatabaseDAT.connected()) {
            EXPECT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        }
        EXPECT_TRUE(dm->fnGetAccInfo());
        auto *form = new TfmDataTusin;
        form->SetParams({QStringLiteral("SyoriType=%1").arg(mode)});
        const int result = form->Execute(true);
        return result;
    }
    // The requests of the last run, as "code folder".
    QStringList requestsSince(int first) const
    {
        QStringList out;
        const QList<QByteArray> all = relay->requests();
        for (int i = first; i < all.size(); ++i) {
            const QByteArray &r = all[i];
            const int code = r.indexOf("Scode=");
            const int folder = r.indexOf("fSname=");
            out << QString::fromLatin1(r.mid(code + 6, 4)) + (folder >= 0 ? u' ' + QString::fromLatin1(r.mid(folder + 7, 2)) : QString());
        }
        return out;
    }
    QStringList shownTexts() const
    {
        QStringList out;
        for (const MessageRequest &r : msgs.shown) out << r.text;
        return out;
    }
    bool slotFull(int n) const { return QFileInfo::exists(ftpRoot + QStringLiteral("/%1/vqacc.wen").arg(n, 2, 10, QLatin1Char('0'))); }

    QString ftpRoot, why;
    std::unique_ptr<FakeRelay> relay;
    std::unique_ptr<FtpServer> ftp;
    ScriptedMessages msgs;
    std::function<int(QDialog &)> dialogs;
    std::function<int(QDialog &)> savedRunner;
    std::function<int(int, const QString &)> savedHook;
};

} // namespace

TEST_F(CashBookExchangeTest, AMasterSendIsRefusedWhileTheCashBookSlotIsFull)
{
    msgs.answer(mrYes); // send?
    msgs.answer(mrOk);  // refused
    QList<SlotSpec> slots(3);
    slots[0] = ours();
    EXPECT_EQ(runMode(5, slots), 0);
    EXPECT_EQ(shownTexts(), (QStringList{QStringLiteral("  \r\n中継サーバーにデータを送信します。\r\n "),
                                         QStringLiteral("　\r\n受信処理を行ってから、マスター送信して下さい。\r\n ")}));
    EXPECT_EQ(requestsSince(0), QStringList{QStringLiteral("1720")});
    EXPECT_FALSE(slotFull(3));

    // While the cash book upgrades itself nothing is sent, and nothing is said.
    UpgradeWindowShown upgrading;
    platform::ForeignWindows::install(&upgrading);
    msgs.shown.clear();
    EXPECT_EQ(runMode(9, {}), -1);
    EXPECT_TRUE(msgs.shown.isEmpty());
    EXPECT_EQ(requestsSince(1), QStringList{});
}

TEST_F(CashBookExchangeTest, SendsGoToTheirSlotsAndReceivesPreferTheMasterSlot)
{
    // Mode 3: to "/02", then the link-only stamp.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='出納株式会社'"));
    msgs.answer(mrYes);
    msgs.answer(mrOk);
    EXPECT_EQ(runMode(3, {}, {completeReply(QStringLiteral("20240510134512"), QStringLiteral("000"))}), 1);
    EXPECT_EQ(shownTexts().value(1), QStringLiteral("　\r\n送信処理が終了しました。\r\n　"));
    EXPECT_EQ(requestsSince(0), (QStringList{QStringLiteral("1720"), QStringLiteral("1810 02")}));
    const QByteArray sent = relay->requests()[1];
    EXPECT_TRUE(sent.contains("&sFName=CASH0001&fSname=02&fSg=")) << sent.toStdString();
    EXPECT_TRUE(sent.contains("&fPa=cashpass&")) << sent.toStdString();
    EXPECT_TRUE(slotFull(2));
    EXPECT_TRUE(QDir(datatransfer::SendWorkFolder()).isEmpty());

    // Mode 6 with only "/02": an unattended cash-book import, then 1750 of "02".
    msgs.shown.clear();
    QList<SlotSpec> slots(3);
    slots[1] = ours();
    EXPECT_EQ(runMode(6, slots, {deleteReply(QStringLiteral("000"))}), 1) << shownTexts().join(u'|').toStdString();
    EXPECT_TRUE(msgs.shown.isEmpty()) << shownTexts().join(u'|').toStdString();
    EXPECT_EQ(requestsSince(2), (QStringList{QStringLiteral("1720"), QStringLiteral("1750 02")}));
    EXPECT_FALSE(QFileInfo::exists(datatransfer::RestoreWorkFolder() + QStringLiteral("/vqacc.fdb")));

    // Mode 5: the master send to "/03" after the full stamp.
    msgs.answer(mrYes);
    msgs.answer(mrOk);
    EXPECT_EQ(runMode(5, {}, {completeReply(QStringLiteral("20240510134512"), QStringLiteral("000"))}), 1);
    EXPECT_EQ(requestsSince(4), (QStringList{QStringLiteral("1720"), QStringLiteral("1810 03")}));
    EXPECT_TRUE(slotFull(3));

    // Mode 10 with "/02" and "/03" full takes "/03": the data import, then 1750 of "03".
    msgs.shown.clear();
    msgs.answer(mrYes); // receive now?
    slots[2] = ours();
    EXPECT_EQ(runMode(10, slots, {deleteReply(QStringLiteral("000"))}), 2) << shownTexts().join(u'|').toStdString();
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("　\r\nこれよりデータを受信します。\r\n ")});
    EXPECT_EQ(requestsSince(6), (QStringList{QStringLiteral("1720"), QStringLiteral("1750 03")}));
    EXPECT_TRUE(dm->IBDatabaseDAT.connected());
    EXPECT_EQ(AccInf.SHOUGOU, QStringLiteral("出納株式会社"));
}

TEST_F(CashBookExchangeTest, AFailedLoadKeepsTheSlotAndAFinishedOneDeletesIt)
{
    // What goes to "/01" (as the cash book would send it back).
    msgs.answer(mrYes);
    EXPECT_EQ(runMode(7, {}, {completeReply(QStringLiteral("20240510134512"), QStringLiteral("000"))}), 1);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("  \r\n中継サーバーにデータを送信します。\r\n ")}); // no closing word
    ASSERT_TRUE(slotFull(1));

    // The office changes an account's group meanwhile: the load fails and the slot stays.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE KAMOKUMST SET GROUPM0='1200' WHERE KCODE='1102'"));
    QList<SlotSpec> slots(3);
    slots[0] = ours();
    int loads = 0;
    qint32 code = 0;
    dialogs = [&](QDialog &d) {
        auto *box = qobject_cast<TCashBookLoaderBox *>(&d);
        if (!box) return 0;
        if (box->ShownAfterError()) return int(QDialog::Accepted); // the log shown after a failure
        ++loads;
        box->btnOkClick();
        code = box->ResultCode();
        box->btnCancelClick();
        return box->result();
    };
    msgs.shown.clear();
    msgs.answer(mrYes); // receive now?
    EXPECT_EQ(runMode(4, slots), 0);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(code, -105);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("　\r\nこれよりデータを受信します。\r\n ")}); // the loader said why
    EXPECT_EQ(requestsSince(2), QStringList{QStringLiteral("1720")});
    EXPECT_TRUE(slotFull(1));

    // Closed before it loaded: not a finished load, the slot stays.
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE KAMOKUMST SET GROUPM0=(SELECT GROUPM0 FROM KAMOKUMST WHERE KCODE='1101') "
                                                  "WHERE KCODE='1102'"));
    dialogs = [](QDialog &) { return int(QDialog::Rejected); };
    msgs.shown.clear();
    msgs.answer(mrYes);
    msgs.answer(mrOk);
    EXPECT_EQ(runMode(4, slots), 0);
    EXPECT_EQ(shownTexts().value(1), QStringLiteral("　\r\n受信処理が正常に終了していません。\r\n "));
    EXPECT_EQ(requestsSince(3), QStringList{QStringLiteral("1720")});
}

TEST_F(CashBookExchangeTest, ReceivesAreRefusedForAnotherPeriodOrPassword)
{
    QList<SlotSpec> slots(3);
    slots[1] = ours();
    slots[1].start = QStringLiteral("2001-04-01 00:00:00");
    QStringList labels;
    bool twoButtons = true;
    dialogs = [&](QDialog &d) {
        auto *box = qobject_cast<TfmHikakuMess2 *>(&d);
        if (!box) return 0;
        for (QLabel *l : box->findChildren<QLabel *>())
            if (!l->isHidden()) labels << l->objectName() + u'=' + l->text();
        twoButtons = !box->Button2->isHidden();
        fwtest::screenshot(box, QStringLiteral("cashbook_receive_refused"));
        box->Button1->click();
        return box->result();
    };
    EXPECT_EQ(runMode(6, slots), 0);
    labels.sort();
    ASSERT_EQ(labels.size(), 5) << labels.join(u'|').toStdString();
    EXPECT_EQ(labels[0], QStringLiteral("Label1=中継サーバーのデータと下記相違点があるため受信出来ません。"));
    EXPECT_EQ(labels[1], QStringLiteral("Label2=データを切り換えて実行して下さい。"));
    EXPECT_EQ(labels[2], QStringLiteral("Label7=会計期間が違います。"));
    EXPECT_TRUE(labels[3].startsWith(QStringLiteral("Label8=現在利用中の会計期間　：　")));
    EXPECT_TRUE(labels[4].startsWith(QStringLiteral("Label9=中継サーバーの会計期間：　2001/04/01 ～ ")));
    EXPECT_FALSE(twoButtons);
    EXPECT_EQ(requestsSince(0), QStringList{QStringLiteral("1720")});

    // Mode 10 with nothing to receive says so; a wrong password is refused.
    msgs.answer(mrOk);
    EXPECT_EQ(runMode(10, {}), 0);
    slots[1] = ours(QStringLiteral("other"));
    msgs.answer(mrOk);
    EXPECT_EQ(runMode(10, slots), 0);
    EXPECT_EQ(shownTexts(), (QStringList{QStringLiteral("　\r\n受信データがありません。\r\n "), QStringLiteral("　\r\nパスワードが違います。\r\n ")}));
}

TEST_F(CashBookExchangeTest, ASendOverAnotherPasswordOnlyAsksPlainly)
{
    QList<SlotSpec> slots(3);
    slots[0] = ours(QStringLiteral("other"));
    msgs.answer(mrYes); // send?
    msgs.answer(mrNo);  // overwrite despite the password?
    EXPECT_EQ(runMode(9, slots), 0);
    EXPECT_EQ(shownTexts().value(1), QStringLiteral("中継サーバーに下記相違点のあるデータが存在します。このまま送信して上書きしてもいいですか？\r\n\r\n"
                                                    "パスワードが違います。"));
    EXPECT_EQ(requestsSince(0), QStringList{QStringLiteral("1720")});
    EXPECT_FALSE(slotFull(1));
}
