#include "message_box.h"

namespace quibrel {

// The newest recorder logs; when it goes, the one before it takes over again.
MessageBox::Recorder::Recorder()
    : m_previous(s_recorder)
{
    s_recorder = this;
}

MessageBox::Recorder::~Recorder()
{
    s_recorder = m_previous;
}

void MessageBox::critical(QWidget *parent, const QString &title, const QString &text)
{
    if (s_recorder) {
        s_recorder->m_shown << Shown{title, text, QMessageBox::Critical};
        if (s_recorder->m_nextAnswer) {
            s_recorder->m_nextAnswer.reset();
            return;
        }
    }
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText); // messages name paths, which may look like markup
    box.exec();
}

} // namespace quibrel
