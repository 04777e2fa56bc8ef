#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace quibrel {

struct ControlLayout;

// The window's controls, made from the stored layout: each with its caption, font, place, page, focus order
// and start state, found by its name in the layout.
class Form {
public:
    // Called with each control once it is made and placed.
    using ControlMade = std::function<void(QObject *control)>;

    // Gives `window` its name, title, icon, size and text font and makes every control, in creation order.
    Form(QWidget *window, ControlMade made);

    // The control named `name` (widgets, timers and the sound device alike); null for a name the layout
    // lacks.
    QObject *control(const QString &name) const;

    // The control named `name`, which the layout holds as a `T`.
    template <typename T> T *get(const char *name) const
    {
        auto object = qobject_cast<T *>(control(QString::fromLatin1(name)));
        Q_ASSERT_X(object, name, "the stored layout holds this control");
        return object;
    }

private:
    void make(const ControlLayout &layout);
    QObject *createControl(const ControlLayout &layout, QWidget *container) const;
    void placeOnContainer(const ControlLayout &layout, QWidget *widget, QWidget *container) const;
    void setTabOrder() const;

    QWidget *m_window;
    ControlMade m_made;
    QHash<QString, QObject *> m_controls;
};

} // namespace quibrel
