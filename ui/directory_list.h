#pragma once

#include "files/directory_scan.h"

#include <QListView>

namespace quibrel {

class DirectoryModel;

// The directory list of the game browser, in the classic indented style: the path from the root down to the
// listed directory, each step one level further in with an open folder, then the listed directory's
// subdirectories one level further still with closed folders. Opening an entry (double-click, Enter or
// Return) makes it the path; a single click only marks it. Subdirectories are read on a worker thread.
class DirectoryList : public QListView {
    Q_OBJECT

public:
    // What each entry carries besides its name.
    enum Role {
        PathRole = Qt::UserRole, // the full path that opening the entry makes the list's path
        DepthRole,               // how many steps it is indented: 0 for the root
    };

    explicit DirectoryList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Makes `path` (made absolute) the listed directory and emits changed() when it differs from the old one;
    // when it cannot be opened, returns false with the operating system's reason in `error` and changes
    // nothing. Setting the listed path again reads its subdirectories anew without changed().
    bool setPath(const QString &path, QString *error = nullptr);

    // True from a change of path until its subdirectories are in the list.
    bool isListing() const { return m_scanner->isBusy(); }

signals:
    void changed();
    void openFailed(const QString &path,
                    const QString &reason); // the user opened an entry that cannot be read
    void listed();                          // the path's subdirectories are in the list

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openEntry(const QModelIndex &index);
    void showSubdirectories(const QStringList &names);
    void markPath(const QString &path);

    DirectoryModel *m_model;
    DirectoryScanner *m_scanner;
    QString m_path;
};

} // namespace quibrel
