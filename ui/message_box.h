#pragma once

#include <QList>
#include <QMessageBox>
#include <optional>

namespace quibrel {

// Every message the program shows goes through here, so that tests can see it and answer it in advance.
class MessageBox {
public:
    struct Shown {
        QString text;
        QString title;
        QMessageBox::Icon icon;
    };

    // A modal box with an error icon and one OK button.
    static void critical(QWidget *parent, const QString &text, const QString &title);

    // The next box is answered at once with `answer` instead of waiting for a person.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static QList<Shown> shown();
    static void clearShown();

private:
    static inline std::optional<QMessageBox::StandardButton> s_nextAnswer;
    static inline QList<Shown> s_shown;
};

} // namespace quibrel
