// Decodes the window's pictures at build time and writes them as C++ arrays of pixels, in the format the
// image reader gives them, except that opaque pictures keep three bytes a pixel (the program draws them as
// they are, a quarter less of its memory for them): the program draws them without reading a file, probing
// image formats or loading an image plugin at start-up, and draws the same pixels as if it had read the files
// itself.
//
//   embed_pictures OUTPUT.cpp PICTURE...    (each named ":/FILE NAME" in the program, as in pictures.h)

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: embed_pictures OUTPUT.cpp PICTURE...\n");
        return 2;
    }
    QByteArray source = "// Made by embed_pictures from ui/pictures at build time.\n"
                        "#include \"ui/pictures/embedded_pictures.h\"\n\n"
                        "namespace quibrel::pictures {\n\nnamespace {\n\n";
    QByteArray table = "const EmbeddedPicture embeddedPictures[] = {\n";
    for (int i = 2; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        QImageReader reader(path);
        QImage image = reader.read();
        if (image.format() == QImage::Format_RGB32)
            image.convertTo(QImage::Format_RGB888);
        if (image.isNull()) {
            std::fprintf(stderr, "embed_pictures: cannot read %s: %s\n", argv[i],
                         qPrintable(reader.errorString()));
            return 1;
        }
        const QByteArray array = "pixels" + QByteArray::number(i - 2);
        source += "alignas(16) const uchar " + array + "[] = {";
        const uchar *bits = image.constBits();
        for (qsizetype at = 0; at < image.sizeInBytes(); ++at)
            source += (at % 24 == 0 ? "\n    " : " ") + QByteArray::number(bits[at]) + ',';
        source += "\n};\n\n";
        table += "    {\":/" + QFileInfo(path).fileName().toUtf8() + "\", " + array + ", " +
                 QByteArray::number(image.width()) + ", " + QByteArray::number(image.height()) + ", " +
                 QByteArray::number(image.bytesPerLine()) + ", QImage::Format(" +
                 QByteArray::number(int(image.format())) + ")},\n";
    }
    source += "} // namespace\n\n" + table +
              "};\n\nconst int embeddedPictureCount = " + QByteArray::number(argc - 2) +
              ";\n\n} // namespace quibrel::pictures\n";

    QFile output(QString::fromLocal8Bit(argv[1]));
    if (!output.open(QIODevice::WriteOnly) || output.write(source) != source.size()) {
        std::fprintf(stderr, "embed_pictures: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
