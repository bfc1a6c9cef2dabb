#include "support/TestEnv.h"

#include "RelayTestServers.h"
#include "comm/RelayProtocol.h"
#include "comm/RelaySettings.h"
#include "dbaccess/Globals.h"
#include "dbaccess/Kikan.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

using namespace relaytest;

namespace {

class RelayProtocolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (serverCertificate().certFile.isEmpty()) GTEST_SKIP() << "the OpenSSL tool could not make a certificate";
        SystemDef = TSystemDef();
        InitGengoTable();
    }
    void TearDown() override { SystemDef = TSystemDef(); }

    TRelaySettings settingsFor(quint16 port) const
    {
        TRelaySettings s;
        s.Host = QStringLiteral("127.0.0.1");
        s.Port = port;
        s.CaFile = serverCertificate().certFile;
        s.ConnectTimeoutMs = 3000;
        s.ReadTimeoutMs = 3000;
        return s;
    }
};

const QByteArray kTail = "\r\nHost: 127.0.0.1\r\nUser-Agent: Corvena\r\nConnection: Close\r\n\r\n\r\n";

TEST_F(RelayProtocolTest, SendsTheFiveLinesOfEachRequest)
{
    FakeRelay relay;
    ASSERT_TRUE(relay.start());
    relay.addReply(slotListReply(QStringLiteral("000"), {}));
    TRelayControl control(settingsFor(relay.port()));

    TRelaySession session;
    session.SerialText = QStringLiteral("SN-2018 01&x");
    // 1720 in a cash-book mode, in a send of the standard edition and of the federation edition.
    for (const QString &kubun : {RelayTrKubun(8, 0), RelayTrKubun(1, 0), RelayTrKubun(2, 1)})
        EXPECT_TRUE(control.CheckServer(session, QStringLiteral("WEB001"), kubun, false).ok());
    relay.addReply(deleteReply(QStringLiteral("000")));
    EXPECT_TRUE(control.DeleteSlot(session, QStringLiteral("WEB001"), RelaySlotFolderName(2)).ok());

    TRelayRequest done;
    done.Serial = session.SerialText;
    done.Id = QStringLiteral("WEB001");
    done.SlotFolder = RelaySlotFolderName(0);
    done.DataName = QString::fromUtf16(u"あおば会計");
    done.FiscalTerm = 8;
    done.PeriodStart = QDate(2018, 4, 1);
    done.PeriodEnd = QDate(2019, 3, 31);
    done.Password = QStringLiteral("p@ss=1");
    done.Version = RelayVersionText(11, 0);
    relay.addReply(completeReply(QStringLiteral("2018051013450012"), QStringLiteral("000")));
    for (int code : {int(rcCashBookSent), int(rcDataSent)}) {
        done.Code = code;
        EXPECT_TRUE(control.Complete(done).ok());
    }
    TRelayRequest received;
    received.Code = rcDataReceived;
    received.Serial = session.SerialText;
    received.Id = QStringLiteral("WEB001");
    received.SlotFolder = RelaySlotFolderName(9);
    EXPECT_TRUE(control.Complete(received).ok());

    const QByteArray serial = "SN-2018%2001%26x";
    const QByteArray completion = "&fSname=01&fSg=gqCCqILOie%2bMdg%3d%3d&fNe=8&fKis=201804010000&fKie=201903310000"
                                  "&fPa=p%40ss%3D1&fYobi=1100 HTTP/1.0";
    const QList<QByteArray> expected = {
        "GET /request.php?Scode=1720&sSno=" + serial + "&sFName=WEB001&sTRKubn=2 HTTP/1.0" + kTail,
        "GET /request.php?Scode=1720&sSno=" + serial + "&sFName=WEB001 HTTP/1.0" + kTail,
        "GET /request.php?Scode=1720&sSno=" + serial + "&sFName=WEB001&sTRKubn=10 HTTP/1.0" + kTail,
        "GET /request.php?Scode=1750&sSno=" + serial + "&sFName=WEB001&fSname=03 HTTP/1.0" + kTail,
        "GET /request.php?Scode=1810&sSno=" + serial + "&sFName=WEB001" + completion + kTail,
        "GET /request.php?Scode=1820&sSno=" + serial + "&sFName=WEB001" + completion + kTail,
        "GET /request.php?Scode=1830&sSno=" + serial + "&sFName=WEB001&fSname=10 HTTP/1.0" + kTail,
    };
    const QList<QByteArray> got = relay.requests();
    ASSERT_EQ(got.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(got[i], expected[i]) << i;
        EXPECT_TRUE(got[i].endsWith("\r\n\r\n\r\n"));
    }
}

