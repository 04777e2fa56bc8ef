#include "sound/wave_decoder.h"
#include "support/scratch_tree.h"
#include "support/tone.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>

using quibrel::maximumDecodedBytes;
using quibrel::Wave;

namespace {

// The peak memory of this process so far.
qint64 peakMemoryBytes()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// A canonical 44-byte wave header for 16-bit PCM with `dataBytes` of sound after it.
QByteArray waveHeader(quint32 dataBytes, quint16 channels = 1, quint32 rate = 22050, quint16 bits = 16)
{
    QByteArray header;
    const auto put32 = [&header](quint32 v) {
        for (int i = 0; i < 4; ++i)
            header += char((v >> (8 * i)) & 0xFF);
    };
    const auto put16 = [&header](quint16 v) {
        header += char(v & 0xFF);
        header += char(v >> 8);
    };
    const quint16 blockAlign = quint16(channels * bits / 8);
    header += "RIFF";
    put32(36 + dataBytes);
    header += "WAVEfmt ";
    put32(16);
    put16(1); // PCM
    put16(channels);
    put32(rate);
    put32(rate * blockAlign);
    put16(blockAlign);
    put16(bits);
    header += "data";
    put32(dataBytes);
    return header;
}

// A wave file of one second of 16-bit sound with `extra` chunks between its format and its sound.
QByteArray waveWithChunks(const QByteArray &extra, quint16 formatTag = 1)
{
    QByteArray wave = waveHeader(2 * 22050);
    wave[20] = char(formatTag & 0xFF);
    wave[21] = char(formatTag >> 8);
    wave.insert(36, extra);
    const quint32 riffLength = quint32(wave.size() - 8 + 2 * 22050);
    for (int i = 0; i < 4; ++i)
        wave[4 + i] = char((riffLength >> (8 * i)) & 0xFF);
    return wave + QByteArray(2 * 22050, '\x10');
}

QByteArray littleEndian32(quint32 value)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes += char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// A wave file of `dataBytes` of silence that takes no room on disk: the header, then a hole.
bool writeSparseWave(const QString &path, qint64 dataBytes, quint16 bits = 16)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(waveHeader(quint32(dataBytes), 1, 22050, bits)) == 44 && file.resize(44 + dataBytes);
}

enum class Kind {
    Sparse200MB,
    JustOverTheLimit,
    JustUnderTheLimit,
    EightBitDoublingPastTheLimit,
    CutInsideHeader,
    CutInsideSound,
    HeaderClaimsMoreThanThere,
    Aiff,
    Flac,
    RawSamples,
    ManyChannels,
    OneHertz,
    ListEntryOfNearly4GiB,
    FuzzerFinding,
    MpegInsideAWave,
    SmallSoundInA300MBFile,
    OddChunkWithoutPadByte,
    HeaderWithoutSound,
    Text,
    Fifo,
    Directory,
};

} // namespace

Q_DECLARE_METATYPE(Kind)

// The wave decoder over files that are too big, cut short, not waves or not files at all.
class TestWave : public QObject {
    Q_OBJECT
private slots:
    void decodeWave_data();
    void decodeWave();
};

void TestWave::decodeWave_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("decodes");

    QTest::newRow("200 MB wave") << Kind::Sparse200MB << false;
    QTest::newRow("wave one frame over the limit") << Kind::JustOverTheLimit << false;
    QTest::newRow("wave right at the limit") << Kind::JustUnderTheLimit << true;
    QTest::newRow("8-bit wave that decodes past the limit") << Kind::EightBitDoublingPastTheLimit << false;
    QTest::newRow("wave cut inside its header") << Kind::CutInsideHeader << false;
    QTest::newRow("wave cut inside its sound") << Kind::CutInsideSound << true;
    QTest::newRow("header claims 4 GiB, file holds 1 s") << Kind::HeaderClaimsMoreThanThere << true;
    QTest::newRow("AIFF sound") << Kind::Aiff << false;
    QTest::newRow("FLAC sound") << Kind::Flac << false;
    QTest::newRow("raw samples without a header") << Kind::RawSamples << false;
    QTest::newRow("wave with 64 channels, more than any output takes") << Kind::ManyChannels << true;
    QTest::newRow("wave at 1 Hz") << Kind::OneHertz << true;
    // Found by the fuzzer: libsndfile went round in circles for ever over such a list. Only the format and
    // the sound of a file are read now.
    QTest::newRow("list entry that claims nearly 4 GiB") << Kind::ListEntryOfNearly4GiB << true;
    QTest::newRow("the fuzzer's 132 bytes") << Kind::FuzzerFinding << false;
    QTest::newRow("MPEG sound inside a wave") << Kind::MpegInsideAWave << false;
    QTest::newRow("1 s of sound in a 300 MB file") << Kind::SmallSoundInA300MBFile << false;
    QTest::newRow("chunk of odd length without its pad byte") << Kind::OddChunkWithoutPadByte << true;
    QTest::newRow("wave header without sound") << Kind::HeaderWithoutSound << false;
    QTest::newRow("text file") << Kind::Text << false;
    QTest::newRow("pipe without a writer") << Kind::Fifo << false;
    QTest::newRow("directory") << Kind::Directory << false;
}

