// Bad input and faults, one row each with what the user then sees. In every row the launcher stays alive and
// answers, keeps every setting and speaks up exactly where the user can do something about it. That no text
// or name reaches a shell is the random user's to show (tst_stress), with shell syntax in its texts and
// names.

#include "files/file_system.h"
#include "sound/multimedia_control.h"
#include "support/child_run.h"
#include "support/modal_boxes.h"
#include "support/scratch_tree.h"
#include "support/sound_server.h"
#include "support/stub_emulator.h"
#include "support/tone.h"
#include "support/window_driver.h"
#include "ui/controls.h"
#include "ui/directory_list.h"
#include "ui/file_list.h"
#include "ui/message_box.h"
#include "ui/quibrel.h"
#include "ui/tab_control.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <cmath>
#include <csignal>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace quibrel;
using State = MultimediaControl::State;

namespace {

const char childVariable[] = "QUIBREL_FAULTS_CHILD";
const char serverPidVariable[] = "QUIBREL_FAULTS_SERVER_PID";
const int fillerVariables = 80;

QByteArray fillerName(int i)
{
    return "QUIBREL_FAULTS_FILLER_" + QByteArray::number(i);
}

// Every setting, one "name=value" line each, so that two moments can be compared and a difference read.
QStringList describe(const LaunchSettings &s)
{
    return {QStringLiteral("frmVPeriod=%1 %2").arg(int(s.frmVPeriod)).arg(s.txtVPeriodCustom),
            QStringLiteral("frmUPeriod=%1 %2").arg(int(s.frmUPeriod)).arg(s.txtUPeriodCustom),
            QStringLiteral("frmScreenRefresh=%1").arg(int(s.frmScreenRefresh)),
            QStringLiteral("frmSound=%1").arg(int(s.frmSound)),
            QStringLiteral("frmStereo=%1").arg(int(s.frmStereo)),
            QStringLiteral("lblVolume=%1").arg(s.lblVolume),
            QStringLiteral("frmJoystick=%1").arg(int(s.frmJoystick)),
            QStringLiteral("frmIfreq=%1 %2").arg(int(s.frmIfreq)).arg(s.txtIfreqCustom),
            QStringLiteral("frmVerbose=%1").arg(int(s.frmVerbose)),
            QStringLiteral("frmCheat=%1 %2").arg(int(s.frmCheat)).arg(s.txtCheat),
            QStringLiteral("frmBg=%1 %2").arg(int(s.frmBg)).arg(s.txtBgCustom),
            QStringLiteral("frmVideo=%1").arg(int(s.frmVideo)),
            QStringLiteral("frmKeys=%1 %2").arg(int(s.frmKeys)).arg(s.txtKeysCustom.left(80)),
            QStringLiteral("FileBoxPath=%1").arg(s.FileBoxPath),
            QStringLiteral("lblGameSelected=%1").arg(s.lblGameSelected)};
}

// A label shows its text as it is, not as markup.
bool showsLiterally(const QLabel *label)
{
    return label->textFormat() == Qt::PlainText ||
           (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()));
}

// A sound server of the test's own, which a row may kill: started as scripts/virtual-session starts the
// suite's, by a shell that stops it again when the shell is told to end.
class PrivateSoundServer {
public:
    ~PrivateSoundServer()
    {
        if (m_session.state() != QProcess::NotRunning) {
            m_session.terminate();
            m_session.waitForFinished();
        }
    }

    bool start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Kept off every session bus: on the one the display leads to, another server already holds the
        // server's bus name, and this one would quit at once.
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=/nonexistent"));
        m_session.setProcessEnvironment(environment);
        m_session.start(
            QStringLiteral("bash"),
            {QStringLiteral("-c"),
             QStringLiteral("source \"$0\" && start_sound && echo \"${session_pids[-1]} $PULSE_SERVER\" "
                            "&& trap exit TERM && wait"),
             QStringLiteral(QUIBREL_VIRTUAL_SESSION)});
        if (!m_session.waitForReadyRead(20000))
            return false;
        const QStringList started = QString::fromLocal8Bit(m_session.readLine()).trimmed().split(u' ');
        if (started.size() != 2)
            return false;
        m_pid = started[0].toLongLong();
        m_address = started[1];
        return m_pid > 0 && soundServerAnswers(m_address);
    }

    QString address() const { return m_address; }
    qint64 pid() const { return m_pid; }
    QByteArray log() { return m_session.readAll(); }

