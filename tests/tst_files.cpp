// The widget-free part of the game browser, called directly: no window, no worker thread.

#include "files/directory_scan.h"
#include "files/file_names.h"
#include "files/file_system.h"
#include "files/mount_table.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    void nameOrder_data();
    void nameOrder();
    void sortsNames_data();
    void sortsNames();
    void findsName_data();
    void findsName();
    void matchesPattern_data();
    void matchesPattern();
    void readsDirectory();
    void readsMountTable_data();
    void readsMountTable();
};

void TestFiles::nameOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("aFirst");
    const auto row = [](const char *description, const char *a, const char *b, bool aFirst) {
        QTest::newRow(description) << QString::fromUtf8(a) << QString::fromUtf8(b) << aFirst;
    };

    row("case does not count", "a.gb", "B.gb", true);
    row("case does not count, turned round", "B.gb", "a.gb", false);
    row("case variants: capitals first", "A.GB", "a.gb", true);
    row("case variants, turned round", "a.gb", "A.GB", false);
    row("case variants of an accented letter", "\u00C9.gb", "\u00E9.gb", true);
    row("a name does not come before itself", "a.gb", "a.gb", false);
    row("digits by character, not by number", "B10.gb", "b2.gb", true);
    row("letters compare as small letters, after the underscore", "_old.gb", "Y.gb", true);
}

void TestFiles::nameOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, aFirst);

    QCOMPARE(fileNameLess(a, b), aFirst);
}

void TestFiles::sortsNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("case variants of one name in one order, whatever order they came in")
        << QStringList{"b.gb", "B.gb", "B.GB", "a.gb", "A.gb"}
        << QStringList{"A.gb", "a.gb", "B.GB", "B.gb", "b.gb"};
    QTest::newRow("the same, given the other way round")
        << QStringList{"A.gb", "a.gb", "B.GB", "B.gb", "b.gb"}
        << QStringList{"A.gb", "a.gb", "B.GB", "B.gb", "b.gb"};
    QTest::newRow("games") << QStringList{"zelda.gb", "Tetris.gb", "alleyway.gb", "Kirby.gb"}
                           << QStringList{"alleyway.gb", "Kirby.gb", "Tetris.gb", "zelda.gb"};
}

void TestFiles::sortsNames()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);

    sortFileNames(&names);
    QCOMPARE(names, expected);
}

void TestFiles::findsName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");

    // In {"A.gb", "a.gb", "B.GB", "B.gb", "b.gb"}, as sortsNames() has them.
    QTest::newRow("the first of two case variants") << "A.gb" << 0;
    QTest::newRow("the second of two case variants") << "a.gb" << 1;
    QTest::newRow("the middle one of three") << "B.gb" << 3;
    QTest::newRow("the last one of three") << "b.gb" << 4;
    QTest::newRow("a case variant that is not there") << "A.GB" << -1;
    QTest::newRow("after the last name") << "c.gb" << -1;
}

void TestFiles::findsName()
{
    QFETCH(QString, name);
    QFETCH(int, index);

    const QStringList names = {"A.gb", "a.gb", "B.GB", "B.gb", "b.gb"};
    QCOMPARE(indexOfFileName(names, name), index);
}

void TestFiles::matchesPattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    const auto row = [](const char *description, const char *pattern, const QString &name, bool matches) {
        QTest::newRow(description) << QString::fromUtf8(pattern) << name << matches;
    };

    row("*.gb: a game", "*.gb", "tetris.gb", true);
    row("*.gb: capitals in the name", "*.gb", "PUZZLE.GB", true);
    row("*.GB: capitals in the pattern", "*.GB", "puzzle.gb", true);
    row("*.gb: the star takes nothing", "*.gb", ".gb", true);
    row("*.gb: the ending only", "*.gb", "game.gb.bak", false);
    row("*.gb: a longer extension", "*.gb", "zelda.gbc", false);
    row("*.gb: a trailing blank", "*.gb", "tetris.gb ", false);
    row("*.gb: no dot", "*.gb", "gb", false);
    row("*.gb: a name that is not UTF-8", "*.gb", decodeFileName("caf\xe9.gb"), true);
    row("?.gb: one character", "?.gb", "a.gb", true);
    row("?.gb: not two", "?.gb", "ab.gb", false);
    row("?.gb: not none", "?.gb", ".gb", false);
    row("?.gb: a character outside the BMP is one", "?.gb", QString::fromUtf8("\U0001F47E.gb"), true);
    row("?.gb: a byte that is not UTF-8 is one", "?.gb", decodeFileName("\xff.gb"), true);
    row("accented capitals", "\u00E9*", QString::fromUtf8("\u00C9T\u00C9.gb"), true);
    row("a star in the middle", "*zelda*", "The Legend of Zelda.gb", true);
    row("two stars: the first gives back", "a*b*c", "aXbYbZc", true);
    row("two stars: no end", "a*b*c", "aXbYbZ", false);
    row("several patterns: the second", "*.gb;*.gbc", "zelda.gbc", true);
    row("several patterns: none", "*.gb;*.gbc", "readme.txt", false);
    row("*.*: a name without a dot", "*.*", "README", true);
    row("*: anything", "*", "readme.txt", true);
    row("empty: anything", "", "readme.txt", true);
}

void TestFiles::matchesPattern()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);

    QCOMPARE(FileNamePattern(pattern).matches(name), matches);
}

// One folder read on this thread: its files that match the pattern, or its folders, hidden ones left out, in
// the lists' order.
void TestFiles::readsDirectory()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QByteArray path = encodeFileName(folder.path());
    for (const char *name : {"b.gb", "B.GB", "a.gb", "notes.txt", ".hidden.gb"}) {
        const int fd = ::open(path + '/' + name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0 && ::close(fd) == 0);
    }
    for (const char *name : {"Roms", "music.gb", ".cache"})
        QVERIFY(::mkdir(path + '/' + name, 0755) == 0);
    QVERIFY(::symlink("b.gb", path + "/link.gb") == 0);

    const auto read = [&](EntryKind kind, const char *pattern, const std::function<bool()> &cancelled = {}) {
        QString error;
        const DirectoryHandle directory = openDirectory(folder.path(), &error);
        return directory ? readDirectory(directory.get(), kind, FileNamePattern(pattern), cancelled)
                         : QStringList{error};
    };
    QCOMPARE(read(EntryKind::Files, "*.gb"), (QStringList{"a.gb", "B.GB", "b.gb", "link.gb"}));
    QCOMPARE(read(EntryKind::Files, "*.txt"), QStringList{"notes.txt"});
    QCOMPARE(read(EntryKind::Directories, "*.txt"), (QStringList{"music.gb", "Roms"}));
    // Given up: nothing half-read reaches a list.
    QCOMPARE(read(EntryKind::Files, "*.gb", [] { return true; }), QStringList());
}

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
