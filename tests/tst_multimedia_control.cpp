#include "sound/multimedia_control.h"
#include "support/child_run.h"
#include "support/sink_recorder.h"
#include "support/sound_server.h"
#include "support/tone.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <sndfile.h>
#include <vector>

using namespace quibrel;
using State = MultimediaControl::State;

namespace {

const char childVariable[] = "QUIBREL_TEST_WITHOUT_SOUND_SERVER";

bool writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

enum class Content { Tone, ManyChannels };

// Writes a one-second file of the given kind.
bool writeFile(const QString &path, Content content)
{
    switch (content) {
    case Content::Tone:
        return writeTone(path, 1);
    case Content::ManyChannels:
        return writeTone(path, 0.1, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 64);
    }
    return false;
}

// The playback streams that the sound server holds for this process; -1 when it cannot be asked.
int streamsOfThisProcess()
{
    return streamsOfProcess(QCoreApplication::applicationPid());
}

QList<State> states(const QSignalSpy &spy)
{
    QList<State> list;
    for (const QList<QVariant> &arguments : spy)
        list << arguments.at(0).value<State>();
    return list;
}

} // namespace

Q_DECLARE_METATYPE(Content)

class TestMultimediaControl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void commands_data();
    void commands();
    void heardToItsEnd_data();
    void heardToItsEnd();
    void closeWhilePlayingSilencesAtOnce();
    void failedOpenStaysClosedAndSilent_data();
    void failedOpenStaysClosedAndSilent();
    void openWithoutSoundServer();
    void localPath_data();
    void localPath();

private:
    QString file(const QString &name) const { return m_files->filePath(name); }
    // Gives the control the settings the window gives it, with `fileName` in place of the fixed path.
    void prepare(MultimediaControl &control, const QString &fileName,
                 const QString &deviceType = QStringLiteral("WaveAudio"));

    bool m_soundServer = false;
    QTemporaryDir *m_files = nullptr;
};

void TestMultimediaControl::initTestCase()
{
    m_soundServer = !isChildRun(childVariable) && soundServerAnswers();
}

void TestMultimediaControl::init()
{
    m_files = new QTemporaryDir;
    QVERIFY(m_files->isValid());
}

void TestMultimediaControl::cleanup()
{
    delete m_files;
    m_files = nullptr;
}

void TestMultimediaControl::prepare(MultimediaControl &control, const QString &fileName,
                                    const QString &deviceType)
{
    control.setNotify(false);
    control.setWait(true);
    control.setShareable(false);
    control.setDeviceType(deviceType);
    control.setFileName(fileName);
}

// Steps that are no command: wait until the sound server plays the sound, or until the sound has ended.
const QString untilAStream = QStringLiteral("(until a stream)");
const QString untilTheEnd = QStringLiteral("(until the end)");

// The commands in order, from a closed device with a wave file of `seconds`: the state they leave, the states
// the control announced on the way, and the playback streams left on the sound server. After a Close the
// stream must be gone at once; otherwise the server is given time to tell.
void TestMultimediaControl::commands_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<State>("state");
    QTest::addColumn<QList<State>>("announced");
    QTest::addColumn<int>("streams");

    using L = QList<State>;
    const State closed = State::Closed;
    const State ready = State::Ready;
    const State playing = State::Playing;
    QTest::newRow("Open: ready, silent") << 1.5 << QStringList{"Open"} << ready << L{ready} << 0;
    QTest::newRow("Play: playing, one stream")
        << 10.0 << QStringList{"Open", "Play"} << playing << L{ready, playing} << 1;
    QTest::newRow("the end: ready") << 0.3 << QStringList{"Open", "Play", untilTheEnd} << ready
                                    << L{ready, playing, ready} << 0;
    QTest::newRow("Play after the end plays again")
        << 0.3 << QStringList{"Open", "Play", untilTheEnd, "Play", untilTheEnd} << ready
        << L{ready, playing, ready, playing, ready} << 0;
    QTest::newRow("Close while playing stops at once")
        << 30.0 << QStringList{"Open", "Play", untilAStream, "Close"} << closed << L{ready, playing, closed}
        << 0;
    QTest::newRow("Close when ready closes; Play then does nothing")
        << 1.0 << QStringList{"Open", "Close", "Play"} << closed << L{ready, closed} << 0;
    QTest::newRow("Close when closed does nothing; Open still works")
        << 1.0 << QStringList{"Close", "Close", "Open"} << ready << L{ready} << 0;
    // Only the exact command names are commands.
    for (const char *other : {"Stop", "close", "Close ", ""}) {
        QTest::newRow(qPrintable(QStringLiteral("\"%1\" while playing does nothing").arg(other)))
            << 10.0 << QStringList{"Open", "Play", untilAStream, other} << playing << L{ready, playing} << 1;
    }
}

