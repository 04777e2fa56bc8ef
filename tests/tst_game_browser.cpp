#include "files/file_system.h"
#include "files/mount_table.h"
#include "support/item_views.h"
#include "support/scratch_tree.h"
#include "ui/directory_list.h"
#include "ui/drive_list.h"
#include "ui/file_list.h"
#include "ui/message_box.h"
#include "ui/quibrel.h"

#include <QApplication>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QTest>
#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quibrel;

namespace {

// A temporary folder removed with everything in it whatever the names: QTemporaryDir alone leaves names that
// are not UTF-8 behind.
class ScratchFolder {
public:
    ScratchFolder() { m_folder.setAutoRemove(false); }
    ~ScratchFolder()
    {
        if (m_folder.isValid())
            removeTree(bytes());
    }

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }
    QByteArray bytes() const { return encodeFileName(m_folder.path()); }

private:
    QTemporaryDir m_folder;
};

QPoint centreOfRow(const QAbstractItemView &view, int row)
{
    return view.visualRect(view.model()->index(row, 0)).center();
}

void doubleClick(const QAbstractItemView &view, int row)
{
    doubleClickAt(view.viewport(), centreOfRow(view, row));
}

int rowOfText(const QAbstractItemView &view, const QString &text)
{
    return int(rowTexts(view).indexOf(text));
}

// Shows the list, large enough to click in, and reads `path` into it.
template <typename List> bool shownReading(List &list, const QString &path)
{
    list.resize(400, 600);
    list.show();
    return QTest::qWaitForWindowExposed(&list) && list.setPath(path) &&
           QTest::qWaitFor([&] { return !list.isListing(); });
}

// The ancestors that the directory list shows above the temporary folder's own entries.
QStringList ancestorNames(const QString &path)
{
    return QStringList{QStringLiteral("/")} + path.split(u'/', Qt::SkipEmptyParts);
}

const QByteArray nestedMounts = "/dev/sda2 / ext4 rw 0 0\n"
                                "/dev/sda3 /home ext4 rw 0 0\n"
                                "/dev/sdb1 /home/ann/usb vfat rw 0 0\n"
                                "/dev/sdc1 /media/usb\\040stick vfat rw 0 0\n"
                                "proc /proc proc rw 0 0\n";
const QStringList someDrives = {"/", "/home", "/home/ann/usb", "/media/usb stick"};

// Set by main(): 0 when the test runs in a mount namespace of its own, where it may mount volumes.
int mountNamespaceError = -1;

// Gives the process a mount namespace of its own whose mounts reach no other namespace, so that a volume
// that a test mounts is seen by this process only and goes when it ends. Called while the process has one
// thread: the namespace is per thread. Returns the reason for failure, or 0.
int enterPrivateMountNamespace()
{
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return errno;
    return 0;
}

} // namespace

class TestGameBrowser : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void fileListShowsMatchingFiles();
    void fileListMarksOnSingleClick();
    void fileListDoubleClickRaisesDoubleClicked();
    void fileListKeepsMarkWhenReadAgain();

    void directoryListShowsAncestorsAndSubdirectories();
    void directoryListOpensEntries_data();
    void directoryListOpensEntries();
    void directoryListSingleClickOnlyMarks();
    void directoryListRefusesUnreadablePath_data();
    void directoryListRefusesUnreadablePath();
    void directoryListCleansPath();

    void driveListHoldsRootAndWorkingDirectoryVolume();
    void driveListTakesLongestMountPoint_data();
    void driveListTakesLongestMountPoint();
    void driveListSignalsOnlyRealChanges();
    void driveListMovesOffVanishedDrive();
    void driveListFollowsDirectoryListAcrossVolumes();

private:
    QByteArray at(const char *name) const { return m_folder.bytes() + '/' + name; }

    ScratchFolder m_folder;
    QString m_games; // folder with subdirectories for the directory list
    MessageBox::Recorder m_messages;
};

