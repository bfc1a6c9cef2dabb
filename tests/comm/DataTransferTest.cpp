// Sending a data set to a relay slot and receiving it into another data set,
// end to end over the loopback fake relay and FTP server: the books arrive,
// the completion requests carry their values, and every failure leaves the
// data set as it was with the work folders emptied.
#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "RelayTestServers.h"
#include "comm/DataTransfer.h"
#include "comm/TransferFile.h"
#include "comm/z5DataTusin.h"
#include "core/FileUtils.h"
#include "core/SjisText.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataInfo.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "framework/FrameworkMessages.h"
#include "framework/xPlButton.h"
#include "platform/IniFile.h"
#include "support/CompanyRows.h"
#include "support/DbFixture.h"
#include "support/KilledChildLock.h"
#include "support/SchemaTemplates.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

using namespace relaytest;

namespace {

const QString kWebId = QStringLiteral("WEB0001");
const QString kWebPass = QStringLiteral("webpass");
const QString kFtpPass = QStringLiteral("ftp-secret");
const QString kNameA = QString::fromUtf16(u"株式会社みどり商事");
const QString kNameB = QString::fromUtf16(u"青空工業株式会社");
const QString kVirus = QStringLiteral("送信処理に失敗しました。ウイルス対策ソフトを実行中の場合は、終了してから再度送信を行ってください。");

QString cell(const QTableWidget *g, int row, int col)
{
    const QTableWidgetItem *i = g->item(row, col);
    return i ? i->text() : QString();
}

class DataTransferTest : public DbFixture
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
        A = root.companyDir;
        B = slot(2);
        addCompany(2);
        describeDataSet(A.right(4).toInt(), QStringLiteral("midori"), 1, 11, 0, QStringLiteral("0001"));
        describeDataSet(2, QStringLiteral("aozora"), 1, 11, 0, QStringLiteral("0002"));
        companySql(A, QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='%1',ENTTEXT='%2',WEB_HOLDER='%3',PASWORD='%4'")
                          .arg(kNameA, QString::fromUtf16(u"みどり商事"), kWebId, kWebPass));
        companySql(B, QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='%1',ENTTEXT='%2',WEB_HOLDER='%3',PASWORD='%4'")
                          .arg(kNameB, QString::fromUtf16(u"青空工業"), kWebId, kWebPass));
        companyrows::fill(A + QStringLiteral("/vqacc.fdb"), testenv::kDbUser, testenv::kDbPassword, 30, 80);
        companyrows::fill(B + QStringLiteral("/vqacc.fdb"), testenv::kDbUser, testenv::kDbPassword, 4, 6, 5000);
        savedRunner = ModalRunner;
        savedHook = MenuCallbackHook;
        MenuCallbackHook = nullptr;
        DataTusinPipelines = TDataTusinPipelines();
        InstallDataTransferPipelines();
        relay = std::make_unique<FakeRelay>();
        ASSERT_TRUE(relay->start());
        ftpRoot = testenv::freshDir(QStringLiteral("ftp"));
        for (int i = 1; i <= 10; ++i) QDir(ftpRoot).mkdir(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
        writeIni(freePort());
    }
    void TearDown() override
    {
        ModalRunner = savedRunner;
        MenuCallbackHook = savedHook;
        DataTusinPipelines = TDataTusinPipelines();
        CloudUploadHook = nullptr;
        relay.reset();
        ftp.reset();
        if (dm) DbFixture::TearDown();
    }

