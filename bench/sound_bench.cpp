// What the start-up sound costs, measured on the program's own sound device in a fresh process, as at
// start-up: the window loads the device with "Open" then "Play" before it is shown, so both delay the
// first frame; PLAY sends "Close" before it starts the emulator.
//
//   bench_sound FOLDER    (a sound server must be running; a 1.5 s wave file is made in FOLDER)
//   -> samples sound_absent (Open when the file is not there), sound_open, sound_play, sound_close (ms)
//      and sound_rss (KiB of resident memory that Open and Play add)

#include "measure.h"

#include "sound/multimedia_control.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cmath>
#include <cstdio>
#include <sndfile.h>
#include <vector>

namespace quibrel::bench {

namespace {

const QString startupSound = QStringLiteral("D:\\VUD\\MUSIQUES\\WAVE\\NEWSTING.WAV");

// 1.5 s of a falling two-tone chime, 44.1 kHz 16-bit stereo: the size of a typical start-up sound.
bool makeWave(const QString &path)
{
    if (QFile::exists(path))
        return true;
    SF_INFO info = {};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const int frames = info.samplerate * 3 / 2;
    std::vector<short> samples(size_t(frames) * 2);
    for (int frame = 0; frame < frames; ++frame) {
        const double t = double(frame) / info.samplerate;
        const double fade = std::exp(-2.5 * t);
        const double value = fade * (0.5 * std::sin(2 * M_PI * 880 * t) + 0.3 * std::sin(2 * M_PI * 660 * t));
        samples[2 * size_t(frame)] = samples[2 * size_t(frame) + 1] = short(value * 20000);
    }
    const bool written = sf_writef_short(file, samples.data(), frames) == frames;
    sf_close(file);
    return written;
}

void load(MultimediaControl *device, const QString &fileName)
{
    device->setNotify(false);
    device->setWait(true);
    device->setShareable(false);
    device->setDeviceType(QStringLiteral("WaveAudio"));
    device->setFileName(fileName);
}

} // namespace

} // namespace quibrel::bench

int main(int argc, char *argv[])
{
    using namespace quibrel::bench;
    using quibrel::MultimediaControl;
    setWatchdog(60);
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_sound FOLDER\n");
        return 2;
    }
    const QString wave = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath(QStringLiteral("sting.wav"));
    if (!makeWave(wave)) {
        std::fprintf(stderr, "bench_sound: cannot write %s\n", qPrintable(wave));
        return 1;
    }

    // The usual start: the file is not there.
    if (MultimediaControl::localPath(startupSound).isEmpty()) {
        MultimediaControl absent;
        load(&absent, startupSound);
        const double started = monotonicMs();
        absent.setCommand(QStringLiteral("Open"));
        absent.setCommand(QStringLiteral("Play"));
        printSample("sound_absent", "ours", monotonicMs() - started);
    }

    const long residentBefore = currentRssKib();
    MultimediaControl device;
    load(&device, wave);
    const double started = monotonicMs();
    device.setCommand(QStringLiteral("Open"));
    const double opened = monotonicMs();
    device.setCommand(QStringLiteral("Play"));
    const double playing = monotonicMs();
    if (device.state() != MultimediaControl::State::Playing) {
        std::fprintf(stderr, "bench_sound: the sound did not play (is a sound server running?)\n");
        return 1;
    }
    const long residentAfter = currentRssKib();
    // PLAY closes the device while the sound may still be playing.
    const double closing = monotonicMs();
    device.setCommand(QStringLiteral("Close"));
    const double closed = monotonicMs();

    printSample("sound_open", "ours", opened - started);
    printSample("sound_play", "ours", playing - opened);
    printSample("sound_close", "ours", closed - closing);
    printSample("sound_rss", "ours", double(residentAfter - residentBefore));
    return 0;
}
