#pragma once

#include "files/directory_scan.h"

#include <QListView>

namespace quibrel {

class FileNameModel;

// The file list of the game browser: the regular files of one directory whose names match a pattern, sorted
// by name. The directory is read on a worker thread; setPath() only opens it, so that a folder of a hundred
// thousand files never freezes the window.
class FileList : public QListView {
    Q_OBJECT

public:
    explicit FileList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Lists `path` (made absolute) and returns true; when it cannot be opened, returns false with the
    // operating system's reason in `error` and changes nothing. Setting the listed path again reads it anew.
    bool setPath(const QString &path, QString *error = nullptr);
    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    // The marked name, without directory; empty when none is marked.
    QString fileName() const;
    // The listed names, in their order.
    QStringList fileNames() const;

    // True from a change of path or pattern until the names are in the list.
    bool isListing() const { return m_scanner->isBusy(); }

signals:
    void doubleClicked(); // the user double-clicked a file
    void listed();        // the names of the path are in the list

private:
    void startListing(const DirectoryHandle &directory);
    void showNames(const QStringList &names);
    void markName(const QString &name);

    FileNameModel *m_model;
    DirectoryScanner *m_scanner;
    QString m_path;
    QString m_pattern = QStringLiteral("*");
};

} // namespace quibrel
