#include "comm/WebDbSqlDump.h"

#include "core/FileUtils.h"
#include "core/Messages.h"
#include "dbaccess/AccInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/FbClient.h"
#include "dbaccess/Globals.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr qsizetype kFlushAt = 1 << 20;
const QString kFailed = QStringLiteral("SQLDumpファイルの作成に失敗しました。");

// The fixed settings rows written after the company's ACCREG rows, in order.
const char *const kPrintSettingRows[][3] = {
    {"環境設定", "証憑列表示区分", "整数"},
    {"環境設定", "支店毎連番表示区分", "整数"},
    {"環境設定", "３期比較年度出力順区分", "整数"},
    {"環境設定", "部門帳票２行印刷区分", "整数"},
    {"環境設定", "税額参考印刷区分", "整数"},
    {"環境設定", "元帳最終取引残高印刷区分", "整数"},
    {"環境設定", "元帳タイトル科目名称出力区分", "整数"},
    {"環境設定", "両面印刷罫線出力区分", "整数"},
    {"環境設定", "インデックス出力区分", "整数"},
    {"環境設定", "名称金額出力区分", "整数"},
    {"環境設定", "試算表集計区分印刷区分", "整数"},
    {"環境設定", "貸借対照表集計期間印刷区分", "整数"},
    {"環境設定", "負債の部改ページ区分", "整数"},
    {"環境設定", "試算表タイトル変更区分", "整数"},
    {"環境設定", "試算表タイトル", "文字"},
    {"環境設定", "２期試算表タイトル", "文字"},
    {"環境設定", "試算表貸借対照表", "文字"},
    {"環境設定", "試算表資産の部", "文字"},
    {"環境設定", "試算表負債・純資産の部", "文字"},
    {"環境設定", "試算表損益計算書", "文字"},
    {"環境設定", "試算表販売費・一般管理費", "文字"},
    {"決算書", "損失金額△区分", "整数"},
    {"決算書", "残高０円科目出力区分", "整数"},
    {"決算書", "負債の部改ページ区分", "整数"},
    {"決算書", "外枠可変区分", "整数"},
};

// The shortest decimal form of an amount of four decimals.
QString scaledText(qint64 raw)
{
    const bool negative = raw < 0;
    const quint64 a = negative ? quint64(0) - quint64(raw) : quint64(raw);
    QString s = QString::number(a / 10000);
    quint64 frac = a % 10000;
    if (frac != 0) {
        int digits = 4;
        while (frac % 10 == 0) {
            frac /= 10;
            --digits;
        }
        s += u'.';
        s += QStringLiteral("%1").arg(frac, digits, 10, QLatin1Char('0'));
    }
    return negative ? u'-' + s : s;
}

const QDateTime &lowLimit()
{
    static const QDateTime v(QDate(1970, 1, 1), QTime(0, 0));
    return v;
}
const QDateTime &highLimit()
{
    static const QDateTime v(QDate(2038, 1, 1), QTime(0, 0));
    return v;
}

} // namespace

struct TWebDbSqlDump::Impl {
    QFile file;
    QByteArray buffer;
    QDateTime started;
};

TWebDbSqlDump::TWebDbSqlDump() : d(std::make_unique<Impl>())
{
    if (DM) Query = std::make_unique<FbQuery>(&DM->IBDatabaseDAT, &DM->IBTransactionDAT);
    CreateScriptPath = SystemDef.BaseDir + QStringLiteral("/init/velda_empty_data.sql");
    IndexScriptPath = SystemDef.BaseDir + QStringLiteral("/init/velda_empty_index.sql");
    DumpFilePath = SystemDef.TempDir + QStringLiteral("/DorvelVelda_Sql/") + DumpFileName;
    JobLevel = AccInf.DATATYPE == 3 ? 1200 : 200;
    DataVersionText = QStringLiteral("%1.%2.%3").arg(AccInf.MAJOR).arg(AccInf.MINOR1).arg(AccInf.MINOR2);
    for (const auto &row : kPrintSettingRows) {
        const QString type = QString::fromUtf8(row[2]);
        PrintSettings.push_back({QString::fromUtf8(row[0]), QString::fromUtf8(row[1]), type,
                                 type == QStringLiteral("整数") ? QStringLiteral("0") : QString()});
    }
}

TWebDbSqlDump::~TWebDbSqlDump() = default;

bool TWebDbSqlDump::IsValidDatabaseName(const QString &name)
{
    if (name.isEmpty() || name.size() > 64) return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_';
        if (!ok) return false;
    }
    return true;
}

bool TWebDbSqlDump::IsDataKind3()
{
    return AccInf.DATATYPE == 3;
}

bool TWebDbSqlDump::IsVersion802OrLater()
{
    const int major = AccInf.MAJOR, minor = AccInf.MINOR1, release = AccInf.MINOR2;
    return major > 8 || (major == 8 && minor > 0) || (major == 8 && minor == 0 && release >= 2);
}

