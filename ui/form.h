#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace quibrel {

struct ControlLayout;

// The window's controls, made from the stored layout: each with its caption, font, place, page, focus order
// and start state, found by its name in the layout.
//
// Only the controls that are not on an option page are made with the form. The controls of a page are made
// when the page is first shown, when one of them is first asked for, or by makeAllPages(); whoever asks for a
// control finds it.
class Form {
public:
    // Called with each control once it is made and placed.
    using ControlMade = std::function<void(QObject *control)>;

    // Gives `window` its name, title, icon and size and makes the controls that are on no page, in creation
    // order.
    Form(QWidget *window, ControlMade made);

    // The control named `name` (widgets, timers and the sound device alike), made now if its page has not
    // been; null for a name the layout lacks.
    QObject *control(const QString &name) const;

    // The control named `name`, which the layout holds as a `T`.
    template <typename T> T *get(const char *name) const
    {
        auto object = qobject_cast<T *>(control(QString::fromLatin1(name)));
        Q_ASSERT_X(object, name, "the stored layout holds this control");
        return object;
    }

    // Makes the controls of the pages not made yet.
    void makeAllPages() const;

private:
    void make(const ControlLayout &layout) const;
    void makePage(int page) const; // once
    QObject *createControl(const ControlLayout &layout, QWidget *container) const;
    void placeOnContainer(const ControlLayout &layout, QWidget *widget, QWidget *container) const;
    void setTabOrder() const;

    QWidget *m_window;
    ControlMade m_made;
    QHash<QString, int> m_pageOf; // the page a control is on, with its container; -1 for none
    // Made on first need, which may come from a reader of the form.
    mutable QHash<QString, QObject *> m_controls;
    mutable QList<bool> m_pageMade;
};

} // namespace quibrel
