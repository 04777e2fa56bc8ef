#pragma once

#include <QAccessible>
#include <QString>

namespace quibrel {

// Makes Qt give each widget of class `Widget` an accessible interface of class `Interface`, constructed from
// the widget. Qt keeps a factory only once however often it is installed, and drops them all with the
// application, so a widget's constructor is the place to call this.
template <typename Widget, typename Interface> void installAccessibleInterface()
{
    QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
        if (className == QLatin1String(Widget::staticMetaObject.className()) && object->isWidgetType())
            return new Interface(static_cast<Widget *>(object));
        return nullptr;
    });
}

} // namespace quibrel
