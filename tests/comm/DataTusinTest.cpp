#include "support/TestEnv.h"

#include "FrameworkTestUtil.h"
#include "RelayTestServers.h"
#include "comm/TusinSteps.h"
#include "comm/z5DataTusin.h"
#include "datasets/DataSentaku.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"
#include "framework/FrameworkMessages.h"
#include "framework/HtmlHelp.h"
#include "framework/MessageDlg2.h"
#include "framework/xPlButton.h"
#include "framework/z5WaitMess.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

using namespace relaytest;

namespace {

const QString kWebId = QStringLiteral("WEB0001");
const QString kWebPass = QStringLiteral("webpass");
const QString kCashId = QStringLiteral("CASH0001");
const QString kCashPass = QStringLiteral("cashpass");

QString cell(const QTableWidget *g, int row, int col)
{
    const QTableWidgetItem *i = g->item(row, col);
    return i ? i->text() : QString();
}

class DataTusinTest : public DbFixture
{
protected:
    void SetUp() override
    {
        if (serverCertificate().certFile.isEmpty()) GTEST_SKIP() << "the OpenSSL tool could not make a certificate";
        DbFixture::SetUp();
        ASSERT_TRUE(dm->fnAccDefConnected(QString(), true));
        SystemDef.OpCode = 10;
        SystemDef.OpLevel = 9;
        ASSERT_TRUE(dm->fnGetSysDef()); // the operator's colours, as after a login
        SystemDef.DataDir = root.companyDir;
        ASSERT_TRUE(dm->fnAccDatConnected(QString(), root.companyDir, false));
        identity(kWebId, kWebPass, kCashId, kCashPass);
        InitGengoTable();
        savedRunner = ModalRunner;
        savedHook = MenuCallbackHook;
        MenuCallbackHook = nullptr;
        DataTusinPipelines = TDataTusinPipelines();
        relay = std::make_unique<FakeRelay>();
        ASSERT_TRUE(relay->start());
        useRelay(relay->port(), serverCertificate().certFile);
    }
    void TearDown() override
    {
        ModalRunner = savedRunner;
        MenuCallbackHook = savedHook;
        DataTusinPipelines = TDataTusinPipelines();
        DataResetProc = nullptr;
        DataInfoProc = nullptr;
        DataCountProc = nullptr;
        relay.reset();
        if (dm) DbFixture::TearDown();
    }

    void identity(const QString &webId, const QString &webPass, const QString &cashId, const QString &cashPass)
    {
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET WEB_HOLDER='%1',PASWORD='%2'").arg(webId, webPass));
        exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE TUSIN_ID SET HOLDER='%1',PASWORD='%2' WHERE REC=1").arg(cashId, cashPass));
        ASSERT_TRUE(dm->fnGetAccInfo());
    }
    void useRelay(quint16 port, const QString &caFile)
    {
        SystemDef.AppIniFile = testenv::sandbox() + QStringLiteral("/vqzaimu.ini");
        testenv::writeFile(SystemDef.AppIniFile,
                           QStringLiteral("[RELAY]\r\nHOST=127.0.0.1\r\nPORT=%1\r\nCAFILE=%2\r\nCONNECTTIMEOUT=2000\r\n"
                                          "READTIMEOUT=2000\r\nSERIAL=SN-0001\r\nSTEPPAUSE=0\r\n")
                               .arg(port)
                               .arg(caFile)
                               .toLatin1());
    }

