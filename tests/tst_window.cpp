// The loaded window, used as a person would: clicks, double-clicks and typing on controls found by name.

#include "files/file_system.h"
#include "sound/multimedia_control.h"
#include "launch/option_table.h"
#include "support/stub_emulator.h"
#include "support/window_driver.h"
#include "ui/controls.h"
#include "ui/directory_list.h"
#include "ui/drive_list.h"
#include "ui/file_list.h"
#include "ui/message_box.h"
#include "ui/quibrel.h"
#include "ui/tab_control.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quibrel;

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsOnTheGameBrowser();
    void gameKeptWhenTheFolderChanges();
    void playWithoutGameRefuses();
    void everyPlayStartsAnEmulator();
    void customBoxes_data();
    void customBoxes();
    void volumeLabelFollowsTheScrollBar();
    void arrowBlinks();
    void driveNotReady();
    void unreadableFolder();
    void workingDirectoryGoneAtStart();

private:
    template <typename T> T *find(const char *name) const { return m_driver.find<T>(name); }
    QByteArrayList pressPlay();

    QTemporaryDir *m_root = nullptr;
    QString m_emu;
    StubEmulator *m_stub = nullptr;
    WindowDriver m_driver;
    QString m_originalDirectory;
    MessageBox::Recorder m_messages;
};

