// The window's faces that are not installed, answered by their installed relatives under the faces' own
// names: the same font, the same pixels, as when the relative is asked for by its name.

#include "fonts/face_aliases.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTest>

using quibrel::aliasFace;

namespace {

// One line of text as a control shows it: black on white, the font as the layout gives it.
QImage rendered(const QString &family, double points)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::NoFontMerging);
    QImage image(400, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("PLAY QUIT Video mode 0123 gjpqy"));
    return image;
}

} // namespace

class TestFaceAliases : public QObject {
    Q_OBJECT
private slots:
    void answeredByTheRelative_data();
    void answeredByTheRelative();
    void installedFaceKeepsItsOwnFont();
    void missingRelativeChangesNothing();
};

void TestFaceAliases::answeredByTheRelative_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::newRow("Fixedsys 9") << "Fixedsys"
                                << "Terminus (TTF)" << 9.0;
    QTest::newRow("GothicE 27.75") << "GothicE"
                                   << "Blankenburg_UNZ1A" << 27.75;
    QTest::newRow("GothicE 21.75") << "GothicE"
                                   << "Blankenburg_UNZ1A" << 21.75;
    QTest::newRow("GothicG 18") << "GothicG"
                                << "Blankenburg_UNZ1A" << 18.0;
}

void TestFaceAliases::answeredByTheRelative()
{
    QFETCH(QString, face);
    QFETCH(QString, family);
    QFETCH(double, points);
    if (!QFontDatabase::hasFamily(family))
        QSKIP(qPrintable(family + " is not installed (scripts/setup installs it)"));

    QVERIFY(aliasFace(face, family) || QFontInfo(QFont(face)).family() == family);

    const QFont font(face);
    QCOMPARE(font.family(), face); // the control still asks for its own face
    QCOMPARE(QFontInfo(font).family(), family);
    QCOMPARE(rendered(face, points), rendered(family, points));
}

void TestFaceAliases::installedFaceKeepsItsOwnFont()
{
    const QString installed = QStringLiteral("DejaVu Sans");
    if (!QFontDatabase::hasFamily(installed))
        QSKIP("DejaVu Sans is not installed");
    QVERIFY(!aliasFace(installed, QStringLiteral("Terminus (TTF)")));
    QCOMPARE(QFontInfo(QFont(installed)).family(), installed);
}

void TestFaceAliases::missingRelativeChangesNothing()
{
    QVERIFY(!aliasFace(QStringLiteral("Quibrel Nonesuch"), QStringLiteral("Quibrel Nowhere")));
}

QTEST_MAIN(TestFaceAliases)
#include "tst_face_aliases.moc"