private:
    QProcess m_session;
    qint64 m_pid = 0;
    QString m_address;
};

enum class LaunchFault {
    WorkingDirectoryDeleted,
    GameDeleted,
    HugeTextWithBlanks,
    HugeTextOneWord,
    ArgumentsBeyondTheLimit,
};

enum class BrowserFault {
    ShownFolderDeletedThenLeft,
    ShownFolderDeletedThenOpenedAgain,
    SubfolderWithoutPermission,
    LinkLoopsInTheFolder,
};

enum class SoundServerFault { KilledWhilePlaying, KilledBetweenOpenAndPlay };

} // namespace

Q_DECLARE_METATYPE(LaunchFault)
Q_DECLARE_METATYPE(BrowserFault)
Q_DECLARE_METATYPE(SoundServerFault)

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void launchFaults_data();
    void launchFaults();
    void browserFaults_data();
    void browserFaults();
    void oddFileNames_data();
    void oddFileNames();
    void soundServerFaults_data();
    void soundServerFaults();

private:
    template <typename T> T *find(const char *name) const { return m_driver.find<T>(name); }
    void openWindow();
    void closeWindow();
    void answerBoxes();
    void chooseSomeOptions();
    QByteArrayList optionsChosen() const;
    QByteArrayList pressPlay();
    void checkStillAnswers();
    void checkMessage(const QStringList &parts);
    void soundServerChild(SoundServerFault fault);

    bool m_child = false;
    bool m_soundServer = false;
    QString m_originalDirectory;
    QTemporaryDir *m_scratch = nullptr;
    QString m_root;
    QString m_emu;
    StubEmulator *m_stub = nullptr;
    WindowDriver m_driver;
    int m_boxesClosed = 0;
    MessageBox::Recorder m_messages;
};

void TestFaults::initTestCase()
{
    m_child = isChildRun(childVariable);
    m_soundServer = !m_child && soundServerAnswers();
    m_originalDirectory = QDir::currentPath();
    // A message box that nobody answered in advance would wait for a person: close it, and count it.
    answerEveryModalBox(this, &m_boxesClosed);
}

void TestFaults::init()
{
    m_scratch = new QTemporaryDir;
    QVERIFY(m_scratch->isValid());
    m_scratch->setAutoRemove(false); // some rows leave names that QTemporaryDir cannot remove
    m_root = m_scratch->path();
    m_emu = m_root + "/emu";
    QVERIFY(QDir().mkpath(m_emu + "/roms"));
    for (const char *name : {"tetris.gb", "roms/zelda.gb", "roms/notes.txt"})
        QVERIFY(makeFile(encodeFileName(m_emu + "/" + name)));
    m_stub = new StubEmulator(m_emu);
    QVERIFY(QDir::setCurrent(m_emu));
    m_messages.clear();
    m_boxesClosed = 0;
}

void TestFaults::cleanup()
{
    closeWindow();
    delete m_stub;
    m_stub = nullptr;
    QDir::setCurrent(m_originalDirectory);
    ::chmod(encodeFileName(m_emu + "/roms").constData(), 0755);
    removeTree(encodeFileName(m_root));
    delete m_scratch;
    m_scratch = nullptr;
    for (int i = 0; i < fillerVariables; ++i)
        qunsetenv(fillerName(i));
}

void TestFaults::openWindow()
{
    m_driver.open();
    QTRY_COMPARE(find<FileList>("FileBox")->fileNames(), QStringList{"tetris.gb"});
    QTRY_VERIFY(!find<DirectoryList>("DirBox")->isListing());
    QCOMPARE(m_messages.shown().size(), 0);
}

void TestFaults::closeWindow()
{
    m_driver.close();
}

void TestFaults::answerBoxes()
{
    m_messages.clear();
    m_messages.setNextAnswer(QMessageBox::Ok);
}

