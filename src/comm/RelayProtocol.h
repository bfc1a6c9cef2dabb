#pragma once
// The relay server's control protocol: an HTTP/1.0 GET request written as five
// raw lines over a TLS connection, one connection per request, and a reply read
// line by line at fixed positions.
//
// Requests (values in order; the data name is Base64 and escaped, every other
// value percent-encoded):
//   1720  slot list and file-channel account   sSno, sFName [, sTRKubn]
//   1750  slot deletion                         sSno, sFName, fSname
//   1810  cash-book send complete               sSno, sFName, fSname, fSg, fNe, fKis, fKie, fPa, fYobi
//   1820  data send complete                    as 1810
//   1830  data receive complete                 sSno, sFName, fSname
// Reply: empty lines before the first line are skipped; from the first line on
// every line counts. The status is characters 11 to 13 of line 5 (1720, 1750)
// or of line 6 (1810, 1820, 1830, whose line 5 carries the server's time from
// character 8). Request 1720 goes on with the file-channel host (line 6) and
// password (line 7) from character 8, one ignored line and ten slot blocks of
// nine lines.
#include "comm/RelaySettings.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>
#include <functional>
#include <stdexcept>

// One slot ("/01".."/10") as request 1720 lists it; every field is empty when
// the slot holds no data.
struct TRelaySlotRec {
    QString SlotName;
    QString DataName; // decoded
    QString FiscalTerm;
    QString PeriodStart, PeriodStartText; // "YYYY/MM/DD hh:mm" and its display form
    QString PeriodEnd, PeriodEndText;
    QString SendTime, SendTimeText;
    QString ReceiveTime, ReceiveTimeText; // the text "-" when never received since the send
    QString SlotPassword;
    QString SlotVersion; // "MMmm"

    bool hasData() const { return !DataName.trimmed().isEmpty(); }
};

// What the communication window keeps of the last slot list.
struct TRelaySession {
    static constexpr int SlotCount = 10;
    QString SerialText;
    QString FtpHost;
    QString FtpPassword;
    std::array<TRelaySlotRec, SlotCount> Slots{};
};

enum TRelayCode : int {
    rcSlotList = 1720,
    rcDeleteSlot = 1750,
    rcCashBookSent = 1810,
    rcDataSent = 1820,
    rcDataReceived = 1830,
};

// The two-digit folder name of slot index 0..9 ("01".."10").
QString RelaySlotFolderName(int index);

// The values of one request.
struct TRelayRequest {
    int Code = rcSlotList;
    QString Serial;
    QString Id;
    QString TrKubun;    // 1720: "" (nothing), "2" or "10"
    QString SlotFolder; // "01".."10"
    QString DataName;   // 1810 and 1820: the name (encoded on the wire)
    int FiscalTerm = 0;
    QDate PeriodStart, PeriodEnd;
    QString Password;
    QString Version; // "MMmm"
};

// The request line ("GET /request.php?Scode=... HTTP/1.0") without its line end.
QByteArray RelayRequestLine(const TRelayRequest &request);
// The five lines sent: request line, host, agent, connection and the text
// "\r\n" itself, each ended by CR LF.
QByteArray RelayRequestBytes(const TRelayRequest &request, const QString &host);

// The "sTRKubn" of a mode: "2" in the cash-book modes (every mode but 1 and 2),
// "10" in modes 1 and 2 of the federation edition, else none.
QString RelayTrKubun(int syoriType, int edition);

// The product version text of the completion requests ("%2.2d%2.2d").
QString RelayVersionText(int major, int minor);

// A failure to read the reply (time-out, connection closed, reply too short).
class TRelayReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Where the reply lines come from. readLine answers the next line without its
// end (CR LF or LF) or throws TRelayReadError.
class TRelayLineSource
{
public:
    virtual ~TRelayLineSource() = default;
    virtual QByteArray readLine() = 0;
};

// The first `count` lines of a reply: empty lines before line 1 are skipped.
QList<QByteArray> ReadRelayReplyHead(TRelayLineSource &source, int count);
// Characters 11 to 13 of a line.
QString RelayStatusOf(const QByteArray &line);
// The part of a line from character n (1-based) on, decoded from code page 932.
QString RelayFieldFrom(const QByteArray &line, int n);

// "YYYY?MM?DD?hh:mm..." rewritten as "YYYY/MM/DD hh:mm".
QString RelayDateTimeText(const QString &value);
// A compact "YYYYMMDDhhmm..." rewritten as "YYYY/MM/DD hh:mm".
QString RelayCompactTimeText(const QString &compact);
// The display forms: with the era display on, the era date ("yy/mm/dd", short
// era name) and, for times, " hh:mm"; else the text itself. A text whose date
// cannot be read is shown as it is.
QString RelayDateDisplay(const QString &dateTime, bool wareki);
QString RelayTimeDisplay(const QString &dateTime, bool wareki);

// Reads line 6 to the end of a 1720 reply into the session (after a "000" status).
void ReadRelaySlotList(TRelayLineSource &source, TRelaySession &session, bool wareki);

// How a request ended.
enum class TRelayFailure { None, Status, Connect, Talk };

struct TRelayOutcome {
    TRelayFailure Failure = TRelayFailure::None;
    QString Status;    // the three status characters when a reply was read
    QString ReplyTime; // 1810, 1820, 1830: line 5 from character 8
    QString Message;   // the message to show; empty on success
    QString Detail;    // why a connection failed, when that helps the operator
    bool ok() const { return Failure == TRelayFailure::None; }
};

// The message of a failed request.
QString RelayFailureText(int code, TRelayFailure failure, const QString &status);

// The client side: one TLS connection per request (at least TLS 1.2, the
// server's certificate verified against the system's store or the configured
// CA file), bounded connect and reply times. Nothing is logged.
class TRelayControl
{
public:
    explicit TRelayControl(const TRelaySettings &settings);

    // Request 1720: fills the session (serial, file channel, slots) on "000".
    TRelayOutcome CheckServer(TRelaySession &session, const QString &id, const QString &trKubun, bool wareki);
    // Request 1750 of a slot folder ("01".."10").
    TRelayOutcome DeleteSlot(const TRelaySession &session, const QString &id, const QString &slotFolder);
    // Requests 1810, 1820 and 1830; the outcome carries the server's time.
    TRelayOutcome Complete(const TRelayRequest &request);

    // The raw exchange: sends the request and lets the reader take the reply;
    // used by the requests above.
    TRelayOutcome Exchange(const TRelayRequest &request,
                           const std::function<void(TRelayLineSource &, TRelayOutcome &)> &readReply);

    const TRelaySettings &settings() const { return m_settings; }

private:
    TRelaySettings m_settings;
};
