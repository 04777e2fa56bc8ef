#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QPainter;
class QStyleOptionTab;

namespace quibrel {

// A tabbed dialog whose tabs stand in rows along the top edge: `tabsPerRow` tabs share the width of
// each row, and the rows stay where they are whichever page is current. A page is a list of member
// widgets, children of the control placed relative to its top-left corner; the control shows the
// members of the current page and hides all others.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget *parent = nullptr);

    void setTabsPerRow(int count);
    int tabsPerRow() const { return m_tabsPerRow; }
    // In device-independent pixels.
    void setTabHeight(int pixels);
    int tabHeight() const { return m_tabHeight; }

    int addPage(const QString &caption);
    int count() const { return int(m_pages.size()); }
    QString pageCaption(int index) const;

    // `member` is (re)parented to this widget and keeps its geometry, which is relative to the tab
    // control's top-left corner (tab strip included). It is shown only while its page is current.
    void addMember(int page, QWidget *member);
    QList<QWidget *> members(int page) const;

    // -1 while there is no page.
    int currentPage() const { return m_current; }
    // Shows exactly the members of that page and hides the others; an index out of range is ignored.
    void setCurrentPage(int index);

    int rowCount() const;
    QRect tabRect(int index) const;
    // The tab at `position` (widget coordinates), or -1.
    int tabAt(const QPoint &position) const;
    // The page area below the tab rows.
    QRect pageRect() const;

    QSize minimumSizeHint() const override;

signals:
    void currentPageChanged(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct Page {
        QString caption;
        QList<QPointer<QWidget>> members;
    };

    void setUpKeyboard();
    void addPageShortcut(const QKeySequence &keys, int step);
    void stepPage(int step);
    void moveToTab(int index);
    void showMembersOf(int page);
    void announceCurrentTab();
    void initTabOption(QStyleOptionTab *option, int index) const;
    void drawTab(QPainter *painter, int index) const;

    QList<Page> m_pages;
    int m_current = -1;
    int m_tabsPerRow = 3;
    int m_tabHeight = 20;
    int m_hovered = -1;
};

} // namespace quibrel
