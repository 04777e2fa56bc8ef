// The sound module: plays a wave file on the default audio output. Built as quibrel-sound.so, the only part
// of the program that links Qt Multimedia and libsndfile; SoundModule loads it when a sound is to be played.

#include "sound_output.h"
#include "wave_decoder.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>

#include <memory>

namespace quibrel {

namespace {

class WaveOutput : public SoundOutput {
public:
    explicit WaveOutput(std::function<void()> ended);
    // Stops and destroys the audio output at once: one still alive when the application object winds down
    // takes the process with it.
    ~WaveOutput() override;

    bool open(const QString &path) override;
    bool play() override;

private:
    void sinkStateChanged();
    void soundEnded();

    std::function<void()> m_ended;
    QByteArray m_samples;
    QBuffer m_samplesDevice;
    std::unique_ptr<QAudioSink> m_sink;
    bool m_playing = false;
    // Runs from the moment the output has taken the last of the sound until the server has played it.
    QTimer m_endOfSound;
    // Beyond the output's buffer: the server's own hand-over to the sound card.
    static constexpr int endMarginMs = 30;
};

WaveOutput::WaveOutput(std::function<void()> ended)
    : m_ended(std::move(ended))
{
    m_endOfSound.setSingleShot(true);
    QObject::connect(&m_endOfSound, &QTimer::timeout, [this] { soundEnded(); });
}

WaveOutput::~WaveOutput()
{
    m_endOfSound.stop();
    // Destroying the sink turns the event loop: state changes it queued before still come in.
    m_playing = false;
    if (m_sink) {
        m_sink->disconnect();
        m_sink->stop();
        m_sink.reset();
    }
}

bool WaveOutput::open(const QString &path)
{
    std::optional<Wave> wave = decodeWave(path);
    if (!wave)
        return false;
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull() || !output.isFormatSupported(wave->format))
        return false;

    m_samples = std::move(wave->samples);
    m_samplesDevice.setBuffer(&m_samples);
    m_samplesDevice.open(QIODevice::ReadOnly);
    m_sink = std::make_unique<QAudioSink>(output, wave->format);
    // Queued, so that the output may be destroyed in reply to the end of the sound without being destroyed
    // inside its own signal.
    QObject::connect(
        m_sink.get(), &QAudioSink::stateChanged, &m_endOfSound, [this] { sinkStateChanged(); },
        Qt::QueuedConnection);
    return true;
}

bool WaveOutput::play()
{
    m_samplesDevice.seek(0);
    m_sink->start(&m_samplesDevice);
    m_playing = m_sink->state() != QAudio::StoppedState;
    return m_playing;
}

// The output has taken the whole sound (or the sound server dropped it). What the server still holds plays
// on, for at most the output's buffer: stopping before then would cut the end of the sound.
void WaveOutput::sinkStateChanged()
{
    if (!m_playing || !m_sink)
        return;
    switch (m_sink->state()) {
    case QAudio::IdleState: {
        const qint64 heldMs = m_sink->format().durationForBytes(m_sink->bufferSize()) / 1000;
        m_endOfSound.start(int(heldMs) + endMarginMs);
        break;
    }
    case QAudio::StoppedState:
        if (m_sink->error() != QAudio::NoError)
            soundEnded();
        break;
    default:
        m_endOfSound.stop();
        break;
    }
}

// The sound has played to its end: the output stays open, ready to play again. Told last, since the listener
// may destroy this output.
void WaveOutput::soundEnded()
{
    m_endOfSound.stop();
    m_playing = false;
    m_sink->stop();
    m_ended();
}

} // namespace

} // namespace quibrel

extern "C" Q_DECL_EXPORT quibrel::SoundOutput *quibrel_create_sound_output(std::function<void()> ended)
{
    return new quibrel::WaveOutput(std::move(ended));
}
