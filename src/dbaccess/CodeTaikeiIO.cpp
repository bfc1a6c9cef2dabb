#include "dbaccess/CodeTaikeiIO.h"

#include "dbaccess/AppInfo.h"
#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <QFile>
#include <QRegularExpression>

namespace {

int toIntDef(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

} // namespace

TCodeTaikeiIO::TCodeTaikeiIO()
    : Version(QStringLiteral("%1.%2").arg(1).arg(0)),
      m_sql(DM ? &DM->IBDatabaseDEF : nullptr, DM ? &DM->IBTransactionDEF : nullptr),
      m_query(DM ? &DM->IBDatabaseDEF : nullptr, DM ? &DM->IBTransactionDEF : nullptr)
{
    m_split.Delimiter = u',';
    KubunSyufuku();
}

int TCodeTaikeiIO::IniDatIndexOfKind(int lineKind)
{
    if (lineKind >= 1 && lineKind <= 8) return lineKind - 1;
    if (lineKind == 21 || lineKind == 22) return 1;
    if (lineKind >= 31 && lineKind <= 34) return 2;
    if (lineKind == 71) return 6;
    return -1;
}

TCodeTaikeiRec2 TCodeTaikeiIO::ParseDefinition(const QStringList &lines, int recNo)
{
    TCodeTaikeiRec2 rec;
    rec.RecNo = recNo;
    TMojiBunkatu split;
    for (const QString &line : lines) {
        if (line.trimmed().isEmpty()) continue;
        split.Split(line);
        const int kind = toIntDef(split.Item(0));
        const int index = IniDatIndexOfKind(kind);
        if (index < 0) continue;
        if (kind == 1) {
            rec.Name = split.Item(1);
            rec.DataType = toIntDef(split.Item(2));
            rec.CodeType = toIntDef(split.Item(3));
            if (split.Count >= 6) rec.ProductKind = split.Item(5);
        }
        rec.IniDat[size_t(index)] << line;
    }
    return rec;
}

void TCodeTaikeiIO::KubunSyufuku()
{
    const QString failed = QStringLiteral("コード体系の区分修復に失敗しました。");
    if (!m_sql.Transaction) return;
    try {
        TransactionGuard g(*m_sql.Transaction);
        m_sql.setSql(QStringList{QStringLiteral("SELECT RECNO,INIDAT1 FROM USERCODE"),
                                 QStringLiteral("WHERE DATATYPE=1 AND CODETYPE=1")});
        struct Fix { int recNo, dataType, codeType; };
        std::vector<Fix> fixes;
        for (m_sql.open(); !m_sql.eof(); m_sql.next()) {
            // The definition's first line is its kind-1 line.
            const QString text = m_sql.field(1).asString();
            m_split.Split(text.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0));
            const int dataType = toIntDef(m_split.Item(2));
            const int codeType = toIntDef(m_split.Item(3));
            if (dataType != 1) fixes.push_back({m_sql.field(0).asInteger(), dataType, codeType});
        }
        m_sql.close();
        m_query.setSql(QStringList{QStringLiteral("UPDATE USERCODE SET DATATYPE=:DATATYPE,CODETYPE=:CODETYPE"),
                                   QStringLiteral("WHERE RECNO=:RECNO")});
        for (const Fix &f : fixes) {
            m_query.paramByName(QStringLiteral("DATATYPE")).setInteger(f.dataType);
            m_query.paramByName(QStringLiteral("CODETYPE")).setInteger(f.codeType);
            m_query.paramByName(QStringLiteral("RECNO")).setInteger(f.recNo);
            m_query.execSQL();
        }
        g.commit();
    } catch (const std::exception &e) {
        if (m_sql.active()) m_sql.close();
        reportError(e, QStringLiteral("TCodeTaikeiIO.KubunSyufuku"), failed);
    }
}

bool TCodeTaikeiIO::IsOwnProductKind(const QString &productKind, QString &message)
{
    message.clear();
    const QString expected = AppInfo.Application.OEM + AppInfo.Application.ZeqAlias;
    const bool refused = Edition == 0 ? (!productKind.isEmpty() && productKind != expected) : productKind != expected;
    if (refused)
        message = QStringLiteral("このプログラムでは、該当のデータ（製品区分）を処理することが出来ません。") + AppInfo.Rirev.AppTitle +
                  QStringLiteral("以外で作成されたデータの可能性があります。");
    return !refused;
}

bool TCodeTaikeiIO::LoadFromFile(const QString &fileName, int recNo)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowErrorMessage(QStringLiteral("コード体系ファイルを読み込めません。"), fileName + u'\r' + file.errorString());
        return false;
    }
    const QString text = platform::fromCp932(file.readAll());
    QStringList lines = text.split(u'\n');
    for (QString &l : lines)
        if (l.endsWith(u'\r')) l.chop(1);
    const TCodeTaikeiRec2 rec = ParseDefinition(lines, recNo);
    QString message;
    if (!IsOwnProductKind(rec.ProductKind, message)) {
        MessageDlg(message, TMsgDlgType::mtInformation, mbOK);
        return false;
    }
    return UpDateRecored(rec);
}

bool TCodeTaikeiIO::UpDateRecored(const TCodeTaikeiRec2 &rec)
{
    if (rec.Name.isEmpty() || rec.DataType == 0 || rec.CodeType == 0) return false;
    const QString failed = QStringLiteral("コード体系の更新に失敗しました。");
    if (!m_sql.Transaction) return false;
    try {
        TransactionGuard g(*m_sql.Transaction);
        m_sql.setSql(QStringList{
            QStringLiteral("UPDATE USERCODE SET NAME=:NAME,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,"),
            QStringLiteral("INIDAT1=:INIDAT1,INIDAT2=:INIDAT2,INIDAT3=:INIDAT3,INIDAT4=:INIDAT4,INIDAT5=:INIDAT5,"
                           "INIDAT6=:INIDAT6,INIDAT7=:INIDAT7,INIDAT8=:INIDAT8"),
            QStringLiteral("WHERE RECNO=:RECNO")});
        m_sql.paramByName(QStringLiteral("NAME")).setString(rec.Name);
        m_sql.paramByName(QStringLiteral("DATATYPE")).setInteger(rec.DataType);
        m_sql.paramByName(QStringLiteral("CODETYPE")).setInteger(rec.CodeType);
        for (int i = 0; i < 8; ++i) {
            QString text;
            for (const QString &line : rec.IniDat[size_t(i)]) text += line + QStringLiteral("\r\n");
            bool ok = true;
            const QByteArray bytes = platform::toCp932(text, &ok);
            if (!ok)
                throw platform::Error(QStringLiteral("コード体系の定義に保存できない文字が含まれています。(INIDAT%1)").arg(i + 1));
            m_sql.paramByName(QStringLiteral("INIDAT%1").arg(i + 1)).setBytes(bytes);
        }
        m_sql.paramByName(QStringLiteral("RECNO")).setInteger(rec.RecNo);
        m_sql.execSQL();
        // A slot that does not exist takes nothing: that is no success.
        if (m_sql.rowsAffected() == 0)
            throw platform::Error(QStringLiteral("コード体系の登録先(RECNO=%1)がありません。").arg(rec.RecNo));
        g.commit();
        return true;
    } catch (const std::exception &e) {
        reportError(e, QStringLiteral("TCodeTaikeiIO.UpDateRecored"), failed);
        return false;
    }
}
