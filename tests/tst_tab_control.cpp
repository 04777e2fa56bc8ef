#include "ui/tab_control.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace quibrel;

namespace {

const QStringList captions = {"Game", "Graphics",   "Sound",      "Controls",
                              "CPU",  "Game genie", "Video mode", "Background"};
const QRect frameGeometry(24, 80, 330, 140);
const QRect labelGeometry(24, 240, 330, 40);

// A window with a tabbed dialog of eight pages and a button below it; each page carries a frame (an
// option group with a text box) and a label.
struct Dialog {
    Dialog();
    QWidget window;
    TabControl *tabs = nullptr;
    QList<QGroupBox *> frames;
    QList<QRadioButton *> customButtons;
    QList<QLineEdit *> textBoxes;
    QList<QLabel *> labels;
    QPushButton *button = nullptr;

    bool show();
    bool activate();
    QList<QWidget *> allMembers() const;
};

Dialog::Dialog()
{
    window.resize(463, 440);
    tabs = new TabControl(&window);
    tabs->setGeometry(10, 10, 443, 385);
    tabs->setTabsPerRow(3);
    tabs->setTabHeight(20);
    for (const QString &caption : captions) {
        const int page = tabs->addPage(caption);
        auto *frame = new QGroupBox(caption);
        frame->setObjectName(QStringLiteral("frame%1").arg(page));
        frame->setGeometry(frameGeometry);
        auto *layout = new QVBoxLayout(frame);
        layout->addWidget(new QRadioButton(QStringLiteral("Default")));
        auto *custom = new QRadioButton(QStringLiteral("Custom"));
        layout->addWidget(custom);
        auto *text = new QLineEdit;
        text->setObjectName(QStringLiteral("text%1").arg(page));
        layout->addWidget(text);
        tabs->addMember(page, frame);

        auto *label = new QLabel(QStringLiteral("About %1").arg(caption), &window);
        label->setGeometry(labelGeometry);
        tabs->addMember(page, label);

        frames.append(frame);
        customButtons.append(custom);
        textBoxes.append(text);
        labels.append(label);
    }
    button = new QPushButton(QStringLiteral("PLAY"), &window);
    button->setGeometry(10, 400, 80, 30);
}

bool Dialog::show()
{
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

bool Dialog::activate()
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

QList<QWidget *> Dialog::allMembers() const
{
    QList<QWidget *> result;
    for (int page = 0; page < tabs->count(); ++page)
        result += tabs->members(page);
    return result;
}

// The members of `page` are visible and all others hidden, as the user sees the control.
void verifyOnlyPageShown(const TabControl *tabs, int page)
{
    QCOMPARE(tabs->currentPage(), page);
    for (int p = 0; p < tabs->count(); ++p) {
        for (const QWidget *member : tabs->members(p)) {
            QVERIFY2(member->isVisibleTo(tabs) == (p == page), qPrintable(member->objectName()));
            QCOMPARE(member->isHidden(), p != page);
        }
    }
}

} // namespace

class TestTabControl : public QObject {
    Q_OBJECT
private slots:
    void pagesAndCaptions();
    void membersKeepTheirGeometry();
    void selectingShowsExactlyThatPage_data();
    void selectingShowsExactlyThatPage();
    void selectionOutOfRangeIsIgnored_data();
    void selectionOutOfRangeIsIgnored();
    void tabsStandInRows_data();
    void tabsStandInRows();
    void pageFrameLiesBelowTheTabs();
    void keys_data();
    void keys();
    void focusStaysInControlWhenItsPageGoesAway();
    void hiddenChildStaysHidden();
    void hiddenMembersKeepTheirValues();
    void currentPageChangedSignal();
    void accessibleTabList();
    void accessibleMembersFollowTheTabs();
};

void TestTabControl::pagesAndCaptions()
{
    TabControl tabs;
    QCOMPARE(tabs.count(), 0);
    QCOMPARE(tabs.currentPage(), -1);
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(tabs.addPage(captions.at(i)), i);
    QCOMPARE(tabs.count(), 8);
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(tabs.pageCaption(i), captions.at(i));
    QCOMPARE(tabs.pageCaption(8), QString());
    QCOMPARE(tabs.currentPage(), 0); // the first page added becomes current
}

void TestTabControl::membersKeepTheirGeometry()
{
    Dialog dialog;
    for (int page = 0; page < dialog.tabs->count(); ++page) {
        QCOMPARE(dialog.tabs->members(page),
                 (QList<QWidget *>{dialog.frames.at(page), dialog.labels.at(page)}));
        QCOMPARE(dialog.frames.at(page)->parentWidget(), dialog.tabs);
        QCOMPARE(dialog.labels.at(page)->parentWidget(), dialog.tabs); // taken over from the window
        QCOMPARE(dialog.frames.at(page)->geometry(), frameGeometry);
        QCOMPARE(dialog.labels.at(page)->geometry(), labelGeometry);
    }
}

void TestTabControl::selectingShowsExactlyThatPage_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("page");
    for (int page = 0; page < captions.size(); ++page)
        QTest::addRow("%s", qPrintable(captions.at(page))) << (page + 3) % 8 << page;
}

