#pragma once

#include "files/directory_scan.h"

#include <QListView>

namespace quibrel {

// What the directory and file lists share: the folder they list, opened by setPath() at once and read on a
// worker thread, so that a folder of a hundred thousand entries never freezes the window.
class FolderList : public QListView {
    Q_OBJECT

public:
    QString path() const { return m_path; }
    // Lists `path` (made absolute) and returns true; when it cannot be opened, returns false with the
    // operating system's reason in `error` and changes nothing. Setting the listed path again reads it anew,
    // without changed().
    bool setPath(const QString &path, QString *error = nullptr);

    // True from a change of path or pattern until the entries are in the list.
    bool isListing() const { return m_scanner->isBusy(); }

signals:
    void changed(); // another folder is listed
    void listed();  // the folder's entries are in the list

protected:
    // Lists the entries of `kind`; the subclass gives the view its model.
    FolderList(EntryKind kind, QWidget *parent);
    // Reads the listed folder again for the names that match `pattern`; empties the list when the folder has
    // gone.
    void setNamePattern(const FileNamePattern &pattern);

private:
    // Another folder: the list shows what it knows of it before the entries are read.
    virtual void showFolder(const QString &path) = 0;
    // The folder's entries, as they have been read.
    virtual void showEntries(const QStringList &names) = 0;
    void startListing(const DirectoryHandle &directory);
    void deliver(const QStringList &names);

    DirectoryScanner *m_scanner;
    EntryKind m_kind;
    FileNamePattern m_pattern;
    QString m_path;
};

} // namespace quibrel
