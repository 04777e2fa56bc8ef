#include "files/file_system.h"
#include "launch/play.h"
#include "launch/program_kind.h"
#include "support/stub_emulator.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace quibrel;

Q_DECLARE_METATYPE(quibrel::ProgramKind)

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

// The start of a DOS or Windows program: "MZ", and `signature` at `newHeader`, the offset stored at 0x3C.
QByteArray mz(quint32 newHeader, const QByteArray &signature = {})
{
    QByteArray bytes = QByteArray("MZ").leftJustified(0x40, '\0');
    if (!signature.isEmpty())
        bytes = bytes.leftJustified(newHeader + signature.size(), '\0')
                    .replace(newHeader, signature.size(), signature);
    for (int i = 0; i < 4; ++i)
        bytes[0x3C + i] = char(newHeader >> (8 * i));
    return bytes;
}

const QByteArray pe64 = mz(0x80, QByteArray("PE\0\0\x64\x86", 6));
const QByteArray pe32 = mz(0x80, QByteArray("PE\0\0\x4C\x01", 6));
const QByteArray ne = mz(0x80, "NE");

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
    void refusedWithoutAGame();
    void failedStartIsReported_data();
    void failedStartIsReported();
    void emulatorFoundWhateverItsCase_data();
    void emulatorFoundWhateverItsCase();
    void programKindFromHeader_data();
    void programKindFromHeader();
    void windowsProgramThroughWine_data();
    void windowsProgramThroughWine();
    void dosProgramInDosBox_data();
    void dosProgramInDosBox();

private:
    QTemporaryDir *m_root = nullptr;
    QString m_originalDirectory;
    QByteArray m_path;
    QProcessEnvironment m_environment;
};

void TestEmulatorLaunch::init()
{
    m_originalDirectory = QDir::currentPath();
    m_path = qgetenv("PATH");
    m_environment = QProcessEnvironment::systemEnvironment();
    m_root = new QTemporaryDir;
    QVERIFY(m_root->isValid());
}

void TestEmulatorLaunch::cleanup()
{
    QDir::setCurrent(m_originalDirectory);
    qputenv("PATH", m_path);
    for (const char *name : {"DISPLAY", "SDL_VIDEODRIVER", "XDG_DATA_HOME"}) {
        if (m_environment.contains(name))
            qputenv(name, m_environment.value(name).toLocal8Bit());
        else
            qunsetenv(name);
    }
    delete m_root;
    m_root = nullptr;
}

void TestEmulatorLaunch::emulatorReceives_data()
{
    QTest::addColumn<QString>("workingFolder");
    QTest::newRow("every setting at its start value") << "emu";
    QTest::newRow("working directory with a blank") << "my emu";
}

void TestEmulatorLaunch::emulatorReceives()
{
    QFETCH(QString, workingFolder);
    const QString working = m_root->filePath(workingFolder);
    QVERIFY(QDir().mkpath(working));
    StubEmulator stub(working);
    QVERIFY(QDir::setCurrent(working));
    FakeFrontEnd window;
    QCOMPARE(play(gameChosenIn(m_root->path()), window.frontEnd()), PlayOutcome::Started);
    QCOMPARE(window.errors, QStringList());
    QCOMPARE(window.soundCloses, 1);
    QCOMPARE(stub.waitForRecord(), bytes({stub.programPath(), m_root->filePath("a.gb"), "-volume", "10"}));
}

void TestEmulatorLaunch::refusedWithoutAGame()
{
    StubEmulator stub(m_root->path());
    QVERIFY(QDir::setCurrent(m_root->path()));
    LaunchSettings s = gameChosenIn(m_root->path());
    s.lblGameSelected.clear();
    FakeFrontEnd window;
    QCOMPARE(play(s, window.frontEnd()), PlayOutcome::Refused);
    QCOMPARE(window.errors, QStringList{"You must chose a game first!"});
    QCOMPARE(window.titles, QStringList{"Error"});
    QCOMPARE(window.soundCloses, 0);
    QVERIFY(!stub.ranWithin(300));
}

void TestEmulatorLaunch::failedStartIsReported_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("Zemu.exe not executable") << "plain"
                                             << "Permission denied";
    QTest::newRow("Zemu.exe a directory") << "directory"
                                          << "Permission denied";
    QTest::newRow("Zemu.exe not a program") << "garbage"
                                            << "Exec format error";
    QTest::newRow("Zemu.exe a symbolic-link loop") << "loop"
                                                   << "Too many levels of symbolic links";
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
    } else if (kind == "loop") {
        QVERIFY(QFile::link("Zemu.exe", program));
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

void TestEmulatorLaunch::programKindFromHeader_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<ProgramKind>("kind");
    QTest::newRow("64-bit PE") << pe64 << ProgramKind::Windows64;
    QTest::newRow("32-bit PE") << pe32 << ProgramKind::Windows32;
    QTest::newRow("PE for ARM64") << mz(0x80, QByteArray("PE\0\0\x64\xAA", 6))
                                  << ProgramKind::WindowsOtherMachine;
    QTest::newRow("NE") << ne << ProgramKind::Windows16;
    QTest::newRow("DOS") << mz(0x80, "\xB4\x4C\xCD\x21") << ProgramKind::Dos;
    QTest::newRow("new header inside the old one")
        << mz(0x20, QByteArray("PE\0\0\x64\x86", 6)) << ProgramKind::Dos;
    QTest::newRow("new header past the end") << mz(0x1000) << ProgramKind::Dos;
    QTest::newRow("\"MZ\" alone") << QByteArray("MZ") << ProgramKind::Dos;
    QTest::newRow("1-byte file") << QByteArray("M") << ProgramKind::Other;
    QTest::newRow("not \"MZ\"") << QByteArray("\x7F"
                                              "ELF")
                                       .leftJustified(0x100, '\0')
                                << ProgramKind::Other;
}

