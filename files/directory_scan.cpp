#include "directory_scan.h"

#include "files/file_system.h"

#include <QDir>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace quibrel {

namespace {

enum class Kind { Yes, No, Unknown };

// The entry's kind from the directory itself, sparing a stat for nearly every entry.
Kind kindFromDirectory(const dirent *entry, EntryKind wanted)
{
    switch (entry->d_type) {
    case DT_DIR:
        return wanted == EntryKind::Directories ? Kind::Yes : Kind::No;
    case DT_REG:
        return wanted == EntryKind::Files ? Kind::Yes : Kind::No;
    case DT_LNK:
    case DT_UNKNOWN:
        return Kind::Unknown;
    default:
        return Kind::No;
    }
}

// Follows symbolic links: a link to a directory or to a regular file counts as one.
bool hasKind(int directoryFd, const char *name, EntryKind wanted)
{
    struct stat status;
    if (::fstatat(directoryFd, name, &status, 0) != 0)
        return false;
    return wanted == EntryKind::Directories ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode);
}

} // namespace

QString absoluteFilePath(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = errorText(ENOENT);
        return {};
    }
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    const QString workingDirectory = currentWorkingDirectory(error);
    if (workingDirectory.isEmpty())
        return {};
    return QDir::cleanPath(workingDirectory + u'/' + path);
}

DirectoryHandle openDirectory(const QString &path, QString *error)
{
    const QByteArray encoded = encodeFileName(path);
    if (encoded.isEmpty() || encoded.contains('\0')) {
        if (error)
            *error = errorText(encoded.isEmpty() ? ENOENT : EINVAL);
        return {};
    }
    DIR *directory = ::opendir(encoded.constData());
    if (!directory) {
        if (error)
            *error = errorText(errno);
        return {};
    }
    return DirectoryHandle(directory, ::closedir);
}

QStringList readDirectory(DIR *directory, EntryKind kind, const FileNamePattern &pattern,
                          const std::function<bool()> &cancelled)
{
    const int fd = ::dirfd(directory);
    QStringList names;
    unsigned int count = 0;
    while (const dirent *entry = ::readdir(directory)) {
        if ((++count & 0xFF) == 0 && cancelled && cancelled())
            return {};
        const char *raw = entry->d_name;
        if (raw[0] == '.')
            continue;
        const Kind known = kindFromDirectory(entry, kind);
        if (known == Kind::No)
            continue;
        QString name = decodeFileName(QByteArray::fromRawData(raw, qsizetype(std::strlen(raw))));
        // Matching first, so that only links whose names fit are looked at more closely.
        if (kind == EntryKind::Files && !pattern.matches(name))
            continue;
        if (known == Kind::Unknown && !hasKind(fd, raw, kind))
            continue;
        names.append(std::move(name));
    }
    if (cancelled && cancelled())
        return {};
    sortFileNames(&names);
    return names;
}

DirectoryScanner::DirectoryScanner(QObject *parent)
    : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("directory scan"));
    m_worker.moveToThread(&m_thread);
}

DirectoryScanner::~DirectoryScanner()
{
    cancel();
    m_thread.quit();
    m_thread.wait();
}

void DirectoryScanner::start(const DirectoryHandle &directory, EntryKind kind, const FileNamePattern &pattern)
{
    const quint64 request = ++m_latestRequest;
    m_busy = true;
    if (!m_thread.isRunning())
        m_thread.start();
    QMetaObject::invokeMethod(
        &m_worker,
        [this, request, directory, kind, pattern] {
            const auto overtaken = [this, request] { return m_latestRequest.load() != request; };
            const QStringList names = readDirectory(directory.get(), kind, pattern, overtaken);
            if (overtaken())
                return;
            QMetaObject::invokeMethod(
                this, [this, request, names] { deliver(request, names); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void DirectoryScanner::cancel()
{
    ++m_latestRequest;
    m_busy = false;
}

void DirectoryScanner::deliver(quint64 request, const QStringList &names)
{
    if (request != m_latestRequest.load())
        return;
    m_busy = false;
    emit finished(names);
}

DirectoryHandle openAbsoluteDirectory(const QString &path, QString *absolute, QString *error)
{
    *absolute = absoluteFilePath(path, error);
    return absolute->isEmpty() ? nullptr : openDirectory(*absolute, error);
}

} // namespace quibrel
