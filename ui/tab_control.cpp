#include "tab_control.h"

#include "accessible_interface.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyleOption>
#include <QTabBar>

namespace quibrel {

namespace {

// One tab as assistive technology sees it: a page tab named by its caption that can be pressed.
// Tabs are not widgets, so the interface stands on its own and refers to the control by index.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(TabControl *control, int index)
        : m_control(control)
        , m_index(index)
    {
    }

    TabControl *control() const { return m_control; }
    int index() const { return m_index; }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }
    bool isValid() const override { return m_control && m_index < m_control->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        const QAccessibleInterface *controlInterface = parent();
        return controlInterface ? controlInterface->window() : nullptr;
    }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_control); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Name && isValid())
            return m_control->pageCaption(m_index);
        return QString();
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid() || !m_control->isVisible())
            return QRect();
        const QRect local = m_control->tabRect(m_index);
        return QRect(m_control->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = m_control->currentPage() == m_index;
        state.focused = state.selected && m_control->hasFocus();
        state.invisible = !m_control->isVisible();
        state.disabled = !m_control->isEnabled();
        return state;
    }

    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    // Pressing a tab selects its page; focusing it also gives the control the keyboard focus.
    void doAction(const QString &actionName) override
    {
        if (!isValid() || !m_control->isEnabled())
            return;
        if (actionName == pressAction() || actionName == setFocusAction())
            m_control->setCurrentPage(m_index);
        if (actionName == setFocusAction())
            m_control->setFocus(Qt::OtherFocusReason);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<TabControl> m_control;
    int m_index;
};

// The control is a page tab list: first its tabs, then the member widgets with their own interfaces.
class TabControlAccessible : public QAccessibleWidget {
public:
    explicit TabControlAccessible(TabControl *control)
        : QAccessibleWidget(control, QAccessible::PageTabList)
    {
    }

    ~TabControlAccessible() override
    {
        for (const QAccessible::Id id : std::as_const(m_tabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return tabCount() + QAccessibleWidget::childCount(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0)
            return nullptr;
        if (index < tabCount())
            return tab(index);
        return QAccessibleWidget::child(index - tabCount());
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (const auto *tab = dynamic_cast<const TabAccessible *>(child))
            return tab->control() == widget() && tab->isValid() ? tab->index() : -1;
        const int memberIndex = QAccessibleWidget::indexOfChild(child);
        return memberIndex < 0 ? -1 : tabCount() + memberIndex;
    }

    // While the control itself has the focus, the focus is on its current tab.
    QAccessibleInterface *focusChild() const override
    {
        const TabControl *control = tabControl();
        if (control->hasFocus() && control->currentPage() >= 0)
            return tab(control->currentPage());
        return QAccessibleWidget::focusChild();
    }

private:
    TabControl *tabControl() const { return static_cast<TabControl *>(widget()); }
    int tabCount() const { return tabControl()->count(); }

    QAccessibleInterface *tab(int index) const
    {
        auto found = m_tabs.constFind(index);
        if (found == m_tabs.constEnd())
            found = m_tabs.insert(
                index, QAccessible::registerAccessibleInterface(new TabAccessible(tabControl(), index)));
        return QAccessible::accessibleInterface(*found);
    }

    mutable QHash<int, QAccessible::Id> m_tabs;
};

QStyleOptionTab::TabPosition positionInRow(int column, int tabsInRow)
{
    if (tabsInRow == 1)
        return QStyleOptionTab::OnlyOneTab;
    if (column == 0)
        return QStyleOptionTab::Beginning;
    if (column == tabsInRow - 1)
        return QStyleOptionTab::End;
    return QStyleOptionTab::Middle;
}

} // namespace

TabControl::TabControl(QWidget *parent)
    : QWidget(parent)
{
    installAccessibleInterface<TabControl, TabControlAccessible>();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setUpKeyboard();
}

void TabControl::setUpKeyboard()
{
    // Shortcuts rather than key handling, so that the keys also work while a member has the focus.
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

void TabControl::addPageShortcut(const QKeySequence &keys, int step)
{
    auto *shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, step] { stepPage(step); });
}

void TabControl::setTabsPerRow(int count)
{
    m_tabsPerRow = qMax(1, count);
    updateGeometry();
    update();
}

void TabControl::setTabHeight(int pixels)
{
    m_tabHeight = qMax(1, pixels);
    updateGeometry();
    update();
}

int TabControl::addPage(const QString &caption)
{
    m_pages.append(Page{caption, {}});
    const int index = count() - 1;
    updateGeometry();
    update();
    if (m_current < 0)
        setCurrentPage(index);
    return index;
}

QString TabControl::pageCaption(int index) const
{
    return index >= 0 && index < count() ? m_pages.at(index).caption : QString();
}

void TabControl::addMember(int page, QWidget *member)
{
    if (page < 0 || page >= count() || !member)
        return;
    if (member->parentWidget() != this)
        member->setParent(this); // keeps the geometry, which is already relative to this control
    m_pages[page].members.append(member);
    member->setVisible(page == m_current);
}

QList<QWidget *> TabControl::members(int page) const
{
    QList<QWidget *> result;
    if (page < 0 || page >= count())
        return result;
    for (const QPointer<QWidget> &member : m_pages.at(page).members) {
        if (member)
            result.append(member);
    }
    return result;
}

