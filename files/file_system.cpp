#include "file_system.h"

#include <QByteArrayView>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <unistd.h>
#include <vector>

namespace quibrel {

namespace {

constexpr char16_t escapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at `p`, or 0 when the bytes there are not one.
int validSequenceLength(const unsigned char *p, const unsigned char *end, char32_t *codePoint)
{
    const unsigned char lead = p[0];
    int length;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

} // namespace

QString decodeFileName(const QByteArray &bytes)
{
    if (QByteArrayView(bytes).isValidUtf8())
        return QString::fromUtf8(bytes);
    QString name;
    name.reserve(bytes.size());
    auto p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto end = p + bytes.size();
    while (p < end) {
        char32_t codePoint;
        if (int length = validSequenceLength(p, end, &codePoint)) {
            name += QString::fromUcs4(&codePoint, 1);
            p += length;
        } else {
            name += QChar(char16_t(escapeBase + *p));
            ++p;
        }
    }
    return name;
}

namespace {
bool isEscapedByte(QChar c)
{
    return c.unicode() >= escapeBase + 0x80 && c.unicode() <= escapeBase + 0xFF;
}
} // namespace

QByteArray encodeFileName(const QString &name)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isEscapedByte(name[i]))
            continue;
        // A lone low surrogate only; a proper pair is a real character.
        if (i > 0 && name[i - 1].isHighSurrogate())
            continue;
        bytes += QStringView(name).mid(runStart, i - runStart).toUtf8();
        bytes += char(name[i].unicode() - escapeBase);
        runStart = i + 1;
    }
    if (runStart == 0)
        return name.toUtf8();
    bytes += QStringView(name).mid(runStart).toUtf8();
    return bytes;
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString currentWorkingDirectory(QString *error)
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) {
            if (error)
                *error = errorText(errno);
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return decodeFileName(QByteArray(buffer.data()));
}

QString entryIgnoringCase(const QString &directory, const QString &name)
{
    // "." and ".." name no entry of their own.
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    DIR *stream = ::opendir(encodeFileName(directory).constData());
    if (!stream)
        return {};
    QString found;
    while (const dirent *entry = ::readdir(stream)) {
        const QString entryName = decodeFileName(QByteArray(entry->d_name));
        if (entryName == name) {
            found = name;
            break;
        }
        if (entryName.compare(name, Qt::CaseInsensitive) == 0 && (found.isEmpty() || entryName < found))
            found = entryName;
    }
    ::closedir(stream);
    return found;
}

} // namespace quibrel