void TestMultimediaControl::commands()
{
    REQUIRE_SOUND_SERVER(m_soundServer);
    QFETCH(double, seconds);
    QFETCH(QStringList, commands);
    QFETCH(State, state);
    QFETCH(QList<State>, announced);
    QFETCH(int, streams);
    QVERIFY(writeTone(file("sting.wav"), seconds));
    MultimediaControl control;
    prepare(control, file("sting.wav"));
    QSignalSpy spy(&control, &MultimediaControl::stateChanged);

    for (const QString &command : commands) {
        if (command == untilAStream)
            QTRY_COMPARE(streamsOfThisProcess(), 1);
        else if (command == untilTheEnd)
            QTRY_COMPARE_WITH_TIMEOUT(control.state(), State::Ready, 20000);
        else
            control.setCommand(command);
    }

    QCOMPARE(control.state(), state);
    QCOMPARE(states(spy), announced);
    if (commands.last() == QLatin1String("Close"))
        QCOMPARE(streamsOfThisProcess(), streams);
    else
        QTRY_COMPARE(streamsOfThisProcess(), streams);
    QCOMPARE(control.state(), state);
}

// What the sound server played, recorded from the sink's monitor: the whole sound, and only then Ready.
void TestMultimediaControl::heardToItsEnd_data()
{
    QTest::addColumn<double>("seconds");
    QTest::newRow("short sound") << 0.4;
    QTest::newRow("longer sound") << 2.0;
}

void TestMultimediaControl::heardToItsEnd()
{
    REQUIRE_SOUND_SERVER(m_soundServer);
    QFETCH(double, seconds);
    QVERIFY(writeTone(file("sting.wav"), seconds));
    MultimediaControl control;
    prepare(control, file("sting.wav"));
    SinkRecorder recorder;
    QVERIFY(recorder.start());

    control.setCommand("Open");
    control.setCommand("Play");
    QTRY_COMPARE_WITH_TIMEOUT(control.state(), State::Ready, 20000);
    QTest::qWait(1000);

    const double heard = SinkRecorder::heardSeconds(recorder.stop());
    qInfo("A %.3f s sound was heard for %.3f s", seconds, heard);
    QVERIFY2(qAbs(heard - seconds) <= 0.030, qPrintable(QString::number(heard)));
    QTRY_COMPARE(streamsOfThisProcess(), 0);
}

// The null sink's sound reaches its monitor late (about 1.7 s here), so the sound is closed well after that,
// and the recording goes on for longer than the rest of the sound: once closed, nothing more of it is heard.
void TestMultimediaControl::closeWhilePlayingSilencesAtOnce()
{
    REQUIRE_SOUND_SERVER(m_soundServer);
    QVERIFY(writeTone(file("sting.wav"), 3));
    MultimediaControl control;
    prepare(control, file("sting.wav"));
    SinkRecorder recorder;
    QVERIFY(recorder.start());
    control.setCommand("Open");

    QElapsedTimer played;
    played.start();
    control.setCommand("Play");
    QTest::qWait(2200);
    control.setCommand("Close");
    const double closedAfter = played.nsecsElapsed() / 1e9;
    QTest::qWait(3000);

    const double heard = SinkRecorder::heardSeconds(recorder.stop());
    qInfo("Closed after %.3f s of playing; heard for %.3f s", closedAfter, heard);
    QVERIFY2(heard > 0.3, qPrintable(QString::number(heard)));
    QVERIFY2(heard <= closedAfter + 0.030, qPrintable(QString::number(heard)));
}

void TestMultimediaControl::failedOpenStaysClosedAndSilent_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<Content>("content");

    const QString wave = "WaveAudio";
    QTest::newRow("missing file") << "absent.wav" << wave << Content::Tone;
    QTest::newRow("missing directory") << "absent/sting.wav" << wave << Content::Tone;
    // Which files decode is the decoder's own test (tst_wave); this one a sound that decodes and that no
    // output takes.
    QTest::newRow("wave with 64 channels") << "sting.wav" << wave << Content::ManyChannels;
    QTest::newRow("device type CDAudio") << "sting.wav"
                                         << "CDAudio" << Content::Tone;
    QTest::newRow("no device type") << "sting.wav"
                                    << "" << Content::Tone;
}

