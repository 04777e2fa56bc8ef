// Every option button on the real window, one at a time: set by a click (with a value typed into its box
// where it has one), it gives the emulator the words that the option table says, in their group's place.

#include "files/file_system.h"
#include "support/stub_emulator.h"
#include "support/option_table.h"
#include "support/scratch_tree.h"
#include "support/window_driver.h"
#include "ui/stored_layout.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace quibrel;

namespace {

const QByteArray typedValue = "17"; // what a custom button's box is given

// Another button of the same group, one that the window does not set when it opens.
const OptionButton *otherMemberOf(const OptionButton &button)
{
    const auto other = std::find_if(std::begin(optionButtons), std::end(optionButtons), [&](const auto &b) {
        return qstrcmp(b.frame, button.frame) == 0 && !b.setAtStart;
    });
    return other == std::end(optionButtons) ? nullptr : &*other;
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void tableHoldsEveryOptionButton();
    void buttonGivesItsWords_data();
    void buttonGivesItsWords();

private:
    void set(const OptionButton &button);
    QByteArrayList expectedArguments(const OptionButton &button) const;

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

// The rows below cover the window only if the table names each of its option buttons.
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

void TestOptions::buttonGivesItsWords_data()
{
    addButtonRows();
}

void TestOptions::buttonGivesItsWords()
{
    QFETCH(QString, name);
    const OptionButton *button = optionButton(name);
    QVERIFY(button);
    m_driver.open();
    // A button that is set when the window opens is clicked after another of its group, so that the click
    // is what sets it.
    if (button->setAtStart) {
        const OptionButton *other = otherMemberOf(*button);
        QVERIFY(other);
        set(*other);
    }
    set(*button);
    QVERIFY(controlOf<QRadioButton>(m_driver.window(), button->name)->isChecked());
    if (button->clearedBox) { // the other button's value typed into it is gone with it
        QVERIFY(!m_driver.find<QLineEdit>(button->clearedBox)->isVisible());
        QCOMPARE(m_driver.find<QLineEdit>(button->clearedBox)->text(), QString());
    }
    m_driver.selectGame(QStringLiteral("game.gb"));

    m_driver.showPage(0); // PLAY reads every page, whichever is shown

    m_stub->clearRecord();
    QTest::mouseClick(m_driver.find<QPushButton>("cmdPlay"), Qt::LeftButton);
    const QByteArrayList expected = expectedArguments(*button);
    QCOMPARE(m_stub->waitForRecord(), expected);
    QCOMPARE(m_driver.window()->fctGetCmdLine(), QString::fromUtf8(expected.join(' ')));
}

// Shows the button's page and clicks it; a custom button's box is given a value.
void TestOptions::set(const OptionButton &button)
{
    m_driver.showPage(button.page);
    m_driver.click(button.name);
    if (button.shownBox) {
        auto box = m_driver.find<QLineEdit>(button.shownBox);
        QVERIFY2(box->isVisible(), button.shownBox);
        QTest::keyClicks(box, QString::fromLatin1(typedValue));
    }
}

// The emulator, the game, and every group in its order: the button's group gives the button's words (and
// the typed value), the volume its value at start, every other group nothing.
QByteArrayList TestOptions::expectedArguments(const OptionButton &button) const
{
    QByteArrayList arguments{childPath(m_emu, "Zemu.exe"), childPath(m_emu, "game.gb")};
    for (const QString &word : expectedOptionWords(button, QString::fromLatin1(typedValue)))
        arguments << word.toUtf8();
    return arguments;
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
