#include "multimedia_control.h"

#include "wave_decoder.h"

#include "files/file_system.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <QRegularExpression>

#include <optional>

namespace quibrel {

namespace {

bool isWaveAudio(const QString &deviceType)
{
    return deviceType.compare(QLatin1String("WaveAudio"), Qt::CaseInsensitive) == 0;
}

} // namespace

MultimediaControl::MultimediaControl(QObject *parent)
    : QObject(parent)
{
    m_endOfSound.setSingleShot(true);
    connect(&m_endOfSound, &QTimer::timeout, this, &MultimediaControl::soundEnded);
}

MultimediaControl::~MultimediaControl()
{
    releaseOutput();
}

// The notify and wait flags are kept but change nothing: "Open" always completes before it returns,
// "Play" never waits, and no completion notice is ever given.
void MultimediaControl::setNotify(bool notify)
{
    m_notify = notify;
}

void MultimediaControl::setWait(bool wait)
{
    m_wait = wait;
}

// The sound server mixes every program's output, so the device is never held against others.
void MultimediaControl::setShareable(bool shareable)
{
    m_shareable = shareable;
}

void MultimediaControl::setDeviceType(const QString &deviceType)
{
    m_deviceType = deviceType;
}

void MultimediaControl::setFileName(const QString &fileName)
{
    m_fileName = fileName;
}

void MultimediaControl::setCommand(const QString &command)
{
    emit commandReceived(command);
    if (command == QLatin1String("Open"))
        open();
    else if (command == QLatin1String("Play"))
        play();
    else if (command == QLatin1String("Close"))
        close();
}

MultimediaControl::State MultimediaControl::state() const
{
    return m_state;
}

QString MultimediaControl::localPath(const QString &fileName, const QString &drivesRoot)
{
    static const QRegularExpression drivePath(QStringLiteral("^([A-Za-z]):(.*)$"));
    const QRegularExpressionMatch match = drivePath.match(fileName);
    if (!match.hasMatch())
        return fileName;

    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    const QStringList components =
        QStringList{match.captured(1).toLower()} + match.captured(2).split(separators, Qt::SkipEmptyParts);
    QString path = drivesRoot;
    for (const QString &component : components) {
        const QString entry = entryIgnoringCase(path, component);
        if (entry.isEmpty())
            return {};
        path += QLatin1Char('/') + entry;
    }
    return path;
}

void MultimediaControl::open()
{
    if (m_state != State::Closed || !isWaveAudio(m_deviceType))
        return;
    const QString path = localPath(m_fileName);
    if (path.isEmpty())
        return;
    std::optional<Wave> wave = decodeWave(path);
    if (!wave)
        return;
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull() || !output.isFormatSupported(wave->format))
        return;

    m_samples = std::move(wave->samples);
    m_samplesDevice.setBuffer(&m_samples);
    m_samplesDevice.open(QIODevice::ReadOnly);
    m_sink = std::make_unique<QAudioSink>(output, wave->format);
    // Queued, so that the output may be released in reply to the end of the sound without being
    // destroyed inside its own signal.
    connect(m_sink.get(), &QAudioSink::stateChanged, this, &MultimediaControl::sinkStateChanged,
            Qt::QueuedConnection);
    setState(State::Ready);
}

void MultimediaControl::play()
{
    if (m_state != State::Ready)
        return;
    m_samplesDevice.seek(0);
    m_sink->start(&m_samplesDevice);
    if (m_sink->state() == QAudio::StoppedState)
        return;
    setState(State::Playing);
}

void MultimediaControl::close()
{
    if (m_state == State::Closed)
        return;
    releaseOutput();
    setState(State::Closed);
}

// The output has taken the whole sound (or the sound server dropped it). What the server still holds plays
// on, for at most the output's buffer: stopping before then would cut the end of the sound.
void MultimediaControl::sinkStateChanged()
{
    if (m_state != State::Playing || !m_sink)
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

// The sound has played to its end: the device stays open, ready to play again.
void MultimediaControl::soundEnded()
{
    m_endOfSound.stop();
    m_sink->stop();
    setState(State::Ready);
}

void MultimediaControl::releaseOutput()
{
    m_endOfSound.stop();
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        m_sink.reset();
    }
    m_samplesDevice.close();
    m_samples.clear();
}

void MultimediaControl::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

} // namespace quibrel
