#include "comm/RelayProtocol.h"

#include "comm/xPzConv.h"
#include "dbaccess/Kikan.h"
#include "platform/Cp932.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>

QString RelaySlotFolderName(int index)
{
    // The last two characters of "0" + the slot number: "01".."10".
    return (QStringLiteral("0") + QString::number(index + 1)).right(2);
}

namespace {

QByteArray periodValue(const QDate &d)
{
    return (d.isValid() ? d.toString(QStringLiteral("yyyyMMdd")) : QStringLiteral("00000000")).toLatin1() + "0000";
}

} // namespace

QByteArray RelayRequestLine(const TRelayRequest &r)
{
    QByteArray line = "GET /request.php?Scode=" + QByteArray::number(r.Code) + "&sSno=" + PercentEncodeQueryValue(r.Serial) +
                      "&sFName=" + PercentEncodeQueryValue(r.Id);
    switch (r.Code) {
    case rcSlotList:
        if (!r.TrKubun.isEmpty()) line += "&sTRKubn=" + PercentEncodeQueryValue(r.TrKubun);
        break;
    case rcDeleteSlot:
    case rcDataReceived:
        line += "&fSname=" + PercentEncodeQueryValue(r.SlotFolder);
        break;
    case rcCashBookSent:
    case rcDataSent:
        line += "&fSname=" + PercentEncodeQueryValue(r.SlotFolder) + "&fSg=" + EscapeQueryValue(EncodeDataName(r.DataName)) +
                "&fNe=" + QByteArray::number(r.FiscalTerm) + "&fKis=" + periodValue(r.PeriodStart) +
                "&fKie=" + periodValue(r.PeriodEnd) + "&fPa=" + PercentEncodeQueryValue(r.Password) +
                "&fYobi=" + PercentEncodeQueryValue(r.Version);
        break;
    default:
        break;
    }
    return line + " HTTP/1.0";
}

QByteArray RelayRequestBytes(const TRelayRequest &request, const QString &host)
{
    QByteArray out = RelayRequestLine(request) + "\r\n";
    out += "Host: " + host.toLatin1() + "\r\n";
    out += "User-Agent: Corvena\r\n";
    out += "Connection: Close\r\n";
    out += "\r\n\r\n";
    return out;
}

QString RelayTrKubun(int syoriType, int edition)
{
    if (syoriType != 1 && syoriType != 2) return QStringLiteral("2");
    return edition == 1 || edition == 2 ? QStringLiteral("10") : QString();
}

QString RelayVersionText(int major, int minor)
{
    return QStringLiteral("%1%2").arg(major, 2, 10, QLatin1Char('0')).arg(minor, 2, 10, QLatin1Char('0'));
}

QList<QByteArray> ReadRelayReplyHead(TRelayLineSource &source, int count)
{
    QList<QByteArray> lines;
    QByteArray first;
    do {
        first = source.readLine();
    } while (first.isEmpty());
    lines << first;
    while (lines.size() < count) lines << source.readLine();
    return lines;
}

QString RelayStatusOf(const QByteArray &line)
{
    return QString::fromLatin1(line.mid(10, 3));
}

QString RelayFieldFrom(const QByteArray &line, int n)
{
    return platform::fromCp932(line.mid(n - 1));
}

QString RelayDateTimeText(const QString &v)
{
    return v.mid(0, 4) + u'/' + v.mid(5, 2) + u'/' + v.mid(8, 2) + u' ' + v.mid(11, 5);
}

QString RelayCompactTimeText(const QString &c)
{
    return c.mid(0, 4) + u'/' + c.mid(4, 2) + u'/' + c.mid(6, 2) + u' ' + c.mid(8, 2) + u':' + c.mid(10, 2);
}

QString RelayDateDisplay(const QString &dateTime, bool wareki)
{
    if (!wareki) return dateTime;
    const QDate d = QDate::fromString(dateTime.left(10), QStringLiteral("yyyy/MM/dd"));
    if (!d.isValid()) return dateTime;
    QString text;
    FormatWarekiDate(QStringLiteral("yy/mm/dd"), 2, text, d);
    return text;
}

QString RelayTimeDisplay(const QString &dateTime, bool wareki)
{
    if (!wareki) return dateTime;
    const QString date = RelayDateDisplay(dateTime, true);
    if (date == dateTime) return dateTime;
    return date + u' ' + dateTime.mid(11, 5);
}

