#include "ui/pictures/pictures.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QTest>

using namespace quibrel;

namespace {

// The picture's file as committed in ui/pictures (its name without the leading ":/").
QString sourceFile(const char *picture)
{
    return QStringLiteral(QUIBREL_PICTURES_DIR "/") + QString::fromLatin1(picture).mid(2);
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void readyToDrawAsTheFiles_data();
    void readyToDrawAsTheFiles();
    void windowIconAsTheFile();
};

void TestPictures::readyToDrawAsTheFiles_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QByteArray>("sha256");

    // Drawn by tools/make-artwork and looked at when they were committed; a new drawing gets new rows here.
    const auto row = [](const char *name, const char *picture, QSize size, const char *sha256) {
        QTest::newRow(name) << QString::fromLatin1(picture) << size << QByteArray(sha256);
    };
    row("window icon", pictures::windowIcon, {32, 32},
        "b939238dddad0696d0f9a70d4ae0342cf2c65ab1759db96945425eb88c2620af");
    row("picture-box bitmap", pictures::zorvel, {335, 461},
        "fcda4f7adaafa9a171cb183ded3b612b118cf49d7a82e6f4325e4393755e96fe");
    row("arrow bitmap", pictures::arrow, {115, 99},
        "59ce502a310b215df082d44d467fe4c4e0dc629f6c5d6e0fc96653871c62c6a0");
    row("drive icon", pictures::driveIcon, {16, 16},
        "1207a3e3c7c171472e303ff64480684c494b7800f6747799fd2775a5584e2be1");
    row("open folder icon", pictures::openFolderIcon, {16, 16},
        "3f4fc1afecb2c2fa0ef37d2ec8e9eb20f389713ceb3037d6f497a21fb5ab47fe");
    row("closed folder icon", pictures::closedFolderIcon, {16, 16},
        "171e9fabb3d87000b2fde8d29e79fd89564b84e5b6dd46d782ab5c29f9702b82");
}

// The committed files are the ones that were looked at. Decoded at build time, each is the very pixels that
// reading its file gives (an opaque one in 24 bits), at its size, and makes a pixmap of the same pixels: the
// window draws what it drew when it read the files.
void TestPictures::readyToDrawAsTheFiles()
{
    QFETCH(QString, picture);
    QFETCH(QSize, size);
    QFETCH(QByteArray, sha256);
    const QByteArray name = picture.toLatin1();
    QFile file(sourceFile(name.constData()));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QCOMPARE(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex(), sha256);
    const QImage fromFile(sourceFile(name.constData()));
    QVERIFY(!fromFile.isNull());

    const QImage ready = pictures::image(name.constData());
    QCOMPARE(ready.size(), size);
    QCOMPARE(ready.format(), fromFile.hasAlphaChannel() ? fromFile.format() : QImage::Format_RGB888);
    QCOMPARE(ready.convertToFormat(fromFile.format()), fromFile);
    const auto drawn = [](const QPixmap &pixmap) {
        return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    };
    QCOMPARE(drawn(pictures::pixmap(name.constData())), drawn(QPixmap::fromImage(fromFile)));
}

void TestPictures::windowIconAsTheFile()
{
    const QIcon fromFile(sourceFile(pictures::windowIcon));
    const QIcon ready = pictures::icon(pictures::windowIcon);
    QCOMPARE(ready.availableSizes(), fromFile.availableSizes());
    QCOMPARE(ready.pixmap(32).toImage(), fromFile.pixmap(32).toImage());
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
