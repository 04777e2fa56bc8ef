#include "launch/command_line.h"
#include "launch/dos_command.h"
#include "launch/option_table.h"
#include "support/example_settings.h"
#include "support/option_table.h"

#include <QTest>

using namespace quibrel;

Q_DECLARE_METATYPE(quibrel::LaunchSettings)

namespace {

LaunchSettings game(const QString &directory, const QString &name)
{
    LaunchSettings s;
    s.FileBoxPath = directory;
    s.lblGameSelected = name;
    return s;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void windowsCommandLine_data();
    void windowsCommandLine();
    void eachMemberGivesItsWords_data();
    void eachMemberGivesItsWords();
    void optionPieces_data();
    void optionPieces();
    void argumentVector_data();
    void argumentVector();
    void dosboxCommand_data();
    void dosboxCommand();
};

void TestCommandLine::windowsCommandLine_data()
{
    QTest::addColumn<LaunchSettings>("settings");
    QTest::addColumn<QString>("workingDirectory");
    QTest::addColumn<QString>("expected");

    const QString emu = QStringLiteral("C:\\EMU");
    QTest::newRow("example 1: every setting at its start value")
        << game(emu, "PUZZLE.GB") << emu << QStringLiteral("C:\\EMU\\Zemu.exe C:\\EMU\\PUZZLE.GB -volume 10");
    QTest::newRow("example 2: every group away from its start value")
        << everyGroupChanged(QStringLiteral("D:\\ROMS"), QStringLiteral("C:\\PICS\\BACK.BMP")) << emu
        << QStringLiteral("C:\\EMU\\Zemu.exe D:\\ROMS\\PUZZLE.GB -vperiod 500 -uperiod 2 -nodelay -sound 0 "
                          "-stereo 2 -volume 7 -joystick 1 -ifreq 50 -verbose 4 -cheat 00A-17B-C49 "
                          "-background C:\\PICS\\BACK.BMP -video 3 -keys mykeys");
    QTest::newRow("blanks in folders are not quoted")
        << game("C:\\MY GAMES", "PUZZLE.GB") << QStringLiteral("C:\\MY EMU")
        << QStringLiteral("C:\\MY EMU\\Zemu.exe C:\\MY GAMES\\PUZZLE.GB -volume 10");
    QTest::newRow("drive roots get a second backslash")
        << game("D:\\", "PUZZLE.GB") << QStringLiteral("C:\\")
        << QStringLiteral("C:\\\\Zemu.exe D:\\\\PUZZLE.GB -volume 10");
    QTest::newRow("no game selected still composes")
        << game(emu, "") << emu << QStringLiteral("C:\\EMU\\Zemu.exe C:\\EMU\\ -volume 10");
}

void TestCommandLine::windowsCommandLine()
{
    QFETCH(LaunchSettings, settings);
    QFETCH(QString, workingDirectory);
    QFETCH(QString, expected);
    QCOMPARE(composeCommandLine(settings, workingDirectory, QLatin1Char('\\')), expected);
}

void TestCommandLine::eachMemberGivesItsWords_data()
{
    addButtonRows();
}

// The option table against the buttons written out by hand: the member alone gives its words (and its box's
// text) in its group's place; the table covers the same buttons in the same groups.
void TestCommandLine::eachMemberGivesItsWords()
{
    QFETCH(QString, name);
    const OptionButton *button = optionButton(name);
    LaunchSettings s;
    int found = 0;
    for (const OptionGroup &group : optionGroups()) {
        for (int i = 0; group.setMember && i < group.members.keyCount(); ++i) {
            if (name == QLatin1String(group.members.key(i))) {
                QCOMPARE(group.frame, button->frame);
                group.setMember(s, group.members.value(i));
                ++found;
            }
        }
        if (group.text && button->shownBox && qstrcmp(group.textBox, button->shownBox) == 0)
            s.*group.text = QStringLiteral("17");
    }
    QCOMPARE(found, 1);
    QCOMPARE(emulatorCommand(s, "/emu", QLatin1Char('/')).arguments.mid(1),
             expectedOptionWords(*button, "17"));
}

void TestCommandLine::optionPieces_data()
{
    QTest::addColumn<LaunchSettings>("settings");
    QTest::addColumn<QString>("expected");

    LaunchSettings s;
    s.frmVPeriod = VPeriod::optVPeriodCustom;
    s.frmUPeriod = UPeriod::optUPeriodCustom;
    s.frmIfreq = Ifreq::optIfreqCustom;
    s.frmCheat = Cheat::optCheat;
    s.frmBg = Bg::optBgCustom;
    s.frmKeys = Keys::optKeysCustom;
    QTest::newRow("custom buttons with empty texts add nothing") << s << QStringLiteral(" -volume 10");

    s = {};
    s.txtVPeriodCustom = s.txtUPeriodCustom = s.txtIfreqCustom = s.txtCheat = s.txtBgCustom =
        s.txtKeysCustom = QStringLiteral("ignored");
    QTest::newRow("default buttons ignore their texts") << s << QStringLiteral(" -volume 10");

    s = {};
    s.frmIfreq = Ifreq::optIfreqCustom;
    s.txtIfreqCustom = QStringLiteral("  ");
    QTest::newRow("a text of blanks is not empty") << s << QStringLiteral(" -volume 10 -ifreq   ");

    s = {};
    s.frmKeys = Keys::optKeysCustom;
    s.txtKeysCustom = QStringLiteral("-video 2");
    s.frmVideo = Video::optVideo4;
    s.lblVolume = QStringLiteral("0");
    QTest::newRow("keys come last, after the video piece")
        << s << QStringLiteral(" -volume 0 -video 4 -keys -video 2");
}

void TestCommandLine::optionPieces()
{
    QFETCH(LaunchSettings, settings);
    QFETCH(QString, expected);
    QCOMPARE(composeCommandLine(settings, "C:", QLatin1Char('\\')), "C:\\Zemu.exe \\" + expected);
}

void TestCommandLine::argumentVector_data()
{
    QTest::addColumn<LaunchSettings>("settings");
    QTest::addColumn<QString>("workingDirectory");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("start values") << game("/roms", "puzzle.gb") << QStringLiteral("/emu")
                                  << QStringLiteral("/emu/Zemu.exe")
                                  << QStringList{"/roms/puzzle.gb", "-volume", "10"};
    QTest::newRow("game and emulator folders with blanks stay one argument")
        << game("/my games", "my puzzle.gb") << QStringLiteral("/my emu")
        << QStringLiteral("/my emu/Zemu.exe") << QStringList{"/my games/my puzzle.gb", "-volume", "10"};

    LaunchSettings s = game("/roms", "a.gb");
    s.frmBg = Bg::optBgCustom;
    s.txtBgCustom = QStringLiteral(R"("/pics/my back.bmp")");
    s.frmCheat = Cheat::optCheat;
    s.txtCheat = QStringLiteral("x\\y $(id) ;ls");
    QTest::newRow("custom texts split as a C runtime splits them")
        << s << QStringLiteral("/emu") << QStringLiteral("/emu/Zemu.exe")
        << QStringList{"/roms/a.gb", "-volume", "10",          "-cheat",           "x\\y",
                       "$(id)",      ";ls",     "-background", "/pics/my back.bmp"};

    s = game("/roms", "a.gb");
    s.frmKeys = Keys::optKeysCustom;
    s.txtKeysCustom = QString::fromUtf8("a\tb c\xc2\xa0"
                                        "d e\nf \"\"\"q\"\"\" \"\" x");
    QTest::newRow("only blanks and tabs separate; three quotes make one")
        << s << QStringLiteral("/emu") << QStringLiteral("/emu/Zemu.exe")
        << QStringList{"/roms/a.gb",
                       "-volume",
                       "10",
                       "-keys",
                       "a",
                       "b",
                       QString::fromUtf8("c\xc2\xa0"
                                         "d"),
                       "e\nf",
                       "\"q\"",
                       "x"};

    s = game("/roms", "a.gb");
    s.frmCheat = Cheat::optCheat;
    s.txtCheat = QStringLiteral("\"a b");
    s.frmVideo = Video::optVideo2;
    QTest::newRow("a quote left open runs on over the words after it, as on the command line")
        << s << QStringLiteral("/emu") << QStringLiteral("/emu/Zemu.exe")
        << QStringList{"/roms/a.gb", "-volume", "10", "-cheat", "a b -video 2"};
}

void TestCommandLine::argumentVector()
{
    QFETCH(LaunchSettings, settings);
    QFETCH(QString, workingDirectory);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const EmulatorCommand command = emulatorCommand(settings, workingDirectory, QLatin1Char('/'));
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
    // A DOS program gets the option part of the command line as the window composes it.
    QCOMPARE(command.program + ' ' + arguments.first() + command.options,
             composeCommandLine(settings, workingDirectory, QLatin1Char('/')));
}

// DOSBox's commands for a DOS emulator: each `-c` one command, the emulator's folder as C:, the game's as D:.
void TestCommandLine::dosboxCommand_data()
{
    QTest::addColumn<QString>("workingFolder");
    QTest::addColumn<QString>("gameFolder");
    QTest::addColumn<QString>("game");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QStringList>("commands"); // mounting C:, mounting D:, running the emulator
    QTest::addColumn<QString>("refusal");      // empty: started

    const QString emu = QStringLiteral("/home/ann/My Emu");
    const QString roms = QString::fromUtf8("/home/ann/Jeux \xc3\xa9t\xc3\xa9");
    const QString volume = QStringLiteral(" -volume 10");
    QTest::newRow("folders with blanks and other letters mount in quotes")
        << emu << roms << "TETRIS.GB" << volume
        << QStringList{"mount c \"/home/ann/My Emu\"", "mount d \"" + roms + "\"",
                       "ZEMU.EXE D:\\TETRIS.GB -volume 10"}
        << "";
    QTest::newRow("a long name's stand-in")
        << emu << "/home/ann/.local/share/quibrel/dos-games/0a1b"
        << "PUZZLELE.GB" << volume + " -keys my keys"
        << QStringList{"mount c \"/home/ann/My Emu\"",
                       "mount d \"/home/ann/.local/share/quibrel/dos-games/0a1b\"",
                       "ZEMU.EXE D:\\PUZZLELE.GB -volume 10 -keys my keys"}
        << "";
    QTest::newRow("% arrives as typed") << "/emu%1"
                                        << "/roms%"
                                        << "A.GB" << volume + " -cheat 100%"
                                        << QStringList{"mount c \"/emu%%1\"", "mount d \"/roms%%\"",
                                                       "ZEMU.EXE D:\\A.GB -volume 10 -cheat 100%%"}
                                        << "";
    QTest::newRow("redirection characters inside quotes are text")
        << "/emu"
        << "/roms"
        << "A.GB" << volume + " -keys \"<a|b>\""
        << QStringList{"mount c \"/emu\"", "mount d \"/roms\"",
                       "ZEMU.EXE D:\\A.GB -volume 10 -keys \"<a|b>\""}
        << "";
    for (const char *c : {">", "<", "|"}) {
        QTest::addRow("\"%s\" outside quotes is refused", c)
            << "/emu"
            << "/roms"
            << "A.GB" << volume + " -keys \"a\" b" + c + "c" << QStringList()
            << QStringLiteral("DOS would take the \"%1\" in its options as a redirection; in double quotes "
                              "it goes through")
                   .arg(c);
    }
    // The tail DOS gets: a blank, "D:\A.GB -volume 10 -keys " (24 bytes) and the keys.
    QTest::newRow("a tail of 126 bytes")
        << "/emu"
        << "/roms"
        << "A.GB" << volume + " -keys " + QString(100, 'k')
        << QStringList{"mount c \"/emu\"", "mount d \"/roms\"",
                       "ZEMU.EXE D:\\A.GB -volume 10 -keys " + QString(100, 'k')}
        << "";
    QTest::newRow("a tail of 127 bytes")
        << "/emu"
        << "/roms"
        << "A.GB" << volume + " -keys " + QString(101, 'k') << QStringList()
        << "its command tail for DOS would be 127 bytes long, and DOS takes at "
           "most 126: shorten the custom texts";
    QTest::newRow("bytes, not characters, are counted")
        << "/emu"
        << "/roms"
        << "A.GB" << volume + " -keys " + QString(99, 'k') + QString::fromUtf8("\xc3\xa9") << QStringList()
        << "its command tail for DOS would be 127 bytes long, and DOS takes at most 126: shorten the custom "
           "texts";
    QTest::newRow("a working folder with a double quote")
        << "/my \"emu\""
        << "/roms"
        << "A.GB" << volume << QStringList()
        << "DOSBox cannot mount the folder /my \"emu\": its name "
           "holds a double quote";
    QTest::newRow("a game folder with a double quote")
        << "/emu"
        << "/\"roms\""
        << "A.GB" << volume << QStringList()
        << "DOSBox cannot mount the folder /\"roms\": its name holds a double quote";
}

void TestCommandLine::dosboxCommand()
{
    QFETCH(QString, workingFolder);
    QFETCH(QString, gameFolder);
    QFETCH(QString, game);
    QFETCH(QString, options);
    QFETCH(QStringList, commands);
    QFETCH(QString, refusal);
    QString why;
    const QStringList arguments = dosboxArguments(workingFolder, "ZEMU.EXE", gameFolder, game, options, &why);
    QCOMPARE(why, refusal);
    if (commands.isEmpty()) {
        QCOMPARE(arguments, QStringList());
        return;
    }
    QCOMPARE(arguments, (QStringList{"-noautoexec", "-c", "@echo off", "-c", commands[0], "-c", commands[1],
                                     "-c", "c:", "-c", commands[2], "-c", "exit"}));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
