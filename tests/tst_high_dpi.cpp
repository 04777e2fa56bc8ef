// The window on a 200 % screen (QT_SCALE_FACTOR=2): every control keeps its place in device-independent
// pixels and so covers exactly twice as many device pixels each way, and the pictures are drawn at their
// natural size in device-independent pixels: each of their pixels becomes one uniform 2 x 2 block of device
// pixels, never a blend of neighbours.

#include "ui/pictures/pictures.h"
#include "ui/quibrel.h"
#include "ui/stored_layout.h"

#include <QFrame>
#include <QRegion>
#include <QTest>
#include <QTimer>

using namespace quibrel;

namespace {

constexpr qreal scale = 2;

QString hex(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour & 0xffffff, 6, 16, QChar(u'0'));
}

} // namespace

class TestHighDpi : public QObject {
    Q_OBJECT
public:
    static void initMain();

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowCoversTwiceItsPixels();
    void controlsDoubleOnTheDevice_data();
    void controlsDoubleOnTheDevice();
    void picturesStayCrisp_data();
    void picturesStayCrisp();

private:
    QWidget *widget(const char *name) const;
    QRect deviceRect(const QWidget *control) const;
    QRegion deviceRegionInFront(const QWidget *control) const;

    Quibrel *m_window = nullptr;
    QSize m_restoredSize;
    QPixmap m_restoredGrab;
    QImage m_grab; // of the window large enough for every control
};

// Runs before the application exists, so that a run by hand is at 200 % too.
void TestHighDpi::initMain()
{
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
}

void TestHighDpi::initTestCase()
{
    m_window = new Quibrel;
    // The arrow blinks: it must stay in sight for the picture to be read.
    for (const char *timer : {"Timer1", "Timer2"})
        qobject_cast<QTimer *>(m_window->control(QString::fromLatin1(timer)))->stop();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QVERIFY(widget("imgArrow")->isVisible());
    m_restoredSize = m_window->size();
    m_restoredGrab = m_window->grab();
    // Many controls stand beyond the restored client area: the window is meant to be maximized.
    m_window->resize(m_window->childrenRect().united(m_window->rect()).size());
    const QPixmap grab = m_window->grab();
    QVERIFY2(grab.devicePixelRatio() == scale, "the screen is not at 200 %: nothing here can be shown");
    m_grab = grab.toImage().convertToFormat(QImage::Format_RGB32);
}

void TestHighDpi::cleanupTestCase()
{
    delete m_window;
}

QWidget *TestHighDpi::widget(const char *name) const
{
    return qobject_cast<QWidget *>(m_window->control(QString::fromLatin1(name)));
}

// The control's rectangle in device pixels, relative to the window.
QRect TestHighDpi::deviceRect(const QWidget *control) const
{
    const qreal ratio = control->devicePixelRatio();
    const QRectF rect(QPointF(control->mapTo(m_window, QPoint(0, 0))) * ratio,
                      QSizeF(control->size()) * ratio);
    return rect.toAlignedRect();
}

// The device pixels that visible siblings stacked in front of the control cover.
QRegion TestHighDpi::deviceRegionInFront(const QWidget *control) const
{
    QRegion region;
    const QObjectList &siblings = control->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(control) + 1; i < siblings.size(); ++i) {
        const auto sibling = qobject_cast<const QWidget *>(siblings.at(i));
        if (sibling && sibling->isVisible())
            region += deviceRect(sibling);
    }
    return region;
}

// The restored client area keeps its 96-dpi size and its picture has twice the pixels each way.
void TestHighDpi::windowCoversTwiceItsPixels()
{
    const WindowLayout &layout = windowLayout();
    const QSize stored(pixels(layout.clientWidth), pixels(layout.clientHeight));
    QCOMPARE(m_restoredSize, stored);
    QCOMPARE(m_restoredGrab.devicePixelRatio(), scale);
    QCOMPARE(m_restoredGrab.size(), stored * 2);
    QCOMPARE(m_restoredGrab.deviceIndependentSize(), QSizeF(stored));
}

void TestHighDpi::controlsDoubleOnTheDevice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("deviceRect"); // in the window's picture

    // Read off the layout by hand: the place in the window at 96 dpi, each number doubled. One control on the
    // tab control is enough here: the places themselves are checked at 96 dpi in the window's layout test.
    QTest::newRow("file list, on the tab control") << "FileBox" << QRect(448, 336, 386, 282);
}

void TestHighDpi::controlsDoubleOnTheDevice()
{
    QFETCH(QString, name);
    QFETCH(QRect, deviceRect);
    auto control = qobject_cast<QWidget *>(m_window->control(name));
    QVERIFY(control);
    QCOMPARE(this->deviceRect(control), deviceRect);
}

void TestHighDpi::picturesStayCrisp_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QSize>("deviceSize"); // of the picture as far as the control shows it

    QTest::newRow("arrow") << "imgArrow" << pictures::arrow << QSize(230, 198);
    // The picture box shows the upper-left part of its picture inside its 2-pixel sunken border.
    QTest::newRow("picture box") << "pctZorvel" << pictures::zorvel << QSize(634, 522);
}

// In the window's picture each pixel of the embedded picture is a 2 x 2 block of device pixels of exactly its
// colour, from the top-left of the control's inner area; where another control stands in front, it shows.
// So the arrow has only its grey and its red, and the illustration no colour made by blending neighbours.
void TestHighDpi::picturesStayCrisp()
{
    QFETCH(QString, name);
    QFETCH(QString, picture);
    QFETCH(QSize, deviceSize);
    const QImage source =
        pictures::image(picture.toLatin1().constData()).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!source.isNull());
    auto control = qobject_cast<QWidget *>(m_window->control(name));
    QVERIFY(control);

    const auto frame = qobject_cast<QFrame *>(control);
    const QRect inner = frame ? frame->contentsRect() : control->rect();
    const QPoint origin = deviceRect(control).topLeft() + inner.topLeft() * 2;
    const QRect shown = QRect(origin, source.size() * 2) & QRect(origin, inner.size() * 2);
    QCOMPARE(shown.size(), deviceSize);

    const QRegion hidden = deviceRegionInFront(control);
    int checked = 0;
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        for (int x = shown.left(); x <= shown.right(); ++x) {
            if (hidden.contains(QPoint(x, y)))
                continue;
            const QPoint from((x - origin.x()) / 2, (y - origin.y()) / 2);
            const QRgb expected = source.pixel(from);
            const QRgb seen = m_grab.pixel(x, y);
            if (seen != expected) {
                QFAIL(qPrintable(
                    QStringLiteral("device pixel (%1, %2) is %3, not %4 like picture pixel (%5, %6)")
                        .arg(x)
                        .arg(y)
                        .arg(hex(seen), hex(expected))
                        .arg(from.x())
                        .arg(from.y())));
            }
            ++checked;
        }
    }
    // Only a sliver may be covered: the picture box stands 3 pixels over the arrow's foot.
    QVERIFY2(checked >= deviceSize.width() * (deviceSize.height() - 6), qPrintable(QString::number(checked)));
}

QTEST_MAIN(TestHighDpi)
#include "tst_high_dpi.moc"