void TestWindow::init()
{
    m_originalDirectory = QDir::currentPath();
    m_root = new QTemporaryDir;
    m_emu = m_root->filePath("emu");
    QVERIFY(QDir().mkpath(m_emu + "/roms"));
    QVERIFY(QDir().mkpath(m_emu + "/.hidden"));
    for (const char *name : {"PUZZLE.GB", "tetris.gb", "notes.txt", ".secret.gb", "roms/zelda.gb"}) {
        QFile file(m_emu + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    m_stub = new StubEmulator(m_emu);
    QVERIFY(QDir::setCurrent(m_emu));
    m_messages.clear();

    m_driver.open();
    QTRY_COMPARE(WindowDriver::listed(find<FileList>("FileBox")), (QStringList{"PUZZLE.GB", "tetris.gb"}));
}

void TestWindow::cleanup()
{
    m_driver.close();
    delete m_stub;
    QDir::setCurrent(m_originalDirectory);
    delete m_root;
}

QByteArrayList TestWindow::pressPlay()
{
    m_stub->clearRecord();
    QTest::mouseClick(find<QPushButton>("cmdPlay"), Qt::LeftButton);
    return m_stub->waitForRecord().mid(1);
}

void TestWindow::startsOnTheGameBrowser()
{
    QCOMPARE(find<TabControl>("TabSettings")->currentPage(), 0);
    for (const char *name : {"DriveBox", "DirBox", "FileBox", "Label1"})
        QVERIFY2(find<QWidget>(name)->isVisible(), name);
    QVERIFY(!find<QWidget>("frmCheat")->isVisible());
    QCOMPARE(find<DirectoryList>("DirBox")->path(), m_emu);
    QCOMPARE(find<FileList>("FileBox")->path(), m_emu);
    QVERIFY(m_emu.startsWith(find<DriveList>("DriveBox")->drive()));
    QTRY_VERIFY(WindowDriver::listed(find<DirectoryList>("DirBox")).contains("roms")); // read on its own thread
    QVERIFY(!WindowDriver::listed(find<DirectoryList>("DirBox")).contains(".hidden"));
    QCOMPARE(find<QLabel>("lblGameSelected")->text(), QString());
    // The stored layout keeps its own start states: they are the settings' start values.
    const LaunchSettings shown = m_driver.window()->settings(), start;
    for (const OptionGroup &group : optionGroups()) {
        QVERIFY2(group.chosen(shown) == group.chosen(start), group.frame);
        if (group.text)
            QCOMPARE(shown.*group.text, start.*group.text);
    }
    QCOMPARE(QString::number(find<ScrollBar>("hsbVolume")->value()), start.lblVolume);
    for (const char *name :
         {"txtBgCustom", "txtCheat", "txtKeysCustom", "txtUPeriodCustom", "txtVPeriodCustom", "txtIfreqCustom"})
        QVERIFY2(!find<QWidget>(name)->isVisibleTo(m_driver.window()), name);
    QVERIFY(find<QTimer>("Timer1")->isActive());
    QCOMPARE(m_messages.shown().size(), 0); // the missing start-up sound is no news to the user
}

void TestWindow::gameKeptWhenTheFolderChanges()
{
    m_driver.selectGame("PUZZLE.GB");
    m_driver.doubleClick(find<DirectoryList>("DirBox"), "roms");
    QTRY_COMPARE(find<FileList>("FileBox")->path(), m_emu + "/roms");
    QTRY_COMPARE(WindowDriver::listed(find<FileList>("FileBox")), QStringList{"zelda.gb"});
    QCOMPARE(find<QLabel>("lblGameSelected")->text(), QStringLiteral("PUZZLE.GB"));
    QCOMPARE(pressPlay(), (QByteArrayList{encodeFileName(m_emu + "/roms/PUZZLE.GB"), "-volume", "10"}));
}

void TestWindow::playWithoutGameRefuses()
{
    auto sound = find<MultimediaControl>("MMControl1");
    QSignalSpy commands(sound, &MultimediaControl::commandReceived);
    m_messages.setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(find<QPushButton>("cmdPlay"), Qt::LeftButton);
    QCOMPARE(m_messages.shown().size(), 1);
    QCOMPARE(m_messages.shown()[0].text, QStringLiteral("You must chose a game first!"));
    QCOMPARE(m_messages.shown()[0].title, QStringLiteral("Error"));
    QCOMPARE(m_messages.shown()[0].icon, QMessageBox::Critical);
    QCOMPARE(commands.count(), 0);
    QVERIFY(!m_stub->ranWithin(300));
}

void TestWindow::everyPlayStartsAnEmulator()
{
    auto sound = find<MultimediaControl>("MMControl1");
    QSignalSpy commands(sound, &MultimediaControl::commandReceived);
    m_driver.selectGame("PUZZLE.GB");
    for (int press = 1; press <= 2; ++press) {
        QCOMPARE(pressPlay().value(0), encodeFileName(m_emu + "/PUZZLE.GB"));
        QCOMPARE(commands.count(), press);
        QCOMPARE(commands.last().value(0).toString(), QStringLiteral("Close"));
    }
    QCOMPARE(m_messages.shown().size(), 0);
}

void TestWindow::customBoxes_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("defaultButton");
    QTest::addColumn<QString>("customButton");
    QTest::addColumn<QString>("box");
    QTest::newRow("interrupt frequency") << 4 << "optIfreqDefault" << "optIfreqCustom" << "txtIfreqCustom";
    QTest::newRow("VBlank period") << 1 << "optVPeriodDefault" << "optVPeriodCustom" << "txtVPeriodCustom";
    QTest::newRow("update period") << 1 << "optUPeriodDefault" << "optUPeriodCustom" << "txtUPeriodCustom";
    QTest::newRow("keys") << 3 << "optKeysDefault" << "optKeysCustom" << "txtKeysCustom";
    QTest::newRow("cheat") << 5 << "optNoCheat" << "optCheat" << "txtCheat";
    QTest::newRow("background") << 7 << "optBgDefault" << "optBgCustom" << "txtBgCustom";
}

void TestWindow::customBoxes()
{
    QFETCH(int, page);
    QFETCH(QString, defaultButton);
    QFETCH(QString, customButton);
    QFETCH(QString, box);
    auto text = find<QLineEdit>(qPrintable(box));
    m_driver.showPage(page);
    m_driver.click(qPrintable(customButton));
    QVERIFY(text->isVisible());
    QTest::keyClicks(text, "50");
    m_driver.click(qPrintable(customButton)); // chosen again: the text stays
    QCOMPARE(text->text(), QStringLiteral("50"));
    m_driver.showPage(page == 0 ? 1 : 0);
    m_driver.showPage(page);
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), QStringLiteral("50"));

    m_driver.click(qPrintable(defaultButton));
    QVERIFY(!text->isVisible());
    QCOMPARE(text->text(), QString());
    m_driver.showPage(page == 0 ? 1 : 0);
    m_driver.showPage(page);
    QVERIFY(!text->isVisible()); // showing the page does not show a hidden box
    m_driver.click(qPrintable(customButton));
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), QString());
}

