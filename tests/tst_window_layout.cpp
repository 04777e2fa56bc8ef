// The window as built from its stored layout, before it is loaded.

#include "sound/multimedia_control.h"
#include "support/window_driver.h"
#include "ui/controls.h"
#include "ui/quibrel.h"
#include "ui/stored_layout.h"
#include "ui/tab_control.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace quibrel;

class TestWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void otherControlsInTheWindowFont();
    void fonts_data();
    void fonts();
    void placesInPixels_data();
    void placesInPixels();
    void everyControlExistsOnce();
    void window();
    void focusOrder();
    void pages_data();
    void pages();
    void startState();
    void overlaps();

private:
    template <typename T> T *find(const char *name) const { return controlOf<T>(m_window, name); }
    Quibrel *m_window = nullptr;
};

void TestWindowLayout::init()
{
    m_window = new Quibrel;
}

void TestWindowLayout::cleanup()
{
    delete m_window;
}

// Every control on screen but the big buttons and the credit line writes in the window's font (see fonts).
// What each control is, holds and shows is read off the layout by hand in the tests below, in tst_stress (the
// option buttons) and in the accessibility test (every caption), never from the table the window reads.
void TestWindowLayout::otherControlsInTheWindowFont()
{
    for (const ControlLayout &layout : controlLayouts()) {
        auto widget = qobject_cast<QWidget *>(m_window->control(QString::fromLatin1(layout.name)));
        if (!widget || QByteArrayList{"cmdPlay", "cmdQuit", "lblCopyright"}.contains(layout.name))
            continue;
        QVERIFY2(widget->font().family() == QStringLiteral("Fixedsys"), layout.name);
        QVERIFY2(widget->font().pointSizeF() == 9.0, layout.name);
        QVERIFY2(QFontInfo(widget->font()).family() == QStringLiteral("Terminus (TTF)"), layout.name);
    }
}

// The faces and sizes asked for, read off the layout by hand, and Debian's nearest relatives that show them.
void TestWindowLayout::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("shownIn");

    QTest::newRow("PLAY") << "cmdPlay"
                          << "GothicE" << 27.75 << "Blankenburg_UNZ1A";
    QTest::newRow("QUIT") << "cmdQuit"
                          << "GothicE" << 21.75 << "Blankenburg_UNZ1A";
    QTest::newRow("credit line") << "lblCopyright"
                                 << "GothicG" << 18.0 << "Blankenburg_UNZ1A";
    QTest::newRow("an option button") << "optVideo0"
                                      << "Fixedsys" << 9.0 << "Terminus (TTF)";
    QTest::newRow("a text box") << "txtCheat"
                                << "Fixedsys" << 9.0 << "Terminus (TTF)";
    QTest::newRow("the volume label") << "lblVolume"
                                      << "Fixedsys" << 9.0 << "Terminus (TTF)";
}

void TestWindowLayout::fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(QString, shownIn);
    auto widget = qobject_cast<QWidget *>(m_window->control(name));
    QVERIFY(widget);
    QCOMPARE(widget->font().family(), family);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(QFontInfo(widget->font()).family(), shownIn);
}

