// The real program on a real X server with a window manager, driven from outside as a person would.

#include "launch/play.h"
#include "support/stub_emulator.h"
#include "support/sound_server.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

int xwininfoValue(const QString &window, const QString &field)
{
    const QString info = run("xwininfo", {"-id", window});
    const QRegularExpression pattern(QRegularExpression::escape(field) + R"(:\s+(-?\d+))");
    return pattern.match(info).captured(1).toInt();
}

// The file names of the libraries and other files that the process `pid` has mapped.
QStringList mappedFiles(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    QStringList files;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const int slash = line.lastIndexOf('/');
        const QString name = slash < 0 ? QString() : QString::fromLocal8Bit(line.mid(slash + 1));
        if (!name.isEmpty() && !files.contains(name))
            files << name;
    }
    return files;
}

// What only playing a sound needs: the sound module, Qt Multimedia and what it brings (Qt Network, Kerberos,
// libproxy), libsndfile and its codecs, the sound server's client.
QStringList soundLibraries(const QStringList &files)
{
    static const QRegularExpression sound(QStringLiteral(
        "^(quibrel-sound|libQt6Multimedia|libQt6Network|libsndfile|libFLAC|libogg|libvorbis|libopus|"
        "libmp3lame|libmpg123|libpulse|libasound|libgssapi_krb5|libkrb5|libproxy)"));
    return files.filter(sound);
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensMaximized();
    void playStartsTheEmulator();
    void quitEndsTheProgram();
    void closingTheWindowEndsTheProgram();
    void messageBoxInTheSystemFont();
    void noSoundLibraryWithoutTheSoundFile();
    void upWhateverStandsAtTheSoundPath_data();
    void upWhateverStandsAtTheSoundPath();
    void soundModuleAsInstalled_data();
    void soundModuleAsInstalled();

private:
    // Starts `program`, through `wrapper` when one is given (a command that ends by running its last
    // argument), and waits up to `timeoutMs` for its window; false when none came.
    bool startProgram(const QStringList &wrapper = {}, int timeoutMs = 30000,
                      const QString &program = QStringLiteral(QUIBREL_PROGRAM));
    // Starts `program` in a mount namespace of its own, with a /mnt of its own where `make` (shell commands)
    // has made $F, the start-up sound's path; $W is a readable 3 s wave file.
    bool startOverSoundPath(const QString &make, const QString &program = QStringLiteral(QUIBREL_PROGRAM));
    void clickAt(int x, int y, int repeat = 1);
    QTemporaryDir *m_folder = nullptr;
    StubEmulator *m_stub = nullptr;
    QProcess *m_program = nullptr;
    QString m_window;
};

void TestProgram::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server with a window manager (scripts/test starts Xvfb and openbox)");
}

void TestProgram::init()
{
    m_folder = new QTemporaryDir;
    QFile game(m_folder->filePath("game one.gb"));
    QVERIFY(game.open(QIODevice::WriteOnly));
    m_stub = new StubEmulator(m_folder->path());
    m_program = new QProcess;
    m_program->setWorkingDirectory(m_folder->path());
    // Those tests start the program themselves, in surroundings of their own.
    const QByteArray test = QTest::currentTestFunction();
    if (test != "upWhateverStandsAtTheSoundPath" && test != "soundModuleAsInstalled")
        QVERIFY(startProgram());
}

bool TestProgram::startProgram(const QStringList &wrapper, int timeoutMs, const QString &program)
{
    m_window.clear();
    const QStringList command = wrapper + QStringList{program};
    m_program->start(command.first(), command.mid(1));
    if (!m_program->waitForStarted())
        return false;
    QElapsedTimer waited;
    waited.start();
    while (m_window.isEmpty() && waited.elapsed() < timeoutMs && m_program->state() == QProcess::Running) {
        m_window = run("xdotool", {"search", "--onlyvisible", "--pid",
                                   QString::number(m_program->processId()), "--name", R"(^Quibrel! v0\.2$)"})
                       .split('\n')
                       .value(0);
    }
    if (m_window.isEmpty())
        return false;
    qInfo("The window was shown %lld ms after the start", waited.elapsed());
    // The window manager maximizes the window after it is mapped.
    QDeadlineTimer deadline(10000);
    while (xwininfoValue(m_window, "Width") < 1200 && !deadline.hasExpired())
        QTest::qWait(50);
    QTest::qWait(300);
    return true;
}

void TestProgram::cleanup()
{
    if (m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished();
    }
    delete m_program;
    delete m_stub;
    delete m_folder;
}

