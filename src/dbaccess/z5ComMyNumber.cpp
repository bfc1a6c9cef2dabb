#include "dbaccess/z5ComMyNumber.h"

#include "core/EasyEncode.h"
#include "core/Messages.h"
#include "core/SjisText.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"

#include <QFileInfo>

const std::array<QString, 11> MyNumberLogKindText = {
    QStringLiteral("**"),        QStringLiteral("が登録"), QStringLiteral("が変更"),
    QStringLiteral("が削除"),    QStringLiteral("が参照"), QStringLiteral("が印刷"),
    QStringLiteral("を含むデータが保存"), QStringLiteral("を含むデータが復元"),
    QStringLiteral("を含めずにデータが保存"), QStringLiteral("が既定値に設定"), QStringLiteral("が変更")};

std::function<bool(bool retry, QString &input)> MyNumberPasswordPrompt;

namespace {

const QString kGroup = QStringLiteral("基本設定");
const QString kUse = QStringLiteral("＃USE");
const QString kKey = QStringLiteral("＃KEY");
const QString kValue = QStringLiteral("＃VALUE");
const QString kCipherKey = QStringLiteral("mynmbrk");

std::function<QDateTime()> g_clock;

QDateTime now()
{
    return g_clock ? g_clock() : QDateTime::currentDateTime();
}

// Cut to n CP932 bytes without splitting a double-byte character, then trimmed.
QString cutBytes(const QString &text, int n)
{
    return PadStr(text, n).trimmed();
}

void bindKey(FbQuery &q, const TMyNumberLogRec &rec, bool withHost)
{
    q.paramByName(QStringLiteral("FHIZUKE")).setDateTime(rec.FHIZUKE);
    q.paramByName(QStringLiteral("FSERIAL")).setString(rec.FSERIAL);
    q.paramByName(QStringLiteral("FOPCODE")).setString(rec.FOPCODE);
    if (withHost) q.paramByName(QStringLiteral("FHOST")).setString(rec.FHOST);
}

} // namespace

void SetMyNumberLogClock(std::function<QDateTime()> clock)
{
    g_clock = std::move(clock);
}

QString EncipherMyNumberValue(const QString &plain)
{
    if (plain.isEmpty()) return QString();
    TEasyEncodeInfo info;
    info.Key = kCipherKey;
    info.PlainText = plain;
    info.PlainLength = int(plain.size());
    info.EncodeLength = qMax(8, int(plain.size()));
    if (plain.size() <= 99 && EasyEncode(info) == 1)
        return QStringLiteral("E%1").arg(plain.size(), 2, 10, QLatin1Char('0')) + info.EncodeText;
    // Not letters and digits only: kept hidden from casual reading all the same.
    QByteArray bytes = plain.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(bytes[i] ^ char(0x5a + i % 7));
    return QStringLiteral("B") + QString::fromLatin1(bytes.toBase64());
}

QString DecipherMyNumberValue(const QString &stored)
{
    const QString s = stored.trimmed();
    if (s.startsWith(u'E') && s.size() >= 3) {
        TEasyEncodeInfo info;
        info.Key = kCipherKey;
        info.PlainLength = s.mid(1, 2).toInt();
        info.EncodeText = s.mid(3);
        EasyDecode(info);
        return info.PlainText;
    }
    if (s.startsWith(u'B')) {
        QByteArray bytes = QByteArray::fromBase64(s.mid(1).toLatin1());
        for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char(bytes[i] ^ char(0x5a + i % 7));
        return QString::fromUtf8(bytes);
    }
    return QString();
}

