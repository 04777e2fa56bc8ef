#pragma once

#include "folder_list.h"

namespace quibrel {

class DirectoryModel;

// The directory list of the game browser, in the classic indented style: the path from the root down to the
// listed directory, each step one level further in with an open folder, then the listed directory's
// subdirectories one level further still with closed folders. Opening an entry (double-click, Enter or
// Return) makes it the path; a single click only marks it.
class DirectoryList : public FolderList {
    Q_OBJECT

public:
    // What each entry carries besides its name.
    enum Role {
        PathRole = Qt::UserRole, // the full path that opening the entry makes the list's path
        DepthRole,               // how many steps it is indented: 0 for the root
    };

    explicit DirectoryList(QWidget *parent = nullptr);

signals:
    void openFailed(const QString &path,
                    const QString &reason); // the user opened an entry that cannot be read

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showFolder(const QString &path) override;
    void showEntries(const QStringList &names) override;
    void openEntry(const QModelIndex &index);
    void markPath(const QString &path);

    DirectoryModel *m_model;
};

} // namespace quibrel
