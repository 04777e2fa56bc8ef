#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <dirent.h>
#include <functional>
#include <memory>

namespace quibrel {

// A file-name pattern such as "*.gb", or several joined by ";" ("*.gb;*.gbc"). `*` stands for any run of
// characters, `?` for one; letters match regardless of case, so "*.gb" takes PUZZLE.GB too. "*.*" and the
// empty pattern take every name, as users of drive-letter systems expect.
class FileNamePattern {
public:
    explicit FileNamePattern(const QString &pattern = QStringLiteral("*"));
    bool matches(QStringView name) const;

private:
    QStringList m_alternatives; // case-folded
};

// The order of the lists: by name regardless of case, ties broken by the exact text so that the order is
// total. A plain comparison of folded characters, not a locale collator: it is cheap enough for folders of
// thousands of games.
bool fileNameLess(const QString &a, const QString &b);
void sortFileNames(QStringList *names);

// A name as the lists show it: control characters (a newline in a name) and bytes that are not UTF-8 are
// drawn as U+FFFD, so that each name takes one line. Only for drawing: the lists hand back the real name.
QString displayFileName(const QString &name);

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
