#pragma once

// The small controls that Qt does not offer exactly as the window needs them.

#include <QFrame>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>

namespace quibrel {

// A horizontal scroll bar with two events: change() after any change of the value (at the end of a
// drag, not during it), scroll() at each new value while the thumb is dragged.
class ScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit ScrollBar(QWidget *parent = nullptr);
signals:
    void change();
    void scroll();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void valueHasChanged();
    void dragEnded();
    bool m_changedDuringDrag = false;
};

// Draws its picture at natural size from the top-left corner of its inner area, clipped, never scaled.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

// An image control: a picture box without a border, its picture at natural size, not stretched.
class ImageBox : public PictureBox {
    Q_OBJECT
public:
    explicit ImageBox(QWidget *parent = nullptr);
};

// A timer whose enabling leaves a running interval alone: enabling a disabled timer starts a full interval.
class Timer : public QTimer {
    Q_OBJECT
public:
    using QTimer::QTimer;
    void setEnabled(bool enabled);
};

} // namespace quibrel
