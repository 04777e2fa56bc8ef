// The loaded window, used as a person would: clicks, double-clicks and typing on controls found by name.

#include "files/file_system.h"
#include "sound/multimedia_control.h"
#include "stub_emulator.h"
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
    void chosenOptionsReachTheEmulator();
    void gameKeptWhenTheFolderChanges();
    void playWithoutGameRefuses();
    void everyPlayStartsAnEmulator();
    void failedStartLeavesEverything();
    void customBoxes_data();
    void customBoxes();
    void volumeLabelFollowsTheScrollBar();
    void arrowBlinks();
    void driveNotReady();
    void unreadableFolder();
    void workingDirectoryGoneAtStart();

private:
    template <typename T> T *find(const char *name) const
    {
        auto object = qobject_cast<T *>(m_window->control(QString::fromLatin1(name)));
        if (!object)
            qFatal("no control %s", name);
        return object;
    }
    QStringList listed(QAbstractItemView *list) const;
    QModelIndex item(QAbstractItemView *list, const QString &text) const;
    void doubleClick(QAbstractItemView *list, const QString &text);
    void selectGame(const QString &name);
    void showPage(int page);
    void click(const char *name);
    QByteArrayList pressPlay();

    QTemporaryDir *m_root = nullptr;
    QString m_emu;
    StubEmulator *m_stub = nullptr;
    Quibrel *m_window = nullptr;
    QString m_originalDirectory;
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
    MessageBox::clearShown();

    m_window = new Quibrel;
    m_window->Form_Load();
    m_window->resize(800, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QTRY_COMPARE(listed(find<FileList>("FileBox")), (QStringList{"PUZZLE.GB", "tetris.gb"}));
}

void TestWindow::cleanup()
{
    delete m_window;
    delete m_stub;
    QDir::setCurrent(m_originalDirectory);
    delete m_root;
}

QStringList TestWindow::listed(QAbstractItemView *list) const
{
    QStringList names;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        names << list->model()->index(row, 0).data().toString();
    return names;
}

QModelIndex TestWindow::item(QAbstractItemView *list, const QString &text) const
{
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        if (index.data().toString() == text)
            return index;
    }
    return {};
}

void TestWindow::doubleClick(QAbstractItemView *list, const QString &text)
{
    QTRY_VERIFY(item(list, text).isValid());
    const QModelIndex index = item(list, text);
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void TestWindow::selectGame(const QString &name)
{
    showPage(0);
    doubleClick(find<FileList>("FileBox"), name);
    QCOMPARE(find<QLabel>("lblGameSelected")->text(), name);
}

void TestWindow::showPage(int page)
{
    auto tabs = find<TabControl>("TabSettings");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
    QCOMPARE(tabs->currentPage(), page);
}

void TestWindow::click(const char *name)
{
    auto button = find<QAbstractButton>(name);
    QVERIFY2(button->isVisible(), name);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
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
    QTRY_VERIFY(listed(find<DirectoryList>("DirBox")).contains("roms")); // read on its own thread
    QVERIFY(!listed(find<DirectoryList>("DirBox")).contains(".hidden"));
    QCOMPARE(find<QLabel>("lblGameSelected")->text(), QString());
    QCOMPARE(find<QLabel>("lblVolume")->text(), QStringLiteral("10"));
    for (const char *name :
         {"txtBgCustom", "txtCheat", "txtKeysCustom", "txtUPeriodCustom", "txtVPeriodCustom", "txtIfreqCustom"})
        QVERIFY2(!find<QWidget>(name)->isVisibleTo(m_window), name);
    QVERIFY(find<QTimer>("Timer1")->isActive());
    QCOMPARE(MessageBox::shown().size(), 0); // the missing start-up sound is no news to the user
}

void TestWindow::chosenOptionsReachTheEmulator()
{
    selectGame("tetris.gb");
    showPage(1);
    click("optVPeriodCustom");
    QTest::keyClicks(find<QLineEdit>("txtVPeriodCustom"), "500");
    click("optNoDelay");
    showPage(2);
    click("optNoSound");
    click("optStereoMono");
    find<ScrollBar>("hsbVolume")->triggerAction(QAbstractSlider::SliderSingleStepSub);
    showPage(4);
    click("optVerbose8");
    showPage(5);
    click("optCheat");
    QTest::keyClicks(find<QLineEdit>("txtCheat"), "00A-17B-C49");
    showPage(6);
    click("optVideo2");
    showPage(7);
    click("optBgCustom");
    QTest::keyClicks(find<QLineEdit>("txtBgCustom"), "/my pics/back.bmp");
    showPage(3); // PLAY reads every page, whichever is shown

    const QByteArray game = encodeFileName(m_emu + "/tetris.gb");
    QCOMPARE(pressPlay(), (QByteArrayList{game, "-vperiod", "500", "-nodelay", "-sound", "0", "-stereo", "0",
                                          "-volume", "9", "-verbose", "8", "-cheat", "00A-17B-C49", "-background",
                                          "/my", "pics/back.bmp", "-video", "2"}));
    QCOMPARE(m_window->fctGetCmdLine(),
             m_emu + "/Zemu.exe " + m_emu + "/tetris.gb -vperiod 500 -nodelay -sound 0 -stereo 0 -volume 9 "
                                            "-verbose 8 -cheat 00A-17B-C49 -background /my pics/back.bmp -video 2");
}

void TestWindow::gameKeptWhenTheFolderChanges()
{
    selectGame("PUZZLE.GB");
    doubleClick(find<DirectoryList>("DirBox"), "roms");
    QTRY_COMPARE(find<FileList>("FileBox")->path(), m_emu + "/roms");
    QTRY_COMPARE(listed(find<FileList>("FileBox")), QStringList{"zelda.gb"});
    QCOMPARE(find<QLabel>("lblGameSelected")->text(), QStringLiteral("PUZZLE.GB"));
    QCOMPARE(pressPlay(), (QByteArrayList{encodeFileName(m_emu + "/roms/PUZZLE.GB"), "-volume", "10"}));
}

void TestWindow::playWithoutGameRefuses()
{
    auto sound = find<MultimediaControl>("MMControl1");
    QSignalSpy commands(sound, &MultimediaControl::commandReceived);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(find<QPushButton>("cmdPlay"), Qt::LeftButton);
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("You must chose a game first!"));
    QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Error"));
    QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Critical);
    QCOMPARE(commands.count(), 0);
    QVERIFY(!m_stub->ranWithin(300));
}