void TMyNumberIO::MakeLogRec(TMyNumberLogRec &rec, int kind, const QString &processName) const
{
    rec.FHIZUKE = QDateTime();
    rec.FSERIAL = SystemDef.Serial;
    rec.FOPCODE = QString::number(SystemDef.LoginNo);
    rec.FOPNAME = SystemDef.OpName;
    rec.FHOST = cutBytes(SystemDef.PcName, 60);
    rec.FSTATE = quint8(kind);
    rec.FPROCNAME = cutBytes(processName, 40);
    QString comment;
    if (kind == 6 && processName.contains(QStringLiteral("送信")))
        comment = QStringLiteral("マイナンバー情報を含むデータが送信されました。");
    else if (kind == 7 && processName.contains(QStringLiteral("受信")))
        comment = QStringLiteral("マイナンバー情報を含むデータが受信されました。");
    else if (kind == 8 && processName.contains(QStringLiteral("送信")))
        comment = QStringLiteral("マイナンバー情報を含めずにデータが送信されました。");
    else if (kind == 9)
        comment = QStringLiteral("マイナンバー管理パスワードを既定値に設定しました。");
    else if (kind == 10)
        comment = QStringLiteral("マイナンバー管理パスワードを変更しました。");
    else
        comment = QStringLiteral("マイナンバー情報") + MyNumberLogKindText[size_t(qBound(0, kind, 10))] + QStringLiteral("されました。");
    rec.FCOMMENT = cutBytes(comment, 100);
}

bool TMyNumberIO::AddLog(TMyNumberLogRec &rec)
{
    const QString operation = QStringLiteral("TMyNumberIO.AddLog");
    const QString text = QStringLiteral("管理ログリストの追加に失敗しました。");
    for (int attempt = 1;; ++attempt) {
        try {
            TransactionGuard g(DM->IBTransactionDAT);
            FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
            q.setSql(QStringList{QStringLiteral("INSERT INTO MYNUMBER_LOG(FHIZUKE,FSERIAL,FOPCODE,FOPNAME,FHOST,FSTATE,FPROCNAME,FCOMMENT)"),
                                 QStringLiteral("VALUES(:FHIZUKE,:FSERIAL,:FOPCODE,:FOPNAME,:FHOST,:FSTATE,:FPROCNAME,:FCOMMENT)")});
            if (!rec.FHIZUKE.isValid()) rec.FHIZUKE = now();
            bindKey(q, rec, false);
            q.paramByName(QStringLiteral("FOPNAME")).setString(rec.FOPNAME);
            q.paramByName(QStringLiteral("FHOST")).setString(rec.FHOST);
            q.paramByName(QStringLiteral("FSTATE")).setInteger(rec.FSTATE);
            q.paramByName(QStringLiteral("FPROCNAME")).setString(rec.FPROCNAME);
            q.paramByName(QStringLiteral("FCOMMENT")).setString(rec.FCOMMENT);
            q.execSQL();
            g.commit();
            return true;
        } catch (const FbError &e) {
            // The same time as an entry made just before: a fresh time, once more.
            if (e.errorCode() == 335544665 && attempt < 4) {
                rec.FHIZUKE = QDateTime();
                continue;
            }
            reportError(e, operation, text);
            return false;
        } catch (const std::exception &e) {
            reportError(e, operation, text);
            return false;
        }
    }
}

bool TMyNumberIO::onData(const QString &host, const QString &dbPath, const std::function<bool()> &work)
{
    if (!DM) return false;
    const QFileInfo fi(dbPath);
    if (!DM->FExist(dbPath, ConnectMode)) return false;
    const QString folder = fi.path();
    QString h, open;
    SplitDatabaseName(DM->IBDatabaseDAT.DatabaseName, h, open);
    const bool alreadyOpen = DM->IBDatabaseDAT.connected() && QFileInfo(open).absoluteFilePath() == fi.absoluteFilePath();
    if (!alreadyOpen && !DM->fnAccDatConnected(host, folder, false)) return false;
    bool result = false;
    try {
        result = work();
    } catch (...) {
        if (!alreadyOpen) DM->fnAccDatDisConnected(folder, false, false);
        throw;
    }
    if (!alreadyOpen) DM->fnAccDatDisConnected(folder, false, false);
    return result;
}

