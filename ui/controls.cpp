#include "controls.h"

#include <QKeyEvent>
#include <QPainter>

namespace quibrel {

ScrollBar::ScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus); // the keyboard moves it too
    connect(this, &QScrollBar::valueChanged, this, &ScrollBar::valueHasChanged);
    connect(this, &QScrollBar::sliderReleased, this, &ScrollBar::dragEnded);
}

// While the thumb is dragged every new value is a Scroll, and the drag's end is one Change.
void ScrollBar::valueHasChanged()
{
    if (isSliderDown()) {
        m_changedDuringDrag = true;
        emit scroll();
    } else {
        emit change();
    }
}

// A scroll bar inverts its controls for the wheel's sake, which would make Right lower the value.
void ScrollBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Left) {
        const bool up = (event->key() == Qt::Key_Right) != isRightToLeft();
        triggerAction(up ? SliderSingleStepAdd : SliderSingleStepSub);
        event->accept();
        return;
    }
    QScrollBar::keyPressEvent(event);
}

void ScrollBar::dragEnded()
{
    if (m_changedDuringDrag) {
        m_changedDuringDrag = false;
        emit change();
    }
}

PictureBox::PictureBox(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

void PictureBox::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawPixmap(contentsRect().topLeft(), m_picture);
}

ImageBox::ImageBox(QWidget *parent) : PictureBox(parent)
{
    setFrameStyle(QFrame::NoFrame);
}

void Timer::setEnabled(bool enabled)
{
    if (!enabled)
        stop();
    else if (!isActive())
        start();
}

} // namespace quibrel
