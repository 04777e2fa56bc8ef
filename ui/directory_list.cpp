#include "directory_list.h"

#include "ui/pictures/pictures.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace quibrel {

// The ancestors of the listed directory followed by its subdirectories. The ancestors are known from the path
// at once; the subdirectories arrive later from the scanner.
class DirectoryModel : public QAbstractListModel {
public:
    DirectoryModel(const QIcon &openFolder, const QIcon &closedFolder, QObject *parent)
        : QAbstractListModel(parent)
        , m_openFolder(openFolder)
        , m_closedFolder(closedFolder)
    {
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_ancestorPaths.size() + m_subdirectories.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid))
            return {};
        const int row = index.row();
        const bool isAncestor = row < m_ancestorPaths.size();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return displayFileName(isAncestor ? m_ancestorNames.at(row) : subdirectory(row));
        case Qt::DecorationRole:
            return isAncestor ? m_openFolder : m_closedFolder;
        case DirectoryList::PathRole:
            return isAncestor ? m_ancestorPaths.at(row) : subdirectoryPath(subdirectory(row));
        case DirectoryList::DepthRole:
            return isAncestor ? row : int(m_ancestorPaths.size());
        default:
            return {};
        }
    }

    int currentDirectoryRow() const { return int(m_ancestorPaths.size()) - 1; }

    int rowOfPath(const QString &path) const
    {
        const qsizetype ancestor = m_ancestorPaths.indexOf(path);
        if (ancestor >= 0)
            return int(ancestor);
        const QString prefix = subdirectoryPath(QString());
        if (!path.startsWith(prefix))
            return -1;
        const qsizetype found = indexOfFileName(m_subdirectories, path.mid(prefix.size()));
        return found < 0 ? -1 : int(m_ancestorPaths.size() + found);
    }

    // A new directory: its ancestors now, its subdirectories when they have been read.
    void setDirectory(const QString &path)
    {
        beginResetModel();
        m_path = path;
        m_ancestorNames = {QStringLiteral("/")};
        m_ancestorPaths = {QStringLiteral("/")};
        QString ancestor;
        for (const QString &component : path.split(u'/', Qt::SkipEmptyParts)) {
            ancestor += u'/' + component;
            m_ancestorNames << component;
            m_ancestorPaths << ancestor;
        }
        m_subdirectories.clear();
        endResetModel();
    }

    void setSubdirectories(const QStringList &names)
    {
        beginResetModel();
        m_subdirectories = names;
        endResetModel();
    }

private:
    const QString &subdirectory(int row) const { return m_subdirectories.at(row - m_ancestorPaths.size()); }

    QString subdirectoryPath(const QString &name) const
    {
        return m_path.endsWith(u'/') ? m_path + name : m_path + u'/' + name;
    }

    QIcon m_openFolder;
    QIcon m_closedFolder;
    QString m_path;
    QStringList m_ancestorNames;
    QStringList m_ancestorPaths;
    QStringList m_subdirectories;
};

namespace {

// Moves each entry right by one icon width per step of depth.
class IndentingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indentation(option, index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indentation(option, index), 0);
    }

private:
    static int indentation(const QStyleOptionViewItem &option, const QModelIndex &index)
    {
        return index.data(DirectoryList::DepthRole).toInt() * option.decorationSize.width();
    }
};

} // namespace

DirectoryList::DirectoryList(QWidget *parent)
    : FolderList(EntryKind::Directories, parent)
    , m_model(new DirectoryModel(pictures::icon(pictures::openFolderIcon),
                                 pictures::icon(pictures::closedFolderIcon), this))
{
    setModel(m_model);
    setItemDelegate(new IndentingDelegate(this));
    connect(this, &QAbstractItemView::doubleClicked, this, &DirectoryList::openEntry);
}

void DirectoryList::showFolder(const QString &path)
{
    m_model->setDirectory(path);
    markPath(path);
}

void DirectoryList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openEntry(currentIndex());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void DirectoryList::openEntry(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QString target = index.data(PathRole).toString();
    QString reason;
    if (!setPath(target, &reason))
        emit openFailed(target, reason);
}

void DirectoryList::showEntries(const QStringList &names)
{
    // Reading the same directory again keeps the mark where the user put it.
    const QString marked = currentIndex().data(PathRole).toString();
    m_model->setSubdirectories(names);
    markPath(marked.isEmpty() ? path() : marked);
}

void DirectoryList::markPath(const QString &path)
{
    const int row = m_model->rowOfPath(path);
    setCurrentIndex(m_model->index(row >= 0 ? row : m_model->currentDirectoryRow()));
}

} // namespace quibrel