void TestWindow::everyPlayStartsAnEmulator()
{
    auto sound = find<MultimediaControl>("MMControl1");
    QSignalSpy commands(sound, &MultimediaControl::commandReceived);
    selectGame("PUZZLE.GB");
    for (int press = 1; press <= 2; ++press) {
        QCOMPARE(pressPlay().value(0), encodeFileName(m_emu + "/PUZZLE.GB"));
        QCOMPARE(commands.count(), press);
        QCOMPARE(commands.last().value(0).toString(), QStringLiteral("Close"));
    }
    QCOMPARE(MessageBox::shown().size(), 0);
}

void TestWindow::failedStartLeavesEverything()
{
    selectGame("tetris.gb");
    showPage(4);
    click("optVerbose0");
    QVERIFY(QFile::remove(m_stub->programPath()));
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(find<QPushButton>("cmdPlay"), Qt::LeftButton);
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::shown()[0].text.contains(m_stub->programPath()));
    QVERIFY(MessageBox::shown()[0].text.contains("No such file or directory"));
    QVERIFY(m_window->isVisible());
    QVERIFY(find<QRadioButton>("optVerbose0")->isChecked());
    QCOMPARE(find<QLabel>("lblGameSelected")->text(), QStringLiteral("tetris.gb"));
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
    showPage(page);
    click(qPrintable(customButton));
    QVERIFY(text->isVisible());
    QTest::keyClicks(text, "50");
    click(qPrintable(customButton)); // chosen again: the text stays
    QCOMPARE(text->text(), QStringLiteral("50"));
    showPage(page == 0 ? 1 : 0);
    showPage(page);
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), QStringLiteral("50"));

    click(qPrintable(defaultButton));
    QVERIFY(!text->isVisible());
    QCOMPARE(text->text(), QString());
    showPage(page == 0 ? 1 : 0);
    showPage(page);
    QVERIFY(!text->isVisible()); // showing the page does not show a hidden box
    click(qPrintable(customButton));
    QVERIFY(text->isVisible());
    QCOMPARE(text->text(), QString());
}

void TestWindow::volumeLabelFollowsTheScrollBar()
{
    showPage(2);
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
    MessageBox::setNextAnswer(QMessageBox::Ok);
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

    showPage(2);
    click("optNoSound");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    drives->setCurrentIndex(drives->findText(m_root->path()));
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY2(MessageBox::shown()[0].text.contains(m_root->path()), qPrintable(MessageBox::shown()[0].text));
    QVERIFY2(MessageBox::shown()[0].text.contains("No such file or directory"),
             qPrintable(MessageBox::shown()[0].text));
    QCOMPARE(drives->drive(), QStringLiteral("/")); // back to the drive the folder list shows
    QCOMPARE(directories->path(), QStringLiteral("/"));
    QVERIFY(find<QRadioButton>("optNoSound")->isChecked());
}

void TestWindow::unreadableFolder()
{
    auto directories = find<DirectoryList>("DirBox");
    QTRY_VERIFY(item(directories, "roms").isValid());
    QVERIFY(QDir(m_emu + "/roms").removeRecursively());
    MessageBox::setNextAnswer(QMessageBox::Ok);
    doubleClick(directories, "roms");
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::shown()[0].text.contains(m_emu + "/roms"));
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
    MessageBox::setNextAnswer(QMessageBox::Ok);
    window.Form_Load();
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown()[0].text,
             QStringLiteral("The current directory cannot be read: No such file or directory."));
    // The browser starts at the root instead, and the window works on.
    QCOMPARE(qobject_cast<DirectoryList *>(window.control("DirBox"))->path(), QStringLiteral("/"));
    QCOMPARE(qobject_cast<TabControl *>(window.control("TabSettings"))->currentPage(), 0);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