    static void companySql(const QString &folder, const QString &sql)
    {
        FbDatabase db;
        db.DatabaseName = folder + QStringLiteral("/vqacc.fdb");
        db.Params = companyrows::params(testenv::kDbUser, testenv::kDbPassword);
        db.open();
        FbTransaction tr(&db);
        tr.startTransaction();
        FbQuery q(&db, &tr);
        q.setSql(sql);
        q.execSQL();
        tr.commit();
        db.close();
    }
    static QString companyValue(const QString &folder, const QString &sql)
    {
        FbDatabase db;
        db.DatabaseName = folder + QStringLiteral("/vqacc.fdb");
        db.Params = companyrows::params(testenv::kDbUser, testenv::kDbPassword);
        db.open();
        FbTransaction tr(&db);
        tr.startTransaction();
        FbQuery q(&db, &tr);
        q.setSql(sql);
        q.open();
        const QString v = q.eof() ? QString() : q.field(0).asString();
        q.close();
        tr.commit();
        db.close();
        return v;
    }
    static QString digest(const QString &folder)
    {
        return companyrows::digest(folder + QStringLiteral("/vqacc.fdb"), testenv::kDbUser, testenv::kDbPassword);
    }
    static int status(const QString &folder)
    {
        const platform::IniFile f(TDataInfomation::IniFileOf(folder));
        return f.readInteger(QStringLiteral("DATASTS"), QStringLiteral("STATUS"), 1);
    }
    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    void writeIni(quint16 ftpPort)
    {
        SystemDef.AppIniFile = testenv::sandbox() + QStringLiteral("/vqzaimu.ini");
        testenv::writeFile(SystemDef.AppIniFile,
                           QStringLiteral("[RELAY]\r\nHOST=127.0.0.1\r\nPORT=%1\r\nFTPPORT=%2\r\nCAFILE=%3\r\nCONNECTTIMEOUT=3000\r\n"
                                          "READTIMEOUT=5000\r\nSERIAL=SN-0001\r\nSTEPPAUSE=0\r\n")
                               .arg(relay->port())
                               .arg(ftpPort)
                               .arg(serverCertificate().certFile)
                               .toLatin1());
    }
    // The file channel; false (with the reason) when it cannot run here.
    bool startFtp(const QStringList &faults = {})
    {
        ftp.reset();
        ftp = std::make_unique<FtpServer>(ftpRoot, kWebId, kFtpPass, faults);
        if (!ftp->start(&why)) return false;
        writeIni(ftp->port());
        return true;
    }

