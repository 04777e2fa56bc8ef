#include "drive_list.h"

#include "directory_scan.h"
#include "files/file_system.h"
#include "ui/pictures/pictures.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QFile>
#include <QIcon>

#include <fcntl.h>
#include <sys/stat.h>

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

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(DriveList::staticMetaObject.className()) && object->isWidgetType())
        return new DriveListAccessible(static_cast<DriveList *>(object));
    return nullptr;
}

struct Mount {
    QString point;
    QByteArray type;
};

bool isUnder(const QString &path, const QString &directory)
{
    return directory == root || path == directory ||
           (path.startsWith(directory) && path.at(directory.size()) == u'/');
}

bool isUnderAny(const QString &path, std::initializer_list<const char *> directories)
{
    for (const char *directory : directories) {
        if (isUnder(path, QString::fromLatin1(directory)))
            return true;
    }
    return false;
}

// The kernel's views of itself and other things that hold no files for a user.
bool isPseudoFileSystem(const QByteArray &type)
{
    static const QByteArrayList pseudo = {
        "autofs",  "binfmt_misc", "bpf",      "cgroup",          "cgroup2",     "configfs",   "debugfs",
        "devpts",  "devtmpfs",    "efivarfs", "fusectl",         "hugetlbfs",   "mqueue",     "nsfs",
        "proc",    "pstore",      "ramfs",    "rpc_pipefs",      "securityfs",  "selinuxfs",  "sysfs",
        "tracefs", "nfsd",        "rootfs",   "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs",
    };
    return pseudo.contains(type);
}

// Mount points whose stat may hang on a network that is gone, so they are taken as directories unchecked.
bool isNetworkFileSystem(const QByteArray &type)
{
    return type.startsWith("nfs") || type.startsWith("cifs") || type.startsWith("smb") ||
           type.startsWith("fuse.") || type == "9p" || type == "ceph" || type == "afs" || type == "glusterfs";
}

bool isRealVolume(const Mount &mount)
{
    if (isPseudoFileSystem(mount.type) || isUnderAny(mount.point, {"/proc", "/sys", "/dev"}))
        return false;
    if (mount.type == "tmpfs" && isUnder(mount.point, QStringLiteral("/run")))
        return false;
    // Inner mounts of container engines and snap packages.
    return !isUnderAny(mount.point, {"/var/lib/docker", "/var/lib/containers", "/var/lib/snapd", "/snap"});
}

// The mount table writes blanks, tabs, newlines and backslashes in names as octal escapes (\040).
QByteArray unescapeMountField(const QByteArray &field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) {
            return at < field.size() && field[at] >= '0' && field[at] <= '7';
        };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            bytes += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            bytes += field[i];
        }
    }
    return bytes;
}

QList<Mount> realVolumes(const QByteArray &table)
{
    QList<Mount> volumes;
    for (const QByteArray &line : table.split('\n')) {
        const QByteArrayList fields = line.split(' ');
        if (fields.size() < 3)
            continue;
        const Mount mount{decodeFileName(unescapeMountField(fields[1])), fields[2]};
        if (mount.point.startsWith(u'/') && isRealVolume(mount))
            volumes << mount;
    }
    return volumes;
}

QStringList sortedWithRoot(QStringList mountPoints)
{
    mountPoints << root;
    sortFileNames(&mountPoints);
    mountPoints.erase(std::unique(mountPoints.begin(), mountPoints.end()), mountPoints.end());
    return mountPoints;
}

// Containers mount single files (/etc/hosts) as well: those are no volumes to browse.
bool isDirectory(const Mount &mount)
{
    if (isNetworkFileSystem(mount.type))
        return true;
    struct stat status;
    return ::fstatat(AT_FDCWD, encodeFileName(mount.point).constData(), &status, AT_NO_AUTOMOUNT) == 0 &&
           S_ISDIR(status.st_mode);
}

} // namespace

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::announceChange);
    refresh();
    QString error;
    const QString workingDirectory = currentWorkingDirectory(&error);
    if (!workingDirectory.isEmpty())
        rememberDirectory(workingDirectory);
    chooseRowSilently(rowOfVolumeHolding(workingDirectory.isEmpty() ? root : workingDirectory));
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
    QFile file(QStringLiteral("/proc/self/mounts"));
    const QByteArray table = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QStringList mountPoints;
    for (const Mount &mount : realVolumes(table)) {
        if (isDirectory(mount))
            mountPoints << mount.point;
    }
    setDrives(mountPoints);
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

QStringList DriveList::parseMountTable(const QByteArray &table)
{
    QStringList mountPoints;
    for (const Mount &mount : realVolumes(table))
        mountPoints << mount.point;
    return sortedWithRoot(mountPoints);
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
        if (mountPoint.size() > bestLength && isUnder(path, mountPoint)) {
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