void ReadRelaySlotList(TRelayLineSource &source, TRelaySession &session, bool wareki)
{
    session.FtpHost = RelayFieldFrom(source.readLine(), 8);
    session.FtpPassword = RelayFieldFrom(source.readLine(), 8);
    source.readLine();
    for (TRelaySlotRec &slot : session.Slots) {
        QString rawSend, rawReceive;
        slot.SlotName = RelayFieldFrom(source.readLine(), 14);
        slot.DataName = DecodeDataName(source.readLine().mid(10));
        const bool data = slot.hasData();
        // Every line of the block is read; a slot without data keeps its other fields.
        const QByteArray term = source.readLine();
        const QByteArray start = source.readLine();
        const QByteArray end = source.readLine();
        const QByteArray send = source.readLine();
        const QByteArray password = source.readLine();
        const QByteArray version = source.readLine();
        const QByteArray receive = source.readLine();
        if (!data) continue;
        slot.FiscalTerm = RelayFieldFrom(term, 11);
        slot.PeriodStart = RelayDateTimeText(RelayFieldFrom(start, 12));
        slot.PeriodStartText = RelayDateDisplay(slot.PeriodStart, wareki);
        slot.PeriodEnd = RelayDateTimeText(RelayFieldFrom(end, 12));
        slot.PeriodEndText = RelayDateDisplay(slot.PeriodEnd, wareki);
        rawSend = RelayFieldFrom(send, 11);
        slot.SendTime = RelayDateTimeText(rawSend);
        slot.SendTimeText = RelayTimeDisplay(slot.SendTime, wareki);
        slot.SlotPassword = RelayFieldFrom(password, 11);
        slot.SlotVersion = RelayFieldFrom(version, 13);
        rawReceive = RelayFieldFrom(receive, 11);
        if (rawSend < rawReceive) {
            slot.ReceiveTime = RelayDateTimeText(rawReceive);
            slot.ReceiveTimeText = slot.ReceiveTime.startsWith(QStringLiteral("0000"))
                                       ? QStringLiteral("-")
                                       : RelayTimeDisplay(slot.ReceiveTime, wareki);
        } else {
            slot.ReceiveTimeText = QStringLiteral("-");
        }
    }
}

QString RelayFailureText(int code, TRelayFailure failure, const QString &status)
{
    const bool completion = code == rcCashBookSent || code == rcDataSent || code == rcDataReceived;
    switch (failure) {
    case TRelayFailure::None:
        return QString();
    case TRelayFailure::Status:
        if (code == rcSlotList && status == u"920")
            return QStringLiteral("　\r\nサーバーに接続出来ません、通信IDを確認して下さい。\r\n ");
        return (code == rcDataReceived ? QStringLiteral("　\r\n完了処理サーバーエラー(") : QStringLiteral("　\r\nサーバーエラー(")) +
               status + QStringLiteral(")") + QStringLiteral("\r") + QStringLiteral("\n") + QStringLiteral(" ");
    case TRelayFailure::Connect:
        return completion ? QStringLiteral("　\r\nサーバーに接続出来ません。(完了処理)\r\n ")
                          : QStringLiteral("　\r\nサーバーに接続出来ません。\r\n ");
    case TRelayFailure::Talk:
        if (code == rcCashBookSent || code == rcDataSent) return QStringLiteral("　\r\n送信エラー\r\n ");
        if (code == rcDataReceived) return QStringLiteral("　\r\n受信完了処理エラー\r\n ");
        return QStringLiteral("　\r\nサーバーに接続出来ません。\r\n ");
    }
    return QString();
}

// ---------------------------------------------------------------- the TLS client

namespace {

// Lines from the socket until one overall deadline.
class SocketLineSource : public TRelayLineSource
{
public:
    SocketLineSource(QSslSocket &socket, QDeadlineTimer deadline) : m_socket(socket), m_deadline(deadline) {}

    QByteArray readLine() override
    {
        for (;;) {
            m_buffer += m_socket.readAll();
            const qsizetype eol = m_buffer.indexOf('\n');
            if (eol >= 0) {
                QByteArray line = m_buffer.left(eol);
                m_buffer.remove(0, eol + 1);
                if (line.endsWith('\r')) line.chop(1);
                return line;
            }
            if (m_socket.state() != QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0) {
                // The server has closed: a last line without its end still counts.
                if (!m_buffer.isEmpty()) {
                    QByteArray line = m_buffer;
                    m_buffer.clear();
                    if (line.endsWith('\r')) line.chop(1);
                    return line;
                }
                throw TRelayReadError("the relay server closed the connection before the reply was complete");
            }
            if (m_deadline.hasExpired()) throw TRelayReadError("the relay server's reply timed out");
            const int left = int(std::max<qint64>(1, m_deadline.remainingTime()));
            if (!m_socket.waitForReadyRead(left) && m_socket.bytesAvailable() == 0 &&
                m_socket.state() == QAbstractSocket::ConnectedState && m_deadline.hasExpired())
                throw TRelayReadError("the relay server's reply timed out");
        }
    }

private:
    QSslSocket &m_socket;
    QDeadlineTimer m_deadline;
    QByteArray m_buffer;
};

QString certificateDetail(const QList<QSslError> &errors)
{
    QStringList texts;
    for (const QSslError &e : errors) texts << e.errorString();
    texts.removeDuplicates();
    return QStringLiteral("サーバーの証明書を確認できないため、接続を中止しました。\r") + texts.join(QStringLiteral("\r"));
}

} // namespace

