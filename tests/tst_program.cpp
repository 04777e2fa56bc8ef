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
#include <xcb/xcb.h>

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

// Listens on the X server's root window for the messages of the desktop's startup notification. Each comes in
// client messages of 20 bytes, the first of type _NET_STARTUP_INFO_BEGIN and the others _NET_STARTUP_INFO,
// until a zero byte.
class StartupNotificationListener {
public:
    StartupNotificationListener()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE; // the mask the messages are sent with
        xcb_change_window_attributes(m_connection, root, XCB_CW_EVENT_MASK, &mask);
        m_begin = atom("_NET_STARTUP_INFO_BEGIN");
        m_more = atom("_NET_STARTUP_INFO");
    }
    ~StartupNotificationListener() { xcb_disconnect(m_connection); }

    bool isListening() const { return !xcb_connection_has_error(m_connection) && m_begin && m_more; }

    // The next whole message, or an empty one when none is complete within `milliseconds`.
    QByteArray next(int milliseconds)
    {
        QDeadlineTimer deadline(milliseconds);
        while (!deadline.hasExpired()) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool whole = (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                                   take(*reinterpret_cast<xcb_client_message_event_t *>(event));
                free(event);
                if (whole)
                    return std::exchange(m_message, QByteArray());
            }
            QTest::qWait(10);
        }
        return {};
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, false, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    }

    // Adds a piece to the message; true when the message is whole.
    bool take(const xcb_client_message_event_t &piece)
    {
        if (piece.format != 8 || (piece.type != m_begin && piece.type != m_more))
            return false;
        if (piece.type == m_begin)
            m_message.clear();
        const char *bytes = reinterpret_cast<const char *>(piece.data.data8);
        const int length = int(qstrnlen(bytes, 20));
        m_message.append(bytes, length);
        return length < 20;
    }

    xcb_connection_t *m_connection;
    xcb_atom_t m_begin = XCB_ATOM_NONE;
    xcb_atom_t m_more = XCB_ATOM_NONE;
    QByteArray m_message;
};

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
    void tellsTheDesktopItHasStarted();
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
    if (test != "upWhateverStandsAtTheSoundPath" && test != "soundModuleAsInstalled" &&
        test != "tellsTheDesktopItHasStarted")
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

// The window's text font is the application's, but message boxes keep the system font: a message box is laid
// out as any program's, to the pixel.
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

// A desktop that starts the program with startup notification learns that it is up: once the window shows,
// the "remove" message goes out with the id the desktop gave.
void TestProgram::tellsTheDesktopItHasStarted()
{
    StartupNotificationListener listener;
    QVERIFY(listener.isListening());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), QStringLiteral("quibrel-test-1_TIME42"));
    m_program->setProcessEnvironment(environment);
    QVERIFY(startProgram());
    QCOMPARE(listener.next(10000), QByteArray("remove: ID=quibrel-test-1_TIME42"));
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
    QTest::newRow("link to /dev/urandom") << R"(ln -s /dev/urandom "$F")" << false << false;
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