void TestWindow::volumeLabelFollowsTheScrollBar()
{
    m_driver.showPage(2);
    auto bar = find<ScrollBar>("hsbVolume");
    auto label = find<QLabel>("lblVolume");
    QSignalSpy scrolls(bar, &ScrollBar::scroll);
    // Dragging the thumb from 10 down to 0 shows every value as it passes.
    bar->setSliderDown(true);
    for (int value = 9; value >= 0; --value) {
        bar->setSliderPosition(value);
        QCOMPARE(label->text(), QString::number(value));
    }
    bar->setSliderDown(false);
    QCOMPARE(scrolls.count(), 10);
    QCOMPARE(label->text(), QStringLiteral("0"));
    // Arrow keys and the track change it one step at a time, up to 15 and no further.
    bar->setFocus();
    for (int value = 1; value <= 15; ++value) {
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(label->text(), QString::number(value));
    }
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(label->text(), QStringLiteral("15"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 4, bar->height() / 2));
    QCOMPARE(label->text(), QStringLiteral("14"));
}

void TestWindow::arrowBlinks()
{
    auto arrow = find<QWidget>("imgArrow");
    auto timer1 = find<QTimer>("Timer1");
    auto timer2 = find<QTimer>("Timer2");
    // After the first expiry exactly one timer runs, and the arrow changes with each expiry.
    QTRY_VERIFY_WITH_TIMEOUT(timer1->isActive() != timer2->isActive(), 5000);
    for (int change = 0; change < 3; ++change) {
        const bool shown = arrow->isVisible();
        QCOMPARE(timer1->isActive(), shown);
        QTRY_VERIFY_WITH_TIMEOUT(arrow->isVisible() != shown, 5000);
        QCOMPARE(timer1->isActive() != timer2->isActive(), true);
    }
    // PLAY, refused or not, leaves the blinking alone.
    m_messages.setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(find<QPushButton>("cmdPlay"), Qt::LeftButton);
    QCOMPARE(timer1->isActive() != timer2->isActive(), true);
}

void TestWindow::driveNotReady()
{
    auto drives = find<DriveList>("DriveBox");
    auto directories = find<DirectoryList>("DirBox");
    const QString doomed = m_root->filePath("doomed");
    QVERIFY(QDir().mkpath(doomed));
    // Fake a second volume at the temporary root whose remembered folder has gone.
    drives->setDrives({QStringLiteral("/"), m_root->path()});
    QVERIFY(directories->setPath(doomed)); // remembered as that volume's folder
    QVERIFY(directories->setPath(QStringLiteral("/")));
    QCOMPARE(drives->drive(), QStringLiteral("/"));
    QVERIFY(QDir(doomed).removeRecursively());

    m_driver.showPage(2);
    m_driver.click("optNoSound");
    m_messages.setNextAnswer(QMessageBox::Ok);
    drives->setCurrentIndex(drives->findText(m_root->path()));
    QCOMPARE(m_messages.shown().size(), 1);
    QVERIFY2(m_messages.shown()[0].text.contains(m_root->path()), qPrintable(m_messages.shown()[0].text));
    QVERIFY2(m_messages.shown()[0].text.contains("No such file or directory"),
             qPrintable(m_messages.shown()[0].text));
    QCOMPARE(drives->drive(), QStringLiteral("/")); // back to the drive the folder list shows
    QCOMPARE(directories->path(), QStringLiteral("/"));
    QVERIFY(find<QRadioButton>("optNoSound")->isChecked());
}

void TestWindow::unreadableFolder()
{
    auto directories = find<DirectoryList>("DirBox");
    QTRY_VERIFY(WindowDriver::item(directories, "roms").isValid());
    QVERIFY(QDir(m_emu + "/roms").removeRecursively());
    m_messages.setNextAnswer(QMessageBox::Ok);
    m_driver.doubleClick(directories, "roms");
    QCOMPARE(m_messages.shown().size(), 1);
    QVERIFY(m_messages.shown()[0].text.contains(m_emu + "/roms"));
    QCOMPARE(directories->path(), m_emu);
    QCOMPARE(find<FileList>("FileBox")->path(), m_emu);
}

void TestWindow::workingDirectoryGoneAtStart()
{
    const QString doomed = m_root->filePath("doomed");
    QVERIFY(QDir().mkdir(doomed));
    QVERIFY(QDir::setCurrent(doomed));
    QVERIFY(QDir().rmdir(doomed));
    Quibrel window;
    m_messages.setNextAnswer(QMessageBox::Ok);
    window.Form_Load();
    QCOMPARE(m_messages.shown().size(), 1);
    QCOMPARE(m_messages.shown()[0].text,
             QStringLiteral("The current directory cannot be read: No such file or directory."));
    // The browser starts at the root instead, and the window works on.
    QCOMPARE(controlOf<DirectoryList>(&window, "DirBox")->path(), QStringLiteral("/"));
    QCOMPARE(controlOf<TabControl>(&window, "TabSettings")->currentPage(), 0);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