TEST_F(RelayProtocolTest, ReadsTheSlotListAtItsFixedPositions)
{
    QList<SlotSpec> slots(10);
    slots[0].name = QString::fromUtf16(u"株式会社みどり");
    slots[0].version = QStringLiteral("0601");
    slots[1].name.clear(); // no data
    slots[2].name = QStringLiteral("Zero receive");
    slots[2].receive = QStringLiteral("0000-00-00 00:00:00");
    slots[3].name = QStringLiteral("Received before");
    slots[3].receive = QStringLiteral("2018-05-09 08:00:00");
    slots[9].name = QString::fromUtf16(u"ﾃｽﾄ");
    slots[9].term = QStringLiteral("12");

    struct {
        bool wareki;
        const char16_t *start, *end, *send, *receive;
    } cases[] = {
        {false, u"2018/04/01 00:00", u"2019/03/31 00:00", u"2018/05/10 13:45", u"2018/05/11 09:30"},
        {true, u"H 30/04/01", u"H 31/03/31", u"H 30/05/10 13:45", u"H 30/05/11 09:30"},
    };
    for (const auto &c : cases) {
        SystemDef.Reserve4Bit[10] = c.wareki ? 1 : 0;
        FakeRelay relay;
        ASSERT_TRUE(relay.start());
        // Two empty lines before line 1.
        relay.addReply(slotListReply(QStringLiteral("000"), slots, 2, QStringLiteral("ftp.relay.test"), QStringLiteral("s3cret")));
        TRelayControl control(settingsFor(relay.port()));
        TRelaySession session;
        session.Slots[1].FiscalTerm = QStringLiteral("5"); // an empty slot keeps what it had
        ASSERT_TRUE(control.CheckServer(session, QStringLiteral("WEB001"), QString(), IsWarekiDisplay()).ok());

        EXPECT_EQ(session.FtpHost, QStringLiteral("ftp.relay.test"));
        EXPECT_EQ(session.FtpPassword, QStringLiteral("s3cret"));
        const TRelaySlotRec &s0 = session.Slots[0];
        EXPECT_EQ(s0.SlotName, QStringLiteral("01"));
        EXPECT_EQ(s0.DataName, QString::fromUtf16(u"株式会社みどり"));
        EXPECT_EQ(s0.FiscalTerm, QStringLiteral("8"));
        EXPECT_EQ(s0.PeriodStart, QStringLiteral("2018/04/01 00:00"));
        EXPECT_EQ(s0.PeriodEnd, QStringLiteral("2019/03/31 00:00"));
        EXPECT_EQ(s0.PeriodStartText, QString::fromUtf16(c.start));
        EXPECT_EQ(s0.PeriodEndText, QString::fromUtf16(c.end));
        EXPECT_EQ(s0.SendTime, QStringLiteral("2018/05/10 13:45"));
        EXPECT_EQ(s0.SendTimeText, QString::fromUtf16(c.send));
        EXPECT_EQ(s0.ReceiveTime, QStringLiteral("2018/05/11 09:30"));
        EXPECT_EQ(s0.ReceiveTimeText, QString::fromUtf16(c.receive));
        EXPECT_EQ(s0.SlotPassword, QStringLiteral("slotpass"));
        EXPECT_EQ(s0.SlotVersion, QStringLiteral("0601"));

        EXPECT_FALSE(session.Slots[1].hasData());
        EXPECT_EQ(session.Slots[1].SlotName, QStringLiteral("02"));
        EXPECT_EQ(session.Slots[1].FiscalTerm, QStringLiteral("5"));
        EXPECT_EQ(session.Slots[2].ReceiveTimeText, QStringLiteral("-")); // "0000" receive
        EXPECT_EQ(session.Slots[3].ReceiveTimeText, QStringLiteral("-")); // not after the send
        EXPECT_TRUE(session.Slots[3].ReceiveTime.isEmpty());
        // Every block took nine lines: the last slot is read whole.
        EXPECT_EQ(session.Slots[9].SlotName, QStringLiteral("10"));
        EXPECT_EQ(session.Slots[9].DataName, QString::fromUtf16(u"ﾃｽﾄ"));
        EXPECT_EQ(session.Slots[9].FiscalTerm, QStringLiteral("12"));
    }
}

