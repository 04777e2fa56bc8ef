#include "folder_list.h"

namespace quibrel {

FolderList::FolderList(EntryKind kind, QWidget *parent)
    : QListView(parent)
    , m_scanner(new DirectoryScanner(this))
    , m_kind(kind)
{
    // One row height for all: laying out twenty thousand names then costs next to nothing.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_scanner, &DirectoryScanner::finished, this, &FolderList::deliver);
}

bool FolderList::setPath(const QString &path, QString *error)
{
    QString absolute;
    const DirectoryHandle directory = openAbsoluteDirectory(path, &absolute, error);
    if (!directory)
        return false;
    const bool isNewPath = absolute != m_path;
    if (isNewPath) {
        m_path = absolute;
        showFolder(absolute);
    }
    startListing(directory);
    if (isNewPath)
        emit changed();
    return true;
}

void FolderList::setNamePattern(const FileNamePattern &pattern)
{
    m_pattern = pattern;
    if (m_path.isEmpty())
        return;
    if (const DirectoryHandle directory = openDirectory(m_path, nullptr)) {
        startListing(directory);
    } else {
        // The folder went away since it was listed: nothing of it can match any more.
        m_scanner->cancel();
        deliver({});
    }
}

void FolderList::startListing(const DirectoryHandle &directory)
{
    m_scanner->start(directory, m_kind, m_pattern);
}

void FolderList::deliver(const QStringList &names)
{
    showEntries(names);
    emit listed();
}

} // namespace quibrel
