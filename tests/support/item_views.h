#pragma once

// Reading and clicking the launcher's lists as a person sees and uses them.

#include <QAbstractItemView>
#include <QStringList>
#include <QTest>

// The lists' rows, top to bottom: their texts, or their data for `role`.
inline QStringList rowTexts(const QAbstractItemView &view, int role = Qt::DisplayRole)
{
    QStringList texts;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        texts << view.model()->index(row, 0).data(role).toString();
    return texts;
}

// A double-click as the mouse gives it: a first click, then the second one.
inline void doubleClickAt(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}
