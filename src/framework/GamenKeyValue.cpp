#include "framework/GamenKeyValue.h"

#include "dbaccess/DataModule.h"
#include "dbaccess/ErrorHandler.h"
#include "dbaccess/Globals.h"
#include "core/Messages.h"
#include "core/SjisText.h"

namespace {
const QString kPrefix = QStringLiteral("020-");

// Cut to n CP932 bytes without leaving half a double-byte character, then trimmed.
QString cutBytes(const QString &text, int n)
{
    return TrimZen(SjisLeft(text, n));
}
} // namespace

TGamenKeyValue::TGamenKeyValue() : m_opCode(SystemDef.OpCode) {}

QString TGamenKeyValue::StyleNameOf(const QString &key)
{
    return cutBytes((kPrefix + key).toUpper(), 40);
}

void TGamenKeyValue::SetKeyName(const QString &key)
{
    m_styleName = StyleNameOf(key);
}

void TGamenKeyValue::FukugenValue(const QString &key, QString &value)
{
    m_value.clear();
    value.clear();
    if (m_opCode == 0 || key.isEmpty() || !DM) return;
    SetKeyName(key);
    // A failure inside a caller's transaction is the caller's to report.
    const bool ownTransaction = !DM->IBTransactionDEF.inTransaction();
    try {
        m_value = DM->readStyleColor(m_opCode, m_styleName);
    } catch (const std::exception &e) {
        if (ownTransaction) reportError(e, QStringLiteral("TGamenValue.FukugenValue"), QStringLiteral("前回の画面値の取得に失敗しました。"), false);
    }
    value = m_value;
}

void TGamenKeyValue::HozonValue(const QString &key, const QString &value)
{
    if (m_opCode == 0 || key.isEmpty() || !DM) return;
    SetKeyName(key);
    m_value = TrimZen(value);
    if (SjisLength(m_value) > 1024) m_value = cutBytes(m_value, 1024);
    const bool ownTransaction = !DM->IBTransactionDEF.inTransaction();
    try {
        DM->writeStyleColor(m_opCode, m_styleName, m_value);
    } catch (const std::exception &e) {
        if (ownTransaction) reportError(e, QStringLiteral("TGamenValue.HozonValue"), QStringLiteral("画面値の保存に失敗しました。"), false);
    }
}
