#include "file_list.h"

#include <QAbstractListModel>

#include <algorithm>

namespace quibrel {

// The listed names as they are: the list draws them with displayFileName() and gives them back unchanged.
class FileNameModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_names.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid))
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return displayFileName(m_names.at(index.row()));
        return {};
    }

    const QStringList &names() const { return m_names; }

    void setNames(const QStringList &names)
    {
        beginResetModel();
        m_names = names;
        endResetModel();
    }

private:
    QStringList m_names;
};

FileList::FileList(QWidget *parent)
    : QListView(parent)
    , m_model(new FileNameModel(this))
    , m_scanner(new DirectoryScanner(this))
{
    setModel(m_model);
    // One row height for all: laying out twenty thousand names then costs next to nothing.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_scanner, &DirectoryScanner::finished, this, &FileList::showNames);
    connect(this, &QAbstractItemView::doubleClicked, this, &FileList::doubleClicked);
}

bool FileList::setPath(const QString &path, QString *error)
{
    QString absolute;
    const DirectoryHandle directory = openAbsoluteDirectory(path, &absolute, error);
    if (!directory)
        return false;
    if (absolute != m_path) {
        m_path = absolute;
        m_model->setNames({});
    }
    startListing(directory);
    return true;
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    if (m_path.isEmpty())
        return;
    if (const DirectoryHandle directory = openDirectory(m_path, nullptr)) {
        startListing(directory);
    } else {
        // The folder went away since it was listed: nothing of it can match any more.
        m_scanner->cancel();
        showNames({});
    }
}

QString FileList::fileName() const
{
    const QModelIndexList marked = selectionModel()->selectedIndexes();
    return marked.isEmpty() ? QString() : m_model->names().at(marked.first().row());
}

QStringList FileList::fileNames() const
{
    return m_model->names();
}

void FileList::startListing(const DirectoryHandle &directory)
{
    m_scanner->start(directory, EntryKind::Files, FileNamePattern(m_pattern));
}

void FileList::showNames(const QStringList &names)
{
    // Reading the same folder again keeps the mark on the same name.
    const QString marked = fileName();
    m_model->setNames(names);
    markName(marked);
    emit listed();
}

void FileList::markName(const QString &name)
{
    if (name.isEmpty())
        return;
    const QStringList &names = m_model->names();
    const auto found = std::lower_bound(names.cbegin(), names.cend(), name, fileNameLess);
    if (found != names.cend() && *found == name)
        setCurrentIndex(m_model->index(int(found - names.cbegin())));
}

} // namespace quibrel
