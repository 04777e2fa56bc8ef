#pragma once

// Writes sound files for the tests: a 440 Hz tone at a quarter of full scale.

#include <QFile>
#include <QString>

#include <cmath>
#include <sndfile.h>
#include <vector>

inline bool writeTone(const QString &path, double seconds, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                      int channels = 1, int rate = 22050)
{
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const sf_count_t frames = std::lround(seconds * rate);
    std::vector<short> samples(size_t(frames * channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = short(8000 * std::sin(2 * M_PI * 440 * double(i / size_t(channels)) / rate));
    const bool written = sf_writef_short(file, samples.data(), frames) == frames;
    sf_close(file);
    return written;
}
