#pragma once
// Small per-operator values that screens keep between runs (the last choices of
// a dialog as one text), stored in STYLECOLOR of the system database under the
// style name "020-" + key.
#include <QString>

class TGamenKeyValue
{
public:
    TGamenKeyValue(); // takes the logged-on operator's code

    // The saved value of a key (empty when none, without an operator or a key).
    void FukugenValue(const QString &key, QString &value);
    // Saves a value (trimmed, at most 1024 bytes) under a key.
    void HozonValue(const QString &key, const QString &value);
    void ClearValue() { m_value.clear(); }
    void SetKeyName(const QString &key);

    QString styleName() const { return m_styleName; }
    QString value() const { return m_value; }
    int opCode() const { return m_opCode; }

    // The style name of a key: prefix + key, upper-cased, at most 40 bytes, trimmed.
    static QString StyleNameOf(const QString &key);

private:
    int m_opCode = 0;
    QString m_styleName;
    QString m_value;
};
