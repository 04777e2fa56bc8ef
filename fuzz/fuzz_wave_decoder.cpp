// Feeds arbitrary bytes to the wave decoder that the sound device's "Open" uses, both as a file on disk (the
// way the program reads the start-up sound) and from memory, and checks what comes out.

#include "sound/wave_decoder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unistd.h>

using namespace quibrel;

namespace {

QString scratchPath;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_wave_decoder: %s\n", what);
    std::abort();
}

// What the decoder gives must be something the audio output can be handed as it is.
void checkWave(const Wave &wave)
{
    const QAudioFormat &format = wave.format;
    if (format.sampleFormat() != QAudioFormat::Int16 || format.channelCount() <= 0 ||
        format.sampleRate() <= 0)
        fail("a decoded wave with an impossible format");
    if (wave.samples.isEmpty() || wave.samples.size() > maximumDecodedBytes)
        fail("a decoded wave with no sound or more sound than the limit");
    if (wave.samples.size() % format.bytesPerFrame() != 0)
        fail("a decoded wave that ends inside a frame");
}

bool sameWave(const std::optional<Wave> &a, const std::optional<Wave> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || (a->format == b->format && a->samples == b->samples);
}

bool writeScratch(const QByteArray &contents)
{
    QFile file(scratchPath);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // One scratch file for the whole run, in memory where there is a /dev/shm.
    const QString directory =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    scratchPath = QStringLiteral("%1/fuzz_wave_decoder.%2.wav").arg(directory).arg(::getpid());
    std::atexit([] { QFile::remove(scratchPath); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray contents =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<Wave> fromMemory = decodeWaveContents(contents);
    if (fromMemory)
        checkWave(*fromMemory);
    if (!writeScratch(contents))
        fail("cannot write the scratch file");
    const std::optional<Wave> fromFile = decodeWave(scratchPath);
    if (fromFile)
        checkWave(*fromFile);
    if (!sameWave(fromMemory, fromFile))
        fail("the file and the same bytes in memory decode differently");
    return 0;
}