void TestTabControl::selectingShowsExactlyThatPage()
{
    QFETCH(int, from);
    QFETCH(int, page);
    Dialog dialog;
    QVERIFY(dialog.show());
    dialog.tabs->setCurrentPage(from);
    verifyOnlyPageShown(dialog.tabs, from);
    dialog.tabs->setCurrentPage(page);
    verifyOnlyPageShown(dialog.tabs, page);
    for (const QWidget *member : dialog.tabs->members(page))
        QVERIFY(member->isVisible());
}

void TestTabControl::selectionOutOfRangeIsIgnored_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("one past the last page") << 8;
}

void TestTabControl::selectionOutOfRangeIsIgnored()
{
    QFETCH(int, index);
    Dialog dialog;
    dialog.tabs->setCurrentPage(2);
    QSignalSpy changes(dialog.tabs, &TabControl::currentPageChanged);
    dialog.tabs->setCurrentPage(index);
    verifyOnlyPageShown(dialog.tabs, 2);
    QCOMPARE(changes.count(), 0);
}

void TestTabControl::tabsStandInRows_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    for (int tab = 0; tab < captions.size(); ++tab)
        QTest::addRow("%s", qPrintable(captions.at(tab))) << tab << tab / 3 << tab % 3;
}

void TestTabControl::tabsStandInRows()
{
    QFETCH(int, tab);
    QFETCH(int, row);
    QFETCH(int, column);
    Dialog dialog;
    const TabControl *tabs = dialog.tabs;
    QCOMPARE(tabs->rowCount(), 3);

    const QRect rect = tabs->tabRect(tab);
    QCOMPARE(rect.top(), row * 20);
    QCOMPARE(rect.height(), 20);
    // Three columns share the control's width: 443 px as 147 + 148 + 148, in every row.
    const int lefts[] = {0, 147, 295};
    const int widths[] = {147, 148, 148};
    QCOMPARE(rect.left(), lefts[column]);
    QCOMPARE(rect.width(), widths[column]);
    QCOMPARE(tabs->tabAt(rect.center()), tab);
    QCOMPARE(tabs->tabAt(rect.topLeft()), tab);
    QCOMPARE(tabs->tabAt(rect.bottomRight()), tab);
}

void TestTabControl::pageFrameLiesBelowTheTabs()
{
    Dialog dialog;
    const QRect page = dialog.tabs->pageRect();
    QVERIFY2(page.top() >= 3 * 20 - 2 && page.top() <= 3 * 20, qPrintable(QString::number(page.top())));
    QCOMPARE(page.bottom(), dialog.tabs->height() - 1);
    QCOMPARE(page.width(), dialog.tabs->width());
    // Beside the short last row there is no tab.
    QCOMPARE(dialog.tabs->tabAt(QPoint(400, 50)), -1);
    QCOMPARE(dialog.tabs->tabAt(QPoint(200, 100)), -1);
}