    void openDataSet(const QString &folder)
    {
        dm->fnAccDatDisConnected(QString(), false, false);
        SystemDef.DataDir = folder;
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), folder, false));
        ASSERT_TRUE(dm->fnGetAccInfo());
    }

    // A window set up as after its slot list, for running a pipeline directly.
    static void prepare(TfmDataTusin &f, int mode, const QString &slotPassword)
    {
        f.SetParams({QStringLiteral("SyoriType=%1").arg(mode)});
        f.Settings = TRelaySettings::fromApplicationIni();
        f.Session.SerialText = f.Settings.SerialText;
        f.Session.FtpHost = QStringLiteral("127.0.0.1");
        f.Session.FtpPassword = kFtpPass;
        f.Session.Slots[1].DataName = QStringLiteral("staged");
        f.Session.Slots[1].SlotPassword = slotPassword;
        f.PerfectGrid1->setRowCount(TRelaySession::SlotCount);
        f.PerfectGrid1->setItem(1, tcDataName, new QTableWidgetItem(QStringLiteral("staged")));
        f.PerfectGrid1->setCurrentCell(1, tcDataName);
        f.SelectedFolder = SystemDef.DataDir;
    }

    // Puts the books of a data set into slot 02 as a send would (with the
    // information block, or as a bare backup), enciphered with the password.
    void stage(const QString &source, const QString &password, bool withHeader = true)
    {
        openDataSet(source);
        const QString dir = testenv::freshDir(QStringLiteral("stage"));
        const QString fbk = dir + QStringLiteral("/vqacc.fbk");
        if (withHeader) {
            TfmDataTusin f;
            prepare(f, 1, kWebPass);
            ASSERT_TRUE(ForceDir(datatransfer::SendWorkFolder()));
            ASSERT_TRUE(datatransfer::BackupForSend(f, true));
            ASSERT_TRUE(QFile::copy(datatransfer::SendWorkFolder() + QStringLiteral("/vqacc.fbk"), fbk));
            datatransfer::EmptyWorkFolder(datatransfer::SendWorkFolder());
        } else {
            ASSERT_TRUE(dm->BackupFDB(TDM::ProtocolLocal, QString(), source + QStringLiteral("/vqacc.fdb"), fbk, true));
        }
        transferfile::Pack(fbk, dir + QStringLiteral("/vqacc.zip"));
        transferfile::Encrypt(dir + QStringLiteral("/vqacc.zip"), ftpRoot + QStringLiteral("/02/vqacc.wen"),
                              transferfile::PassPhrase(password));
        dm->fnAccDatDisConnected(QString(), false, false);
    }

    void runModal(const std::function<void(TfmDataTusin &)> &steps)
    {
        ModalRunner = [steps](QDialog &d) {
            auto &form = static_cast<TfmDataTusin &>(d);
            QTimer poll;
            bool done = false;
            QObject::connect(&poll, &QTimer::timeout, &d, [&] {
                if (done || !d.isVisible() || form.FirstActivation) return;
                done = true;
                if (steps) steps(form);
                if (d.isVisible()) d.done(2);
            });
            QTimer deadline;
            deadline.setSingleShot(true);
            QObject::connect(&deadline, &QTimer::timeout, &d, [&d] {
                ADD_FAILURE() << "the communication window did not close";
                d.done(0);
            });
            deadline.start(60000);
            return fwtest::execUntilDone(d, [&poll] { poll.start(20); });
        };
    }

    QStringList shownTexts() const
    {
        QStringList out;
        for (const MessageRequest &r : msgs.shown) out << r.text;
        return out;
    }

    QString A, B, ftpRoot, why;
    std::unique_ptr<FakeRelay> relay;
    std::unique_ptr<FtpServer> ftp;
    ScriptedMessages msgs;
    std::function<int(QDialog &)> savedRunner;
    std::function<int(int, const QString &)> savedHook;
};