void TestWave::decodeWave()
{
    QFETCH(Kind, kind);
    QFETCH(bool, decodes);
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sting.wav"));
    const qint64 limitFrames = maximumDecodedBytes / 2;
    switch (kind) {
    case Kind::Sparse200MB:
        QVERIFY(writeSparseWave(path, 200 * 1000 * 1000));
        break;
    case Kind::JustOverTheLimit:
        QVERIFY(writeSparseWave(path, (limitFrames + 1) * 2));
        break;
    case Kind::JustUnderTheLimit:
        QVERIFY(writeSparseWave(path, limitFrames * 2));
        break;
    case Kind::EightBitDoublingPastTheLimit:
        QVERIFY(writeSparseWave(path, limitFrames + 1, 8));
        break;
    case Kind::CutInsideHeader:
        QVERIFY(writeTone(path, 1) && QFile::resize(path, 30));
        break;
    case Kind::CutInsideSound:
        QVERIFY(writeTone(path, 1) && QFile::resize(path, 44 + 22050));
        break;
    case Kind::HeaderClaimsMoreThanThere: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(waveHeader(0xFFFFFFF0u));
        file.write(QByteArray(2 * 22050, '\x10'));
        break;
    }
    case Kind::Aiff:
        QVERIFY(writeTone(path, 1, SF_FORMAT_AIFF | SF_FORMAT_PCM_16));
        break;
    case Kind::Flac:
        QVERIFY(writeTone(path, 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
        break;
    case Kind::RawSamples:
        QVERIFY(writeTone(path, 1, SF_FORMAT_RAW | SF_FORMAT_PCM_16));
        break;
    case Kind::ManyChannels:
        QVERIFY(writeTone(path, 0.1, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 64));
        break;
    case Kind::OneHertz:
        QVERIFY(writeTone(path, 3, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 1));
        break;
    case Kind::ListEntryOfNearly4GiB: {
        // Entries of 4 GiB less one byte, which round up to nothing, then one that takes the count past 4 GiB
        // and back to the start of the list.
        const QByteArray list = "INFO" + QByteArray("abcd" + littleEndian32(0xFFFFFFFF)).repeated(5) +
                                "abcd" + littleEndian32(0xFFFFFFDF) + QByteArray(40, 'x');
        QVERIFY(
            makeFile(QFile::encodeName(path), waveWithChunks("LIST" + littleEndian32(list.size()) + list)));
        break;
    }
    case Kind::FuzzerFinding: {
        const QByteArray found = QByteArray::fromHex("52494646ffffffff57415645494e464f080000ff") +
                                 QByteArray(60, '\xff') + "\xdf" + QByteArray(50, '\xff') +
                                 QByteArray(1, '\0');
        QCOMPARE(found.size(), 132);
        QVERIFY(makeFile(QFile::encodeName(path), found));
        break;
    }
    case Kind::MpegInsideAWave:
        QVERIFY(makeFile(QFile::encodeName(path), waveWithChunks({}, 0x0055)));
        break;
    case Kind::SmallSoundInA300MBFile: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const quint32 junk = 300 * 1000 * 1000;
        QVERIFY(file.write(waveWithChunks("JUNK" + littleEndian32(junk))) > 0);
        QVERIFY(
            file.resize(file.size() + junk)); // the junk is a hole after the sound; the sizes still add up
        break;
    }
    case Kind::OddChunkWithoutPadByte:
        QVERIFY(makeFile(QFile::encodeName(path), waveWithChunks("JUNK" + littleEndian32(3) + "abc")));
        break;
    case Kind::HeaderWithoutSound:
        QVERIFY(writeTone(path, 1) && QFile::resize(path, 44));
        break;
    case Kind::Text:
        QVERIFY(makeFile(QFile::encodeName(path), "This is not a sound.\n"));
        break;
    case Kind::Fifo:
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        break;
    case Kind::Directory:
        QVERIFY(QDir().mkdir(path));
        break;
    }
    const qint64 peakBefore = peakMemoryBytes();
    // On a thread of its own: a decoder that waited for a pipe's writer would hold the test for ever.
    auto decoding = std::async(std::launch::async, [&path] { return quibrel::decodeWave(path); });
    if (decoding.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        QFile writer(path);
        writer.open(QIODevice::WriteOnly); // the writer it waits for
        decoding.wait();
        QFAIL("the decoder waited for a writer");
    }
    const std::optional<Wave> wave = decoding.get();
    QCOMPARE(wave.has_value(), decodes);
    if (wave) {
        QVERIFY(wave->format.isValid());
        QVERIFY(!wave->samples.isEmpty());
    }
    // A refused file costs next to nothing; one taken costs its decoded sound and no more than that again.
    const qint64 grown = peakMemoryBytes() - peakBefore;
    const qint64 allowed = decodes ? 2 * maximumDecodedBytes : 16 * 1024 * 1024;
    QVERIFY2(grown <= allowed, qPrintable(QStringLiteral("peak memory grew by %1 MiB").arg(grown >> 20)));
}

QTEST_GUILESS_MAIN(TestWave)
#include "tst_wave.moc"