void TestGameBrowser::initTestCase()
{
    QVERIFY(m_folder.isValid());
    for (const char *name :
         {"b.gb", "A.GB", "c.Gb", "B2.gb", "readme.txt", ".hidden.gb", "zelda.gbc", "game.gb.bak"})
        QVERIFY(makeFile(at(name)));
    QVERIFY(makeDirectory(at("dir.gb")));
    QVERIFY(::mkfifo(at("pipe.gb").constData(), 0644) == 0);
    QVERIFY(makeLink("b.gb", at("link.gb")));
    QVERIFY(makeLink("nowhere", at("broken.gb")));
    QVERIFY(makeLink("dir.gb", at("folderlink.gb")));
    QVERIFY(makeLink("loop", at("loop")));

    QVERIFY(makeDirectory(at("tree")));
    QVERIFY(makeDirectory(at("tree/games")));
    for (const char *name : {"tree/games/alpha", "tree/games/Beta", "tree/games/gamma", "tree/games/.cache"})
        QVERIFY(makeDirectory(at(name)));
    QVERIFY(makeFile(at("tree/games/notes.txt")));
    QVERIFY(makeLink("alpha", at("tree/games/more")));
    QVERIFY(makeLink("missing", at("tree/games/dangling")));
    m_games = m_folder.path() + QStringLiteral("/tree/games");
}

// Regular files and links to them, any case, sorted; no hidden files, folders, pipes or broken links. Which
// names a pattern takes is the pattern's own test.
void TestGameBrowser::fileListShowsMatchingFiles()
{
    const QStringList games = {"A.GB", "b.gb", "B2.gb", "c.Gb", "link.gb"};
    FileList list;
    list.setPattern("*.gb");
    QVERIFY(list.setPath(m_folder.path()));
    QCOMPARE(list.path(), m_folder.path());
    QTRY_VERIFY(!list.isListing());
    QCOMPARE(rowTexts(list), games);
    QCOMPARE(list.fileNames(), games);
    QCOMPARE(list.pattern(), QStringLiteral("*.gb"));
}

void TestGameBrowser::fileListMarksOnSingleClick()
{
    FileList list;
    list.setPattern("*.gb");
    QVERIFY(shownReading(list, m_folder.path()));
    QSignalSpy doubleClicks(&list, &FileList::doubleClicked);
    QCOMPARE(list.fileName(), QString());

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centreOfRow(list, 1));
    QCOMPARE(list.fileName(), QStringLiteral("b.gb"));
    QCOMPARE(doubleClicks.count(), 0);

    // Another folder marks nothing.
    QVERIFY(list.setPath(m_games));
    QCOMPARE(list.fileName(), QString());
}

void TestGameBrowser::fileListDoubleClickRaisesDoubleClicked()
{
    FileList list;
    list.setPattern("*.gb");
    QVERIFY(shownReading(list, m_folder.path()));
    QSignalSpy doubleClicks(&list, &FileList::doubleClicked);

    doubleClick(list, 3);
    QCOMPARE(doubleClicks.count(), 1);
    QCOMPARE(list.fileName(), QStringLiteral("c.Gb"));

    // Below the last name there is nothing to choose.
    doubleClickAt(list.viewport(), QPoint(10, list.viewport()->height() - 2));
    QCOMPARE(doubleClicks.count(), 1);
}

void TestGameBrowser::fileListKeepsMarkWhenReadAgain()
{
    ScratchFolder folder;
    QVERIFY(folder.isValid());
    const QByteArray path = folder.bytes();
    QVERIFY(makeFile(path + "/b.gb") && makeFile(path + "/c.gb"));
    FileList list;
    list.setPattern("*.gb");
    QVERIFY(shownReading(list, folder.path()));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centreOfRow(list, 1));
    QCOMPARE(list.fileName(), QStringLiteral("c.gb"));

    QVERIFY(makeFile(path + "/a.gb"));
    QVERIFY(list.setPath(folder.path()));
    QTRY_VERIFY(!list.isListing());
    QCOMPARE(list.fileNames(), (QStringList{"a.gb", "b.gb", "c.gb"}));
    QCOMPARE(list.fileName(), QStringLiteral("c.gb"));
}

