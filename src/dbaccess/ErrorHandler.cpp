#include "dbaccess/ErrorHandler.h"

#include "dbaccess/DataModule.h"
#include "core/DateFormat.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

QString DataVersionText;

namespace {

struct ErrorText {
    long code;
    int sqlCode; // -1: any
    const char16_t *text;
};

const ErrorText kErrorTexts[] = {
#include "dbaccess/IBErrorTexts.inc"
};

bool g_connectionLost = false;
std::function<void()> g_terminate;
std::function<QDateTime()> g_clock;

const QString kTerminationText = QStringLiteral(
    "\r\r[OK]ボタンを押すとアプリケーションの終了処理に入ります。（[OK]後、何回かメッセージが表示される場合があります）"
    "\rアプリケーションが終了しましたら再起動して下さい。\r");

// Appends to the journal and replaces the last-error file. A log that cannot be
// written must not hide the error from the user, so failures are ignored here.
void writeLog(const QString &line1, const QString &line2)
{
    const QByteArray bytes = platform::toCp932(line1 + QStringLiteral("\r\n") + line2 + QStringLiteral("\r\n"));
    const QString base = SystemDef.LogDir + QStringLiteral("/ErrFbAccess");
    QFile journal(base + QStringLiteral(".log"));
    if (journal.open(QIODevice::WriteOnly | QIODevice::Append)) journal.write(bytes);
    QSaveFile last(base + QStringLiteral(".txt"));
    if (last.open(QIODevice::WriteOnly) && last.write(bytes) == bytes.size()) last.commit();
}

} // namespace

bool ConnectionLost()
{
    return g_connectionLost;
}

void ResetConnectionLost()
{
    g_connectionLost = false;
}

void SetTerminateHook(std::function<void()> hook)
{
    g_terminate = std::move(hook);
}

void SetErrorLogClock(std::function<QDateTime()> clock)
{
    g_clock = std::move(clock);
}

QString GetIBErrorText(long statusCode, int sqlCode)
{
    const auto it = std::lower_bound(std::begin(kErrorTexts), std::end(kErrorTexts), statusCode,
                                     [](const ErrorText &e, long c) { return e.code < c; });
    if (it == std::end(kErrorTexts) || it->code != statusCode) return QStringLiteral(" ");
    if (it->sqlCode != -1 && it->sqlCode != sqlCode) return QStringLiteral(" ");
    return QString::fromUtf16(it->text);
}

void ShowIBError(const FbError &error, const QString &operation, QString description, bool /*reconnect*/)
{
    if (g_connectionLost) return;
    const long code = error.errorCode();
    const QString explanation = GetIBErrorText(code, error.sqlCode());

    const QDateTime now = g_clock ? g_clock() : QDateTime::currentDateTime();
    const QString dbName = DM ? DM->IBDatabaseDAT.DatabaseName : QString();
    const QString line1 = QStringLiteral("%1,%2,%3,%4,%5,%6,%7")
                              .arg(FormatDateTime(QStringLiteral("YYYY/MM/DD hh:nn:ss"), now), SystemDef.PcName)
                              .arg(SystemDef.OpCode)
                              .arg(QStringLiteral("Serial=") + SystemDef.Serial,
                                   QStringLiteral("AppVer=") + SystemDef.AppVersion,
                                   QStringLiteral("DBName=") + SystemDef.HostName + u':' + dbName,
                                   QStringLiteral("DataVer=") + DataVersionText);
    const QString line2 = QStringLiteral("Error=%1 [%2] (%3) %4,%5")
                              .arg(operation)
                              .arg(code)
                              .arg(error.sqlCode())
                              .arg(explanation, error.message());
    writeLog(line1, line2);

    if (code == 335544721) {
        g_connectionLost = true;
        description = QStringLiteral(
                          "何らかの原因でネットワークが物理的に切断されている か Firebirdサービス(RDBMS)との通信が切断されました。")
                      + kTerminationText;
    } else if (code == 335544333) {
        g_connectionLost = true;
        description = explanation + kTerminationText;
    }

    if (!description.isEmpty()) {
        if (g_connectionLost) {
            if (ConnectMode == 0) description += QStringLiteral("\r※注意 共有サーバーのデータ利用時は自動保管されません。\r");
            MessageDlg(description, TMsgDlgType::mtError, mbOK);
        } else {
            ShowErrorMessage(description,
                             QStringLiteral("IBXエラーコード:%1\r%2\r%3").arg(code).arg(error.message(), explanation),
                             TMsgDlgType::mtError);
        }
    }

    if (g_connectionLost) {
        if (g_terminate)
            g_terminate();
        else if (QCoreApplication::instance())
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

void reportError(const std::exception &error, const QString &operation, const QString &description, bool reconnect)
{
    if (const auto *db = dynamic_cast<const FbError *>(&error)) ShowIBError(*db, operation, description, reconnect);
    else ShowErrorMessage(description, exceptionText(error));
}

bool reportOrRethrow(bool report, const std::exception &error, const QString &operation, const QString &description)
{
    if (!report) throw; // the exception being handled goes on
    reportError(error, operation, description);
    return false;
}
