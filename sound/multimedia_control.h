#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace quibrel {

class SoundOutput;

// The window's hidden multimedia control: it takes a few settings and the commands "Open", "Play" and
// "Close", and plays one wave file on the default audio output. A command that cannot be carried out
// changes nothing and tells nobody; the program never reads an outcome back. The sound itself is played by
// the sound module, loaded by the first "Open" that finds its file.
class MultimediaControl : public QObject {
    Q_OBJECT
public:
    enum class State { Closed, Ready, Playing };
    Q_ENUM(State)

    explicit MultimediaControl(QObject *parent = nullptr);
    // Stops and destroys the audio output at once: one still alive when the application object winds
    // down takes the process with it.
    ~MultimediaControl() override;

    void setNotify(bool notify);
    void setWait(bool wait);
    void setShareable(bool shareable);
    void setDeviceType(const QString &deviceType);
    void setFileName(const QString &fileName);
    void setCommand(const QString &command);

    State state() const;

    // Where `fileName` lies on this machine. A path on a drive ("D:\A\B.WAV") is looked up under
    // `drivesRoot`/d/, each component matched regardless of case as the drive itself would; empty when
    // it is not there. Any other path is returned as it is.
    static QString localPath(const QString &fileName, const QString &drivesRoot = QStringLiteral("/mnt"));

signals:
    void stateChanged(quibrel::MultimediaControl::State state);
    // Every command as it arrives, carried out or not: it lets a caller see what was asked of the device.
    void commandReceived(const QString &command);

private:
    void open();
    void play();
    void close();
    void soundEnded();
    void setState(State state);

    bool m_notify = false;
    bool m_wait = false;
    bool m_shareable = false;
    QString m_deviceType;
    QString m_fileName;
    State m_state = State::Closed;
    std::unique_ptr<SoundOutput> m_output; // while Ready or Playing
};

} // namespace quibrel