void TestGameBrowser::directoryListShowsAncestorsAndSubdirectories()
{
    DirectoryList list;
    QSignalSpy changes(&list, &DirectoryList::changed);
    QVERIFY(list.setPath(m_games));
    QCOMPARE(list.path(), m_games);
    QCOMPARE(changes.count(), 1);
    QTRY_VERIFY(!list.isListing());

    const QStringList ancestors = ancestorNames(m_games);
    const QStringList subdirectories = {"alpha", "Beta", "gamma", "more"};
    QCOMPARE(rowTexts(list), ancestors + subdirectories);

    QList<int> depths;
    for (const QString &depth : rowTexts(list, DirectoryList::DepthRole))
        depths << depth.toInt();
    QList<int> expectedDepths;
    for (int depth = 0; depth < ancestors.size(); ++depth)
        expectedDepths << depth;
    for (int i = 0; i < subdirectories.size(); ++i)
        expectedDepths << int(ancestors.size());
    QCOMPARE(depths, expectedDepths);

    const QStringList paths = rowTexts(list, DirectoryList::PathRole);
    QCOMPARE(paths.first(), QStringLiteral("/"));
    QCOMPARE(paths.at(ancestors.size() - 1), m_games);
    QCOMPARE(paths.last(), m_games + QStringLiteral("/more"));

    // Open folders down to the listed one, closed ones below it; the listed one is marked.
    const auto iconOf = [&](int row) {
        return qvariant_cast<QIcon>(list.model()->index(row, 0).data(Qt::DecorationRole));
    };
    QVERIFY(!iconOf(0).isNull());
    QCOMPARE(iconOf(ancestors.size() - 1).cacheKey(), iconOf(0).cacheKey());
    QVERIFY(iconOf(ancestors.size()).cacheKey() != iconOf(0).cacheKey());
    QCOMPARE(list.currentIndex().row(), ancestors.size() - 1);
}

void TestGameBrowser::directoryListOpensEntries_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("key"); // 0: double-click
    QTest::addColumn<QString>("expected");

    QTest::newRow("double-click on a subdirectory") << "alpha" << 0 << m_games + "/alpha";
    QTest::newRow("Return on a subdirectory") << "Beta" << int(Qt::Key_Return) << m_games + "/Beta";
    QTest::newRow("Enter on a link to a directory") << "more" << int(Qt::Key_Enter) << m_games + "/more";
    QTest::newRow("double-click on an ancestor") << "tree" << 0 << m_folder.path() + "/tree";
    QTest::newRow("Return on the root") << "/" << int(Qt::Key_Return) << "/";
}

void TestGameBrowser::directoryListOpensEntries()
{
    QFETCH(QString, entry);
    QFETCH(int, key);
    QFETCH(QString, expected);

    DirectoryList list;
    QVERIFY(shownReading(list, m_games));
    QSignalSpy changes(&list, &DirectoryList::changed);
    QSignalSpy failures(&list, &DirectoryList::openFailed);

    const int row = rowOfText(list, entry);
    QVERIFY(row >= 0);
    if (key == 0) {
        doubleClick(list, row);
    } else {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centreOfRow(list, row));
        QCOMPARE(changes.count(), 0);
        QTest::keyClick(&list, Qt::Key(key));
    }
    QCOMPARE(list.path(), expected);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(failures.count(), 0);
    QTRY_VERIFY(!list.isListing());
    QCOMPARE(rowTexts(list).mid(0, ancestorNames(expected).size()), ancestorNames(expected));
}

void TestGameBrowser::directoryListSingleClickOnlyMarks()
{
    DirectoryList list;
    QVERIFY(shownReading(list, m_games));
    QSignalSpy changes(&list, &DirectoryList::changed);

    const int row = rowOfText(list, "gamma");
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centreOfRow(list, row));
    QCOMPARE(list.currentIndex().row(), row);
    QCOMPARE(list.path(), m_games);
    QCOMPARE(changes.count(), 0);
}