    // Runs the modal window with a deadline; the steps run once it stands and
    // has read its slot list.
    void runModal(const std::function<void(TfmDataTusin &)> &steps)
    {
        ModalRunner = [steps](QDialog &d) {
            auto &form = static_cast<TfmDataTusin &>(d);
            QTimer poll;
            bool done = false;
            QObject::connect(&poll, &QTimer::timeout, &d, [&] {
                const bool listing = form.SyoriType == 1 || form.SyoriType == 2;
                if (done || !d.isVisible() || (listing && form.FirstActivation)) return;
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
            deadline.start(15000);
            return fwtest::execUntilDone(d, [&poll] { poll.start(20); });
        };
    }

    QList<SlotSpec> sampleSlots() const
    {
        QList<SlotSpec> slots(10);
        slots[0].name = QString::fromUtf16(u"株式会社みどり商事");
        slots[0].version = QStringLiteral("0601");
        slots[2].name = QStringLiteral("Sample Data");
        slots[2].version = QStringLiteral("V1.X"); // another client's text
        slots[2].receive = QStringLiteral("0000-00-00 00:00:00");
        slots[9].name = QString::fromUtf16(u"ﾃｽﾄﾃﾞｰﾀ");
        slots[9].term = QStringLiteral("12");
        slots[9].version = QStringLiteral("0502");
        return slots;
    }

    std::unique_ptr<FakeRelay> relay;
    ScriptedMessages msgs;
    std::function<int(QDialog &)> savedRunner;
    std::function<int(int, const QString &)> savedHook;
};

TEST_F(DataTusinTest, SendModeListsTheSlots)
{
    relay->addReply(slotListReply(QStringLiteral("000"), sampleSlots(), 2));
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=1"), QStringLiteral("FormStyle=2")});
    bool checked = false;
    runModal([&](TfmDataTusin &f) {
        checked = true;
        QTableWidget *g = f.PerfectGrid1;
        EXPECT_EQ(f.windowTitle(), QStringLiteral("データ送信"));
        ASSERT_EQ(g->rowCount(), 10);
        EXPECT_EQ(g->horizontalHeaderItem(0)->text(), QStringLiteral("No"));
        EXPECT_EQ(g->horizontalHeaderItem(6)->text(), QStringLiteral("バージョン"));
        EXPECT_EQ(cell(g, 9, tcLabel), QStringLiteral("10"));
        EXPECT_EQ(cell(g, 0, tcDataName), QString::fromUtf16(u"株式会社みどり商事"));
        EXPECT_EQ(cell(g, 0, tcNendo), QStringLiteral("8期"));
        EXPECT_EQ(cell(g, 0, tcKikan), QStringLiteral("2018/04/01 ～ 2019/03/31"));
        EXPECT_EQ(cell(g, 0, tcSendTime), QStringLiteral("2018/05/10 13:45"));
        EXPECT_EQ(cell(g, 0, tcReceiveTime), QStringLiteral("2018/05/11 09:30"));
        EXPECT_EQ(cell(g, 0, tcVersion), QStringLiteral("14消改版"));
        EXPECT_TRUE(cell(g, 1, tcDataName).isEmpty());
        EXPECT_EQ(cell(g, 2, tcReceiveTime), QStringLiteral("-"));
        EXPECT_EQ(cell(g, 2, tcVersion), QStringLiteral("V1.X")); // shown as it came, no crash
        EXPECT_EQ(cell(g, 9, tcNendo), QStringLiteral("12期"));
        EXPECT_EQ(cell(g, 9, tcVersion), QStringLiteral("5.2"));
        EXPECT_EQ(g->currentRow(), 0);
        EXPECT_TRUE(f.HintArea->toPlainText().startsWith(QStringLiteral("［F12］を押すと現在利用中のデータ")));
        EXPECT_EQ(f.F5->CaptionA().Caption(), QStringLiteral("F5:ﾃﾞｰﾀ削除"));
        EXPECT_EQ(f.F12->CaptionA().Caption(), QStringLiteral("F12:実  行"));
        EXPECT_TRUE(f.F5->isEnabled());
        EXPECT_FALSE(f.F12->isEnabled()); // no send pipeline in this build
        EXPECT_EQ(fmWaitMess, nullptr);   // the step window is gone
        EXPECT_EQ(f.Session.FtpHost, QStringLiteral("127.0.0.1"));
        fwtest::screenshot(&f, QStringLiteral("data_tusin_send"));
        fwtest::release(g, Qt::Key_Escape);
    });
    EXPECT_EQ(form.Execute(true), 0);
    EXPECT_TRUE(checked);
    ASSERT_EQ(relay->requests().size(), 1);
    EXPECT_TRUE(relay->requests()[0].startsWith("GET /request.php?Scode=1720&sSno=SN-0001&sFName=WEB0001 HTTP/1.0\r\n"));
    EXPECT_TRUE(msgs.shown.isEmpty());
}

TEST_F(DataTusinTest, ReceiveModeShowsEraDatesAndItsColours)
{
    SystemDef.Reserve4Bit[10] = 1; // the era display
    DataSentakuProcessResult = QStringLiteral("PATH1=/x\rPATH2=/y");
    relay->addReply(slotListReply(QStringLiteral("000"), sampleSlots()));
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=2")});
    DataTusinPipelines.ReceiveData = [](TfmDataTusin &) { return 1; };
    runModal([&](TfmDataTusin &f) {
        QTableWidget *g = f.PerfectGrid1;
        EXPECT_EQ(f.windowTitle(), QStringLiteral("データ受信"));
        EXPECT_EQ(cell(g, 0, tcKikan), QStringLiteral("H 30/04/01 ～ H 31/03/31"));
        EXPECT_EQ(cell(g, 0, tcSendTime), QStringLiteral("H 30/05/10 13:45"));
        EXPECT_EQ(cell(g, 0, tcReceiveTime), QStringLiteral("H 30/05/11 09:30"));
        EXPECT_EQ(cell(g, 2, tcReceiveTime), QStringLiteral("-"));
        EXPECT_EQ(g->palette().color(QPalette::Highlight), QColor(187, 217, 255));
        EXPECT_EQ(g->palette().color(QPalette::HighlightedText), QColor(0, 64, 128));
        EXPECT_TRUE(f.HintArea->toPlainText().startsWith(QStringLiteral("［F12］を押すと選択したデータを受信して")));
        EXPECT_TRUE(f.F12->isEnabled()); // a receive pipeline is installed
        fwtest::screenshot(&f, QStringLiteral("data_tusin_receive"));
        // F12 runs it; a refusal keeps the window open.
        f.F12->click();
        EXPECT_TRUE(f.isVisible());
    });
    EXPECT_EQ(form.Execute(true), 0);
    EXPECT_TRUE(DataSentakuProcessResult.isEmpty());
}

TEST_F(DataTusinTest, ServerCheckListsTheCashBookSlotsAndDeletesAtOnce)
{
    QList<SlotSpec> slots(10);
    slots[0].name = QString::fromUtf16(u"現金出納帳データ");
    slots[2].name = QString::fromUtf16(u"マスターデータ");
    relay->addReply(slotListReply(QStringLiteral("000"), slots));
    relay->addReply(deleteReply(QStringLiteral("000")));
    msgs.answer(mrOk); // "deleted"
    msgs.answer(mrOk); // an empty row
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=8")});
    runModal([&](TfmDataTusin &f) {
        QTableWidget *g = f.PerfectGrid1;
        EXPECT_EQ(f.windowTitle(), QStringLiteral("サーバー確認"));
        EXPECT_EQ(f.width(), 863);
        EXPECT_EQ(g->width(), 822);
        EXPECT_EQ(f.F12->x(), 749);
        EXPECT_FALSE(f.F12->isVisible());
        EXPECT_TRUE(g->isColumnHidden(tcReceiveTime));
        ASSERT_EQ(g->rowCount(), 3);
        EXPECT_EQ(g->horizontalHeaderItem(0)->text(), QStringLiteral("処理"));
        EXPECT_EQ(cell(g, 0, tcLabel), QStringLiteral("受信"));
        EXPECT_EQ(cell(g, 1, tcLabel), QStringLiteral("送信"));
        EXPECT_EQ(cell(g, 2, tcLabel), QStringLiteral("全送信"));
        EXPECT_EQ(cell(g, 2, tcDataName), QString::fromUtf16(u"マスターデータ"));
        EXPECT_TRUE(f.HintArea->toPlainText().startsWith(QStringLiteral("１行目は現金出納帳から送信されたデータです。")));
        fwtest::screenshot(&f, QStringLiteral("data_tusin_server_check"));
        // F5 on a slot with data deletes it without asking.
        g->setCurrentCell(2, tcDataName);
        f.F5->click();
        EXPECT_TRUE(cell(g, 2, tcDataName).isEmpty());
        EXPECT_EQ(cell(g, 2, tcLabel), QStringLiteral("全送信"));
        // On an empty slot it says so and sends nothing.
        g->setCurrentCell(1, tcDataName);
        f.F5->click();
        f.F12->click(); // does nothing in this mode
        // F1 opens the mode's help page.
        QString opened;
        const auto savedOpener = HelpOpener;
        HelpOpener = [&opened](const QUrl &url) {
            opened = url.toString();
            return true;
        };
        fwtest::release(g, Qt::Key_F1);
        HelpOpener = savedOpener;
        EXPECT_TRUE(opened.endsWith(QStringLiteral("/tsusin09.html"))) << opened.toStdString();
    });
    EXPECT_EQ(form.Execute(true), 0);
    const QList<QByteArray> requests = relay->requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[0].startsWith("GET /request.php?Scode=1720&sSno=SN-0001&sFName=CASH0001&sTRKubn=2 HTTP/1.0\r\n"));
    EXPECT_TRUE(requests[1].startsWith("GET /request.php?Scode=1750&sSno=SN-0001&sFName=CASH0001&fSname=03 HTTP/1.0\r\n"));
    ASSERT_EQ(msgs.shown.size(), 2);
    EXPECT_EQ(msgs.shown[0].text, QStringLiteral("　\r\n中継サーバーのデータを削除しました。\r\n "));
    EXPECT_EQ(msgs.shown[1].text, QStringLiteral("　\r\n選択したフォルダには、データは存在しません。\r\n "));
}

TEST_F(DataTusinTest, DeletingASlotAsksFirstAndSends1750)
{
    relay->addReply(slotListReply(QStringLiteral("000"), sampleSlots()));
    relay->addReply(deleteReply(QStringLiteral("930")));
    msgs.answer(mrNo);  // not now
    msgs.answer(mrYes); // delete
    msgs.answer(mrOk);  // the server's error
    msgs.answer(mrYes); // again
    msgs.answer(mrOk);  // deleted
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=1")});
    runModal([&](TfmDataTusin &f) {
        QTableWidget *g = f.PerfectGrid1;
        g->setCurrentCell(9, tcDataName);
        f.F5->click(); // No
        EXPECT_EQ(relay->requests().size(), 1);
        f.F5->click(); // Yes, refused by the server
        EXPECT_EQ(cell(g, 9, tcDataName), QString::fromUtf16(u"ﾃｽﾄﾃﾞｰﾀ"));
        relay->addReply(deleteReply(QStringLiteral("000")));
        fwtest::release(g, Qt::Key_F5); // Yes, deleted
        EXPECT_TRUE(cell(g, 9, tcDataName).isEmpty());
        EXPECT_TRUE(cell(g, 9, tcVersion).isEmpty());
        EXPECT_EQ(cell(g, 9, tcLabel), QStringLiteral("10"));
    });
    form.Execute(true);
    const QList<QByteArray> requests = relay->requests();
    ASSERT_EQ(requests.size(), 3);
    for (int i : {1, 2})
        EXPECT_TRUE(requests[i].startsWith("GET /request.php?Scode=1750&sSno=SN-0001&sFName=WEB0001&fSname=10 HTTP/1.0\r\n"));
    ASSERT_EQ(msgs.shown.size(), 5);
    EXPECT_EQ(msgs.shown[0].text, QStringLiteral("　\r\n選択した中継サーバーのデータを削除します。実行しますか？\r\n "));
    EXPECT_EQ(msgs.shown[0].buttons, mbYes | mbNo);
    EXPECT_EQ(msgs.shown[2].text, QStringLiteral("　\r\nサーバーエラー(930)\r\n "));
    EXPECT_EQ(msgs.shown[2].kind, TMsgDlgType::mtError);
    EXPECT_EQ(msgs.shown[4].text, QStringLiteral("　\r\n中継サーバーのデータを削除しました。\r\n "));
    EXPECT_TRUE(msgs.allAnswered());
}

TEST_F(DataTusinTest, AFailedSlotListDisablesTheTransferKeys)
{
    struct {
        const char *what;
        bool trusted;
        QByteArray reply;
        QString text;
    } cases[] = {
        {"wrong ID", true, slotListReply(QStringLiteral("920"), {}),
         QStringLiteral("　\r\nサーバーに接続出来ません、通信IDを確認して下さい。\r\n ")},
        {"untrusted server", false, slotListReply(QStringLiteral("000"), {}),
         QStringLiteral("　\r\nサーバーに接続出来ません。\r\n \r\r[詳細情報]\rサーバーの証明書を確認できないため、接続を中止しました。")},
    };
    for (const auto &c : cases) {
        FakeRelay server;
        ASSERT_TRUE(server.start());
        server.addReply(c.reply);
        useRelay(server.port(), c.trusted ? serverCertificate().certFile : QString());
        msgs.shown.clear();
        msgs.answer(mrOk);
        DataTusinPipelines.SendData = [](TfmDataTusin &) { return 1; };
        TfmDataTusin form;
        form.SetParams({QStringLiteral("SyoriType=1")});
        runModal([&](TfmDataTusin &f) {
            EXPECT_EQ(f.PerfectGrid1->rowCount(), 10) << c.what;
            EXPECT_FALSE(f.F5->isEnabled()) << c.what;
            EXPECT_FALSE(f.F12->isEnabled()) << c.what;
            if (!c.trusted) fwtest::screenshot(&f, QStringLiteral("data_tusin_untrusted"));
        });
        EXPECT_EQ(form.Execute(true), 0);
        ASSERT_EQ(msgs.shown.size(), 1) << c.what;
        EXPECT_TRUE(msgs.shown[0].text.startsWith(c.text)) << c.what << " " << msgs.shown[0].text.toStdString();
        EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtError);
        if (!c.trusted) {
            // The box the operator sees.
            TMessage2InfoRec rec = RequestToMessage2(msgs.shown[0]);
            TMessageBox2 box;
            box.ApplyMessageRec(rec);
            box.Prepare(true);
            fwtest::screenshot(&box, QStringLiteral("data_tusin_untrusted_message"));
        }
    }
}

TEST_F(DataTusinTest, ExecuteRefusesBeforeAnyTransfer)
{
    struct {
        const char *what;
        int mode;
        QString webId, webPass, cashId, cashPass;
        bool otherProcesses;
        int result;
        QString text;
    } cases[] = {
        {"send without ID", 1, QString(), QString(), kCashId, kCashPass, false, -1,
         QStringLiteral("　\r\n通信IDが設定されてません。通信設定で設定して下さい。\r\n ")},
        {"receive without password", 2, kWebId, QString(), kCashId, kCashPass, false, -1,
         QStringLiteral("　\r\nパスワードが設定されてません。通信設定で設定して下さい。\r\n ")},
        {"send while other processes run", 1, kWebId, kWebPass, kCashId, kCashPass, true, -1,
         QStringLiteral("メニュー以外の処理が開いています。\r全ての処理を閉じてから処理を実行してください。")},
        {"server check while other processes run", 8, kWebId, kWebPass, kCashId, kCashPass, true, -1,
         QStringLiteral("　\r\n現在メニュー以外の画面を表示中なので、データ通信処理は行えません。\r\n ")},
        {"server check without cash-book ID", 8, kWebId, kWebPass, QString(), QString(), false, -1,
         QStringLiteral("　\r\n通信IDが設定されてません。通信設定で設定して下さい。\r\n ")},
        {"cash-book mode without its pipeline", 3, kWebId, kWebPass, kCashId, kCashPass, false, -1,
         QStringLiteral("　\r\nこのデータ通信処理はこのシステムでは行えません。\r\n ")},
    };
    for (const auto &c : cases) {
        identity(c.webId, c.webPass, c.cashId, c.cashPass);
        MenuCallbackHook = [&c](int code, const QString &) { return code == 10 && c.otherProcesses ? 1 : 0; };
        msgs.shown.clear();
        msgs.answer(c.mode == 1 && c.otherProcesses ? mrYes : mrOk);
        runModal([](TfmDataTusin &) { ADD_FAILURE() << "the window opened"; });
        TfmDataTusin form;
        form.SetParams({QStringLiteral("SyoriType=%1").arg(c.mode)});
        EXPECT_EQ(form.Execute(true), c.result) << c.what;
        ASSERT_EQ(msgs.shown.size(), 1) << c.what;
        EXPECT_EQ(msgs.shown[0].text, c.text) << c.what;
        EXPECT_EQ(msgs.shown[0].kind, TMsgDlgType::mtWarning) << c.what;
    }
    EXPECT_TRUE(relay->requests().isEmpty());
}

TEST_F(DataTusinTest, ModeZeroRunsTheChecksAndTheSlotListOnly)
{
    relay->addReply(slotListReply(QStringLiteral("000"), {}));
    TfmDataTusin form;
    for (const QString &bad : {QStringLiteral("SyoriType=-5"), QStringLiteral("SyoriType=abc")}) {
        form.SetParams({bad});
        EXPECT_EQ(form.SyoriType, 0);
    }
    runModal([](TfmDataTusin &) { ADD_FAILURE() << "the window opened"; });
    EXPECT_EQ(form.Execute(true), -1);
    ASSERT_EQ(relay->requests().size(), 1);
    EXPECT_TRUE(relay->requests()[0].contains("Scode=1720&sSno=SN-0001&sFName=CASH0001&sTRKubn=2 "));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(fmWaitMess, nullptr);
}

TEST_F(DataTusinTest, AModelessSendListsTheSlotsOnItsFirstActivation)
{
    relay->addReply(slotListReply(QStringLiteral("000"), sampleSlots()));
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=1"), QStringLiteral("FormStyle=0")});
    EXPECT_EQ(form.FormStyleKind, 0);
    EXPECT_EQ(form.Execute(false), 0);
    EXPECT_TRUE(form.isVisible());
    QElapsedTimer t;
    t.start();
    while (form.FirstActivation && t.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(form.FirstActivation);
    EXPECT_EQ(cell(form.PerfectGrid1, 0, tcDataName), QString::fromUtf16(u"株式会社みどり商事"));
    form.done(2);
}

TEST_F(DataTusinTest, AnotherUserOfTheDataSetIsAskedAbout)
{
    relay->addReply(slotListReply(QStringLiteral("000"), sampleSlots()));
    FbDatabase other;
    other.DatabaseName = root.companyDir + u'/' + Product.DataFile;
    other.Params = DatabaseParams();
    other.open();
    msgs.answer(mrNo);
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=1")});
    runModal([&](TfmDataTusin &f) {
        EXPECT_FALSE(f.F5->isEnabled());
        EXPECT_FALSE(f.F12->isEnabled());
    });
    form.Execute(true);
    other.close();
    ASSERT_EQ(msgs.shown.size(), 1);
    EXPECT_EQ(msgs.shown[0].text, QStringLiteral("　\r\nこのデータは他の人が利用中です。データ送信を開始しますか？\r\n "));
    EXPECT_TRUE(relay->requests().isEmpty());
}

TEST_F(DataTusinTest, ClosingTellsTheHostAndReconnectsAReplacedDataSet)
{
    QList<int> resets, counts;
    QStringList infos;
    DataResetProc = [&](int v) { resets << v; };
    DataInfoProc = [&](int kind, const QString &text, int branches, const QString &text2) {
        infos << QStringLiteral("%1|%2|%3|%4").arg(kind).arg(text).arg(branches).arg(text2);
    };
    DataCountProc = [&](int kind, int) { counts << kind; };
    exec(QStringLiteral("ACCDAT"), QStringLiteral("UPDATE ACCDEF1 SET SHOUGOU='ミドリ',KISHU='2018-04-01',KIMATU='2019-03-31'"));
    ASSERT_TRUE(dm->fnGetAccInfo());
    relay->addReply(slotListReply(QStringLiteral("000"), {}));
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=2")});
    // A receive replaced the database: closing opens it again.
    runModal([&](TfmDataTusin &) { dm->IBDatabaseDAT.close(); });
    form.Execute(true);
    EXPECT_TRUE(dm->IBDatabaseDAT.connected());
    EXPECT_EQ(resets, QList<int>{0});
    ASSERT_EQ(infos.size(), 2);
    EXPECT_EQ(infos[0], QString::fromUtf16(u"0|ミドリ|0|2018/04/01 ～ 2019/03/31"));
    EXPECT_EQ(infos[1], QString::fromUtf16(u"1|ミドリ|0|"));
    EXPECT_EQ(counts, (QList<int>{0, 1}));

    // One that cannot be opened sends the operator back to the data selection.
    resets.clear();
    msgs.answer(mrOk);
    TfmDataTusin second;
    second.SetParams({QStringLiteral("SyoriType=2")});
    runModal([&](TfmDataTusin &) {
        dm->IBDatabaseDAT.close();
        SystemDef.DataDir = testenv::freshDir(QStringLiteral("gone"));
    });
    msgs.answer(mrOk); // the connection error of the data module
    second.Execute(true);
    EXPECT_TRUE(SystemDef.DataDir.isEmpty());
    EXPECT_TRUE(resets.isEmpty());
    ASSERT_FALSE(msgs.shown.isEmpty());
    EXPECT_EQ(msgs.shown.last().text, QStringLiteral("　\r\nデータの接続に失敗したため、データ選択画面を開きます。\r\n "));
}

TEST_F(DataTusinTest, AnOperatorWithoutADefaultFacilityLeavesTheDataSet)
{
    SystemDef.OpLevel = 1; // restricted, with no default facility set
    relay->addReply(slotListReply(QStringLiteral("000"), {}));
    bool told = false;
    DataResetProc = [&](int) { told = true; };
    EXPECT_FALSE(dm->GetOpeDefSisetuCode());
    TfmDataTusin form;
    form.SetParams({QStringLiteral("SyoriType=1")});
    runModal(nullptr);
    form.Execute(true);
    EXPECT_TRUE(form.DisconnectOnClose);
    EXPECT_FALSE(told);
    EXPECT_FALSE(dm->IBDatabaseDAT.connected());
}

TEST_F(DataTusinTest, IsRegisteredAsAProcessForm)
{
    RegisterDataTusin();
    const int index = ProcessRegistry().IndexOfProcess(QStringLiteral("qmdatatusin"));
    ASSERT_GE(index, 0);
    std::unique_ptr<QWidget> w(ProcessRegistry().CreateProcessForm(QStringLiteral("QmDataTusin")));
    EXPECT_NE(dynamic_cast<IProcessForm *>(w.get()), nullptr);
    EXPECT_NE(qobject_cast<TfmDataTusin *>(w.get()), nullptr);
}

TEST(DataTusinForm, NamesVersionsAndModes)
{
    struct {
        const char *slot;
        const char16_t *label;
    } versions[] = {{"0601", u"14消改版"}, {"0100", u"09版"}, {"0200", u"10版"}, {"0500", u"13版"},
                    {"0502", u"5.2"},      {"1100", u"19版"}, {"", u""},        {"ab", u"ab"},
                    {"11xx", u"11xx"}};
    for (const auto &v : versions)
        EXPECT_EQ(TfmDataTusin::VersionLabel(QString::fromLatin1(v.slot)), QString::fromUtf16(v.label)) << v.slot;
    struct {
        int mode;
        const char16_t *caption;
        const char *help;
    } modes[] = {{1, u"データ送信", "tsusin01.html"},     {2, u"データ受信", "tsusin02.html"},
                 {3, u"現金出納帳送信", "tsusin06.html"}, {4, u"現金出納帳受信", "tsusin07.html"},
                 {5, u"マスター送信", "tsusin10.html"},   {6, u"データ通信", ""},
                 {8, u"サーバー確認", "tsusin09.html"},   {10, u"データ通信", ""}};
    for (const auto &m : modes) {
        EXPECT_EQ(TfmDataTusin::ModeCaption(m.mode), QString::fromUtf16(m.caption));
        EXPECT_EQ(TfmDataTusin::ModeHelpPage(m.mode), QString::fromLatin1(m.help));
    }
}

TEST(DataTusinSteps, ShowRunningFinishedAndPendingSteps)
{
    QWidget owner;
    TTusinSteps steps(&owner, true);
    ASSERT_EQ(fmWaitMess, steps.window());
    EXPECT_EQ(steps.window()->size(), QSize(435, 206));
    steps.Set(1, QStringLiteral("送信用データ保存"), TTusinSteps::State::Finished);
    steps.Set(2, QStringLiteral("送信用データ圧縮"), TTusinSteps::State::Running);
    steps.Set(3, QStringLiteral("送信用データ暗号化"), TTusinSteps::State::Pending);
    steps.Set(4, QStringLiteral("中継サーバーへデータ送信"), TTusinSteps::State::Pending);
    steps.Set(5, QStringLiteral("経営ベルダクラウドへデータ送信"), TTusinSteps::State::Pending);
    EXPECT_EQ(steps.box(1)->text(), QStringLiteral("送信用データ保存　終了"));
    EXPECT_EQ(steps.box(1)->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(steps.box(2)->text(), QStringLiteral("送信用データ圧縮　実行中"));
    EXPECT_TRUE(steps.box(2)->isChecked());
    EXPECT_EQ(steps.box(2)->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_FALSE(steps.box(3)->isChecked());
    EXPECT_EQ(steps.box(3)->palette().color(QPalette::WindowText), QColor(Qt::black));
    fwtest::screenshot(steps.window(), QStringLiteral("data_tusin_steps"));
    steps.ShowFifthStep(false);
    EXPECT_EQ(steps.window()->size(), QSize(435, 194));
    EXPECT_FALSE(steps.box(5)->isVisibleTo(steps.window()));
    QElapsedTimer t;
    t.start();
    StepPause(120);
    EXPECT_GE(t.elapsed(), 119);
}

} // namespace