// ---------------------------------------------------------------- values

QString TWebDbSqlDump::EscapeSqlText(const QString &text)
{
    const auto special = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'\\' || u == u'\'' || u == u'\r' || u == u'\n' || u == u'\0';
    };
    if (std::none_of(text.begin(), text.end(), special)) return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\'': out += QStringLiteral("\\'"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\0': out += QStringLiteral("\\0"); break;
        default: out += c;
        }
    }
    return out;
}

QString TWebDbSqlDump::FieldText(const FbField &field)
{
    switch (field.kind()) {
    case DbValue::Kind::Null: return QString();
    case DbValue::Kind::Integer:
    case DbValue::Kind::Boolean: return QString::number(field.asInt64());
    case DbValue::Kind::Scaled: return scaledText(field.asCurrency().raw);
    case DbValue::Kind::Float: return QString::number(field.asFloat(), 'g', 15);
    case DbValue::Kind::Text: return field.asString();
    case DbValue::Kind::Bytes: return platform::fromCp932(field.asBytes());
    case DbValue::Kind::Date: return field.asDate().toString(QStringLiteral("yyyy/MM/dd"));
    case DbValue::Kind::Time: return field.asTime().toString(QStringLiteral("hh:mm:ss"));
    case DbValue::Kind::Timestamp: {
        const QDateTime v = field.asDateTime();
        if (v.time() == QTime(0, 0)) return v.date().toString(QStringLiteral("yyyy/MM/dd"));
        return v.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    }
    }
    return QString();
}

QString TWebDbSqlDump::DateToSqlValue(const QString &kindName, const QDateTime &value)
{
    if (kindName.compare(QStringLiteral("DATETIME"), Qt::CaseInsensitive) != 0) return QString();
    if (!value.isValid() || value <= lowLimit()) return QStringLiteral("'1970-01-02 00:00:00'");
    if (value >= highLimit()) return QStringLiteral("'2038-01-01 00:00:00'");
    return u'\'' + value.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + u'\'';
}

QString TWebDbSqlDump::ColorToSqlInt(qint64 color)
{
    quint32 c = quint32(color);
    if (c & 0x80000000u) {
        // System colours: the usual values of the desktop's scheme.
        switch (c & 0xFFu) {
        case 5: c = 0xFFFFFF; break;  // window
        case 8: c = 0x000000; break;  // window text
        case 15: c = 0xF0F0F0; break; // button face
        case 13: c = 0xD77800; break; // highlight (0x00BBGGRR)
        case 14: c = 0xFFFFFF; break; // highlight text
        default: c = 0x000000; break;
        }
    }
    const quint32 r = c & 0xFFu, g = (c >> 8) & 0xFFu, b = (c >> 16) & 0xFFu;
    return QString::number(r * 65536u + g * 256u + b);
}

void TWebDbSqlDump::AppendValue(QString &row, const FbField &field, ValueKind kind)
{
    const bool null = field.isNull();
    switch (kind) {
    case ValueKind::Str:
    case ValueKind::Quoted:
        if (null) {
            row += kind == ValueKind::Str ? QStringLiteral("null") : QStringLiteral("''");
        } else {
            row += u'\'';
            row += EscapeSqlText(FieldText(field));
            row += u'\'';
        }
        return;
    case ValueKind::DateTime: {
        if (null) {
            row += QStringLiteral("'0000-00-00 00:00:00'");
            return;
        }
        const QDateTime v = field.kind() == DbValue::Kind::Date ? QDateTime(field.asDate(), QTime(0, 0)) : field.asDateTime();
        if (!v.isValid() || v <= lowLimit()) row += QStringLiteral("'1970-01-02 00:00:00'");
        else if (v >= highLimit()) row += QStringLiteral("'2038-01-01 00:00:00'");
        else {
            row += u'\'';
            row += FieldText(field);
            row += u'\'';
        }
        return;
    }
    case ValueKind::Plain:
    case ValueKind::Number:
        // A NULL is written as null in both: an empty place between two
        // commas is not a statement MySQL takes.
        if (null) row += QStringLiteral("null");
        else row += FieldText(field);
        return;
    }
}

QString TWebDbSqlDump::FieldToSqlValue(const FbField &field, const QString &kindName)
{
    ValueKind kind = ValueKind::Plain;
    if (kindName.compare(QStringLiteral("STR"), Qt::CaseInsensitive) == 0) kind = ValueKind::Str;
    else if (kindName.compare(QStringLiteral("Q"), Qt::CaseInsensitive) == 0) kind = ValueKind::Quoted;
    else if (kindName.compare(QStringLiteral("DATETIME"), Qt::CaseInsensitive) == 0) kind = ValueKind::DateTime;
    else if (!kindName.isEmpty()) kind = ValueKind::Number; // INT, FLOAT, DOUBLE, CURR
    QString out;
    AppendValue(out, field, kind);
    return out;
}

