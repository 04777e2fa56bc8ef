#include "files/file_system.h"
#include "launch/play.h"
#include "support/stub_emulator.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace quibrel;

Q_DECLARE_METATYPE(quibrel::LaunchSettings)

namespace {

// Records what PLAY did to the window around it.
struct FakeFrontEnd {
    QStringList errors;
    QStringList titles;
    int soundCloses = 0;
    PlayFrontEnd frontEnd()
    {
        return {[this](const QString &title, const QString &text) {
                    errors << text;
                    titles << title;
                },
                [this] { ++soundCloses; }};
    }
};

// The settings of a window where the game a.gb was chosen in `folder`, every option at its start value.
LaunchSettings gameChosenIn(const QString &folder)
{
    LaunchSettings s;
    s.FileBoxPath = folder;
    s.lblGameSelected = QStringLiteral("a.gb");
    return s;
}

QByteArrayList bytes(const QStringList &texts)
{
    QByteArrayList list;
    for (const QString &text : texts)
        list << encodeFileName(text);
    return list;
}

} // namespace

class TestEmulatorLaunch : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void emulatorReceives_data();
    void emulatorReceives();
    void failedStartIsReported_data();
    void failedStartIsReported();
    void emulatorFoundWhateverItsCase_data();
    void emulatorFoundWhateverItsCase();
    void dosProgramIsExplained();

private:
    QTemporaryDir *m_root = nullptr;
    QString m_originalDirectory;
};

void TestEmulatorLaunch::init()
{
    m_originalDirectory = QDir::currentPath();
    m_root = new QTemporaryDir;
    QVERIFY(m_root->isValid());
}

void TestEmulatorLaunch::cleanup()
{
    QDir::setCurrent(m_originalDirectory);
    delete m_root;
    m_root = nullptr;
}

void TestEmulatorLaunch::emulatorReceives_data()
{
    QTest::addColumn<QString>("workingFolder");
    QTest::addColumn<LaunchSettings>("settings");
    QTest::addColumn<QStringList>("expected"); // after the program; %G is the game folder

    LaunchSettings s;
    s.FileBoxPath = QStringLiteral("%G");
    s.lblGameSelected = QStringLiteral("PUZZLE.GB");
    QTest::newRow("every setting at its start value") << "emu" << s << QStringList{"%G/PUZZLE.GB", "-volume", "10"};
    QTest::newRow("working directory with a blank") << "my emu" << s << QStringList{"%G/PUZZLE.GB", "-volume", "10"};

    s.FileBoxPath = QStringLiteral("%G/MY GAMES");
    QTest::newRow("game folder with a blank")
        << "emu" << s << QStringList{"%G/MY GAMES/PUZZLE.GB", "-volume", "10"};

}

void TestEmulatorLaunch::emulatorReceives()
{
    QFETCH(QString, workingFolder);
    QFETCH(LaunchSettings, settings);
    QFETCH(QStringList, expected);

    const QString working = m_root->filePath(workingFolder);
    QVERIFY(QDir().mkpath(working));
    StubEmulator stub(working);
    QVERIFY(QDir::setCurrent(working));
    settings.FileBoxPath.replace(QStringLiteral("%G"), m_root->path());
    expected.replaceInStrings(QStringLiteral("%G"), m_root->path());

    FakeFrontEnd window;
    QCOMPARE(play(settings, window.frontEnd()), PlayOutcome::Started);
    QCOMPARE(window.errors, QStringList());
    QCOMPARE(window.soundCloses, 1);
    QCOMPARE(stub.waitForRecord(), QByteArrayList{encodeFileName(stub.programPath())} + bytes(expected));
}

void TestEmulatorLaunch::failedStartIsReported_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("Zemu.exe not executable") << "plain" << "Permission denied";
    QTest::newRow("Zemu.exe a directory") << "directory" << "Permission denied";
    QTest::newRow("Zemu.exe not a program") << "garbage" << "Exec format error";
}

