#include "message_box.h"

namespace quibrel {

void MessageBox::critical(QWidget *parent, const QString &text, const QString &title)
{
    s_shown << Shown{text, title, QMessageBox::Critical};
    if (s_nextAnswer) {
        s_nextAnswer.reset();
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText); // messages name paths, which may look like markup
    box.exec();
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    s_nextAnswer = answer;
}

QList<MessageBox::Shown> MessageBox::shown()
{
    return s_shown;
}

void MessageBox::clearShown()
{
    s_shown.clear();
}

} // namespace quibrel
