#include "wave_decoder.h"

#include <QByteArrayView>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quibrel {

namespace {

// Reads `count` bytes at `offset` of the file into `buffer`; false when they are not all there.
using ReadAt = std::function<bool(qint64 offset, char *buffer, qint64 count)>;

// What libsndfile is shown of a wave file: a header of our own making that holds only the file's "fmt "
// and "fact" chunks, followed by the file's sound as it lies in the file. libsndfile's readers of the other
// chunks (lists, cue points, loops, peaks...) and of other file formats never see the file: with the
// Debian 12 library, a list chunk whose entry claims nearly 4 GiB sends it round in circles for ever.
struct CleanWave {
    QByteArray header;
    qint64 soundOffset = 0; // where the sound lies in the file
    qint64 soundLength = 0; // as much of it as the file holds
};

// The sound encodings a wave may hold here: PCM, IEEE float, MS ADPCM, A-law, mu-law, IMA ADPCM, GSM 6.10,
// G.721 and the extensible form of these. MPEG sound inside a wave file is refused unread.
bool isKnownEncoding(quint16 tag)
{
    switch (tag) {
    case 0x0001:
    case 0x0002:
    case 0x0003:
    case 0x0006:
    case 0x0007:
    case 0x0011:
    case 0x0031:
    case 0x0040:
    case 0xFFFE:
        return true;
    default:
        return false;
    }
}

bool isPrintable(QByteArrayView id)
{
    return std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

class ChunkReader {
public:
    ChunkReader(const ReadAt &readAt, bool bigEndian)
        : m_readAt(readAt)
        , m_bigEndian(bigEndian)
    {
    }

    quint32 number32(const char *bytes) const
    {
        return m_bigEndian ? qFromBigEndian<quint32>(bytes) : qFromLittleEndian<quint32>(bytes);
    }
    quint16 number16(const char *bytes) const
    {
        return m_bigEndian ? qFromBigEndian<quint16>(bytes) : qFromLittleEndian<quint16>(bytes);
    }
    void appendNumber32(QByteArray *bytes, quint32 value) const
    {
        char number[4];
        if (m_bigEndian)
            qToBigEndian(value, number);
        else
            qToLittleEndian(value, number);
        bytes->append(number, 4);
    }
    // The chunk's name and contents, padded to an even length as chunks are.
    bool appendChunk(QByteArray *bytes, const char *id, qint64 offset, quint32 length) const
    {
        QByteArray contents(length + (length & 1), '\0');
        if (!m_readAt(offset, contents.data(), length))
            return false;
        bytes->append(id, 4);
        appendNumber32(bytes, length);
        bytes->append(contents);
        return true;
    }
    bool read(qint64 offset, char *buffer, qint64 count) const { return m_readAt(offset, buffer, count); }

private:
    const ReadAt &m_readAt;
    bool m_bigEndian;
};

// The RIFF wave in a file of `size` bytes made clean; nothing when it is not one, lacks its format or its
// sound, or its format is not one of ours.
std::optional<CleanWave> cleanWave(qint64 size, const ReadAt &readAt)
{
    char form[12];
    if (size < qint64(sizeof form) || !readAt(0, form, sizeof form))
        return std::nullopt;
    const QByteArrayView kind(form, 4);
    if ((kind != "RIFF" && kind != "RIFX") || QByteArrayView(form + 8, 4) != "WAVE")
        return std::nullopt;
    const ChunkReader reader(readAt, kind == "RIFX");

    QByteArray formatChunk;
    QByteArray factChunk;
    qint64 offset = sizeof form;
    char chunk[8];
    while (offset + qint64(sizeof chunk) <= size && reader.read(offset, chunk, sizeof chunk)) {
        const QByteArrayView id(chunk, 4);
        if (!isPrintable(id))
            break;
        const quint32 length = reader.number32(chunk + 4);
        const qint64 contents = offset + qint64(sizeof chunk);
        const qint64 room = size - contents;
        if (id == "data") {
            if (formatChunk.isEmpty())
                return std::nullopt;
            CleanWave wave;
            wave.soundOffset = contents;
            wave.soundLength = std::min<qint64>(length, room); // a sound that lost its end plays what is left
            wave.header = QByteArray(kind.data(), 4);
            const qint64 riffLength = 4 + formatChunk.size() + factChunk.size() + 8 + wave.soundLength;
            reader.appendNumber32(&wave.header, quint32(riffLength));
            wave.header += "WAVE" + formatChunk + factChunk + "data";
            reader.appendNumber32(&wave.header, quint32(wave.soundLength));
            return wave;
        }
        if (length > room)
            return std::nullopt; // a chunk that runs past the end of the file, and no sound after it
        if (id == "fmt " && formatChunk.isEmpty()) {
            // A format of 14 to 40 bytes, 64 with room for any extension that these encodings use.
            char tag[2];
            if (length < 14 || length > 64 || !reader.read(contents, tag, 2) ||
                !isKnownEncoding(reader.number16(tag)) ||
                !reader.appendChunk(&formatChunk, "fmt ", contents, length))
                return std::nullopt;
        } else if (id == "fact" && factChunk.isEmpty() && length >= 4 && length <= 64) {
            if (!reader.appendChunk(&factChunk, "fact", contents, length))
                return std::nullopt;
        }
        offset = contents + length;
        // A chunk of odd length is followed by a zero pad byte, which some writers leave out.
        char pad = 0;
        if ((length & 1) && reader.read(offset, &pad, 1) && pad == 0)
            ++offset;
    }
    return std::nullopt;
}

// libsndfile's view of the clean wave: our header, then the file's sound.
struct VirtualWave {
    const CleanWave &wave;
    const ReadAt &readAt;
    sf_count_t position = 0;

    sf_count_t length() const { return wave.header.size() + wave.soundLength; }
};

sf_count_t virtualLength(void *userData)
{
    return static_cast<VirtualWave *>(userData)->length();
}

sf_count_t virtualSeek(sf_count_t offset, int whence, void *userData)
{
    auto file = static_cast<VirtualWave *>(userData);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = file->position;
    else if (whence == SEEK_END)
        base = file->length();
    else if (whence != SEEK_SET)
        return -1;
    // Offsets come from the file's own figures: keep the sum from overflowing.
    if ((offset > 0 && base > std::numeric_limits<sf_count_t>::max() - offset) || base + offset < 0)
        return -1;
    file->position = base + offset;
    return file->position;
}

sf_count_t virtualRead(void *buffer, sf_count_t count, void *userData)
{
    auto file = static_cast<VirtualWave *>(userData);
    auto out = static_cast<char *>(buffer);
    sf_count_t done = 0;
    const sf_count_t headerLength = file->wave.header.size();
    if (count > 0 && file->position < headerLength) {
        const sf_count_t part = std::min(count, headerLength - file->position);
        std::memcpy(out, file->wave.header.constData() + file->position, size_t(part));
        done += part;
        file->position += part;
    }
    if (count > done && file->position < file->length()) {
        const sf_count_t part = std::min(count - done, file->length() - file->position);
        if (!file->readAt(file->wave.soundOffset + file->position - headerLength, out + done, part))
            return done;
        done += part;
        file->position += part;
    }
    return done;
}

sf_count_t virtualWrite(const void *, sf_count_t, void *)
{
    return 0;
}

sf_count_t virtualTell(void *userData)
{
    return static_cast<VirtualWave *>(userData)->position;
}

bool isWaveFile(const SF_INFO &info)
{
    const int type = info.format & SF_FORMAT_TYPEMASK;
    return type == SF_FORMAT_WAV || type == SF_FORMAT_WAVEX;
}

// The size of the decoded sound, checked before anything is multiplied: the header's figures are the file's
// word, not facts.
bool fitsTheLimit(const SF_INFO &info)
{
    const qsizetype bytesPerFrame = qsizetype(info.channels) * qsizetype(sizeof(short));
    return info.frames <= maximumDecodedBytes / bytesPerFrame;
}

std::optional<Wave> decodeOpened(SNDFILE *file, const SF_INFO &info)
{
    if (!isWaveFile(info) || info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0 ||
        !fitsTheLimit(info))
        return std::nullopt;
    const qsizetype bytesPerFrame = qsizetype(info.channels) * qsizetype(sizeof(short));
    QByteArray samples(info.frames * bytesPerFrame, Qt::Uninitialized);
    const sf_count_t frames = sf_readf_short(file, reinterpret_cast<short *>(samples.data()), info.frames);
    if (frames <= 0)
        return std::nullopt;
    // A file whose end is missing gives the sound that is there.
    samples.truncate(frames * bytesPerFrame);
    QAudioFormat format;
    format.setSampleRate(info.samplerate);
    format.setChannelCount(info.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    return Wave{format, samples};
}

std::optional<Wave> decode(qint64 size, const ReadAt &readAt)
{
    if (size > maximumFileBytes)
        return std::nullopt;
    const std::optional<CleanWave> wave = cleanWave(size, readAt);
    if (!wave)
        return std::nullopt;
    SF_VIRTUAL_IO io = {virtualLength, virtualSeek, virtualRead, virtualWrite, virtualTell};
    VirtualWave file{*wave, readAt};
    SF_INFO info = {};
    SNDFILE *sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!sound)
        return std::nullopt;
    std::optional<Wave> decoded = decodeOpened(sound, info);
    sf_close(sound);
    return decoded;
}

} // namespace

std::optional<Wave> decodeWave(const QString &path)
{
    // Opened without waiting, and only a regular file is read: a pipe with no writer, a device or a directory
    // at the path would otherwise hold the caller for ever or feed it without end.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    const ReadAt readAt = [&file](qint64 offset, char *buffer, qint64 count) {
        return file.seek(offset) && file.read(buffer, count) == count;
    };
    return decode(file.size(), readAt);
}

std::optional<Wave> decodeWaveContents(const QByteArray &contents)
{
    const ReadAt readAt = [&contents](qint64 offset, char *buffer, qint64 count) {
        if (offset < 0 || count < 0 || count > contents.size() - offset)
            return false;
        std::memcpy(buffer, contents.constData() + offset, size_t(count));
        return true;
    };
    return decode(contents.size(), readAt);
}

} // namespace quibrel
