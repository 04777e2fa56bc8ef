#include "files/file_system.h"
#include "launch/play.h"
#include "launch/program_kind.h"
#include "support/stub_emulator.h"

#include <QRegularExpression>
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

private:
    QTemporaryDir *m_root = nullptr;
    QString m_originalDirectory;
    QByteArray m_path;
};

void TestEmulatorLaunch::init()
{
    m_originalDirectory = QDir::currentPath();
    m_path = qgetenv("PATH");
    m_root = new QTemporaryDir;
    QVERIFY(m_root->isValid());
}

void TestEmulatorLaunch::cleanup()
{
    QDir::setCurrent(m_originalDirectory);
    qputenv("PATH", m_path);
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
    QTest::newRow("DOS program")
        << mz(0x1000) << "wine wine64"
        << start +
               "a DOS program, which cannot be given its arguments whole on this system. Run the emulator "
               "inside DOSBox by hand.";
    QTest::newRow("Windows program for ARM64")
        << mz(0x80, QByteArray("PE\0\0\x64\xAA", 6)) << "wine wine64"
        << start + "a Windows program for another kind of processor, which this system cannot start.";
}

void TestEmulatorLaunch::windowsProgramThroughWine()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, loaders);
    QFETCH(QString, message);
    const QDir handlers(QStringLiteral("/proc/sys/fs/binfmt_misc"));
    const QStringList registered =
        handlers.entryList(QDir::Files).filter(QRegularExpression("^(?!register$|status$)"));
    if (!registered.isEmpty())
        QSKIP(qPrintable("binfmt_misc has handlers registered (" + registered.join(", ") +
                         "): a DOS or Windows program may start here"));
    const QString bin = m_root->filePath("bin");
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(m_root->filePath("lib/wine")));
    std::unique_ptr<StubEmulator> wine;
    if (loaders == "-") {
        qputenv("PATH", QFile::encodeName(bin));
    } else {
        wine = std::make_unique<StubEmulator>(bin, QStringLiteral("wine"));
        qputenv("PATH", QFile::encodeName(bin) + ':' + m_path);
        for (const QString &loader : loaders.split(' '))
            QVERIFY(QFile::copy(wine->programPath(), m_root->filePath("lib/wine/" + loader)));
    }
    const QString program = m_root->filePath("Zemu.exe");
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
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

QTEST_GUILESS_MAIN(TestEmulatorLaunch)
#include "tst_emulator_launch.moc"