void TestGameBrowser::directoryListRefusesUnreadablePath_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder that is gone") << QByteArray("gone") << reasonFor(ENOENT);
    QTest::newRow("a file, not a folder") << QByteArray("readme.txt") << reasonFor(ENOTDIR);
    QTest::newRow("symbolic-link loop") << QByteArray("loop") << reasonFor(ELOOP);
    QTest::newRow("below a file") << QByteArray("readme.txt/x") << reasonFor(ENOTDIR);
}

void TestGameBrowser::directoryListRefusesUnreadablePath()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, reason);

    DirectoryList list;
    QVERIFY(list.setPath(m_games));
    QTRY_VERIFY(!list.isListing());
    const QStringList shown = rowTexts(list);
    QSignalSpy changes(&list, &DirectoryList::changed);
    QString error;
    QVERIFY(!list.setPath(decodeFileName(at(name)), &error));
    QCOMPARE(error, reason);
    QCOMPARE(list.path(), m_games);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(rowTexts(list), shown);

    // The same path again changes nothing either.
    QVERIFY(list.setPath(m_games));
    QCOMPARE(changes.count(), 0);
}

void TestGameBrowser::directoryListCleansPath()
{
    DirectoryList list;
    QVERIFY(list.setPath(m_games + "//../games/./alpha/"));
    QCOMPARE(list.path(), m_games + "/alpha");
}

// The window's load chooses where the browser starts.
void TestGameBrowser::driveListHoldsRootAndWorkingDirectoryVolume()
{
    Quibrel window;
    window.Form_Load();
    const DriveList &list = *qobject_cast<DriveList *>(window.control("DriveBox"));
    const QStringList drives = list.drives();
    QVERIFY(drives.contains("/"));
    QStringList sorted = drives;
    std::sort(sorted.begin(), sorted.end(), fileNameLess);
    QCOMPARE(drives, sorted);
    QVERIFY(!drives.contains("/proc") && !drives.contains("/sys") && !drives.contains("/dev/pts"));

    QString error;
    const QString workingDirectory = currentWorkingDirectory(&error);
    QVERIFY2(workingDirectory.startsWith(list.drive()), qPrintable(list.drive()));
    QCOMPARE(list.currentDirectory(), workingDirectory);
}

void TestGameBrowser::driveListTakesLongestMountPoint_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a folder on the root volume") << "/etc/games"
                                                 << "/";
    QTest::newRow("a mount point itself") << "/home"
                                          << "/home";
    QTest::newRow("below a mount point") << "/home/ann/games"
                                         << "/home";
    QTest::newRow("nested mount: the longer mount point") << "/home/ann/usb/roms"
                                                          << "/home/ann/usb";
    QTest::newRow("a name that only begins like a mount point") << "/homework"
                                                                << "/";
    QTest::newRow("a blank in the mount point") << "/media/usb stick/roms"
                                                << "/media/usb stick";
    QTest::newRow("dot-dot and a trailing slash are cleaned first") << "/home/ann/usb/../games/"
                                                                    << "/home";
}

void TestGameBrowser::driveListTakesLongestMountPoint()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);

    DriveList list;
    list.setDrives(parseMountTable(nestedMounts));
    QCOMPARE(list.drives(), someDrives);
    list.setDrive(path);
    QCOMPARE(list.drive(), expected);
    QCOMPARE(list.currentText(), expected);
}

void TestGameBrowser::driveListSignalsOnlyRealChanges()
{
    DriveList list;
    list.setDrives(someDrives);
    list.setDrive("/");
    QSignalSpy changes(&list, &DriveList::changed);

    list.setDrive("/etc");
    QCOMPARE(changes.count(), 0);
    list.setDrive("/home/ann");
    QCOMPARE(changes.count(), 1);
    list.setDrive("/home/bob");
    QCOMPARE(changes.count(), 1);

    // The user choosing from the list.
    list.setCurrentIndex(list.findData("/media/usb stick"));
    QCOMPARE(changes.count(), 2);
    QCOMPARE(list.drive(), QStringLiteral("/media/usb stick"));
}

