#pragma once

#include <QList>
#include <QMessageBox>
#include <optional>

namespace quibrel {

// Every message the program shows goes through here, so that tests can see it and answer it in advance.
class MessageBox {
public:
    struct Shown {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };

    // While one is alive, every message shown is logged in it, and the next one may be answered in advance
    // instead of waiting for a person. For tests.
    class Recorder {
    public:
        Recorder();
        ~Recorder();
        Recorder(const Recorder &) = delete;
        Recorder &operator=(const Recorder &) = delete;

        const QList<Shown> &shown() const { return m_shown; }
        void clear() { m_shown.clear(); }
        void setNextAnswer(QMessageBox::StandardButton answer) { m_nextAnswer = answer; }

    private:
        friend class MessageBox;
        Recorder *m_previous;
        QList<Shown> m_shown;
        std::optional<QMessageBox::StandardButton> m_nextAnswer;
    };

    // A modal box with an error icon and one OK button.
    static void critical(QWidget *parent, const QString &title, const QString &text);

private:
    static inline Recorder *s_recorder = nullptr;
};

} // namespace quibrel
