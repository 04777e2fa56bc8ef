#pragma once

#include <QComboBox>
#include <QHash>

namespace quibrel {

// The drive list of the game browser. Linux has no drive letters: its "drives" are the mounted volumes that
// hold real file systems, each shown by its mount point, "/" always among them. Like a system with drive
// letters, it keeps a current directory for each volume: the working directory for the volume that holds it,
// the mount point for the others, until rememberDirectory() moves it.
class DriveList : public QComboBox {
    Q_OBJECT

public:
    // Lists the mounted volumes and chooses none: the window chooses where the browser starts.
    explicit DriveList(QWidget *parent = nullptr);

    // The mount point of the chosen volume.
    QString drive() const;
    // Chooses the volume whose mount point is the longest leading part of `path` (made absolute); emits
    // changed() when that is another volume than before.
    void setDrive(const QString &path);

    // The remembered directory of the chosen volume; its mount point while none is remembered.
    QString currentDirectory() const;
    // Remembers `directory` for the volume that holds it.
    void rememberDirectory(const QString &directory);
    // The directory list has moved to `directory`: remembers it and chooses the volume that holds it, without
    // changed(), since the directory list is there already.
    void followDirectory(const QString &directory);

    // Reads the mount table (/proc/self/mounts) again. The chosen volume stays chosen; when it is gone, the
    // volume that now holds its mount point is chosen and changed() emitted. Opening the list reads it too,
    // so that a stick plugged in meanwhile is there.
    void refresh();
    // Lists the volumes mounted at `mountPoints`, as refresh() does with those of the mount table.
    void setDrives(const QStringList &mountPoints);
    QStringList drives() const;

    void showPopup() override;

signals:
    void changed(); // the user chose another volume, or setDrive() or refresh() changed it

private:
    void announceChange();
    int rowOfVolumeHolding(const QString &path) const;
    void chooseRowSilently(int row);

    QHash<QString, QString> m_directories; // remembered directory by mount point
    bool m_filling = false;
};

} // namespace quibrel