void TestTabControl::keys_data()
{
    QTest::addColumn<bool>("fromTextBox");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("to");
    // The arrows, Home and End on the tabs move through them in reading order, and stay at either end.
    const int none = Qt::NoModifier;
    QTest::newRow("Right from Game to Graphics") << false << 0 << int(Qt::Key_Right) << none << 1;
    QTest::newRow("Right at the end of a row goes on in the next row")
        << false << 2 << int(Qt::Key_Right) << none << 3;
    QTest::newRow("Left from Sound to Graphics") << false << 2 << int(Qt::Key_Left) << none << 1;
    QTest::newRow("Left at the start of a row goes back to the row before")
        << false << 3 << int(Qt::Key_Left) << none << 2;
    QTest::newRow("Left at the first tab stays") << false << 0 << int(Qt::Key_Left) << none << 0;
    QTest::newRow("Right at the last tab stays") << false << 7 << int(Qt::Key_Right) << none << 7;
    QTest::newRow("Down to the next tab") << false << 4 << int(Qt::Key_Down) << none << 5;
    QTest::newRow("Up to the previous tab") << false << 4 << int(Qt::Key_Up) << none << 3;
    QTest::newRow("Home to the first tab") << false << 5 << int(Qt::Key_Home) << none << 0;
    QTest::newRow("End to the last tab") << false << 1 << int(Qt::Key_End) << none << 7;
    // Ctrl with Tab, Shift+Tab, Page Down and Page Up switch pages from the tabs and from within a page.
    const int ctrl = Qt::ControlModifier;
    const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    for (const bool fromTextBox : {false, true}) {
        const char *where = fromTextBox ? "in a text box of the page" : "on the tabs";
        QTest::addRow("Ctrl+Tab %s", where) << fromTextBox << 0 << int(Qt::Key_Tab) << ctrl << 1;
        QTest::addRow("Ctrl+Tab on the last page wraps, %s", where)
            << fromTextBox << 7 << int(Qt::Key_Tab) << ctrl << 0;
        QTest::addRow("Ctrl+Shift+Tab %s", where)
            << fromTextBox << 4 << int(Qt::Key_Backtab) << ctrlShift << 3;
        QTest::addRow("Ctrl+Shift+Tab on the first page wraps, %s", where)
            << fromTextBox << 0 << int(Qt::Key_Backtab) << ctrlShift << 7;
        QTest::addRow("Ctrl+PageDown %s", where) << fromTextBox << 5 << int(Qt::Key_PageDown) << ctrl << 6;
        QTest::addRow("Ctrl+PageUp %s", where) << fromTextBox << 5 << int(Qt::Key_PageUp) << ctrl << 4;
    }
}

void TestTabControl::keys()
{
    QFETCH(bool, fromTextBox);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, to);
    Dialog dialog;
    QVERIFY(dialog.activate());
    dialog.tabs->setCurrentPage(from);
    QWidget *target = fromTextBox ? static_cast<QWidget *>(dialog.textBoxes.at(from)) : dialog.tabs;
    target->setFocus();
    QVERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    verifyOnlyPageShown(dialog.tabs, to);
}

void TestTabControl::focusStaysInControlWhenItsPageGoesAway()
{
    Dialog dialog;
    QVERIFY(dialog.activate());
    dialog.tabs->setCurrentPage(2);
    dialog.textBoxes.at(2)->setFocus();
    QTest::keyClick(dialog.textBoxes.at(2), Qt::Key_Tab, Qt::ControlModifier);
    verifyOnlyPageShown(dialog.tabs, 3);
    QVERIFY(dialog.tabs->hasFocus());            // not the next widget in the window
    QTest::keyClick(dialog.tabs, Qt::Key_Right); // and the keyboard goes on with the tabs
    verifyOnlyPageShown(dialog.tabs, 4);
}

void TestTabControl::hiddenChildStaysHidden()
{
    Dialog dialog;
    QVERIFY(dialog.show());
    dialog.tabs->setCurrentPage(5);
    QLineEdit *text = dialog.textBoxes.at(5);
    text->hide(); // as an option group hides its custom text box
    dialog.tabs->setCurrentPage(0);
    dialog.tabs->setCurrentPage(5);
    QVERIFY(text->isHidden());
    QVERIFY(!text->isVisible());
    QVERIFY(dialog.frames.at(5)->isVisible());
    QVERIFY(dialog.customButtons.at(5)->isVisible());

    text->show(); // and a shown one stays shown
    dialog.tabs->setCurrentPage(1);
    QVERIFY(!text->isVisible());
    dialog.tabs->setCurrentPage(5);
    QVERIFY(text->isVisible());
}