TEST_F(RelayProtocolTest, StatusesGiveTheirMessages)
{
    struct {
        int code;
        const char *status;
        const char16_t *message;
    } cases[] = {
        {rcSlotList, "920", u"　\r\nサーバーに接続出来ません、通信IDを確認して下さい。\r\n "},
        {rcSlotList, "901", u"　\r\nサーバーエラー(901)\r\n "},
        {rcDeleteSlot, "920", u"　\r\nサーバーエラー(920)\r\n "},
        {rcDataSent, "950", u"　\r\nサーバーエラー(950)\r\n "},
        {rcCashBookSent, "951", u"　\r\nサーバーエラー(951)\r\n "},
        {rcDataReceived, "940", u"　\r\n完了処理サーバーエラー(940)\r\n "},
    };
    for (const auto &c : cases) {
        FakeRelay relay;
        ASSERT_TRUE(relay.start());
        const QString status = QString::fromLatin1(c.status);
        relay.addReply(c.code == rcSlotList     ? slotListReply(status, {})
                       : c.code == rcDeleteSlot ? deleteReply(status)
                                                : completeReply(QStringLiteral("201805101345"), status));
        TRelayControl control(settingsFor(relay.port()));
        TRelaySession session;
        session.FtpHost = QStringLiteral("kept");
        TRelayRequest r;
        r.Code = c.code;
        const TRelayOutcome out = c.code == rcSlotList     ? control.CheckServer(session, QStringLiteral("ID"), QString(), false)
                                  : c.code == rcDeleteSlot ? control.DeleteSlot(session, QStringLiteral("ID"), QStringLiteral("01"))
                                                           : control.Complete(r);
        EXPECT_EQ(out.Failure, TRelayFailure::Status) << c.code;
        EXPECT_EQ(out.Status, status);
        EXPECT_EQ(out.Message, QString::fromUtf16(c.message)) << c.code;
        EXPECT_EQ(session.FtpHost, QStringLiteral("kept")); // a refused list changes nothing
    }
    // Success of a completion carries the server's time.
    FakeRelay relay;
    ASSERT_TRUE(relay.start());
    relay.addReply(completeReply(QStringLiteral("20180510134512"), QStringLiteral("000")));
    TRelayRequest r;
    r.Code = rcDataSent;
    const TRelayOutcome out = TRelayControl(settingsFor(relay.port())).Complete(r);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.ReplyTime, QStringLiteral("20180510134512"));
    EXPECT_EQ(RelayCompactTimeText(out.ReplyTime), QStringLiteral("2018/05/10 13:45"));
}

