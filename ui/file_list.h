#pragma once

#include "folder_list.h"

namespace quibrel {

class FileNameModel;

// The file list of the game browser: the regular files of one directory whose names match a pattern, sorted
// by name.
class FileList : public FolderList {
    Q_OBJECT

public:
    explicit FileList(QWidget *parent = nullptr);

    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    // The marked name, without directory; empty when none is marked.
    QString fileName() const;
    // The listed names, in their order.
    QStringList fileNames() const;

signals:
    void doubleClicked(); // the user double-clicked a file

private:
    void showFolder(const QString &path) override;
    void showEntries(const QStringList &names) override;
    void markName(const QString &name);

    FileNameModel *m_model;
    QString m_pattern = QStringLiteral("*");
};

} // namespace quibrel