void TestGameBrowser::driveListMovesOffVanishedDrive()
{
    DriveList list;
    list.setDrives(someDrives);
    list.setDrive("/home/ann/usb");
    QSignalSpy changes(&list, &DriveList::changed);

    list.setDrives({"/home", "/media/usb stick"});
    QCOMPARE(list.drive(), QStringLiteral("/home"));
    QCOMPARE(changes.count(), 1);

    list.setDrives({"/home", "/srv"});
    QCOMPARE(list.drive(), QStringLiteral("/home"));
    QCOMPARE(changes.count(), 1);
}

// The user walks in the window's directory list from the start folder down into a second real volume (a
// tmpfs mounted below it) and back out, and picks volumes in the drive list.
void TestGameBrowser::driveListFollowsDirectoryListAcrossVolumes()
{
    if (mountNamespaceError != 0)
        QSKIP(qPrintable("no mount namespace of our own to mount a volume in: " +
                         reasonFor(mountNamespaceError)));
    ScratchFolder folder;
    QVERIFY(folder.isValid());
    const QString start = folder.path() + "/games";
    const QString stick = start + "/usb";
    QVERIFY(makeDirectory(encodeFileName(start)) && makeDirectory(encodeFileName(stick)));
    QVERIFY2(::mount("quibrel-stick", encodeFileName(stick).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                     "size=1m,mode=0755") == 0,
             qPrintable(reasonFor(errno)));
    const auto unmount = qScopeGuard([&] { ::umount2(encodeFileName(stick).constData(), MNT_DETACH); });
    QVERIFY(makeDirectory(encodeFileName(stick + "/roms")) &&
            makeFile(encodeFileName(stick + "/roms/stick.gb")));
    const QString originalDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(start));
    const auto goBack = qScopeGuard([&] { QDir::setCurrent(originalDirectory); });

    m_messages.clear();
    Quibrel window;
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto drives = qobject_cast<DriveList *>(window.control("DriveBox"));
    auto directories = qobject_cast<DirectoryList *>(window.control("DirBox"));
    auto files = qobject_cast<FileList *>(window.control("FileBox"));
    QVERIFY(drives->drives().contains(stick));
    const QString firstVolume = drives->currentText();
    QVERIFY2(start.startsWith(firstVolume) && firstVolume != stick, qPrintable(firstVolume));

    // A double-click on an entry of the directory list, once it is read.
    const auto open = [&](const QString &entry) {
        if (!QTest::qWaitFor([&] { return !directories->isListing(); }))
            return false;
        const int row = rowOfText(*directories, entry);
        if (row >= 0)
            doubleClick(*directories, row);
        return row >= 0;
    };
    // The volume named in the drive list, and the folder of the directory and file lists.
    const auto shown = [&] { return QStringList{drives->currentText(), directories->path(), files->path()}; };

    QVERIFY(open("usb")); // the stick's mount point
    QCOMPARE(shown(), (QStringList{stick, stick, stick}));
    QVERIFY(open("roms"));
    QCOMPARE(shown(), (QStringList{stick, stick + "/roms", stick + "/roms"}));
    QTRY_COMPARE(files->fileNames(), QStringList{"stick.gb"});

    // Each volume goes back to the folder last shown on it.
    drives->setCurrentIndex(drives->findText(firstVolume));
    QCOMPARE(shown(), (QStringList{firstVolume, start, start}));
    drives->setCurrentIndex(drives->findText(stick));
    QCOMPARE(shown(), (QStringList{stick, stick + "/roms", stick + "/roms"}));

    // Out of the stick to a folder on the first volume other than the one it remembers: the lists stay there.
    QVERIFY(open(QFileInfo(folder.path()).fileName()));
    QCOMPARE(shown(), (QStringList{firstVolume, folder.path(), folder.path()}));
    drives->setCurrentIndex(drives->findText(stick));
    QCOMPARE(shown(), (QStringList{stick, stick + "/roms", stick + "/roms"}));
    QCOMPARE(m_messages.shown().size(), 0);
}

// The volume tests mount a tmpfs: in a mount namespace of the test's own, made before any thread starts.
int main(int argc, char *argv[])
{
    mountNamespaceError = enterPrivateMountNamespace();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestGameBrowser test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_game_browser.moc"
