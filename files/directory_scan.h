#pragma once

#include "file_names.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <dirent.h>
#include <functional>
#include <memory>

namespace quibrel {

// `path` made absolute against the working directory and cleaned of "." and ".." and doubled slashes;
// empty with the reason in `error` when it is relative and the working directory cannot be read.
QString absoluteFilePath(const QString &path, QString *error);

// A directory open for reading, closed when the last copy goes.
using DirectoryHandle = std::shared_ptr<DIR>;

// Opens `path` for reading: a null handle with the operating system's reason in `error` when it cannot be
// (gone, not a directory, no permission, a symbolic-link loop).
DirectoryHandle openDirectory(const QString &path, QString *error);

// `path` made absolute (absoluteFilePath) into `absolute` and opened (openDirectory): what a list does
// before it shows a folder.
DirectoryHandle openAbsoluteDirectory(const QString &path, QString *absolute, QString *error);

enum class EntryKind { Directories, Files };

// The names of the open directory's entries of `kind`, hidden ones (".name") left out, sorted with
// fileNameLess. Directories and regular files include symbolic links to them; files are only those
// matching `pattern`. Polls `cancelled` and gives up with an empty list when it returns true.
QStringList readDirectory(DIR *directory, EntryKind kind, const FileNamePattern &pattern,
                          const std::function<bool()> &cancelled = {});

// Reads directories on a worker thread of its own, so that a folder of a hundred thousand entries never
// holds up the window. Only the newest request is delivered: a scan that a newer one has overtaken is
// abandoned and its names are thrown away.
class DirectoryScanner : public QObject {
    Q_OBJECT

public:
    explicit DirectoryScanner(QObject *parent = nullptr);
    ~DirectoryScanner() override;

    void start(const DirectoryHandle &directory, EntryKind kind,
               const FileNamePattern &pattern = FileNamePattern());
    void cancel();
    bool isBusy() const { return m_busy; }

signals:
    void finished(const QStringList &names);

private:
    void deliver(quint64 request, const QStringList &names);

    QThread m_thread;
    QObject m_worker; // lives in m_thread
    std::atomic<quint64> m_latestRequest{0};
    bool m_busy = false;
};

} // namespace quibrel