TEST_F(RelayProtocolTest, ConnectionFailuresEndWithinTheTimeOut)
{
    struct {
        const char *what;
        FakeRelay::Behaviour behaviour; // Answer with no server started: refused
        bool refused;
        int code;
        TRelayFailure failure;
        const char16_t *message;
    } cases[] = {
        {"refused, list", FakeRelay::Behaviour::Answer, true, rcSlotList, TRelayFailure::Connect, u"　\r\nサーバーに接続出来ません。\r\n "},
        {"refused, completion", FakeRelay::Behaviour::Answer, true, rcDataSent, TRelayFailure::Connect,
         u"　\r\nサーバーに接続出来ません。(完了処理)\r\n "},
        {"no handshake, list", FakeRelay::Behaviour::HoldHandshake, false, rcSlotList, TRelayFailure::Connect,
         u"　\r\nサーバーに接続出来ません。\r\n "},
        {"no handshake, receive completion", FakeRelay::Behaviour::HoldHandshake, false, rcDataReceived,
         TRelayFailure::Connect, u"　\r\nサーバーに接続出来ません。(完了処理)\r\n "},
        {"no answer, list", FakeRelay::Behaviour::HoldReply, false, rcSlotList, TRelayFailure::Talk,
         u"　\r\nサーバーに接続出来ません。\r\n "},
        {"no answer, deletion", FakeRelay::Behaviour::HoldReply, false, rcDeleteSlot, TRelayFailure::Talk,
         u"　\r\nサーバーに接続出来ません。\r\n "},
        {"no answer, send completion", FakeRelay::Behaviour::HoldReply, false, rcDataSent, TRelayFailure::Talk,
         u"　\r\n送信エラー\r\n "},
        {"no answer, receive completion", FakeRelay::Behaviour::HoldReply, false, rcDataReceived, TRelayFailure::Talk,
         u"　\r\n受信完了処理エラー\r\n "},
    };
    for (const auto &c : cases) {
        FakeRelay relay(c.behaviour);
        quint16 port = 0;
        if (c.refused) {
            port = freePort();
        } else {
            ASSERT_TRUE(relay.start());
            port = relay.port();
        }
        TRelaySettings s = settingsFor(port);
        s.ConnectTimeoutMs = 700;
        s.ReadTimeoutMs = 700;
        TRelayControl control(s);
        TRelaySession session;
        TRelayRequest r;
        r.Code = c.code;
        QElapsedTimer t;
        t.start();
        const TRelayOutcome out = c.code == rcSlotList     ? control.CheckServer(session, QStringLiteral("ID"), QString(), false)
                                  : c.code == rcDeleteSlot ? control.DeleteSlot(session, QStringLiteral("ID"), QStringLiteral("01"))
                                                           : control.Complete(r);
        EXPECT_LT(t.elapsed(), 3000) << c.what;
        EXPECT_EQ(out.Failure, c.failure) << c.what;
        EXPECT_EQ(out.Message, QString::fromUtf16(c.message)) << c.what;
    }
}

TEST_F(RelayProtocolTest, AReplyCutShortIsAFailureAndChangesNothing)
{
    FakeRelay relay;
    ASSERT_TRUE(relay.start());
    QByteArray reply = slotListReply(QStringLiteral("000"), {SlotSpec{QStringLiteral("Cut")}});
    reply.truncate(reply.indexOf("Term:")); // ends inside the first slot block
    relay.addReply(reply);
    TRelaySession session;
    session.FtpHost = QStringLiteral("before");
    const TRelayOutcome out = TRelayControl(settingsFor(relay.port())).CheckServer(session, QStringLiteral("ID"), QString(), false);
    EXPECT_EQ(out.Failure, TRelayFailure::Talk);
    EXPECT_EQ(session.FtpHost, QStringLiteral("before"));
    EXPECT_FALSE(session.Slots[0].hasData());
}