void TestWindowLayout::placesInPixels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    // Independent of the table: read off the layout by hand, in pixels at 96 dpi.
    QTest::newRow("PLAY") << "cmdPlay"
                          << "Quibrel" << QRect(120, 472, 145, 65) << "PLAY";
    QTest::newRow("QUIT") << "cmdQuit"
                          << "Quibrel" << QRect(288, 472, 145, 65) << "QUIT";
    QTest::newRow("tab control") << "TabSettings"
                                 << "Quibrel" << QRect(8, 8, 443, 385) << "";
    QTest::newRow("picture box") << "pctZorvel"
                                 << "Quibrel" << QRect(464, 152, 321, 265) << "";
    QTest::newRow("arrow") << "imgArrow"
                           << "Quibrel" << QRect(560, 56, 115, 99) << "";
    QTest::newRow("selected game") << "lblGameSelected"
                                   << "Quibrel" << QRect(168, 424, 185, 33) << "";
    QTest::newRow("game label") << "lblGame"
                                << "Quibrel" << QRect(40, 432, 121, 25) << "Game selected:";
    QTest::newRow("cheat frame on its page") << "frmCheat"
                                             << "TabSettings" << QRect(24, 136, 353, 137) << "Game genie";
    QTest::newRow("background frame on its page")
        << "frmBg"
        << "TabSettings" << QRect(24, 120, 385, 169) << "Background";
    QTest::newRow("file list") << "FileBox"
                               << "TabSettings" << QRect(216, 160, 193, 141) << "";
    QTest::newRow("keys default has a trailing blank") << "optKeysDefault"
                                                       << "frmKeys" << QRect(16, 24, 169, 33) << "Default ";
    QTest::newRow("background default has none") << "optBgDefault"
                                                 << "frmBg" << QRect(16, 32, 153, 33) << "Default";
    QTest::newRow("custom path caption")
        << "optBgCustom"
        << "frmBg" << QRect(16, 72, 265, 33) << "Custom (enter full path below)";
    QTest::newRow("volume scroll bar") << "hsbVolume"
                                       << "frmVolume" << QRect(16, 24, 177, 17) << "";
    QTest::newRow("volume label") << "lblVolume"
                                  << "frmVolume" << QRect(64, 56, 73, 25) << "10";
    QTest::newRow("screen refresh default")
        << "optDelay"
        << "frmScreenRefresh" << QRect(16, 24, 145, 15) << "Delay(default)";
    QTest::newRow("video mode 0") << "optVideo0"
                                  << "frmVideo" << QRect(16, 16, 329, 25)
                                  << "0 - 320x200 with title screen(default)";
}

void TestWindowLayout::placesInPixels()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    auto widget = qobject_cast<QWidget *>(m_window->control(name));
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), geometry);
    if (auto button = qobject_cast<QAbstractButton *>(widget))
        QCOMPARE(button->text(), caption);
    if (auto label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), caption);
    if (auto frame = qobject_cast<QGroupBox *>(widget))
        QCOMPARE(frame->title(), caption);
}

// Every control is there as the window is made, before any of them is asked for.
void TestWindowLayout::everyControlExistsOnce()
{
    QCOMPARE(controlLayouts().size(), 68);
    QSet<QString> names;
    for (int i = 0; i < controlLayouts().size(); ++i) {
        QCOMPARE(controlLayouts()[i].number, i + 1); // built in creation order
        names << QString::fromLatin1(controlLayouts()[i].name);
    }
    QCOMPARE(names.size(), 68);
    const QList<QObject *> named = m_window->findChildren<QObject *>(QRegularExpression("^[A-Za-z]\\w+$"));
    QSet<QString> found;
    for (QObject *object : named)
        if (names.contains(object->objectName()))
            found << object->objectName();
    QCOMPARE(found, names);
}

void TestWindowLayout::window()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("Quibrel"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Quibrel! v0.2"));
    QCOMPARE(m_window->size(), QSize(312, 213));
    QVERIFY(!m_window->windowIcon().isNull());
    // The text font that its controls take.
    QCOMPARE(m_window->font().family(), QStringLiteral("Fixedsys"));
    QCOMPARE(m_window->font().pointSizeF(), 9.0);
    QCOMPARE(m_window->windowIcon().availableSizes().value(0), QSize(32, 32));
}

// The window's controls in the order Tab moves through them, from the tab control on.
static QStringList focusChain(const Quibrel *window)
{
    QSet<QString> named;
    for (const ControlLayout &layout : controlLayouts())
        named.insert(QString::fromLatin1(layout.name));
    QStringList chain;
    QWidget *first = controlOf<QWidget>(window, "TabSettings");
    QWidget *widget = first;
    do {
        if (named.contains(widget->objectName()) && widget->focusPolicy() != Qt::NoFocus)
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first);
    return chain;
}

