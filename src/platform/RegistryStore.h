#pragma once
// The registry as the program reads it: a small ini-style store file
// ("registry.ini" in the configuration folder, or the file named by SOLTEA_REGISTRY).
// A section is a key path such as "HKEY_LOCAL_MACHINE\SOFTWARE\QUENTA\DORVELZAIMU";
// an entry is a value: text as written, or "dword:N" for a number.
// The program only reads it; the installer and the tests write it.
#include <QString>
#include <QStringList>
#include <QVariant>

namespace platform {

enum class RegRoot { CurrentUser, LocalMachine };

class RegistryStore
{
public:
    static QString storePath();

    // The value, or an invalid QVariant when the key or value is missing.
    // Text values come as QString, numbers as int.
    static QVariant read(RegRoot root, const QString &keyPath, const QString &name);
    static QString readString(RegRoot root, const QString &keyPath, const QString &name);
    static bool keyExists(RegRoot root, const QString &keyPath);
    // The names of the direct sub-keys of a key, in the order of the store.
    static QStringList subKeys(RegRoot root, const QString &keyPath);

    static void writeString(RegRoot root, const QString &keyPath, const QString &name, const QString &value);
    static void writeInteger(RegRoot root, const QString &keyPath, const QString &name, int value);

    static QString sectionName(RegRoot root, const QString &keyPath);
};

} // namespace platform
