#include "file_list.h"

#include <QAbstractListModel>

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
    : FolderList(EntryKind::Files, parent)
    , m_model(new FileNameModel(this))
{
    setModel(m_model);
    connect(this, &QAbstractItemView::doubleClicked, this, &FileList::doubleClicked);
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    setNamePattern(FileNamePattern(pattern));
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

void FileList::showFolder(const QString &)
{
    m_model->setNames({});
}

void FileList::showEntries(const QStringList &names)
{
    // Reading the same folder again keeps the mark on the same name.
    const QString marked = fileName();
    m_model->setNames(names);
    markName(marked);
}

void FileList::markName(const QString &name)
{
    const qsizetype row = name.isEmpty() ? -1 : indexOfFileName(m_model->names(), name);
    if (row >= 0)
        setCurrentIndex(m_model->index(int(row)));
}

} // namespace quibrel