// ---------------------------------------------------------------- output

void TWebDbSqlDump::out(const QByteArray &bytes)
{
    d->buffer += bytes;
    if (d->buffer.size() >= kFlushAt) flushOut();
}

void TWebDbSqlDump::line(const QByteArray &bytes)
{
    d->buffer += bytes;
    d->buffer += "\r\n";
    if (d->buffer.size() >= kFlushAt) flushOut();
}

void TWebDbSqlDump::lineSjis(const QString &text)
{
    line(platform::toCp932(text));
}

void TWebDbSqlDump::lineUtf8(const QString &text)
{
    line(EncodeOutputText(text));
}

void TWebDbSqlDump::flushOut()
{
    if (d->buffer.isEmpty()) return;
    if (d->file.write(d->buffer) != d->buffer.size())
        throw platform::Error(QStringLiteral("ファイルの書き込みに失敗しました。(%1)").arg(d->file.errorString()));
    d->buffer.clear();
}

void TWebDbSqlDump::separator(const char *title)
{
    const QByteArray sep = "-- " + QByteArray(46, '=');
    line(sep);
    line(title);
    line(sep);
    line(QByteArray());
}

void TWebDbSqlDump::writeScript(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("スクリプトファイルが開けません。\r\n\"%1\"").arg(path));
    const QByteArray all = f.readAll();
    QList<QByteArray> lines = all.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray l : lines) {
        if (l.endsWith('\r')) l.chop(1);
        line(l);
    }
}

bool TWebDbSqlDump::WriteDumpFile()
{
    if (DatabaseName.isEmpty()) return false;
    if (!IsValidDatabaseName(DatabaseName)) {
        ShowErrorMessage(kFailed, QStringLiteral("データベース名「%1」は使用できません。\r英字、数字と「_」だけの64文字以内の名前にしてください。")
                                      .arg(DatabaseName));
        return false;
    }
    if (!Query) throw platform::Error(kFailed);

    QFile::remove(DumpFilePath);
    ForceDir(QFileInfo(DumpFilePath).absolutePath());
    d->file.setFileName(DumpFilePath);
    if (!d->file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw platform::Error(d->file.errorString() + QStringLiteral("\r\n\"") + DumpFilePath + QStringLiteral("\"が使用中です。"));
    d->buffer.clear();

    FbTransaction &tr = DM->IBTransactionDAT;
    try {
        d->started = QDateTime::currentDateTime();
        const QString quotedPath = u'"' + DumpFilePath + u'"';
        line("-- ");
        line("-- Web Velda DataBase Dump");
        lineSjis(QStringLiteral("--   Application     : %1 (%2)").arg(SystemDef.AppDispName, SystemDef.AppVersion));
        lineSjis(QStringLiteral("--   DataBase Version: ") + DataVersionText);
        lineSjis(QStringLiteral("--   Creation File   : ") + DumpFilePath);
        lineSjis(QStringLiteral("--   Creation Date   : ") + d->started.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
        lineSjis(QStringLiteral("--   mysql importline: mysql.exe -u root < ") + quotedPath);
        line("-- ");
        line(QByteArray());
        const QByteArray name = DatabaseName.toLatin1();
        line("DROP DATABASE /*!32312 IF EXISTS*/ `" + name + "`;");
        line("CREATE DATABASE /*!32312 IF NOT EXISTS*/ `" + name +
             "` /*!40100 DEFAULT CHARACTER SET utf8 COLLATE utf8_unicode_ci */;");
        line("USE `" + name + "`;");
        line(QByteArray());
        separator("--  Table Create");
        writeScript(CreateScriptPath);
        line(QByteArray());
        separator("--  RirevData Area");

        TransactionGuard guard(tr);
        WasInTransaction = !guard.startedHere();
        WriteSections();
        guard.commit();

        separator("--  Index Create");
        writeScript(IndexScriptPath);
        line(QByteArray());
        line(QByteArray());
        const qint64 secs = d->started.secsTo(QDateTime::currentDateTime());
        line(QStringLiteral("--   Created Time: %1:%2:%3")
                 .arg(secs / 3600, 2, 10, QLatin1Char('0'))
                 .arg((secs / 60) % 60, 2, 10, QLatin1Char('0'))
                 .arg(secs % 60, 2, 10, QLatin1Char('0'))
                 .toLatin1());
        flushOut();
        if (!d->file.flush()) throw platform::Error(d->file.errorString());
        d->file.close();
        if (d->file.error() != QFileDevice::NoError) throw platform::Error(d->file.errorString());
        return true;
    } catch (const std::exception &e) {
        if (Query) {
            try {
                Query->close();
            } catch (const std::exception &) {
            }
        }
        d->buffer.clear();
        d->file.close();
        QFile::remove(DumpFilePath);
        ShowErrorMessage(kFailed, exceptionText(e));
        return false;
    }
}
