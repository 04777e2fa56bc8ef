#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QString>

#include <optional>

namespace quibrel {

// A wave file's whole sound, ready for the audio output.
struct Wave {
    QAudioFormat format;
    QByteArray samples; // 16-bit PCM, interleaved
};

// The most sound a wave may decode to: 64 MiB, over six minutes of CD-quality stereo. The start-up sound is a
// sting of a few seconds; a file that claims more (a huge file, or a header that lies about its length) is
// refused before any of it is read, so that opening it never takes unbounded memory or time.
inline constexpr qsizetype maximumDecodedBytes = qsizetype(64) * 1024 * 1024;

// The largest file that may hold such a sound: four bytes of file for every byte of sound (64-bit samples),
// and 1 MiB for everything else. A bigger file is refused unread.
inline constexpr qint64 maximumFileBytes = 4 * qint64(maximumDecodedBytes) + 1024 * 1024;

// The whole sound of the wave file at `path`, decoded to 16-bit samples; nothing when the file cannot be
// read, is bigger than maximumFileBytes, is not a RIFF wave file in one of the usual encodings (PCM, float,
// A-law, mu-law, ADPCM, GSM), holds no sound or would decode to more than maximumDecodedBytes. Of the file's
// chunks only the format and the sound are read.
std::optional<Wave> decodeWave(const QString &path);

// The same for the contents of a wave file held in memory.
std::optional<Wave> decodeWaveContents(const QByteArray &contents);

} // namespace quibrel