TEST_F(DataTransferTest, ADataSetSentToSlot2IsReceivedIntoAnother)
{
    if (!startFtp()) GTEST_SKIP() << why.toStdString();
    openDataSet(A);
    const QString booksOfA = digest(A);
    const QString kishu = AccInf.KISHU.toString(QStringLiteral("yyyyMMdd"));
    const QString kimatu = AccInf.KIMATU.toString(QStringLiteral("yyyyMMdd"));
    const QString nendo = QString::number(AccInf.NENDO);
    const QString version = QStringLiteral("%1%2").arg(AccInf.MAJOR, 2, 10, QLatin1Char('0')).arg(AccInf.MINOR1, 2, 10, QLatin1Char('0'));
    ASSERT_NE(booksOfA, digest(B));

    // The send, through F12 of the window.
    relay->addReply(slotListReply(QStringLiteral("000"), {}));
    relay->addReply(completeReply(QStringLiteral("20240510134512"), QStringLiteral("000")));
    msgs.answer(mrYes); // send to No.2?
    msgs.answer(mrYes); // done
    {
        TfmDataTusin form;
        form.SetParams({QStringLiteral("SyoriType=1")});
        bool ran = false;
        runModal([&](TfmDataTusin &f) {
            ran = true;
            EXPECT_TRUE(f.F12->isEnabled());
            f.PerfectGrid1->setCurrentCell(1, tcDataName);
            f.F12->click();
            EXPECT_FALSE(f.isVisible()); // a send that went through closes the window
            EXPECT_EQ(cell(f.PerfectGrid1, 1, tcDataName), QString::fromUtf16(u"みどり商事"));
            EXPECT_EQ(cell(f.PerfectGrid1, 1, tcNendo), nendo + QStringLiteral("期"));
            EXPECT_EQ(cell(f.PerfectGrid1, 1, tcSendTime), QStringLiteral("2024/05/10 13:45"));
            EXPECT_EQ(cell(f.PerfectGrid1, 1, tcReceiveTime), QStringLiteral("-"));
        });
        EXPECT_EQ(form.Execute(true), 0);
        EXPECT_TRUE(ran);
    }
    ASSERT_EQ(shownTexts().size(), 2) << shownTexts().join(u'|').toStdString();
    EXPECT_EQ(msgs.shown[0].text, QStringLiteral("　\r\n中継サーバーの No.2 フォルダに、現在利用中のデータを送信します。実行しますか？\r\n "));
    EXPECT_EQ(msgs.shown[1].text, QStringLiteral("　\r\nデータ送信処理が終了しました。\r\n "));
    ASSERT_EQ(relay->requests().size(), 2);
    const QByteArray sent = relay->requests()[1];
    EXPECT_TRUE(sent.startsWith("GET /request.php?Scode=1820&sSno=SN-0001&sFName=WEB0001&fSname=02&fSg=")) << sent.toStdString();
    const QString values = QStringLiteral("&fNe=") + nendo + QStringLiteral("&fKis=") + kishu + QStringLiteral("0000&fKie=") + kimatu +
                           QStringLiteral("0000&fPa=webpass&fYobi=") + version + QStringLiteral(" HTTP/1.0\r\n");
    EXPECT_TRUE(sent.contains(values.toLatin1())) << sent.toStdString();
    EXPECT_TRUE(testenv::readFile(ftpRoot + QStringLiteral("/02/vqacc.wen")).startsWith("QWEN"));
    EXPECT_EQ(entries(ftpRoot + QStringLiteral("/02")), QStringList{QStringLiteral("vqacc.wen")});
    EXPECT_TRUE(entries(datatransfer::SendWorkFolder()).isEmpty());
    EXPECT_EQ(status(A), 1);
    EXPECT_EQ(digest(A), booksOfA);

    // The receive into B, with the same password.
    openDataSet(B);
    QList<SlotSpec> slots(10);
    slots[1].name = QString::fromUtf16(u"みどり商事");
    slots[1].password = kWebPass;
    relay->addReply(slotListReply(QStringLiteral("000"), slots));
    relay->addReply(completeReply(QStringLiteral("202405111030"), QStringLiteral("000")));
    msgs.shown.clear();
    msgs.answer(mrYes); // overwrite?
    msgs.answer(mrOk);  // the verification report: agreed
    msgs.answer(mrOk);  // done
    {
        TfmDataTusin form;
        form.SetParams({QStringLiteral("SyoriType=2")});
        runModal([&](TfmDataTusin &f) {
            f.PerfectGrid1->setCurrentCell(1, tcDataName);
            EXPECT_EQ(datatransfer::ReceiveData(f), 0);
            EXPECT_EQ(status(A), 1);
            EXPECT_EQ(status(B), 1);
            EXPECT_TRUE(entries(datatransfer::ReceiveWorkFolder()).isEmpty());
            EXPECT_TRUE(f.ReceivedFlag);
            EXPECT_TRUE(f.isEnabled());
            EXPECT_EQ(cell(f.PerfectGrid1, 1, tcReceiveTime), QStringLiteral("2024/05/11 10:30"));
            fwtest::screenshot(&f, QStringLiteral("data_transfer_received"));
        });
        EXPECT_EQ(form.Execute(true), 1); // the data set changed
    }
    ASSERT_EQ(shownTexts().size(), 3) << shownTexts().join(u'|').toStdString();
    const QString report = msgs.shown[1].text;
    EXPECT_EQ(msgs.shown[1].title, QStringLiteral("データ照合チェックの結果"));
    EXPECT_TRUE(report.startsWith(QStringLiteral("以下の項目に違いが検出されました。"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("会社名に違いがありました。\r　【復元元】：") + kNameA + QStringLiteral("\r　【復元先】：") +
                                kNameB))
        << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("仕訳件数"))); // more entries arrive, not fewer
    EXPECT_EQ(msgs.shown[2].text, QStringLiteral("　\r\nデータ受信処理が終了しました。\r\n "));
    ASSERT_EQ(relay->requests().size(), 4);
    EXPECT_TRUE(relay->requests()[3].startsWith("GET /request.php?Scode=1830&sSno=SN-0001&sFName=WEB0001&fSname=02 HTTP/1.0\r\n"))
        << relay->requests()[3].toStdString();

    // B now holds A's books, and the list says so.
    dm->fnAccDatDisConnected(QString(), false, false);
    EXPECT_EQ(digest(B), booksOfA);
    EXPECT_EQ(companyValue(B, QStringLiteral("SELECT SHOUGOU FROM ACCDEF1")), kNameA);
    EXPECT_EQ(scalar(QStringLiteral("ACCDEF"), QStringLiteral("SELECT ENTTEXT FROM DATALIST WHERE REC=2")), QString::fromUtf16(u"みどり商事"));
    EXPECT_TRUE(entries(datatransfer::SendWorkFolder()).isEmpty());
    EXPECT_TRUE(entries(datatransfer::ReceiveWorkFolder()).isEmpty());
}