// Settings away from their start values, so that "kept" means something.
void TestFaults::chooseSomeOptions()
{
    find<QRadioButton>("optNoSound")->click();
    find<QRadioButton>("optVerbose8")->click();
    find<QRadioButton>("optCheat")->click();
    find<QLineEdit>("txtCheat")->setText(QStringLiteral("00A-17B-C49"));
    find<ScrollBar>("hsbVolume")->setValue(7);
}

QByteArrayList TestFaults::optionsChosen() const
{
    return {"-sound", "0", "-volume", "7", "-verbose", "8", "-cheat", "00A-17B-C49"};
}

// PLAY; what the emulator received after its own path, or nothing when it did not run.
QByteArrayList TestFaults::pressPlay()
{
    m_stub->clearRecord();
    answerBoxes();
    QTest::mouseClick(find<QPushButton>("cmdPlay"), Qt::LeftButton);
    if (!m_messages.shown().isEmpty())
        return m_stub->ranWithin(300) ? QByteArrayList{"(ran anyway)"} : QByteArrayList{};
    return m_stub->waitForRecord().mid(1);
}

// The window is still there and still does what it is asked.
void TestFaults::checkStillAnswers()
{
    QVERIFY(m_driver.window()->isVisible());
    m_driver.showPage(5);
    QVERIFY(find<QWidget>("frmCheat")->isVisible());
    m_driver.showPage(0);
    QCOMPARE(m_boxesClosed, 0); // no second message behind the first
}

// Exactly one message, an error, whose text holds every one of `parts`; none at all when `parts` is empty.
void TestFaults::checkMessage(const QStringList &parts)
{
    const QList<MessageBox::Shown> shown = m_messages.shown();
    if (parts.isEmpty()) {
        QVERIFY2(shown.isEmpty(), qPrintable(shown.value(0).text));
        return;
    }
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Error"));
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    for (const QString &part : parts)
        QVERIFY2(shown[0].text.contains(part), qPrintable(shown[0].text + " lacks " + part));
}

// PLAY after something went wrong around the emulator: it starts with exactly the game and the options, or a
// message names the reason and the program goes on with every setting as it was.
void TestFaults::launchFaults_data()
{
    QTest::addColumn<LaunchFault>("fault");
    QTest::addColumn<QStringList>(
        "message"); // what the one message says; empty: no message, the emulator runs

    QTest::newRow("working directory deleted while running")
        << LaunchFault::WorkingDirectoryDeleted
        << QStringList{"cannot be started", "current directory", "No such file or directory"};
    QTest::newRow("game file deleted after selection") << LaunchFault::GameDeleted << QStringList();
    // A text box holds what it can; the emulator gets exactly what the box shows, or the message names why
    // not.
    QTest::newRow("10 MiB custom text of words") << LaunchFault::HugeTextWithBlanks << QStringList();
    QTest::newRow("10 MiB custom text in one word") << LaunchFault::HugeTextOneWord << QStringList();
    QTest::newRow("arguments and environment beyond the system's limit")
        << LaunchFault::ArgumentsBeyondTheLimit << QStringList{"%E/Zemu.exe", "Argument list too long"};
}

