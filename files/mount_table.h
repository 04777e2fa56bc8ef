#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quibrel {

// The sorted mount points of the real file systems in `table`, a text in the form of /proc/self/mounts, "/"
// always among them. Left out are the kernel's pseudo file systems (proc, sysfs, cgroup, devpts, ...),
// everything under /proc, /sys and /dev, memory file systems under /run, and the inner mounts of container
// engines and snaps.
QStringList parseMountTable(const QByteArray &table);

// The mount points of the real file systems mounted now (/proc/self/mounts), as parseMountTable() has them,
// less those that are single files rather than directories (containers mount /etc/hosts).
QStringList mountedVolumes();

// `mountPoints` in the lists' order, each once, with "/" among them.
QStringList sortedWithRoot(QStringList mountPoints);

// Whether the absolute, clean `path` is `directory` or lies below it.
bool isAtOrBelow(const QString &path, const QString &directory);

} // namespace quibrel
