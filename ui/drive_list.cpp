#include "drive_list.h"

#include "accessible_interface.h"
#include "files/directory_scan.h"
#include "files/mount_table.h"
#include "ui/pictures/pictures.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QIcon>

namespace quibrel {

namespace {

const QString root = QStringLiteral("/");

// Qt names a combo box on Linux after its current item and leaves its accessible name aside, for a label
// to name it through a relation. The drive list has no label: it keeps the name it was given, and its
// drive is its value. Through AT-SPI that value reaches nobody: Qt 6.4 gives a combo box no Value or
// Selection there, and screen readers then read its text. So the drive is its text too, read-only.
class DriveListAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DriveListAccessible(DriveList *list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return driveList()->currentText();
        if (type == QAccessible::Name && !widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        return QAccessibleWidget::text(type);
    }

    // The list that opens below it, as Qt's own combo box has it.
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(driveList()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == driveList()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << showMenuAction() << pressAction();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == showMenuAction() || actionName == pressAction())
            driveList()->showPopup();
        else
            QAccessibleWidget::doAction(actionName);
    }

    QString text(int startOffset, int endOffset) const override
    {
        return driveList()->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(driveList()->currentText().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    DriveList *driveList() const { return static_cast<DriveList *>(widget()); }
};

} // namespace

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
{
    installAccessibleInterface<DriveList, DriveListAccessible>();
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::announceChange);
    refresh();
}

QString DriveList::drive() const
{
    return currentData().toString();
}

void DriveList::setDrive(const QString &path)
{
    const QString absolute = absoluteFilePath(path, nullptr);
    setCurrentIndex(rowOfVolumeHolding(absolute.isEmpty() ? root : absolute));
}

QString DriveList::currentDirectory() const
{
    const QString mountPoint = drive();
    return m_directories.value(mountPoint, mountPoint);
}

void DriveList::rememberDirectory(const QString &directory)
{
    const QString absolute = absoluteFilePath(directory, nullptr);
    const int row = rowOfVolumeHolding(absolute);
    if (!absolute.isEmpty() && row >= 0)
        m_directories.insert(itemData(row).toString(), absolute);
}

void DriveList::followDirectory(const QString &directory)
{
    rememberDirectory(directory);
    const QString absolute = absoluteFilePath(directory, nullptr);
    if (!absolute.isEmpty())
        chooseRowSilently(rowOfVolumeHolding(absolute));
}

void DriveList::refresh()
{
    setDrives(mountedVolumes());
}

void DriveList::setDrives(const QStringList &mountPoints)
{
    const QString chosen = drive();
    const QIcon icon = pictures::icon(pictures::driveIcon);
    m_filling = true;
    clear();
    for (const QString &mountPoint : sortedWithRoot(mountPoints))
        addItem(icon, displayFileName(mountPoint), mountPoint);
    m_filling = false;
    if (chosen.isEmpty()) {
        chooseRowSilently(-1);
        return;
    }
    const int kept = findData(chosen);
    if (kept >= 0) {
        chooseRowSilently(kept);
        return;
    }
    chooseRowSilently(rowOfVolumeHolding(chosen));
    announceChange();
}

QStringList DriveList::drives() const
{
    QStringList mountPoints;
    for (int row = 0; row < count(); ++row)
        mountPoints << itemData(row).toString();
    return mountPoints;
}

void DriveList::showPopup()
{
    refresh();
    QComboBox::showPopup();
}

void DriveList::announceChange()
{
    if (!m_filling)
        emit changed();
}

int DriveList::rowOfVolumeHolding(const QString &path) const
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int row = 0; row < count(); ++row) {
        const QString mountPoint = itemData(row).toString();
        if (mountPoint.size() > bestLength && isAtOrBelow(path, mountPoint)) {
            best = row;
            bestLength = mountPoint.size();
        }
    }
    return best;
}

void DriveList::chooseRowSilently(int row)
{
    m_filling = true;
    setCurrentIndex(row);
    m_filling = false;
}

} // namespace quibrel
