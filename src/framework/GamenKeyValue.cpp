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
    FbTransaction &tr = DM->IBTransactionDEF;
    const bool started = !tr.inTransaction();
    try {
        if (started) tr.startTransaction();
        FbQuery q(&DM->IBDatabaseDEF, &tr);
        q.setSql(QStringList{QStringLiteral("SELECT SSTR FROM STYLECOLOR"),
                             QStringLiteral("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME")});
        q.paramByName(QStringLiteral("OPCODE")).setInteger(m_opCode);
        q.paramByName(QStringLiteral("STYLENAME")).setString(m_styleName);
        q.open();
        while (!q.eof()) {
            m_value = q.fieldByName(QStringLiteral("SSTR")).asString();
            q.next();
        }
        q.close();
        if (started) tr.commit();
    } catch (const FbError &e) {
        if (started) {
            ShowIBError(e, QStringLiteral("TGamenValue.FukugenValue"), QStringLiteral("前回の画面値の取得に失敗しました。"));
            if (tr.inTransaction()) tr.commit();
        }
    } catch (const std::exception &e) {
        if (started) {
            ShowErrorMessage(QStringLiteral("前回の画面値の取得に失敗しました。"), QString::fromLocal8Bit(e.what()));
            if (tr.inTransaction()) tr.commit();
        }
    }
    value = m_value;
}

void TGamenKeyValue::HozonValue(const QString &key, const QString &value)
{
    if (m_opCode == 0 || key.isEmpty() || !DM) return;
    SetKeyName(key);
    m_value = TrimZen(value);
    if (SjisLength(m_value) > 1024) m_value = cutBytes(m_value, 1024);
    FbTransaction &tr = DM->IBTransactionDEF;
    const bool started = !tr.inTransaction();
    try {
        if (started) tr.startTransaction();
        FbQuery q(&DM->IBDatabaseDEF, &tr);
        q.setSql(QStringList{QStringLiteral("SELECT COUNT(OPCODE) AS RECCNT FROM STYLECOLOR"),
                             QStringLiteral("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME")});
        q.paramByName(QStringLiteral("OPCODE")).setInteger(m_opCode);
        q.paramByName(QStringLiteral("STYLENAME")).setString(m_styleName);
        q.open();
        const int count = q.eof() ? 0 : q.fieldByName(QStringLiteral("RECCNT")).asInteger();
        q.close();
        if (count != 0) {
            q.setSql(QStringList{
                QStringLiteral("UPDATE STYLECOLOR SET OPCODE=:OPCODE,STYLENAME=:STYLENAME,LINECOLOR1=:LINECOLOR1,"
                               "LINECOLOR2=:LINECOLOR2,LINECOLOR3=:LINECOLOR3,LINECOLOR4=:LINECOLOR4,"
                               "LINECOLOR5=:LINECOLOR5,NETCOLOR1=:NETCOLOR1,NETCOLOR2=:NETCOLOR2,SSTR=:SSTR"),
                QStringLiteral("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME")});
        } else {
            q.setSql(QStringList{
                QStringLiteral("INSERT INTO STYLECOLOR(OPCODE,STYLENAME,LINECOLOR1,LINECOLOR2,LINECOLOR3,LINECOLOR4,"
                               "LINECOLOR5,NETCOLOR1,NETCOLOR2,SSTR)"),
                QStringLiteral("VALUES(:OPCODE,:STYLENAME,:LINECOLOR1,:LINECOLOR2,:LINECOLOR3,:LINECOLOR4,:LINECOLOR5,"
                               ":NETCOLOR1,:NETCOLOR2,:SSTR)")});
        }
        q.paramByName(QStringLiteral("OPCODE")).setInteger(m_opCode);
        q.paramByName(QStringLiteral("STYLENAME")).setString(m_styleName);
        for (const char *c : {"LINECOLOR1", "LINECOLOR2", "LINECOLOR3", "LINECOLOR4", "LINECOLOR5", "NETCOLOR1",
                              "NETCOLOR2"})
            q.paramByName(QString::fromLatin1(c)).setInteger(-1);
        q.paramByName(QStringLiteral("SSTR")).setString(m_value);
        q.execSQL();
        if (started) tr.commit();
    } catch (const FbError &e) {
        if (started) {
            ShowIBError(e, QStringLiteral("TGamenValue.HozonValue"), QStringLiteral("画面値の保存に失敗しました。"));
            if (tr.inTransaction()) tr.commit();
        }
    } catch (const std::exception &e) {
        if (started) {
            ShowErrorMessage(QStringLiteral("画面値の保存に失敗しました。"), QString::fromLocal8Bit(e.what()));
            if (tr.inTransaction()) tr.commit();
        }
    }
}
