#include "platform/RegistryStore.h"

#include "platform/IniFile.h"
#include "platform/StandardFolders.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString RegistryStore::storePath()
{
    const QString v = qEnvironmentVariable("SOLTEA_REGISTRY");
    if (!v.isEmpty()) return v;
    return configDir() + QStringLiteral("/soltea/registry.ini");
}

QString RegistryStore::sectionName(RegRoot root, const QString &keyPath)
{
    QString path = keyPath;
    path.replace(u'/', u'\\');
    while (path.startsWith(u'\\')) path.remove(0, 1);
    while (path.endsWith(u'\\')) path.chop(1);
    return (root == RegRoot::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE\\")
                                          : QStringLiteral("HKEY_CURRENT_USER\\")) + path;
}

QVariant RegistryStore::read(RegRoot root, const QString &keyPath, const QString &name)
{
    IniFile ini(storePath());
    const QString section = sectionName(root, keyPath);
    if (!ini.valueExists(section, name)) return QVariant();
    const QString v = ini.readString(section, name);
    if (v.startsWith(u"dword:", Qt::CaseInsensitive)) {
        bool ok = false;
        const int n = v.mid(6).trimmed().toInt(&ok);
        return ok ? QVariant(n) : QVariant(0);
    }
    return QVariant(v);
}

QString RegistryStore::readString(RegRoot root, const QString &keyPath, const QString &name)
{
    const QVariant v = read(root, keyPath, name);
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

bool RegistryStore::keyExists(RegRoot root, const QString &keyPath)
{
    return IniFile(storePath()).sectionExists(sectionName(root, keyPath));
}

void RegistryStore::writeString(RegRoot root, const QString &keyPath, const QString &name, const QString &value)
{
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    IniFile(storePath()).writeString(sectionName(root, keyPath), name, value);
}

void RegistryStore::writeInteger(RegRoot root, const QString &keyPath, const QString &name, int value)
{
    writeString(root, keyPath, name, QStringLiteral("dword:%1").arg(value));
}

} // namespace platform

namespace platform {

QStringList RegistryStore::subKeys(RegRoot root, const QString &keyPath)
{
    const QString prefix = sectionName(root, keyPath) + u'\\';
    QStringList out;
    for (const QString &section : IniFile(storePath()).readSections()) {
        if (!section.startsWith(prefix, Qt::CaseInsensitive)) continue;
        const QString name = section.mid(prefix.size()).section(u'\\', 0, 0);
        if (!name.isEmpty() && !out.contains(name, Qt::CaseInsensitive)) out << name;
    }
    return out;
}

} // namespace platform
