// The real program on a real X server with a window manager, driven from outside as a person would.

#include "stub_emulator.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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

private:
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
    m_program->start(QStringLiteral(QUIBREL_PROGRAM), {});
    QVERIFY(m_program->waitForStarted());
    m_window = run("xdotool", {"search", "--sync", "--onlyvisible", "--pid", QString::number(m_program->processId()),
                               "--name", R"(^Quibrel! v0\.2$)"})
                   .split('\n')
                   .value(0);
    QVERIFY(!m_window.isEmpty());
    // The window manager maximizes the window after it is mapped.
    QTRY_VERIFY_WITH_TIMEOUT(xwininfoValue(m_window, "Width") >= 1200, 10000);
    QTest::qWait(300);
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

// Clicks at a point given in the window's own coordinates.
void TestProgram::clickAt(int x, int y, int repeat)
{
    const int left = xwininfoValue(m_window, "Absolute upper-left X");
    const int top = xwininfoValue(m_window, "Absolute upper-left Y");
    run("xdotool", {"mousemove", "--sync", QString::number(left + x), QString::number(top + y), "click", "--repeat",
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
    clickAt(120 + 72, 472 + 32);            // PLAY
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

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
