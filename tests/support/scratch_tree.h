#pragma once

// Scratch files and folders for the tests, driven with bytes so that any name at all can be made.

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline QByteArray childPath(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

inline bool makeFile(const QByteArray &path, const QByteArray &contents = {})
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, contents.constData(), size_t(contents.size())) == contents.size();
    return ::close(fd) == 0 && written;
}

inline bool makeDirectory(const QByteArray &path)
{
    return ::mkdir(path.constData(), 0755) == 0;
}

inline bool makeLink(const QByteArray &target, const QByteArray &path)
{
    return ::symlink(target.constData(), path.constData()) == 0;
}

// Removes whatever is at `path`, folders with all they hold (even those without permissions), without
// following links. True when nothing is left there.
inline bool removeTree(const QByteArray &path)
{
    struct stat status;
    if (::lstat(path.constData(), &status) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(status.st_mode))
        return ::unlink(path.constData()) == 0;
    ::chmod(path.constData(), 0755);
    if (DIR *folder = ::opendir(path.constData())) {
        while (const dirent *entry = ::readdir(folder)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                removeTree(childPath(path, name));
        }
        ::closedir(folder);
    }
    return ::rmdir(path.constData()) == 0;
}

// The reason that the system gives for `error`, as messages show it.
inline QString reasonFor(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