void TestEmulatorLaunch::programKindFromHeader()
{
    QFETCH(QByteArray, header);
    QFETCH(ProgramKind, kind);
    QFile file(m_root->filePath("Zemu.exe"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header);
    file.close();
    QCOMPARE(programKind(file.fileName()), kind);
}

// A DOS or Windows program, which this system cannot start by itself, goes through the first `wine` on PATH
// when Wine's loaders (lib/wine/ beside its bin/) can run it; otherwise the user is told what to install.
void TestEmulatorLaunch::windowsProgramThroughWine_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("loaders"); // "-": no wine on PATH
    QTest::addColumn<QString>("message"); // %1 is Zemu.exe's path; empty: started through wine

    const QString start = QStringLiteral("The emulator %1 cannot be started: it is ");
    const QString wine32 = QStringLiteral(
        "wine32, which needs the i386 architecture (dpkg --add-architecture i386, then apt-get update).");
    const QString cannot =
        QStringLiteral(", which the Wine installed here cannot start. Install the package ");
    QTest::newRow("64-bit program, 64-bit Wine") << pe64 << "wine64"
                                                 << "";
    QTest::newRow("32-bit program, 32-bit Wine") << pe32 << "wine wine64"
                                                 << "";
    QTest::newRow("16-bit program, 32-bit Wine") << ne << "wine"
                                                 << "";
    QTest::newRow("32-bit program, 64-bit Wine only")
        << pe32 << "wine64" << start + "a 32-bit Windows program" + cannot + wine32;
    QTest::newRow("16-bit program, 64-bit Wine only")
        << ne << "wine64" << start + "a 16-bit Windows program" + cannot + wine32;
    QTest::newRow("64-bit program, 32-bit Wine only")
        << pe64 << "wine" << start + "a 64-bit Windows program" + cannot + "wine64.";
    QTest::newRow("64-bit program, no Wine")
        << pe64 << "-"
        << start +
               "a 64-bit Windows program and Wine is not installed. Install the packages wine and wine64.";
    QTest::newRow("32-bit program, no Wine")
        << pe32 << "-"
        << start + "a 32-bit Windows program and Wine is not installed. Install the packages wine and " +
               wine32;
    QTest::newRow("64-bit program, a Wine laid out otherwise") << pe64 << ""
                                                               << "";
    QTest::newRow("Windows program for ARM64")
        << mz(0x80, QByteArray("PE\0\0\x64\xAA", 6)) << "wine wine64"
        << start + "a Windows program for another kind of processor, which this system cannot start.";
}

void TestEmulatorLaunch::windowsProgramThroughWine()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, loaders);
    QFETCH(QString, message);
    const QString bin = m_root->filePath("bin");
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(m_root->filePath("lib/wine")));
    std::unique_ptr<StubEmulator> wine;
    if (loaders == "-") {
        qputenv("PATH", QFile::encodeName(bin));
    } else {
        wine = std::make_unique<StubEmulator>(bin, QStringLiteral("wine"));
        qputenv("PATH", QFile::encodeName(bin) + ':' + m_path);
        for (const QString &loader : loaders.split(' ', Qt::SkipEmptyParts))
            QVERIFY(QFile::copy(wine->programPath(), m_root->filePath("lib/wine/" + loader)));
    }
    const QString program = m_root->filePath("Zemu.exe");
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header);
    file.close();
    // As unzip leaves a program from a Windows archive: without an execute bit.
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(QDir::setCurrent(m_root->path()));
    const LaunchSettings s = gameChosenIn(m_root->path());
    FakeFrontEnd window;

    const PlayOutcome outcome = play(s, window.frontEnd());

    if (message.isEmpty()) {
        QCOMPARE(outcome, PlayOutcome::Started);
        QCOMPARE(window.errors, QStringList());
        QCOMPARE(wine->waitForRecord(),
                 bytes({wine->programPath(), program, m_root->filePath("a.gb"), "-volume", "10"}));
        return;
    }
    QCOMPARE(outcome, PlayOutcome::Failed);
    QCOMPARE(window.errors, QStringList{message.arg(program)});
    QCOMPARE(window.titles, QStringList{"Error"});
    if (wine)
        QVERIFY(!wine->ranWithin(300));
}

