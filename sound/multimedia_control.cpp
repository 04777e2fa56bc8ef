#include "multimedia_control.h"

#include "sound_module.h"

#include "files/file_system.h"

#include <QFileInfo>
#include <QRegularExpression>

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
}

MultimediaControl::~MultimediaControl() = default;

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
    // Only a regular file is worth loading the sound module for.
    const QString path = localPath(m_fileName);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    std::unique_ptr<SoundOutput> output = SoundModule::createOutput([this] { soundEnded(); });
    if (!output || !output->open(path))
        return;
    m_output = std::move(output);
    setState(State::Ready);
}

void MultimediaControl::play()
{
    if (m_state != State::Ready || !m_output->play())
        return;
    setState(State::Playing);
}

void MultimediaControl::close()
{
    if (m_state == State::Closed)
        return;
    m_output.reset();
    setState(State::Closed);
}

// The sound has played to its end: the device stays open, ready to play again.
void MultimediaControl::soundEnded()
{
    setState(State::Ready);
}

void MultimediaControl::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

} // namespace quibrel
