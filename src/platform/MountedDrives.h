#pragma once
// The drives of this computer as the shared-data screens see them: the mounted
// file systems, each with its mount folder, a display text and whether it is
// a network file system (NFS, SMB/CIFS, SSHFS and the like). Drive letters do
// not exist here; a drive is named by its mount folder.
#include <QList>
#include <QString>

#include <functional>

namespace platform {

struct MountedDrive {
    QString root;   // the mount folder ("/mnt/office")
    QString text;   // what a drive list shows ("/mnt/office (//server/share)")
    bool remote = false;
};

// Parses the lines of a mount table ("/proc/self/mounts" format).
QList<MountedDrive> parseMountTable(const QByteArray &table);
// The mounted file systems in mount-folder order; tests replace the source.
QList<MountedDrive> mountedDrives();
void setMountedDrivesSource(std::function<QList<MountedDrive>()> source); // empty restores the system's

} // namespace platform