TRelayControl::TRelayControl(const TRelaySettings &settings) : m_settings(settings) {}

TRelayOutcome TRelayControl::Exchange(const TRelayRequest &request,
                                      const std::function<void(TRelayLineSource &, TRelayOutcome &)> &readReply)
{
    TRelayOutcome out;
    auto fail = [&](TRelayFailure failure, const QString &detail = QString()) {
        out.Failure = failure;
        out.Message = RelayFailureText(request.Code, failure, out.Status);
        out.Detail = detail;
        return out;
    };

    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setProtocol(QSsl::TlsV1_2OrLater);
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!m_settings.CaFile.isEmpty()) {
        const QList<QSslCertificate> cas = QSslCertificate::fromPath(m_settings.CaFile, QSsl::Pem);
        if (cas.isEmpty())
            return fail(TRelayFailure::Connect,
                        QStringLiteral("証明書ファイル(%1)を読み込めませんでした。").arg(m_settings.CaFile));
        conf.setCaCertificates(cas);
    }

    QSslSocket socket;
    socket.setSslConfiguration(conf);
    socket.setPeerVerifyName(m_settings.Host);
    socket.connectToHostEncrypted(m_settings.Host, m_settings.Port);
    if (!socket.waitForEncrypted(m_settings.ConnectTimeoutMs)) {
        const QList<QSslError> errors = socket.sslHandshakeErrors();
        const QString detail = errors.isEmpty() ? QString() : certificateDetail(errors);
        socket.abort();
        return fail(TRelayFailure::Connect, detail);
    }

    QDeadlineTimer deadline(m_settings.ReadTimeoutMs);
    socket.write(RelayRequestBytes(request, m_settings.Host));
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.abort();
            return fail(TRelayFailure::Talk);
        }
    }
    try {
        SocketLineSource source(socket, deadline);
        readReply(source, out);
    } catch (const TRelayReadError &) {
        socket.abort();
        return fail(TRelayFailure::Talk);
    }
    socket.abort();
    if (!out.ok()) return fail(out.Failure);
    return out;
}

TRelayOutcome TRelayControl::CheckServer(TRelaySession &session, const QString &id, const QString &trKubun, bool wareki)
{
    TRelayRequest r;
    r.Code = rcSlotList;
    r.Serial = session.SerialText;
    r.Id = id;
    r.TrKubun = trKubun;
    // The slot list is read into a copy: a reply cut short changes nothing.
    TRelaySession read = session;
    TRelayOutcome out = Exchange(r, [&](TRelayLineSource &source, TRelayOutcome &o) {
        const QList<QByteArray> head = ReadRelayReplyHead(source, 5);
        o.Status = RelayStatusOf(head[4]);
        if (o.Status != u"000") {
            o.Failure = TRelayFailure::Status;
            return;
        }
        ReadRelaySlotList(source, read, wareki);
    });
    if (out.ok()) session = read;
    return out;
}

TRelayOutcome TRelayControl::DeleteSlot(const TRelaySession &session, const QString &id, const QString &slotFolder)
{
    TRelayRequest r;
    r.Code = rcDeleteSlot;
    r.Serial = session.SerialText;
    r.Id = id;
    r.SlotFolder = slotFolder;
    return Exchange(r, [](TRelayLineSource &source, TRelayOutcome &o) {
        const QList<QByteArray> head = ReadRelayReplyHead(source, 5);
        o.Status = RelayStatusOf(head[4]);
        if (o.Status != u"000") o.Failure = TRelayFailure::Status;
    });
}

TRelayOutcome TRelayControl::Complete(const TRelayRequest &request)
{
    return Exchange(request, [](TRelayLineSource &source, TRelayOutcome &o) {
        const QList<QByteArray> head = ReadRelayReplyHead(source, 6);
        o.ReplyTime = RelayFieldFrom(head[4], 8);
        o.Status = RelayStatusOf(head[5]);
        if (o.Status != u"000") o.Failure = TRelayFailure::Status;
    });
}
