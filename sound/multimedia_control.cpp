#include "multimedia_control.h"

#include "sound_module.h"

#include "files/file_system.h"

#include <QFileInfo>

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

// Read by hand rather than with a regular expression: the start-up would map and set up the expression
// library for this one look-up.
QString MultimediaControl::localPath(const QString &fileName, const QString &drivesRoot)
{
    const bool onDrive = fileName.size() >= 2 && fileName.at(1) == QLatin1Char(':') &&
                         fileName.at(0).isLetter() && fileName.at(0).unicode() < 0x80;
    if (!onDrive)
        return fileName;

    const QStringList components =
        QStringList{fileName.left(1).toLower()} + fileName.mid(2)
                                                      .replace(QLatin1Char('\\'), QLatin1Char('/'))
                                                      .split(QLatin1Char('/'), Qt::SkipEmptyParts);

    QString path = drivesRoot;
    for (const QString &name : components) {
        const QString entry = entryIgnoringCase(path, name);
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