bool TMyNumberIO::AddLogToData(TMyNumberLogRec &rec, const QString &host, const QString &dbPath)
{
    return onData(host, dbPath, [&] { return AddLog(rec); });
}

bool TMyNumberIO::LoadLogList(int order)
{
    CompanyName.clear();
    LogCount = 0;
    LogList.clear();
    try {
        TransactionGuard g(DM->IBTransactionDAT);
        FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
        q.setSql(QStringList{QStringLiteral("SELECT SHOUGOU FROM ACCDEF1"), QStringLiteral("WHERE REC=1")});
        q.open();
        if (!q.eof()) CompanyName = q.field(0).asString().trimmed();
        q.close();
        q.setSql(QStringLiteral("SELECT COUNT(FSERIAL) AS RECCNT FROM MYNUMBER_LOG"));
        q.open();
        LogCount = q.field(0).asInteger();
        q.close();
        if (LogCount > 0) {
            q.setSql(QStringList{QStringLiteral("SELECT FHIZUKE,FSERIAL,FOPCODE,FOPNAME,FHOST,FSTATE,FPROCNAME,FCOMMENT"),
                                 QStringLiteral("FROM MYNUMBER_LOG"),
                                 order == 1 ? QStringLiteral("ORDER BY FHIZUKE DESC,FSERIAL,FOPCODE")
                                            : QStringLiteral("ORDER BY FHIZUKE,FSERIAL,FOPCODE")});
            for (q.open(); !q.eof(); q.next()) {
                TMyNumberLogRec r;
                r.FHIZUKE = q.field(0).asDateTime();
                r.FSERIAL = q.field(1).asString();
                r.FOPCODE = q.field(2).asString();
                r.FOPNAME = q.field(3).asString();
                r.FHOST = q.field(4).asString();
                r.FSTATE = quint8(q.field(5).asInteger());
                r.FPROCNAME = q.field(6).asString();
                r.FCOMMENT = q.field(7).asString();
                LogList << r;
            }
            q.close();
        }
        g.commit();
        return true;
    } catch (const std::exception &e) {
        ShowErrorMessage(QStringLiteral("管理ログリストの取得に失敗しました。"), exceptionText(e));
    }
    return false;
}

bool TMyNumberIO::LoadLogListOfData(const QString &host, const QString &dbPath)
{
    return onData(host, dbPath, [&] { return LoadLogList(0); });
}

bool TMyNumberIO::MergeLogList(const QString &host, const QString &dbPath)
{
    if (CompanyName.isEmpty()) return false;
    return onData(host, dbPath, [&] {
        try {
            TransactionGuard g(DM->IBTransactionDAT);
            FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
            q.setSql(QStringList{QStringLiteral("SELECT SHOUGOU FROM ACCDEF1"), QStringLiteral("WHERE REC=1")});
            q.open();
            const QString name = q.eof() ? QString() : q.field(0).asString().trimmed();
            q.close();
            if (name != CompanyName) {
                g.commit();
                return false;
            }
            q.setSql(QStringList{QStringLiteral("SELECT COUNT(FHIZUKE) AS RECCNT FROM MYNUMBER_LOG"),
                                 QStringLiteral("WHERE (FHIZUKE=:FHIZUKE) AND (FSERIAL=:FSERIAL) AND (FOPCODE=:FOPCODE) AND (FHOST=:FHOST)")});
            bool ok = true;
            for (TMyNumberLogRec &rec : LogList) {
                bindKey(q, rec, true);
                q.open();
                const int n = q.field(0).asInteger();
                q.close();
                if (n == 0) ok = AddLog(rec) && ok;
            }
            g.commit();
            return ok;
        } catch (const std::exception &e) {
            ShowErrorMessage(QStringLiteral("管理ログリストのマージに失敗しました。"), exceptionText(e));
        }
        return false;
    });
}