void TestFaults::launchFaults()
{
    QFETCH(LaunchFault, fault);
    QFETCH(QStringList, message);
    message.replaceInStrings("%E", m_emu);
    openWindow();
    chooseSomeOptions();
    m_driver.openFolder(m_emu + "/roms");
    m_driver.selectGame("zelda.gb");
    QByteArrayList expected = QByteArrayList{encodeFileName(m_emu + "/roms/zelda.gb")} + optionsChosen();

    QString typed;
    switch (fault) {
    case LaunchFault::WorkingDirectoryDeleted:
        QVERIFY(QDir(m_emu).removeRecursively());
        break;
    case LaunchFault::GameDeleted:
        QVERIFY(QFile::remove(m_emu + "/roms/zelda.gb"));
        break;
    case LaunchFault::HugeTextWithBlanks:
    case LaunchFault::HugeTextOneWord: {
        const QString piece =
            fault == LaunchFault::HugeTextWithBlanks ? QStringLiteral("w0123 ") : QStringLiteral("abcdef");
        typed = piece.repeated(10 * 1024 * 1024 / piece.size());
        m_driver.showPage(3);
        find<QRadioButton>("optKeysCustom")->click();
        auto box = find<QLineEdit>("txtKeysCustom");
        QApplication::clipboard()->setText(typed);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(!box->text().isEmpty());
        QVERIFY(typed.startsWith(box->text())); // the box holds the beginning of what was pasted, if not all
        if (box->text().size() < typed.size())
            qInfo("The box took %lld of the %lld characters pasted", qlonglong(box->text().size()),
                  qlonglong(typed.size()));
        else
            message = QStringList{"Argument list too long"}; // nothing cut: no system takes 10 MiB
        expected << "-keys";
        for (const QString &word : box->text().split(u' ', Qt::SkipEmptyParts))
            expected << word.toUtf8();
        break;
    }
    case LaunchFault::ArgumentsBeyondTheLimit:
        // The system's limit holds the arguments and the environment together (at most a quarter of the stack
        // limit, and never over 6 MiB): fill the environment past it, in variables the size of a long option.
        for (int i = 0; i < fillerVariables; ++i)
            qputenv(fillerName(i), QByteArray(100 * 1024, 'x'));
        break;
    }
    const QStringList before = describe(m_driver.window()->settings());

    const QByteArrayList received = pressPlay();

    checkMessage(message);
    if (message.isEmpty())
        QCOMPARE(received, expected);
    else
        QCOMPARE(received, QByteArrayList());
    QCOMPARE(describe(m_driver.window()->settings()), before);
    checkStillAnswers();
}

// The game browser when folders change under it: a folder that cannot be opened is named in a message with
// the reason, and the browser stays where it was.
void TestFaults::browserFaults_data()
{
    QTest::addColumn<BrowserFault>("fault");
    QTest::addColumn<QString>("open");             // the entry double-clicked, below the scratch folder
    QTest::addColumn<QStringList>("message");      // empty: none
    QTest::addColumn<QString>("shownAfter");       // the folder both lists show then
    QTest::addColumn<QStringList>("foldersAfter"); // the subfolders listed then
    QTest::addColumn<QStringList>("gamesAfter");   // the games listed then

    QTest::newRow("folder deleted while shown, then left")
        << BrowserFault::ShownFolderDeletedThenLeft << "emu" << QStringList() << "emu" << QStringList()
        << QStringList{"tetris.gb"};
    QTest::newRow("folder deleted while shown, then opened again")
        << BrowserFault::ShownFolderDeletedThenOpenedAgain << "emu/roms"
        << QStringList{"%R/emu/roms", "cannot be opened", "No such file or directory"} << "emu/roms"
        << QStringList() << QStringList{"zelda.gb"};
    QTest::newRow("subfolder without read permission")
        << BrowserFault::SubfolderWithoutPermission << "emu/roms"
        << QStringList{"%R/emu/roms", "cannot be opened", "Permission denied"} << "emu" << QStringList{"roms"}
        << QStringList{"tetris.gb"};
    // Loops are not followed while listing: only a link that leads to a real folder or file is listed.
    QTest::newRow("symbolic-link loops in the folder")
        << BrowserFault::LinkLoopsInTheFolder << "emu" << QStringList() << "emu" << QStringList{"roms", "up"}
        << QStringList{"tetris.gb", "twin.gb"};
}