TEST_F(DataTransferTest, AWrongSlotPasswordIsRefusedBeforeAnyDownload)
{
    openDataSet(B);
    const QString before = digest(B);
    QList<SlotSpec> slots(10);
    slots[1].name = QString::fromUtf16(u"みどり商事");
    slots[1].password = QStringLiteral("another");
    relay->addReply(slotListReply(QStringLiteral("000"), slots));
    msgs.answer(mrOk);
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=2")});
    runModal([&](TfmDataTusin &f) {
        f.PerfectGrid1->setCurrentCell(1, tcDataName);
        f.F12->click();
        EXPECT_TRUE(f.isVisible()); // refused: the window stays
    });
    EXPECT_EQ(form.Execute(true), 0);
    ASSERT_EQ(msgs.shown.size(), 1);
    EXPECT_EQ(msgs.shown[0].text, QStringLiteral("　\r\n選択したデータと現在利用中のデータではパスワードが一致しません。\r\n "));
    EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtWarning);
    EXPECT_EQ(relay->requests().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(datatransfer::ReceiveWorkFolder()));
    dm->fnAccDatDisConnected(QString(), false, false);
    EXPECT_EQ(digest(B), before);
}

TEST_F(DataTransferTest, AnUploadOfTheWrongSizePutsThePreviousFileBack)
{
    if (!startFtp({QStringLiteral("--size-lie")})) GTEST_SKIP() << why.toStdString();
    testenv::writeFile(ftpRoot + QStringLiteral("/02/vqacc.wen"), "the previous file");
    openDataSet(A);
    msgs.answer(mrYes);
    msgs.answer(mrYes);
    TfmDataTusin form;
    prepare(form, 1, kWebPass);
    EXPECT_EQ(datatransfer::SendData(form), 1);
    ASSERT_EQ(msgs.shown.size(), 2);
    EXPECT_EQ(msgs.shown[1].text, kVirus);
    EXPECT_EQ(msgs.shown[1].kind, TMsgDlgType::mtError);
    EXPECT_EQ(testenv::readFile(ftpRoot + QStringLiteral("/02/vqacc.wen")), QByteArray("the previous file"));
    EXPECT_EQ(entries(ftpRoot + QStringLiteral("/02")), QStringList{QStringLiteral("vqacc.wen")});
    EXPECT_TRUE(relay->requests().isEmpty()); // no completion request
    EXPECT_TRUE(entries(datatransfer::SendWorkFolder()).isEmpty());
    EXPECT_EQ(status(A), 1);
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.Steps, nullptr);
}