// Tab moves through the controls in their stored order, skipping labels, frames and pictures.
void TestWindowLayout::focusOrder()
{
    const QStringList chain = focusChain(m_window);

    QCOMPARE(chain.mid(0, 11), (QStringList{"TabSettings", "FileBox", "DirBox", "DriveBox", "cmdPlay",
                                            "cmdQuit", "txtIfreqCustom", "optIfreqDefault", "optIfreqCustom",
                                            "optVerbose0", "optVerbose1"}));
    QCOMPARE(chain.last(), QStringLiteral("optBgDefault"));
    QCOMPARE(chain.size(), 45); // every button, option button, text box, list, the scroll bar and the tabs
}

void TestWindowLayout::pages_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("members");
    QTest::newRow("0") << 0 << "Game" << QStringList{"DriveBox", "DirBox", "FileBox", "Label1"};
    QTest::newRow("1") << 1 << "Graphics" << QStringList{"frmVPeriod", "frmUPeriod", "frmScreenRefresh"};
    QTest::newRow("2") << 2 << "Sound" << QStringList{"frmSound", "frmStereo", "frmVolume"};
    QTest::newRow("3") << 3 << "Controls" << QStringList{"frmKeys", "frmJoystick"};
    QTest::newRow("4") << 4 << "CPU" << QStringList{"frmIfreq", "frmVerbose"};
    QTest::newRow("5") << 5 << "Game genie" << QStringList{"frmCheat"};
    QTest::newRow("6") << 6 << "Video mode" << QStringList{"frmVideo"};
    QTest::newRow("7") << 7 << "Background" << QStringList{"frmBg"};
}

void TestWindowLayout::pages()
{
    QFETCH(int, page);
    QFETCH(QString, caption);
    QFETCH(QStringList, members);
    auto tabs = find<TabControl>("TabSettings");
    QCOMPARE(tabs->count(), 8);
    QCOMPARE(tabs->pageCaption(page), caption);
    QStringList actual;
    for (QWidget *member : tabs->members(page))
        actual << member->objectName();
    actual.sort();
    members.sort();
    QCOMPARE(actual, members);

    QCOMPARE(tabs->currentPage(), 5); // as stored, until the window is loaded
}

void TestWindowLayout::startState()
{
    auto volume = find<QScrollBar>("hsbVolume");
    QCOMPARE(volume->minimum(), 0);
    QCOMPARE(volume->maximum(), 15);
    QCOMPARE(volume->value(), 10);
    QCOMPARE(volume->singleStep(), 1);
    QCOMPARE(volume->pageStep(), 1);
    for (const char *name : {"Timer1", "Timer2"}) {
        QVERIFY2(find<QTimer>(name)->isActive(), name);
        QCOMPARE(find<QTimer>(name)->interval(), 600);
    }
    QVERIFY(!find<QWidget>("imgArrow")->isHidden());
    QCOMPARE(find<MultimediaControl>("MMControl1")->state(), MultimediaControl::State::Closed);
    QVERIFY(find<QLabel>("Label1")->wordWrap());
    QCOMPARE(find<QWidget>("frmCheat")->isVisibleTo(m_window), true);
    QCOMPARE(find<QWidget>("frmBg")->isVisibleTo(m_window), false);
}

// Where the arrow and the picture box overlap, the picture box is in front.
void TestWindowLayout::overlaps()
{
    m_window->resize(800, 600);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    const QPoint overlap(600, 153); // the arrow's bottom rows lie over the picture box's top rows
    QCOMPARE(m_window->childAt(overlap)->objectName(), QStringLiteral("pctZorvel"));
    QCOMPARE(m_window->childAt(QPoint(600, 100))->objectName(), QStringLiteral("imgArrow"));
}

QTEST_MAIN(TestWindowLayout)
#include "tst_window_layout.moc"