bool TMyNumberIO::DeleteLog(const TMyNumberLogRec &rec)
{
    try {
        TransactionGuard g(DM->IBTransactionDAT);
        FbQuery q(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
        q.setSql(QStringList{QStringLiteral("DELETE FROM MYNUMBER_LOG"),
                             QStringLiteral("WHERE (FHIZUKE=:FHIZUKE) AND (FSERIAL=:FSERIAL) AND (FOPCODE=:FOPCODE)")});
        bindKey(q, rec, false);
        q.execSQL();
        g.commit();
        return true;
    } catch (const std::exception &e) {
        ShowErrorMessage(QStringLiteral("管理ログリストの削除に失敗しました。"), exceptionText(e));
    }
    return false;
}

bool TMyNumberIO::LoadMyNumberSettings(const QString &host, const QString &dbPath, const QString &command,
                                       const QString &processName)
{
    UseMyNumber = 0;
    Password.clear();
    Value.clear();
    return onData(host, dbPath, [&] {
        try {
            TransactionGuard g(DM->IBTransactionDAT);
            UseMyNumber = DM->GetAccReg(kGroup, kUse, QStringLiteral("整数"), QStringLiteral("0")).toInt();
            Password = DecipherMyNumberValue(DM->GetAccReg(kGroup, kKey, QStringLiteral("文字"), QString()).toString());
            Value = DecipherMyNumberValue(DM->GetAccReg(kGroup, kValue, QStringLiteral("文字"), QString()).toString());
            if (command.compare(QStringLiteral("MYNUMBER_CLEAR"), Qt::CaseInsensitive) == 0) {
                DM->PutAccReg(kGroup, kUse, QStringLiteral("整数"), 0);
                DM->DeleteAccReg(kGroup, kKey);
                DM->DeleteAccReg(kGroup, kValue);
                MakeLogRec(ClearLog, 3, processName.isEmpty() ? QStringLiteral("アプリケーション") : processName);
                if (!AddLog(ClearLog)) return false;
            }
            g.commit();
            return true;
        } catch (const std::exception &e) {
            ShowErrorMessage(QStringLiteral("マイナンバー情報の取得に失敗しました。"), exceptionText(e));
        }
        return false;
    });
}

bool TMyNumberIO::RestoreMyNumberSettings(const QString &host, const QString &dbPath)
{
    if (UseMyNumber != 1) return true;
    return onData(host, dbPath, [&] {
        try {
            TransactionGuard g(DM->IBTransactionDAT);
            DM->PutAccReg(kGroup, kUse, QStringLiteral("整数"), UseMyNumber);
            const QString key = EncipherMyNumberValue(Password);
            if (!key.isEmpty()) DM->PutAccReg(kGroup, kKey, QStringLiteral("文字"), key);
            const QString value = EncipherMyNumberValue(Value);
            if (!value.isEmpty()) DM->PutAccReg(kGroup, kValue, QStringLiteral("文字"), value);
            const bool removed = DeleteLog(ClearLog);
            g.commit();
            return removed;
        } catch (const std::exception &e) {
            ShowErrorMessage(QStringLiteral("マイナンバー情報の書き戻しに失敗しました。"), exceptionText(e));
        }
        return false;
    });
}

bool AskMyNumberPassword(const QString &storedPassword)
{
    if (!SystemDef.MyNumberAdmin) return true;
    if (storedPassword.isEmpty()) return false;
    if (!MyNumberPasswordPrompt) return false;
    static const QString spaces = QStringLiteral(" 　");
    for (int attempt = 0; attempt < 3; ++attempt) {
        QString input;
        if (!MyNumberPasswordPrompt(attempt > 0, input)) return false;
        qsizetype a = 0, b = input.size();
        while (a < b && spaces.contains(input[a])) ++a;
        while (b > a && spaces.contains(input[b - 1])) --b;
        if (input.mid(a, b - a) == storedPassword) return true;
    }
    return false;
}