void TabControl::setCurrentPage(int index)
{
    if (index < 0 || index >= count() || index == m_current)
        return;
    // A focused member that disappears with its page would hand the focus to some arbitrary widget;
    // the control keeps it instead, so that the arrow keys go on working.
    QWidget *focus = QApplication::focusWidget();
    if (focus && focus != this && isAncestorOf(focus))
        setFocus(Qt::OtherFocusReason);
    m_current = index;
    showMembersOf(index);
    update();
    announceCurrentTab();
    emit currentPageChanged(index);
}

void TabControl::showMembersOf(int page)
{
    // Only the members themselves are shown or hidden: what they hide inside stays hidden.
    for (int p = 0; p < count(); ++p) {
        for (QWidget *member : members(p))
            member->setVisible(p == page);
    }
}

void TabControl::announceCurrentTab()
{
    // Tell assistive technology which tab is now selected (and focused, if the control has the focus).
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(m_current);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(m_current);
        QAccessible::updateAccessibility(&focus);
    }
}

void TabControl::stepPage(int step)
{
    if (count() > 0)
        setCurrentPage((m_current + step + count()) % count());
}

void TabControl::moveToTab(int index)
{
    setCurrentPage(qBound(0, index, count() - 1));
}

int TabControl::rowCount() const
{
    return (count() + m_tabsPerRow - 1) / m_tabsPerRow;
}

QRect TabControl::tabRect(int index) const
{
    if (index < 0 || index >= count())
        return QRect();
    // Column edges are rounded the same way in every row, so the tabs of all rows line up; a short
    // last row keeps the width of the full rows.
    const int column = index % m_tabsPerRow;
    const int left = column * width() / m_tabsPerRow;
    const int right = (column + 1) * width() / m_tabsPerRow;
    return QRect(left, index / m_tabsPerRow * m_tabHeight, right - left, m_tabHeight);
}

int TabControl::tabAt(const QPoint &position) const
{
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(position))
            return i;
    }
    return -1;
}

QRect TabControl::pageRect() const
{
    // The frame's top edge lies under the bottom of the last tab row, as in the platform's tab widget.
    const int top =
        rowCount() * m_tabHeight - style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    return QRect(0, qMax(0, top), width(), qMax(0, height() - qMax(0, top)));
}

QSize TabControl::minimumSizeHint() const
{
    return QSize(m_tabsPerRow * fontMetrics().averageCharWidth() * 4, rowCount() * m_tabHeight + 20);
}

void TabControl::initTabOption(QStyleOptionTab *option, int index) const
{
    option->initFrom(this);
    option->state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option->rect = tabRect(index);
    option->shape = QTabBar::RoundedNorth;
    option->row = index / m_tabsPerRow;

    const int column = index % m_tabsPerRow;
    const int rowStart = index - column;
    option->position = positionInRow(column, qMin(m_tabsPerRow, count() - rowStart));
    option->selectedPosition = QStyleOptionTab::NotAdjacent;
    if (m_current / m_tabsPerRow == option->row) {
        if (m_current == index - 1)
            option->selectedPosition = QStyleOptionTab::PreviousIsSelected;
        else if (m_current == index + 1)
            option->selectedPosition = QStyleOptionTab::NextIsSelected;
    }

    if (index == m_current) {
        option->state |= QStyle::State_Selected;
        if (hasFocus())
            option->state |= QStyle::State_HasFocus;
    }
    if (index == m_hovered && isEnabled())
        option->state |= QStyle::State_MouseOver;

    // The style draws the whole caption; too long a caption is cut with an ellipsis to fit the tab.
    option->text = pageCaption(index);
    const QRect textRect = style()->subElementRect(QStyle::SE_TabBarTabText, option, this);
    option->text =
        fontMetrics().elidedText(option->text, Qt::ElideRight, textRect.width(), Qt::TextShowMnemonic);
}

void TabControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);

    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = pageRect();
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarRect = QRect(0, 0, width(), rowCount() * m_tabHeight);
    frame.tabBarSize = frame.tabBarRect.size();
    frame.selectedTabRect = tabRect(m_current);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);

    // The current tab last, so that it stands in front of its neighbours.
    for (int i = 0; i < count(); ++i) {
        if (i != m_current)
            drawTab(&painter, i);
    }
    if (m_current >= 0)
        drawTab(&painter, m_current);
}

void TabControl::drawTab(QPainter *painter, int index) const
{
    QStyleOptionTab tab;
    initTabOption(&tab, index);
    // Some styles paint a selected tab's face on below the tab, where a one-row tab bar ends; here
    // the row below would be covered, so each tab stays within its own row.
    painter->save();
    painter->setClipRect(QRect(0, tab.rect.top(), width(), m_tabHeight));
    style()->drawControl(QStyle::CE_TabBarTab, &tab, painter, this);
    painter->restore();
}

void TabControl::mousePressEvent(QMouseEvent *event)
{
    const int index = event->button() == Qt::LeftButton ? tabAt(event->position().toPoint()) : -1;
    if (index < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    setCurrentPage(index);
    event->accept();
}

void TabControl::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        moveToTab(m_current - 1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        moveToTab(m_current + 1);
        break;
    case Qt::Key_Home:
        moveToTab(0);
        break;
    case Qt::Key_End:
        moveToTab(count() - 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool TabControl::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave: {
        const int hovered = event->type() == QEvent::HoverLeave
                                ? -1
                                : tabAt(static_cast<QHoverEvent *>(event)->position().toPoint());
        if (hovered != m_hovered) {
            m_hovered = hovered;
            update();
        }
        break;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

} // namespace quibrel