void TestMultimediaControl::failedOpenStaysClosedAndSilent()
{
    REQUIRE_SOUND_SERVER(m_soundServer);
    QFETCH(QString, fileName);
    QFETCH(QString, deviceType);
    QFETCH(Content, content);
    QVERIFY(writeFile(file("sting.wav"), content));
    MultimediaControl control;
    prepare(control, file(fileName), deviceType);
    QSignalSpy spy(&control, &MultimediaControl::stateChanged);

    control.setCommand("Open");
    QCOMPARE(control.state(), State::Closed);
    control.setCommand("Play");
    QCOMPARE(control.state(), State::Closed);
    control.setCommand("Close");

    QCOMPARE(control.state(), State::Closed);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(streamsOfThisProcess(), 0);
}

// The default output is looked up once per process, so the case without any sound server runs in a child
// process of this test, pointed at a server that does not exist.
void TestMultimediaControl::openWithoutSoundServer()
{
    if (isChildRun(childVariable)) {
        QVERIFY(QMediaDevices::defaultAudioOutput().isNull());
        QVERIFY(writeTone(file("sting.wav"), 1));
        MultimediaControl control;
        prepare(control, file("sting.wav"));
        control.setCommand("Open");
        QCOMPARE(control.state(), State::Closed);
        control.setCommand("Play");
        QCOMPARE(control.state(), State::Closed);
        control.setCommand("Close");
        QCOMPARE(control.state(), State::Closed);
        return;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
    const ChildRun run = runInChild(childVariable, QStringLiteral("openWithoutSoundServer"), {}, environment);
    QVERIFY2(run.passed, run.output.constData());
}

void TestMultimediaControl::localPath_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("found"); // below the drives' root; empty when nothing is found

    const QString sting = "d/Vud/Musiques/WAVE/NewSting.wav";
    QTest::newRow("every component in other case") << R"(D:\VUD\MUSIQUES\WAVE\NEWSTING.WAV)" << sting;
    QTest::newRow("lower-case drive letter") << R"(d:\vud\musiques\wave\newsting.wav)" << sting;
    QTest::newRow("forward slashes") << "D:/VUD/MUSIQUES/WAVE/NEWSTING.WAV" << sting;
    QTest::newRow("doubled separator") << R"(D:\VUD\\MUSIQUES\WAVE\NEWSTING.WAV)" << sting;
    QTest::newRow("exact case preferred") << R"(D:\VUD\MUSIQUES\SONS\BIP.WAV)"
                                          << "d/Vud/Musiques/Sons/BIP.WAV";
    QTest::newRow("exact case preferred, other spelling") << R"(D:\VUD\MUSIQUES\SONS\Bip.wav)"
                                                          << "d/Vud/Musiques/Sons/Bip.wav";
    QTest::newRow("missing file") << R"(D:\VUD\MUSIQUES\WAVE\OTHER.WAV)"
                                  << "";
    QTest::newRow("missing directory") << R"(D:\VUD\SONS\WAVE\NEWSTING.WAV)"
                                       << "";
    QTest::newRow("parent directory") << R"(D:\VUD\..\VUD\MUSIQUES\WAVE\NEWSTING.WAV)"
                                      << "";
    QTest::newRow("other drive") << R"(E:\VUD\MUSIQUES\WAVE\NEWSTING.WAV)"
                                 << "";
    QTest::newRow("no drive letter") << "/srv/sounds/NEWSTING.WAV"
                                     << "/srv/sounds/NEWSTING.WAV";
}

void TestMultimediaControl::localPath()
{
    QFETCH(QString, fileName);
    QFETCH(QString, found);
    const QDir drives(m_files->path());
    QVERIFY(drives.mkpath("d/Vud/Musiques/WAVE"));
    QVERIFY(drives.mkpath("d/Vud/Musiques/Sons"));
    for (const char *name :
         {"d/Vud/Musiques/WAVE/NewSting.wav", "d/Vud/Musiques/Sons/Bip.wav", "d/Vud/Musiques/Sons/BIP.WAV"})
        QVERIFY(writeText(drives.filePath(name), "x"));

    const QString expected = found.isEmpty() || found.startsWith('/') ? found : drives.filePath(found);
    QCOMPARE(MultimediaControl::localPath(fileName, drives.path()), expected);
}

QTEST_GUILESS_MAIN(TestMultimediaControl)
#include "tst_multimedia_control.moc"