// Clicks at a point given in the window's own coordinates. Not "mousemove --sync": it waits for a move, for
// ever when the pointer is there already; the server takes the move and the click in their order anyway.
void TestProgram::clickAt(int x, int y, int repeat)
{
    const int left = xwininfoValue(m_window, "Absolute upper-left X");
    const int top = xwininfoValue(m_window, "Absolute upper-left Y");
    run("xdotool", {"mousemove", QString::number(left + x), QString::number(top + y), "click", "--repeat",
                    QString::number(repeat), "--delay", "80", "1"});
}

void TestProgram::opensMaximized()
{
    QCOMPARE(xwininfoValue(m_window, "Width"), 1280);
    QVERIFY(xwininfoValue(m_window, "Height") >= 950);
    const QString state = run("xprop", {"-id", m_window, "_NET_WM_STATE"});
    QVERIFY2(state.contains("_NET_WM_STATE_MAXIMIZED_VERT") && state.contains("_NET_WM_STATE_MAXIMIZED_HORZ"),
             qPrintable(state));
}

void TestProgram::playStartsTheEmulator()
{
    clickAt(8 + 216 + 40, 8 + 160 + 9, 2); // the first game in the file list
    clickAt(120 + 72, 472 + 32);           // PLAY
    QCOMPARE(m_stub->waitForRecord(),
             (QByteArrayList{QFile::encodeName(m_stub->programPath()),
                             QFile::encodeName(m_folder->filePath("game one.gb")), "-volume", "10"}));
    QCOMPARE(m_program->state(), QProcess::Running);
}

void TestProgram::quitEndsTheProgram()
{
    clickAt(288 + 72, 472 + 32); // QUIT
    QVERIFY(m_program->waitForFinished(10000));
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
}

void TestProgram::closingTheWindowEndsTheProgram()
{
    run("xdotool", {"windowactivate", "--sync", m_window, "key", "--clearmodifiers", "alt+F4"});
    QVERIFY(m_program->waitForFinished(10000));
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
}

// The window's text font is the window's own: a message box is laid out as any program's, to the pixel.
void TestProgram::messageBoxInTheSystemFont()
{
    QMessageBox expected(QMessageBox::Critical, quibrel::errorTitle, quibrel::noGameMessage, QMessageBox::Ok);
    expected.setTextFormat(Qt::PlainText);
    expected.show();
    QVERIFY(QTest::qWaitForWindowExposed(&expected));
    const QSize expectedSize = expected.size();
    expected.close();

    clickAt(120 + 72, 472 + 32); // PLAY, with no game selected
    QString box;
    QDeadlineTimer deadline(10000);
    while (box.isEmpty() && !deadline.hasExpired()) {
        box = run("xdotool", {"search", "--all", "--onlyvisible", "--pid",
                              QString::number(m_program->processId()), "--name", "^Error$"})
                  .split('\n')
                  .value(0);
    }
    QVERIFY(!box.isEmpty());
    QCOMPARE(QSize(xwininfoValue(box, "Width"), xwininfoValue(box, "Height")), expectedSize);
}

// The usual start: no sound file, so none of the libraries that only playing it needs is mapped by the time
// the window is there.
void TestProgram::noSoundLibraryWithoutTheSoundFile()
{
    if (QFileInfo::exists(QStringLiteral("/mnt/d")))
        QSKIP("this machine has a drive D: under /mnt, which may hold the start-up sound");
    const QStringList files = mappedFiles(m_program->processId());
    QVERIFY2(files.filter(QRegularExpression(QStringLiteral("^libQt6Widgets\\."))).size() == 1,
             qPrintable(files.join(' ')));
    QCOMPARE(soundLibraries(files), QStringList());
}

bool TestProgram::startOverSoundPath(const QString &make, const QString &program)
{
    const QString wave = m_folder->filePath("sting.wav");
    if (QProcess::execute("sox", {"-n", "-r", "22050", "-b", "16", wave, "synth", "3", "sine", "440"}) != 0)
        return false;
    const QString script =
        QStringLiteral("set -e; mount -t tmpfs drives /mnt; mkdir -p /mnt/d/VUD/MUSIQUES/WAVE; "
                       "F=/mnt/d/VUD/MUSIQUES/WAVE/NEWSTING.WAV; W='%1'; %2; exec \"$0\"")
            .arg(wave, make);
    return startProgram({"unshare", "--mount", "--propagation", "private", "sh", "-c", script}, 10000,
                        program);
}