void TestFaults::browserFaults()
{
    QFETCH(BrowserFault, fault);
    QFETCH(QString, open);
    QFETCH(QStringList, message);
    QFETCH(QString, shownAfter);
    QFETCH(QStringList, foldersAfter);
    QFETCH(QStringList, gamesAfter);
    message.replaceInStrings("%R", m_root);
    if (fault == BrowserFault::SubfolderWithoutPermission && ::geteuid() == 0)
        QSKIP(
            "permissions do not stop root from reading a folder; the other rows give the same message path");
    openWindow();
    chooseSomeOptions();
    auto folders = find<DirectoryList>("DirBox");
    auto games = find<FileList>("FileBox");
    const QByteArray roms = encodeFileName(m_emu + "/roms");

    switch (fault) {
    case BrowserFault::ShownFolderDeletedThenLeft:
    case BrowserFault::ShownFolderDeletedThenOpenedAgain:
        m_driver.openFolder(m_emu + "/roms");
        QCOMPARE(games->fileNames(), QStringList{"zelda.gb"});
        QVERIFY(removeTree(roms));
        break;
    case BrowserFault::SubfolderWithoutPermission:
        QVERIFY(::chmod(roms.constData(), 0) == 0);
        break;
    case BrowserFault::LinkLoopsInTheFolder: {
        m_driver.openFolder(m_emu + "/roms"); // the links are made while another folder is shown
        const QByteArray emu = encodeFileName(m_emu);
        QVERIFY(makeLink("self", emu + "/self"));
        QVERIFY(makeLink("ring2", emu + "/ring1"));
        QVERIFY(makeLink("ring1", emu + "/ring2"));
        QVERIFY(makeLink("loop.gb", emu + "/loop.gb"));
        QVERIFY(makeLink(".", emu + "/up")); // a link back to its own folder: endless, but only step by step
        QVERIFY(makeLink("tetris.gb", emu + "/twin.gb"));
        break;
    }
    }
    // The folder shown is the one setting that the user changes here.
    const auto settingsButFolder = [this] {
        QStringList settings = describe(m_driver.window()->settings());
        settings.removeIf([](const QString &line) { return line.startsWith("FileBoxPath="); });
        return settings;
    };
    const QStringList before = settingsButFolder();

    answerBoxes();
    m_driver.openFolder(m_root + "/" + open);

    checkMessage(message);
    QCOMPARE(folders->path(), m_root + "/" + shownAfter);
    QCOMPARE(games->path(), m_root + "/" + shownAfter);
    // The subfolders are the entries after the shown folder's own.
    QStringList listedFolders;
    bool afterShown = false;
    for (int row = 0; row < folders->model()->rowCount(); ++row) {
        const QModelIndex index = folders->model()->index(row, 0);
        if (afterShown)
            listedFolders << index.data().toString();
        afterShown = afterShown || index.data(DirectoryList::PathRole).toString() == folders->path();
    }
    QCOMPARE(listedFolders, foldersAfter);
    QCOMPARE(games->fileNames(), gamesAfter);
    QCOMPARE(settingsButFolder(), before);
    QCOMPARE(m_driver.window()->settings().FileBoxPath, m_root + "/" + shownAfter);
    checkStillAnswers();

    if (fault == BrowserFault::LinkLoopsInTheFolder) {
        // Following the link back to its own folder is one more level, listed like any other.
        m_driver.openFolder(m_emu + "/up");
        QCOMPARE(folders->path(), m_emu + "/up");
        QCOMPARE(games->fileNames(), gamesAfter);
    }
    // Whatever happened, the user can still choose a game and start it.
    m_driver.openFolder(m_emu);
    m_driver.selectGame("tetris.gb");
    QCOMPARE(pressPlay(), QByteArrayList{encodeFileName(m_emu + "/tetris.gb")} + optionsChosen());
}

// Names that are awkward for a list, a label or a command line: each is listed on one line, selected by a
// double-click and passed to the emulator byte for byte.
void TestFaults::oddFileNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("newline") << QByteArray("two\nlines.gb");
    QTest::newRow("tab and carriage return") << QByteArray("tab\there\r.gb");
    QTest::newRow("double quotes") << QByteArray("say \"hi\".gb");
    QTest::newRow("backslashes") << QByteArray("back\\slash\\\\.gb");
    QTest::newRow("leading dash") << QByteArray("-video 5.gb");
    QTest::newRow("leading double dash") << QByteArray("--help.gb");
    QTest::newRow("blanks at both ends") << QByteArray("  spaced  .gb");
    QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfe game \x80.gb");
    QTest::newRow("UTF-8 cut short") << QByteArray("caf\xc3.gb");
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80.gb");
    QTest::newRow("real UTF-8") << QByteArray("caf\xc3\xa9 \xe2\x98\x83 \xf0\x9f\x8e\xae.gb");
    QTest::newRow("markup") << QByteArray("<b>bold<b> &lt;.gb");
    QTest::newRow("percent signs") << QByteArray("%1 %2 100%.gb");
    QTest::newRow("255 bytes") << QByteArray(252, 'n') + ".gb";
}

