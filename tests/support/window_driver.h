#pragma once

// Drives the launcher's window as a person would: controls found by their names, clicked with the mouse.

#include "support/item_views.h"
#include "ui/directory_list.h"
#include "ui/file_list.h"
#include "ui/quibrel.h"
#include "ui/tab_control.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QTest>

#include <memory>

// The control `name` of `window`, which must exist and be a `T`.
template <typename T> T *controlOf(const quibrel::Quibrel *window, const char *name)
{
    auto object = qobject_cast<T *>(window->control(QString::fromLatin1(name)));
    if (!object)
        qFatal("no control %s", name);
    return object;
}

class WindowDriver {
public:
    // Makes the window, gives it its load event and shows it at 800 x 600, as maximized on a small screen,
    // and waits until its lists are read. `beforeLoad` may prepare the window first.
    void open(const std::function<void(quibrel::Quibrel &)> &beforeLoad = {})
    {
        m_window = std::make_unique<quibrel::Quibrel>();
        if (beforeLoad)
            beforeLoad(*m_window);
        m_window->Form_Load();
        m_window->resize(800, 600);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        waitForLists();
    }

    void close() { m_window.reset(); }
    quibrel::Quibrel *window() const { return m_window.get(); }

    // The control `name`, which must exist and be a `T`.
    template <typename T> T *find(const char *name) const { return controlOf<T>(m_window.get(), name); }

    // Marks the row whose `role` data is `value` and double-clicks it, once it is in the list.
    static void doubleClick(QAbstractItemView *list, const QString &value, int role = Qt::DisplayRole)
    {
        QTRY_VERIFY2(rowTexts(*list, role).contains(value), qPrintable(value));
        doubleClick(list, list->model()->index(int(rowTexts(*list, role).indexOf(value)), 0));
    }

    static void doubleClick(QAbstractItemView *list, const QModelIndex &index)
    {
        list->scrollTo(index);
        doubleClickAt(list->viewport(), list->visualRect(index).center());
    }

    void showPage(int page)
    {
        auto tabs = find<quibrel::TabControl>("TabSettings");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
        QCOMPARE(tabs->currentPage(), page);
    }

    // Clicks a button where a person would: an option button on its circle.
    void click(const char *name)
    {
        auto button = find<QAbstractButton>(name);
        QVERIFY2(button->isVisible(), name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    // Opens the directory list's entry for `entryPath` and waits until both lists show its contents.
    void openFolder(const QString &entryPath)
    {
        showPage(0);
        auto folders = find<quibrel::DirectoryList>("DirBox");
        QTRY_VERIFY(!folders->isListing());
        doubleClick(folders, entryPath, quibrel::DirectoryList::PathRole);
        waitForLists();
    }

    void waitForLists()
    {
        QTRY_VERIFY(!find<quibrel::DirectoryList>("DirBox")->isListing());
        QTRY_VERIFY(!find<quibrel::FileList>("FileBox")->isListing());
    }

    // Double-clicks the game in the file list, as the user chooses it.
    void selectGame(const QString &name)
    {
        showPage(0);
        // By the file's name: the list may show it otherwise (a line break as a symbol, say).
        auto files = find<quibrel::FileList>("FileBox");
        QTRY_VERIFY2(files->fileNames().contains(name), qPrintable(name));
        doubleClick(files, files->model()->index(int(files->fileNames().indexOf(name)), 0));
        QCOMPARE(find<QLabel>("lblGameSelected")->text(), name);
    }

private:
    std::unique_ptr<quibrel::Quibrel> m_window;
};
