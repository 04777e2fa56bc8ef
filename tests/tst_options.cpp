// The option buttons on the real window: the test table names every one of them, and with every group away
// from its start value at once, PLAY gives the emulator each group's words in its place. Which words each
// button gives is tst_command_line's table; here only that the window hands each group's choice on.

#include "files/file_system.h"
#include "support/option_table.h"
#include "support/scratch_tree.h"
#include "support/stub_emulator.h"
#include "support/window_driver.h"
#include "ui/controls.h"
#include "ui/stored_layout.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quibrel;

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void tableHoldsEveryOptionButton();
    void everyGroupChangedAtOnce();

private:
    QTemporaryDir m_scratch;
    QByteArray m_emu; // the working folder: the stub as Zemu.exe and one game
    std::unique_ptr<StubEmulator> m_stub;
    QString m_originalDirectory;
    WindowDriver m_driver;
};

void TestOptions::initTestCase()
{
    QVERIFY(m_scratch.isValid());
    m_emu = childPath(encodeFileName(m_scratch.path()), "emu");
    QVERIFY(makeDirectory(m_emu));
    QVERIFY(makeFile(childPath(m_emu, "game.gb")));
    m_stub = std::make_unique<StubEmulator>(decodeFileName(m_emu));
    m_originalDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(decodeFileName(m_emu)));
}

void TestOptions::cleanupTestCase()
{
    QDir::setCurrent(m_originalDirectory);
    m_stub.reset();
}

void TestOptions::cleanup()
{
    m_driver.close();
}

// The other tests cover the window only if the table names each of its option buttons.
void TestOptions::tableHoldsEveryOptionButton()
{
    m_driver.open();
    QStringList onWindow;
    for (const ControlLayout &layout : controlLayouts()) {
        if (qobject_cast<QRadioButton *>(m_driver.window()->control(QString::fromLatin1(layout.name))))
            onWindow << QLatin1String(layout.name);
    }
    QStringList inTable;
    for (const OptionButton &button : optionButtons)
        inTable << QLatin1String(button.name);
    onWindow.sort();
    inTable.sort();
    QCOMPARE(onWindow, inTable);
}

// Clicked on their pages, with values typed into the boxes the custom buttons show; the volume dragged to 7.
void TestOptions::everyGroupChangedAtOnce()
{
    const struct {
        int page;
        const char *button;
        const char *box = nullptr;
        const char *typed = nullptr;
    } clicks[] = {
        {1, "optVPeriodCustom", "txtVPeriodCustom", "500"},
        {1, "optUPeriodCustom", "txtUPeriodCustom", "2"},
        {1, "optNoDelay"},
        {2, "optNoSound"},
        {2, "optStereoReversed"},
        {3, "optJoystickAutodetected"},
        {3, "optKeysCustom", "txtKeysCustom", "my keys"},
        {4, "optIfreqCustom", "txtIfreqCustom", "50"},
        {4, "optVerbose4"},
        {5, "optCheat", "txtCheat", "00A-17B-C49"},
        {6, "optVideo3"},
        {7, "optBgCustom", "txtBgCustom", "/pics/back.bmp"},
    };
    m_driver.open();
    for (const auto &click : clicks) {
        m_driver.showPage(click.page);
        m_driver.click(click.button);
        if (click.box)
            QTest::keyClicks(m_driver.find<QLineEdit>(click.box), QString::fromLatin1(click.typed));
    }
    m_driver.showPage(2);
    m_driver.find<ScrollBar>("hsbVolume")->setValue(7);
    m_driver.selectGame(QStringLiteral("game.gb"));

    m_stub->clearRecord();
    QTest::mouseClick(m_driver.find<QPushButton>("cmdPlay"), Qt::LeftButton);
    const QByteArrayList expected{childPath(m_emu, "Zemu.exe"),
                                  childPath(m_emu, "game.gb"),
                                  "-vperiod",
                                  "500",
                                  "-uperiod",
                                  "2",
                                  "-nodelay",
                                  "-sound",
                                  "0",
                                  "-stereo",
                                  "2",
                                  "-volume",
                                  "7",
                                  "-joystick",
                                  "1",
                                  "-ifreq",
                                  "50",
                                  "-verbose",
                                  "4",
                                  "-cheat",
                                  "00A-17B-C49",
                                  "-background",
                                  "/pics/back.bmp",
                                  "-video",
                                  "3",
                                  "-keys",
                                  "my",
                                  "keys"};
    QCOMPARE(m_stub->waitForRecord(), expected);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