TEST_F(DataTransferTest, ACloudUploadFollowsTheSendWhenTheCompanyAsksForIt)
{
    if (!startFtp()) GTEST_SKIP() << why.toStdString();
    openDataSet(A);
    struct Case {
        const char *what;
        bool hook;
        QString code;
        int result;
        QString message;
    };
    const QString head = QStringLiteral("経営ベルダクラウドデータ送信エラー : ");
    const Case cases[] = {
        {"uploaded", true, QStringLiteral("000"), 0, QStringLiteral("　\r\nデータ送信処理が終了しました。\r\n ")},
        {"refused", true, QStringLiteral("821"), 1, head + QStringLiteral("821 FTP コネクト失敗")},
        {"no upload here", false, QString(), 1, head + QStringLiteral("クラウドへの送信はこのシステムでは行えません。")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QString calledId;
        int calledSlot = 0;
        CloudUploadHook = nullptr;
        if (c.hook)
            CloudUploadHook = [&](const QString &id, int slot) {
                calledId = id;
                calledSlot = slot;
                return TCloudUploadResult{c.code, QStringLiteral("FTP コネクト失敗")};
            };
        relay->addReply(completeReply(QStringLiteral("202405101345"), QStringLiteral("000")));
        const qsizetype requests = relay->requests().size();
        msgs.shown.clear();
        msgs.answer(mrYes);
        msgs.answer(mrYes);
        TfmDataTusin form;
        prepare(form, 1, kWebPass);
        form.CloudKubun = 1;
        EXPECT_EQ(datatransfer::SendData(form), c.result);
        // The relay has the data either way.
        EXPECT_EQ(relay->requests().size(), requests + 1);
        ASSERT_EQ(msgs.shown.size(), 2);
        EXPECT_EQ(msgs.shown[1].text, c.message);
        if (c.hook) {
            EXPECT_EQ(calledId, kWebId);
            EXPECT_EQ(calledSlot, 2);
        }
        EXPECT_TRUE(entries(datatransfer::SendWorkFolder()).isEmpty());
    }
}

TEST_F(DataTransferTest, AFailedReceiveSaysWhyAndLeavesTheDataSet)
{
    struct Case {
        const char *what;
        QStringList faults;
        QString password; // of the staged file; empty: the bytes below
        QByteArray bytes;
        QString message;
    };
    const Case cases[] = {
        {"download broken", {QStringLiteral("--drop-retr")}, kWebPass, {}, QStringLiteral("　\r\nデータの受信に失敗しました。\r\n ")},
        {"no file", {}, QString(), {}, QStringLiteral("　\r\nダウンロードファイルが見つかりません。\r\n ")},
        {"not a transfer file", {}, QString(), QByteArray(300, 'x'), QStringLiteral("　\r\n暗号解読失敗\r\n ")},
        {"another password", {}, QStringLiteral("another"), {}, QStringLiteral("　\r\n暗号解読失敗\r\n ")},
        {"a broken archive", {}, QString(), QByteArray("archive?"), QStringLiteral("　\r\n解凍失敗\r\n ")},
    };
    openDataSet(B);
    const QString before = digest(B);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(ftpRoot + QStringLiteral("/02/vqacc.wen"));
        if (!c.password.isEmpty()) {
            stage(A, c.password);
        } else if (c.bytes == "archive?") {
            // A file enciphered right, holding no archive.
            const QString dir = testenv::freshDir(QStringLiteral("plain"));
            testenv::writeFile(dir + QStringLiteral("/vqacc.zip"), QByteArray(500, 'z'));
            transferfile::Encrypt(dir + QStringLiteral("/vqacc.zip"), ftpRoot + QStringLiteral("/02/vqacc.wen"),
                                  transferfile::PassPhrase(kWebPass));
        } else if (!c.bytes.isEmpty()) {
            testenv::writeFile(ftpRoot + QStringLiteral("/02/vqacc.wen"), c.bytes);
        }
        if (!startFtp(c.faults)) GTEST_SKIP() << why.toStdString();
        openDataSet(B);
        msgs.shown.clear();
        msgs.answer(mrYes);
        msgs.answer(mrOk);
        TfmDataTusin form;
        prepare(form, 2, kWebPass);
        EXPECT_EQ(datatransfer::ReceiveData(form), 1);
        ASSERT_EQ(msgs.shown.size(), 2) << shownTexts().join(u'|').toStdString();
        EXPECT_TRUE(msgs.shown[1].text.startsWith(c.message)) << msgs.shown[1].text.toStdString();
        EXPECT_FALSE(form.ReceivedFlag);
        EXPECT_TRUE(form.F12->isEnabled());
        EXPECT_TRUE(entries(datatransfer::ReceiveWorkFolder()).isEmpty());
        EXPECT_EQ(status(B), 1);
        dm->fnAccDatDisConnected(QString(), false, false);
        EXPECT_EQ(digest(B), before);
    }
    EXPECT_TRUE(relay->requests().isEmpty()); // never a completion
}