// Whatever stands at the start-up sound's path, the window comes up and answers; only a wave file that can be
// read is played. The path is made in a mount namespace of the program's own, over a /mnt of its own.
void TestProgram::upWhateverStandsAtTheSoundPath_data()
{
    QTest::addColumn<QString>("make"); // shell commands that make $F; $W is a readable wave file
    QTest::addColumn<bool>("heard");
    QTest::addColumn<bool>("module"); // the sound module is loaded: only a regular file is worth it
    const bool root = ::geteuid() == 0;
    QTest::newRow("nothing") << ":" << false << false;
    QTest::newRow("named pipe without a writer") << R"(mkfifo "$F")" << false << false;
    QTest::newRow("directory") << R"(mkdir "$F")" << false << false;
    QTest::newRow("link to /dev/zero") << R"(ln -s /dev/zero "$F")" << false << false;
    QTest::newRow("empty file") << R"(: > "$F")" << false << true;
    QTest::newRow("2 GiB sparse file") << R"(truncate -s 2G "$F")" << false << true;
    QTest::newRow("wave without read permission") << R"(cp "$W" "$F" && chmod 000 "$F")" << root << true;
    QTest::newRow("dangling link") << R"(ln -s /nonexistent/sting.wav "$F")" << false << false;
    QTest::newRow("wave file") << R"(cp "$W" "$F")" << true << true;
}

void TestProgram::upWhateverStandsAtTheSoundPath()
{
    QFETCH(QString, make);
    QFETCH(bool, heard);
    QFETCH(bool, module);
    if (::geteuid() != 0)
        QSKIP("needs root for a mount namespace of its own (scripts/test in CI runs as root)");

    QVERIFY2(startOverSoundPath(make), qPrintable(m_program->readAllStandardError()));

    if (heard)
        QTRY_COMPARE(streamsOfProcess(m_program->processId()), 1);
    else
        QCOMPARE(streamsOfProcess(m_program->processId()), 0);
    const QStringList files = mappedFiles(m_program->processId());
    QCOMPARE(files.contains(QStringLiteral("quibrel-sound.so")), module);
    if (!module)
        QCOMPARE(soundLibraries(files), QStringList());
    clickAt(288 + 72, 472 + 32); // QUIT
    QVERIFY(m_program->waitForFinished(10000));
    QCOMPARE(m_program->exitCode(), 0);
}

// The program as installed finds its sound module beside it (lib/.../quibrel/ next to bin/), outside the
// build tree; a module that is not there, or not ours, is one more sound that cannot be played.
void TestProgram::soundModuleAsInstalled_data()
{
    QTest::addColumn<QString>("module"); // what stands where the installed program looks for its module
    QTest::addColumn<bool>("heard");
    QTest::newRow("the module") << QStringLiteral(QUIBREL_SOUND_MODULE) << true;
    QTest::newRow("nothing") << QString() << false;
    QTest::newRow("not a library") << QStringLiteral(QUIBREL_STUB_EMULATOR) << false;
    QTest::newRow("another library") << QStringLiteral("/lib/x86_64-linux-gnu/libz.so.1") << false;
}

void TestProgram::soundModuleAsInstalled()
{
    QFETCH(QString, module);
    QFETCH(bool, heard);
    if (::geteuid() != 0)
        QSKIP("needs root for a mount namespace of its own (scripts/test in CI runs as root)");
    if (!module.isEmpty() && !QFileInfo::exists(module))
        QSKIP(qPrintable(module + " is not on this machine"));
    const QString program = m_folder->filePath("usr/bin/quibrel");
    const QString installedModule =
        QDir::cleanPath(m_folder->filePath("usr/bin/") + QStringLiteral(QUIBREL_SOUND_MODULE_INSTALLED));
    QVERIFY(QDir().mkpath(QFileInfo(program).path()) && QDir().mkpath(QFileInfo(installedModule).path()));
    QVERIFY(QFile::copy(QStringLiteral(QUIBREL_PROGRAM), program));
    if (!module.isEmpty())
        QVERIFY(QFile::copy(module, installedModule));

    QVERIFY2(startOverSoundPath(R"(cp "$W" "$F")", program), qPrintable(m_program->readAllStandardError()));

    if (heard) {
        QTRY_COMPARE(streamsOfProcess(m_program->processId()), 1);
        QVERIFY(mappedFiles(m_program->processId()).contains(QStringLiteral("quibrel-sound.so")));
    } else {
        QCOMPARE(streamsOfProcess(m_program->processId()), 0);
    }
    clickAt(288 + 72, 472 + 32); // QUIT
    QVERIFY(m_program->waitForFinished(10000));
    QCOMPARE(m_program->exitCode(), 0);
}

// The test draws a message box of its own to compare with the program's: on the X server when there is one.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestProgram test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_program.moc"
