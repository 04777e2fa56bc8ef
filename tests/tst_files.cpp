// The widget-free part of the game browser, called directly: no window, no worker thread.

#include "files/file_system.h"
#include "files/mount_table.h"

#include <QTest>

using namespace quibrel;

namespace {

const QByteArray desktopMounts = "proc /proc proc rw,nosuid 0 0\n"
                                 "sysfs /sys sysfs rw 0 0\n"
                                 "/dev/sda2 / ext4 rw,relatime 0 0\n"
                                 "/dev/sda1 /boot/efi vfat rw 0 0\n"
                                 "/dev/sda3 /home ext4 rw 0 0\n"
                                 "tmpfs /run tmpfs rw 0 0\n"
                                 "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                                 "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
                                 "/dev/sdb1 /run/media/ann/GAMES vfat rw 0 0\n"
                                 "/dev/sdc1 /media/usb\\040stick vfat rw 0 0\n"
                                 "tmpfs /tmp tmpfs rw 0 0\n"
                                 "tmpfs /dev/shm tmpfs rw 0 0\n"
                                 "devpts /dev/pts devpts rw 0 0\n"
                                 "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                                 "mqueue /dev/mqueue mqueue rw 0 0\n"
                                 "overlay /var/lib/docker/overlay2/3f1/merged overlay rw,lowerdir=/a 0 0\n"
                                 "/dev/loop3 /snap/core/123 squashfs ro 0 0\n"
                                 "binfmt_misc /proc/sys/fs/binfmt_misc binfmt_misc rw 0 0\n"
                                 "server:/roms /mnt/roms nfs4 rw 0 0\n"
                                 "/dev/sda3 /home ext4 rw 0 0\n";

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void readsMountTable_data();
    void readsMountTable();
};

void TestFiles::readsMountTable_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("desktop: real volumes only, sorted, duplicates once")
        << desktopMounts
        << QStringList{"/",   "/boot/efi", "/home", "/media/usb stick", "/mnt/roms", "/run/media/ann/GAMES",
                       "/tmp"};
    QTest::newRow("no root in the table: / is there anyway")
        << QByteArray("proc /proc proc rw 0 0\n") << QStringList{"/"};
    QTest::newRow("container whose root is an overlay")
        << QByteArray("overlay / overlay rw,lowerdir=/x 0 0\nproc /proc proc rw 0 0\n"
                      "tmpfs /dev tmpfs rw 0 0\nshm /dev/shm tmpfs rw 0 0\n")
        << QStringList{"/"};
    QTest::newRow("escaped tab and backslash in a mount point")
        << QByteArray("/dev/sdb1 /media/a\\011tab\\134back vfat rw 0 0\n")
        << QStringList{"/", "/media/a\ttab\\back"};
    QTest::newRow("mount point that is not UTF-8") << QByteArray("/dev/sdb1 /media/\\377x vfat rw 0 0\n")
                                                   << QStringList{"/", decodeFileName("/media/\xffx")};
}

void TestFiles::readsMountTable()
{
    QFETCH(QByteArray, table);
    QFETCH(QStringList, expected);

    QCOMPARE(parseMountTable(table), expected);
}

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