TEST_F(DataTransferTest, MergedDataRefusesOtherKinds)
{
    struct Case {
        int current, received;
        const char *message;
    };
    const Case cases[] = {
        {1, 0, "現在の処理データは、合算データですが、受信したデータは、通常データなので、復元出来ません。"},
        {1, 2, "現在の処理データは、合算データですが、受信したデータは、合算本支店データなので、復元出来ません。"},
        {1, 10, "現在の処理データは、合算データですが、受信したデータは、分散データなので、復元出来ません。"},
        {1, 1, ""},
        {2, 0, "現在の処理データは、合算本支店データですが、受信したデータは、通常データなので、復元出来ません。"},
        {2, 1, "現在の処理データは、合算本支店データですが、受信したデータは、合算データなので、復元出来ません。"},
        {2, 10, "現在の処理データは、合算本支店データですが、受信したデータは、分散データなので、復元出来ません。"},
        {2, 2, ""},
        {0, 1, ""},
        {0, 2, ""},
        {0, 10, ""},
        {10, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 <- %2").arg(c.current).arg(c.received).toStdString());
        EXPECT_EQ(datatransfer::MergedDataRefusal(c.current, c.received), QString::fromUtf8(c.message));
    }

    // Through the receive: merged data refuses A's normal data and stays as it was.
    if (!startFtp()) GTEST_SKIP() << why.toStdString();
    stage(A, kWebPass);
    openDataSet(B);
    AccInf.GassanKbn = 1;
    const QString before = digest(B);
    msgs.answer(mrYes);
    msgs.answer(mrYes);
    TfmDataTusin form;
    prepare(form, 2, kWebPass);
    EXPECT_EQ(datatransfer::ReceiveData(form), 1);
    ASSERT_EQ(msgs.shown.size(), 2);
    EXPECT_EQ(msgs.shown[1].text, QString::fromUtf8(cases[0].message));
    EXPECT_EQ(msgs.shown[1].kind, TMsgDlgType::mtWarning);
    EXPECT_EQ(status(B), 1);
    dm->fnAccDatDisConnected(QString(), false, false);
    EXPECT_EQ(digest(B), before);
}

TEST_F(DataTransferTest, TheVerificationReportShowsFewerEntriesAndARefusalKeepsTheData)
{
    if (!startFtp()) GTEST_SKIP() << why.toStdString();
    // B has more journal entries than A sends (the live ones are counted per facility).
    companySql(A, QStringLiteral("UPDATE SISETUMST SET SIWAKECOUNT=80"));
    companySql(B, QStringLiteral("UPDATE SISETUMST SET SIWAKECOUNT=1500"));
    openDataSet(A);
    const int countA = dm->GetSiwakeCountAll(QString());
    stage(A, kWebPass);
    openDataSet(B);
    const QString before = digest(B);
    const int countB = dm->GetSiwakeCountAll(QString());
    ASSERT_LT(countA, countB);
    msgs.answer(mrYes);
    msgs.answer(mrCancel); // the report: not agreed
    TfmDataTusin form;
    prepare(form, 2, kWebPass);
    EXPECT_EQ(datatransfer::ReceiveData(form), 1);
    ASSERT_EQ(msgs.shown.size(), 2);
    const QString report = msgs.shown[1].text;
    EXPECT_TRUE(report.contains(QStringLiteral("仕訳件数(修正・削除仕訳含む)が減っています。\r　【復元元】：") + FormatMoney(countA) +
                                QStringLiteral(" 件\r　【復元先】：") + FormatMoney(countB) + QStringLiteral(" 件")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("会社名に違いがありました。")));
    EXPECT_EQ(status(B), 1);
    EXPECT_FALSE(form.ReceivedFlag);
    dm->fnAccDatDisConnected(QString(), false, false);
    EXPECT_EQ(digest(B), before);
    EXPECT_TRUE(entries(datatransfer::ReceiveWorkFolder()).isEmpty());
}

TEST_F(DataTransferTest, ABackupWithoutItsInformationIsCheckedThroughARestoredCopy)
{
    if (!startFtp()) GTEST_SKIP() << why.toStdString();
    stage(A, kWebPass, false);
    const QString booksOfA = digest(A);
    openDataSet(B);
    relay->addReply(completeReply(QStringLiteral("202405111030"), QStringLiteral("000")));
    msgs.answer(mrYes);
    msgs.answer(mrOk); // the report
    msgs.answer(mrOk); // done
    TfmDataTusin form;
    prepare(form, 2, kWebPass);
    EXPECT_EQ(datatransfer::ReceiveData(form), 0);
    ASSERT_EQ(msgs.shown.size(), 3) << shownTexts().join(u'|').toStdString();
    // The check database tells A's company name.
    EXPECT_TRUE(msgs.shown[1].text.contains(QStringLiteral("　【復元元】：") + kNameA)) << msgs.shown[1].text.toStdString();
    dm->fnAccDatDisConnected(QString(), false, false);
    EXPECT_EQ(digest(B), booksOfA);
}

TEST_F(DataTransferTest, AReceiveKilledWhileItRestoresLeavesTheOldData)
{
    const QString child = QStringLiteral(RECEIVE_CHILD);
    if (!startFtp()) GTEST_SKIP() << why.toStdString();
    // Enough books that the restore takes a while.
    companyrows::fill(A + QStringLiteral("/vqacc.fdb"), testenv::kDbUser, testenv::kDbPassword, 3000, 9000, 1000);
    stage(A, kWebPass);
    const QString before = digest(B);
    // The other program works on these databases alone.
    dm->fnAccDatDisConnected(QString(), false, false);
    dm->IBDatabaseDEF.close();
    const QString work = B + QStringLiteral("/vqacc.rs_");
    bool killed = false;
    {
        KilledChildLock lock;
        QProcess p;
        p.setProgram(child);
        p.setArguments({root.sysDir, B, SystemDef.WinTempDir, SystemDef.TempDir, SystemDef.AppIniFile, testenv::kDbUser,
                        testenv::kDbPassword, kFtpPass});
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start();
        ASSERT_TRUE(p.waitForStarted(10000));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000 && p.state() == QProcess::Running) {
            if (QFileInfo(work).size() > 0) {
                p.kill();
                killed = true;
                break;
            }
            QThread::msleep(2);
        }
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished(5000);
        }
        const QByteArray out = p.readAll();
        ASSERT_TRUE(killed) << "the restore was not seen: " << out.toStdString();
        EXPECT_FALSE(out.contains("RESULT")) << out.toStdString();
    }
    // B opens with its old rows.
    EXPECT_EQ(digest(B), before);
    ASSERT_TRUE(dm->fnAccDatConnected(QString(), B, false));
    ASSERT_TRUE(dm->fnGetAccInfo());
    EXPECT_EQ(AccInf.SHOUGOU, kNameB);
    dm->fnAccDatDisConnected(QString(), false, false);
}

} // namespace
