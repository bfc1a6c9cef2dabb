#include "platform/MountedDrives.h"

#include <QFile>
#include <QSet>

#include <algorithm>

namespace platform {

namespace {

std::function<QList<MountedDrive>()> &source()
{
    static std::function<QList<MountedDrive>()> s;
    return s;
}

// Mount tables escape blanks and a few other characters as octal "\040".
QString unescape(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int v = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QString::fromUtf8(out);
}

bool isRemoteType(const QString &type)
{
    static const QSet<QString> remote = {QStringLiteral("nfs"),  QStringLiteral("nfs4"),       QStringLiteral("cifs"),
                                         QStringLiteral("smb3"), QStringLiteral("smbfs"),      QStringLiteral("ncpfs"),
                                         QStringLiteral("afs"),  QStringLiteral("ceph"),       QStringLiteral("glusterfs"),
                                         QStringLiteral("9p"),   QStringLiteral("fuse.sshfs"), QStringLiteral("davfs"),
                                         QStringLiteral("fuse.davfs2"), QStringLiteral("fuse.rclone")};
    return remote.contains(type);
}

} // namespace

QList<MountedDrive> parseMountTable(const QByteArray &table)
{
    QList<MountedDrive> drives;
    QSet<QString> seen;
    for (const QByteArray &line : table.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 3) continue;
        MountedDrive d;
        d.root = unescape(f[1]);
        if (seen.contains(d.root)) continue;
        seen.insert(d.root);
        const QString device = unescape(f[0]);
        d.remote = isRemoteType(QString::fromLatin1(f[2]));
        d.text = d.remote ? d.root + QStringLiteral(" (") + device + u')' : d.root;
        drives << d;
    }
    std::sort(drives.begin(), drives.end(), [](const MountedDrive &a, const MountedDrive &b) { return a.root < b.root; });
    return drives;
}

QList<MountedDrive> mountedDrives()
{
    if (source()) return source()();
    QFile f(QStringLiteral("/proc/self/mounts"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return parseMountTable(f.readAll());
}

void setMountedDrivesSource(std::function<QList<MountedDrive>()> s) { source() = std::move(s); }

} // namespace platform