// A DOS program runs in the first `dosbox` on PATH: its folder as C:, the game as D:, where DOS shows it
// under its own name; else from a stand-in folder of the launcher's that links to it, the same at each PLAY.
void TestEmulatorLaunch::dosProgramInDosBox_data()
{
    QTest::addColumn<QStringList>("games");   // in the game folder, the one chosen first
    QTest::addColumn<QString>("environment"); // "": DOSBox and a display are there
    QTest::addColumn<QString>("dosGame");     // the game as DOS is given it
    QTest::addColumn<bool>("standIn");        // from a stand-in folder
    QTest::addColumn<QString>("message");     // %1 is Zemu.exe's path; empty: started

    QTest::newRow("a DOS name") << QStringList{"tetris.gb", "tetris.sav"} << ""
                                << "TETRIS.GB" << false << "";
    QTest::newRow("a DOS name that another game has in another case")
        << QStringList{"tetris.gb", "TETRIS.GB"} << ""
        << "TETRIS.GB" << true << "";
    QTest::newRow("the second of two similar long names")
        << QStringList{"Puzzle League Two.gb", "Puzzle League One.gb"} << ""
        << "PUZZLELE.GB" << true << "";
    QTest::newRow("other letters") << QStringList{QString::fromUtf8("\xc3\xa9t\xc3\xa9.gb")} << ""
                                   << "T.GB" << true << "";
    const QString start =
        QStringLiteral("The emulator %1 cannot be started: it is a DOS program, which runs in "
                       "DOSBox, and DOSBox ");
    QTest::newRow("no DOSBox") << QStringList{"tetris.gb"} << "no dosbox"
                               << "" << false << start + "is not installed. Install the package dosbox.";
    QTest::newRow("no display") << QStringList{"tetris.gb"} << "no display"
                                << "" << false
                                << start + "needs an X display, which this session does not have (DISPLAY is "
                                           "not set).";
}

void TestEmulatorLaunch::dosProgramInDosBox()
{
    QFETCH(QStringList, games);
    QFETCH(QString, environment);
    QFETCH(QString, dosGame);
    QFETCH(bool, standIn);
    QFETCH(QString, message);
    const QString folder = m_root->filePath(QString::fromUtf8("My G\xc3\xa4mes"));
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(m_root->filePath("bin")));
    for (const QString &game : games)
        QVERIFY(QFile(folder + '/' + game).open(QIODevice::WriteOnly));
    const StubEmulator dosbox(m_root->filePath("bin"), QStringLiteral("dosbox"));
    qputenv("PATH", QFile::encodeName(m_root->filePath("bin")) + ':' + m_path);
    if (environment == "no dosbox") {
        QVERIFY(QFile::remove(dosbox.programPath()));
        qputenv("PATH", QFile::encodeName(m_root->filePath("bin")));
    }
    qputenv("DISPLAY", ":99");
    qunsetenv("SDL_VIDEODRIVER");
    if (environment == "no display")
        qunsetenv("DISPLAY");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_root->filePath("data")));
    const QString program = m_root->filePath("Zemu.exe");
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(mz(0x1000));
    file.close();
    QVERIFY(QDir::setCurrent(m_root->path()));
    LaunchSettings s = gameChosenIn(folder);
    s.lblGameSelected = games.first();
    FakeFrontEnd window;

    if (!message.isEmpty()) {
        QCOMPARE(play(s, window.frontEnd()), PlayOutcome::Failed);
        QCOMPARE(window.errors, QStringList{message.arg(program)});
        QVERIFY(!dosbox.ranWithin(300));
        return;
    }
    QString firstDrive;
    for (const char *press : {"first PLAY", "second PLAY"}) {
        dosbox.clearRecord();
        QCOMPARE(play(s, window.frontEnd()), PlayOutcome::Started);
        QCOMPARE(window.errors, QStringList());
        const QByteArrayList record = dosbox.waitForRecord();
        QCOMPARE(record.size(), 14);
        QCOMPARE(record[5], "mount c \"" + encodeFileName(m_root->path()) + '"');
        QCOMPARE(record[11], "ZEMU.EXE D:\\" + dosGame.toUtf8() + " -volume 10");
        const QByteArray mountD = record[7];
        QVERIFY2(mountD.startsWith("mount d \"") && mountD.endsWith('"'), mountD);
        const QString drive = decodeFileName(mountD.mid(9, mountD.size() - 10));
        QCOMPARE(drive.startsWith(m_root->filePath("data/quibrel/dos-games/")), standIn);
        // DOS finds names whatever their case.
        const QStringList onDrive = QDir(drive).entryList({dosGame}, QDir::Files);
        QCOMPARE(onDrive.size(), 1);
        QCOMPARE(QFileInfo(drive + '/' + onDrive[0]).canonicalFilePath(), folder + '/' + games.first());
        // What the emulator wrote for the game at the first PLAY is there at the second.
        if (firstDrive.isEmpty()) {
            firstDrive = drive;
            QVERIFY(QFile(drive + "/GAME.SAV").open(QIODevice::WriteOnly));
        }
        QCOMPARE(drive, firstDrive);
        QVERIFY2(QFile::exists(drive + "/GAME.SAV"), press);
    }
}

QTEST_GUILESS_MAIN(TestEmulatorLaunch)
#include "tst_emulator_launch.moc"