void TestFaults::oddFileNames()
{
    QFETCH(QByteArray, name);
    const QByteArray folder = encodeFileName(m_emu + "/odd");
    QVERIFY(makeDirectory(folder));
    QVERIFY(makeFile(folder + "/" + name));
    QVERIFY(makeFile(folder + "/plain.gb"));
    openWindow();
    chooseSomeOptions();
    m_driver.openFolder(m_emu + "/odd");
    auto games = find<FileList>("FileBox");
    const QString decoded = decodeFileName(name);
    QCOMPARE(games->fileNames().size(), 2);
    QVERIFY(games->fileNames().contains(decoded));

    const QModelIndex index = games->model()->index(int(games->fileNames().indexOf(decoded)), 0);
    const QString shown = index.data().toString();
    QVERIFY2(!shown.contains(u'\n') && !shown.contains(u'\r'), "each name takes one line");
    QCOMPARE(shown.size(), decoded.size());
    m_driver.selectGame(decoded);
    auto label = find<QLabel>("lblGameSelected");
    QCOMPARE(label->text(), decoded);
    QCOMPARE(pressPlay(), QByteArrayList{folder + "/" + name} + optionsChosen());
    QCOMPARE(m_messages.shown().size(), 0);
    QVERIFY2(showsLiterally(label), "the label shows the name as it is");
}

// The sound server going away: the device ends up Ready or Closed, never stuck in
// Playing, the program goes on and PLAY still starts the emulator. Each row runs in a child process, since a
// process looks for its sound server once.
void TestFaults::soundServerFaults_data()
{
    QTest::addColumn<SoundServerFault>("fault");
    QTest::newRow("sound server killed while playing") << SoundServerFault::KilledWhilePlaying;
    QTest::newRow("sound server killed between Open and Play") << SoundServerFault::KilledBetweenOpenAndPlay;
}

void TestFaults::soundServerFaults()
{
    QFETCH(SoundServerFault, fault);
    if (m_child) {
        soundServerChild(fault);
        return;
    }
    PrivateSoundServer server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!server.start())
        QSKIP(qPrintable("needs pulseaudio to start a sound server of the test's own: " + server.log()));
    environment.insert(QStringLiteral("PULSE_SERVER"), server.address());
    environment.insert(QString::fromLatin1(serverPidVariable), QString::number(server.pid()));
    const ChildRun run = runInChild(childVariable, QStringLiteral("soundServerFaults"),
                                    QString::fromUtf8(QTest::currentDataTag()), environment);
    QVERIFY2(run.passed, run.output.constData());
}

void TestFaults::soundServerChild(SoundServerFault fault)
{
    const QString path = m_root + "/sting.wav";
    QVERIFY(writeTone(path, 30));
    const pid_t server = pid_t(qEnvironmentVariableIntValue(serverPidVariable));
    {
        MultimediaControl control;
        control.setDeviceType(QStringLiteral("WaveAudio"));
        control.setFileName(path);
        control.setCommand(QStringLiteral("Open"));
        QCOMPARE(control.state(), State::Ready);
        if (fault == SoundServerFault::KilledWhilePlaying) {
            control.setCommand(QStringLiteral("Play"));
            QCOMPARE(control.state(), State::Playing);
            QTest::qWait(300);
        }
        QVERIFY(server > 0 && ::kill(server, SIGKILL) == 0);
        if (fault == SoundServerFault::KilledBetweenOpenAndPlay) {
            QTest::qWait(300);
            control.setCommand(QStringLiteral("Play"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(control.state() != State::Playing, 20000);
        qInfo() << "With the sound server gone the device is" << control.state();
        control.setCommand(QStringLiteral("Close"));
        QCOMPARE(control.state(), State::Closed);
        // Opening again finds no server and stays Closed.
        control.setCommand(QStringLiteral("Open"));
        control.setCommand(QStringLiteral("Play"));
        QVERIFY(control.state() != State::Playing);
        control.setCommand(QStringLiteral("Close"));
    }
    // The window carries on as always: no message, and PLAY starts the emulator.
    openWindow();
    m_driver.selectGame("tetris.gb");
    QCOMPARE(pressPlay(), (QByteArrayList{encodeFileName(m_emu + "/tetris.gb"), "-volume", "10"}));
    QCOMPARE(m_messages.shown().size(), 0);
    checkStillAnswers();
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
