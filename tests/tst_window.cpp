// The loaded window, used as a person would: clicks, double-clicks and typing on controls found by name.

#include "files/file_system.h"
#include "sound/multimedia_control.h"
#include "support/stub_emulator.h"
#include "support/window_driver.h"
#include "ui/controls.h"
#include "ui/directory_list.h"
#include "ui/file_list.h"
#include "ui/message_box.h"
#include "ui/quibrel.h"
#include "ui/tab_control.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quibrel;

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyPlayStartsAnEmulator();
    void volumeLabelFollowsTheScrollBar();
    void arrowBlinks();
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
    QVERIFY(QDir().mkpath(m_emu));
    QFile game(m_emu + "/PUZZLE.GB");
    QVERIFY(game.open(QIODevice::WriteOnly));
    m_stub = new StubEmulator(m_emu);
    QVERIFY(QDir::setCurrent(m_emu));
    m_messages.clear();

    m_driver.open();
    QTRY_COMPARE(rowTexts(*find<FileList>("FileBox")), QStringList{"PUZZLE.GB"});
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
