#include "mount_table.h"

#include "file_names.h"
#include "file_system.h"

#include <QFile>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace quibrel {

namespace {

const QString root = QStringLiteral("/");

struct Mount {
    QString point;
    QByteArray type;
};

bool isUnderAny(const QString &path, std::initializer_list<const char *> directories)
{
    for (const char *directory : directories) {
        if (isAtOrBelow(path, QString::fromLatin1(directory)))
            return true;
    }
    return false;
}

// The kernel's views of itself and other things that hold no files for a user.
bool isPseudoFileSystem(const QByteArray &type)
{
    static const QByteArrayList pseudo = {
        "autofs",  "binfmt_misc", "bpf",      "cgroup",          "cgroup2",     "configfs",   "debugfs",
        "devpts",  "devtmpfs",    "efivarfs", "fusectl",         "hugetlbfs",   "mqueue",     "nsfs",
        "proc",    "pstore",      "ramfs",    "rpc_pipefs",      "securityfs",  "selinuxfs",  "sysfs",
        "tracefs", "nfsd",        "rootfs",   "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs",
    };
    return pseudo.contains(type);
}

// Mount points whose stat may hang on a network that is gone, so they are taken as directories unchecked.
bool isNetworkFileSystem(const QByteArray &type)
{
    return type.startsWith("nfs") || type.startsWith("cifs") || type.startsWith("smb") ||
           type.startsWith("fuse.") || type == "9p" || type == "ceph" || type == "afs" || type == "glusterfs";
}

bool isRealVolume(const Mount &mount)
{
    if (isPseudoFileSystem(mount.type) || isUnderAny(mount.point, {"/proc", "/sys", "/dev"}))
        return false;
    if (mount.type == "tmpfs" && isAtOrBelow(mount.point, QStringLiteral("/run")))
        return false;
    // Inner mounts of container engines and snap packages.
    return !isUnderAny(mount.point, {"/var/lib/docker", "/var/lib/containers", "/var/lib/snapd", "/snap"});
}

// The mount table writes blanks, tabs, newlines and backslashes in names as octal escapes (\040).
QByteArray unescapeMountField(const QByteArray &field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) {
            return at < field.size() && field[at] >= '0' && field[at] <= '7';
        };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            bytes += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            bytes += field[i];
        }
    }
    return bytes;
}

QList<Mount> realVolumes(const QByteArray &table)
{
    QList<Mount> volumes;
    for (const QByteArray &line : table.split('\n')) {
        const QByteArrayList fields = line.split(' ');
        if (fields.size() < 3)
            continue;
        const Mount mount{decodeFileName(unescapeMountField(fields[1])), fields[2]};
        if (mount.point.startsWith(u'/') && isRealVolume(mount))
            volumes << mount;
    }
    return volumes;
}

// Containers mount single files (/etc/hosts) as well: those are no volumes to browse.
bool isDirectory(const Mount &mount)
{
    if (isNetworkFileSystem(mount.type))
        return true;
    struct stat status;
    return ::fstatat(AT_FDCWD, encodeFileName(mount.point).constData(), &status, AT_NO_AUTOMOUNT) == 0 &&
           S_ISDIR(status.st_mode);
}

} // namespace

QStringList parseMountTable(const QByteArray &table)
{
    QStringList mountPoints;
    for (const Mount &mount : realVolumes(table))
        mountPoints << mount.point;
    return sortedWithRoot(mountPoints);
}

QStringList mountedVolumes()
{
    QFile file(QStringLiteral("/proc/self/mounts"));
    const QByteArray table = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QStringList mountPoints;
    for (const Mount &mount : realVolumes(table)) {
        if (isDirectory(mount))
            mountPoints << mount.point;
    }
    return sortedWithRoot(mountPoints);
}

QStringList sortedWithRoot(QStringList mountPoints)
{
    mountPoints << root;
    sortFileNames(&mountPoints);
    mountPoints.erase(std::unique(mountPoints.begin(), mountPoints.end()), mountPoints.end());
    return mountPoints;
}

bool isAtOrBelow(const QString &path, const QString &directory)
{
    return directory == root || path == directory ||
           (path.startsWith(directory) && path.at(directory.size()) == u'/');
}

} // namespace quibrel