void TestEmulatorLaunch::failedStartIsReported()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString program = m_root->filePath("Zemu.exe");
    if (kind == "plain" || kind == "garbage") {
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x01\x02\x03 not a program");
        file.close();
        if (kind == "garbage")
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    } else if (kind == "directory") {
        QVERIFY(QDir().mkdir(program));
    }
    QVERIFY(QDir::setCurrent(m_root->path()));
    const LaunchSettings s = gameChosenIn(m_root->path());
    FakeFrontEnd window;
    QCOMPARE(play(s, window.frontEnd()), PlayOutcome::Failed);
    QCOMPARE(window.soundCloses, 1); // closed before the start was tried
    QCOMPARE(window.titles, QStringList{"Error"});
    QCOMPARE(window.errors.size(), 1);
    QVERIFY2(window.errors[0].contains(program), qPrintable(window.errors[0]));
    QVERIFY2(window.errors[0].contains(reason), qPrintable(window.errors[0]));
}

void TestEmulatorLaunch::emulatorFoundWhateverItsCase_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("started"); // empty: none is started
    QTest::newRow("Zemu.exe") << QStringList{"Zemu.exe"} << "Zemu.exe";
    QTest::newRow("ZEMU.EXE") << QStringList{"ZEMU.EXE"} << "ZEMU.EXE";
    QTest::newRow("zemu.exe") << QStringList{"zemu.exe"} << "zemu.exe";
    QTest::newRow("the exact name wins") << QStringList{"ZEMU.EXE", "Zemu.exe", "zemu.exe"} << "Zemu.exe";
    QTest::newRow("of two others, the first in code-unit order")
        << QStringList{"zemu.exe", "ZEMU.EXE"} << "ZEMU.EXE";
    QTest::newRow("another name only") << QStringList{"Zemu.exe.bak", "Zemu"} << "";
    QTest::newRow("none") << QStringList{} << "";
}

void TestEmulatorLaunch::emulatorFoundWhateverItsCase()
{
    QFETCH(QStringList, present);
    QFETCH(QString, started);
    std::vector<std::unique_ptr<StubEmulator>> stubs;
    for (const QString &name : present)
        stubs.push_back(std::make_unique<StubEmulator>(m_root->path(), name));
    QVERIFY(QDir::setCurrent(m_root->path()));
    const LaunchSettings s = gameChosenIn(m_root->path());
    FakeFrontEnd window;

    const PlayOutcome outcome = play(s, window.frontEnd());

    if (started.isEmpty()) {
        QCOMPARE(outcome, PlayOutcome::Failed);
        QCOMPARE(window.errors,
                 QStringList{QStringLiteral("The emulator %1 cannot be started: No such file or "
                                            "directory.")
                                 .arg(m_root->filePath("Zemu.exe"))});
        return;
    }
    QCOMPARE(outcome, PlayOutcome::Started);
    const QByteArrayList record = stubs.front()->waitForRecord();
    QCOMPARE(record.value(0), encodeFileName(m_root->filePath(started)));
}

// A DOS or Windows program fails to start unless the kernel has a handler for it, and the user is told why.
void TestEmulatorLaunch::dosProgramIsExplained()
{
    const QDir handlers(QStringLiteral("/proc/sys/fs/binfmt_misc"));
    const QStringList registered =
        handlers.entryList(QDir::Files).filter(QRegularExpression("^(?!register$|status$)"));
    if (!registered.isEmpty())
        QSKIP(qPrintable("binfmt_misc has handlers registered (" + registered.join(", ") +
                         "): a DOS or Windows program may start here"));
    const QString program = m_root->filePath("Zemu.exe");
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("MZ\x90\x00\x03\x00\x00\x00\x04\x00", 10) + QByteArray(118, '\0') + "PE\0\0");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(QDir::setCurrent(m_root->path()));
    const LaunchSettings s = gameChosenIn(m_root->path());
    FakeFrontEnd window;

    QCOMPARE(play(s, window.frontEnd()), PlayOutcome::Failed);

    QCOMPARE(
        window.errors,
        QStringList{"The emulator " + program +
                    " cannot be started: it is a DOS or Windows program, which this system cannot start by "
                    "itself. A Wine or DOSBox set-up that registers such programs with the kernel "
                    "(binfmt_misc) would let it start."});
    QCOMPARE(window.titles, QStringList{"Error"});
}

QTEST_GUILESS_MAIN(TestEmulatorLaunch)
#include "tst_emulator_launch.moc"