void TestTabControl::hiddenMembersKeepTheirValues()
{
    Dialog dialog;
    QVERIFY(dialog.show());
    dialog.tabs->setCurrentPage(4);
    dialog.customButtons.at(4)->setChecked(true);
    dialog.textBoxes.at(4)->setText(QStringLiteral("50"));
    dialog.tabs->setCurrentPage(0);

    auto *text = dialog.tabs->findChild<QLineEdit *>(QStringLiteral("text4"));
    QCOMPARE(text, dialog.textBoxes.at(4));
    QCOMPARE(text->text(), QStringLiteral("50"));
    QVERIFY(dialog.customButtons.at(4)->isChecked());
    text->setText(QStringLiteral("60")); // written while its page is hidden
    dialog.tabs->setCurrentPage(4);
    QCOMPARE(text->text(), QStringLiteral("60"));
    QVERIFY(dialog.customButtons.at(4)->isChecked());
}

void TestTabControl::currentPageChangedSignal()
{
    Dialog dialog;
    QVERIFY(dialog.show());
    QSignalSpy changes(dialog.tabs, &TabControl::currentPageChanged);
    dialog.tabs->setCurrentPage(4);
    dialog.tabs->setCurrentPage(4); // no change, no signal
    QTest::mouseClick(dialog.tabs, Qt::LeftButton, {}, dialog.tabs->tabRect(6).center());
    QTest::mouseClick(dialog.tabs, Qt::LeftButton, {}, QPoint(400, 50)); // beside the last row
    QCOMPARE(changes.count(), 2);
    QCOMPARE(changes.at(0).at(0).toInt(), 4);
    QCOMPARE(changes.at(1).at(0).toInt(), 6);
}

void TestTabControl::accessibleTabList()
{
    Dialog dialog;
    QVERIFY(dialog.show());
    QAccessibleInterface *control = QAccessible::queryAccessibleInterface(dialog.tabs);
    QVERIFY(control);
    QCOMPARE(control->role(), QAccessible::PageTabList);
    QVERIFY(control->state().focusable);
    for (int i = 0; i < captions.size(); ++i) {
        QAccessibleInterface *tab = control->child(i);
        QVERIFY(tab);
        QCOMPARE(tab->role(), QAccessible::PageTab);
        QCOMPARE(tab->text(QAccessible::Name), captions.at(i));
        QCOMPARE(tab->rect(), QRect(dialog.tabs->mapToGlobal(dialog.tabs->tabRect(i).topLeft()),
                                    dialog.tabs->tabRect(i).size()));
        QCOMPARE(tab->parent(), control);
        QCOMPARE(control->indexOfChild(tab), i);
        QCOMPARE(control->child(i), tab); // the same interface every time
        QVERIFY(tab->actionInterface());
        QVERIFY(tab->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        const QPoint centre = tab->rect().center();
        QCOMPARE(control->childAt(centre.x(), centre.y()), tab);
    }
}

void TestTabControl::accessibleMembersFollowTheTabs()
{
    Dialog dialog;
    QVERIFY(dialog.show());
    QAccessibleInterface *control = QAccessible::queryAccessibleInterface(dialog.tabs);
    const QList<QWidget *> members = dialog.allMembers();
    QCOMPARE(control->childCount(), captions.size() + members.size());
    for (QWidget *member : members) {
        QAccessibleInterface *memberInterface = QAccessible::queryAccessibleInterface(member);
        const int index = control->indexOfChild(memberInterface);
        QVERIFY2(index >= captions.size(), qPrintable(member->objectName()));
        QCOMPARE(control->child(index), memberInterface);
        QCOMPARE(memberInterface->parent(), control);
    }
    // The option buttons inside a frame are reached through the frame, as before.
    QAccessibleInterface *frame = QAccessible::queryAccessibleInterface(dialog.frames.at(0));
    QCOMPARE(frame->role(), QAccessible::Grouping);
    QAccessibleInterface *custom = QAccessible::queryAccessibleInterface(dialog.customButtons.at(0));
    QCOMPARE(custom->parent(), frame);
    QCOMPARE(custom->text(QAccessible::Name), QStringLiteral("Custom"));
    QCOMPARE(control->child(-1), nullptr);
    QCOMPARE(control->child(control->childCount()), nullptr);
}

QTEST_MAIN(TestTabControl)
#include "tst_tab_control.moc"
