#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QWidget;

namespace quibrel {

struct ControlLayout;

// The window's controls, made from the stored layout: each with its caption, font, place, page, focus order
// and start state, found by its name in the layout.
class Form {
public:
    // Gives `window` its name, title, icon and size and builds every control on it, in creation order.
    explicit Form(QWidget *window);

    // The control named `name` (widgets, timers and the sound device alike); null for a name the layout
    // lacks.
    QObject *control(const QString &name) const { return m_controls.value(name); }

    // The control named `name`, which the layout holds as a `T`.
    template <typename T> T *get(const char *name) const
    {
        auto object = qobject_cast<T *>(control(QString::fromLatin1(name)));
        Q_ASSERT_X(object, name, "the stored layout holds this control");
        return object;
    }

private:
    QObject *createControl(const ControlLayout &layout, QWidget *container);
    void placeOnContainer(const ControlLayout &layout, QWidget *widget, QWidget *container);
    void setTabOrder();

    QWidget *m_window;
    QHash<QString, QObject *> m_controls;
};

} // namespace quibrel