TEST_F(RelayProtocolTest, RefusesAServerWhoseCertificateIsNotTrusted)
{
    FakeRelay relay;
    ASSERT_TRUE(relay.start());
    relay.addReply(slotListReply(QStringLiteral("000"), {}));
    TRelaySettings s = settingsFor(relay.port());
    s.CaFile.clear(); // the system's store does not know the test certificate
    TRelaySession session;
    const TRelayOutcome out = TRelayControl(s).CheckServer(session, QStringLiteral("WEB001"), QString(), false);
    EXPECT_EQ(out.Failure, TRelayFailure::Connect);
    EXPECT_EQ(out.Message, QStringLiteral("　\r\nサーバーに接続出来ません。\r\n "));
    EXPECT_TRUE(out.Detail.startsWith(QStringLiteral("サーバーの証明書を確認できないため、接続を中止しました。"))) << out.Detail.toStdString();
    EXPECT_TRUE(relay.requests().isEmpty()); // nothing was sent to it

    // A CA file that cannot be read is said so.
    s.CaFile = testenv::sandbox() + QStringLiteral("/missing-ca.pem");
    const TRelayOutcome missing = TRelayControl(s).CheckServer(session, QStringLiteral("WEB001"), QString(), false);
    EXPECT_EQ(missing.Failure, TRelayFailure::Connect);
    EXPECT_TRUE(missing.Detail.contains(QStringLiteral("missing-ca.pem")));
}

TEST(RelaySettings, ComeFromTheApplicationIni)
{
    const QString dir = testenv::freshDir(QStringLiteral("relay-settings"));
    const TRelaySettings defaults = TRelaySettings::fromIniFile(dir + QStringLiteral("/none.ini"));
    EXPECT_EQ(defaults.Host, QStringLiteral("relay.quenta.example.jp"));
    EXPECT_EQ(defaults.Port, 443);
    EXPECT_EQ(defaults.FtpPort, 21);
    EXPECT_TRUE(defaults.CaFile.isEmpty());
    EXPECT_EQ(defaults.ConnectTimeoutMs, 15000);
    EXPECT_EQ(defaults.ReadTimeoutMs, 30000);
    EXPECT_EQ(defaults.StepPauseMs, 480);

    const QString ini = dir + QStringLiteral("/vqzaimu.ini");
    testenv::writeFile(ini, "[LOCAL]\r\nHOSTNAME=pc01\r\n[RELAY]\r\nHOST=127.0.0.1\r\nPORT=8443\r\nFTPPORT=2121\r\n"
                            "CAFILE=/etc/relay/ca.pem\r\nCONNECTTIMEOUT=2500\r\nREADTIMEOUT=abc\r\nSERIAL=SN-77\r\nSTEPPAUSE=0\r\n");
    const TRelaySettings s = TRelaySettings::fromIniFile(ini);
    EXPECT_EQ(s.Host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(s.Port, 8443);
    EXPECT_EQ(s.FtpPort, 2121);
    EXPECT_EQ(s.CaFile, QStringLiteral("/etc/relay/ca.pem"));
    EXPECT_EQ(s.ConnectTimeoutMs, 2500);
    EXPECT_EQ(s.ReadTimeoutMs, 30000); // not a number: the default
    EXPECT_EQ(s.SerialText, QStringLiteral("SN-77"));
    EXPECT_EQ(s.StepPauseMs, 0);
}

TEST(RelayValues, FollowTheModeAndTheEdition)
{
    EXPECT_EQ(RelayTrKubun(1, 0), QString());
    EXPECT_EQ(RelayTrKubun(2, 0), QString());
    EXPECT_EQ(RelayTrKubun(1, 1), QStringLiteral("10"));
    EXPECT_EQ(RelayTrKubun(2, 2), QStringLiteral("10"));
    EXPECT_EQ(RelayTrKubun(8, 0), QStringLiteral("2"));
    EXPECT_EQ(RelayTrKubun(0, 1), QStringLiteral("2"));
    EXPECT_EQ(RelaySlotFolderName(0), QStringLiteral("01"));
    EXPECT_EQ(RelaySlotFolderName(9), QStringLiteral("10"));
    EXPECT_EQ(RelayVersionText(11, 0), QStringLiteral("1100"));
    EXPECT_EQ(RelayVersionText(6, 1), QStringLiteral("0601"));
    EXPECT_EQ(RelayDateTimeText(QStringLiteral("2018-04-01 09:05:00")), QStringLiteral("2018/04/01 09:05"));
}

} // namespace
