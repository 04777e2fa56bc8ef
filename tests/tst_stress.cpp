// A random user: seeded random actions on the real window (offscreen), each checked against a model of what
// every control should hold and, at every PLAY, of the argument vector the emulator should receive. The user
// browses a prepared folder tree full of odd names and traps while folders vanish under it. A failure is
// shrunk to the shortest action list that still fails on a fresh window, and printed with the seed.
//
// QUIBREL_STRESS_ACTIONS (default 5000), QUIBREL_STRESS_SEED (default fixed, so that a failing run under
// ctest fails again; scripts/stress draws a new seed for each run) and QUIBREL_STRESS_SHRINK_SECONDS (default
// 180) steer it.

#include "files/file_system.h"
#include "support/item_views.h"
#include "support/modal_boxes.h"
#include "support/option_table.h"
#include "support/scratch_tree.h"
#include "support/stub_emulator.h"
#include "support/window_driver.h"
#include "ui/controls.h"
#include "ui/directory_list.h"
#include "ui/drive_list.h"
#include "ui/file_list.h"
#include "ui/message_box.h"
#include "ui/quibrel.h"
#include "ui/tab_control.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace quibrel;

namespace {

constexpr int maxTextLength = 32767; // what a line edit holds at most
constexpr int highestVolume = 15;
constexpr int volumePage = 2;
constexpr int browserPage = 0;
constexpr int pageCount = 8;
constexpr quint64 defaultSeed = 1;

int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariable(name).toInt(&ok);
    return ok ? value : fallback;
}

// ---- The file system, driven with bytes so that any name at all can be made. ----

// True when `path` is `folder` or lies below it.
bool isUnder(const QByteArray &path, const QByteArray &folder)
{
    return folder == "/" || path == folder || path.startsWith(folder + '/');
}

enum class Replacement { File, LinkToItself, LinkToNowhere };

// A folder gone and something else in its place: a file, or a link that cannot be followed.
void replaceFolder(const QByteArray &path, Replacement replacement)
{
    removeTree(path);
    switch (replacement) {
    case Replacement::File:
        makeFile(path);
        break;
    case Replacement::LinkToItself:
        ::symlink(path.mid(path.lastIndexOf('/') + 1).constData(), path.constData());
        break;
    case Replacement::LinkToNowhere:
        ::symlink("nowhere", path.constData());
        break;
    }
}

// 0 when `path` opens as a folder, else the reason.
int openError(const QByteArray &path)
{
    DIR *folder = ::opendir(path.constData());
    if (!folder)
        return errno;
    ::closedir(folder);
    return 0;
}

enum class Listed { Folders, Games };

// What a list must show of `folder`, as sorted bytes: the entries of one kind with links followed and hidden
// names left out; games are the regular files whose names end in ".gb" in any case. Folders are full paths.
QList<QByteArray> listing(const QByteArray &folder, Listed kind)
{
    QList<QByteArray> entries;
    DIR *directory = ::opendir(folder.constData());
    if (!directory)
        return entries;
    while (const dirent *entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        struct stat status;
        if (name.startsWith('.') || ::fstatat(::dirfd(directory), entry->d_name, &status, 0) != 0)
            continue;
        if (kind == Listed::Folders && S_ISDIR(status.st_mode))
            entries << childPath(folder, name);
        else if (kind == Listed::Games && S_ISREG(status.st_mode) && name.toLower().endsWith(".gb"))
            entries << name;
    }
    ::closedir(directory);
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Outside the tree other programs make and remove folders and files at any time: there only the way back
// into the tree is known.
QList<QByteArray> knownEntries(const QList<QByteArray> &entries, const QByteArray &folder, Listed kind,
                               const QByteArray &root)
{
    if (kind == Listed::Games)
        return isUnder(folder, root) ? entries : QList<QByteArray>();
    QList<QByteArray> known;
    for (const QByteArray &entry : entries) {
        if (isUnder(entry, root) || isUnder(root, entry))
            known << entry;
    }
    return known;
}

// The folders the user browses: games with odd names and every trap a file system offers. The working folder
// "emu" (where the emulator is) is never removed; everything else may vanish and come back.
class GameTree {
public:
    explicit GameTree(const QByteArray &root)
        : m_root(root)
    {
        plan();
    }

    QByteArray root() const { return m_root; }
    QByteArray workingFolder() const { return m_root + "/emu"; }
    // Where we pretend that volumes are mounted: the root and two folders in it.
    QStringList volumes() const
    {
        const QString root = decodeFileName(m_root);
        return {root, root + "/vol1", root + "/vol2"};
    }
    QList<QByteArray> removableFolders() const
    {
        QList<QByteArray> folders;
        for (const Entry &entry : m_plan) {
            if ((entry.kind == Folder || entry.kind == LockedFolder) && entry.path != "emu")
                folders << m_root + '/' + entry.path;
        }
        return folders;
    }

    // Makes every planned entry again, removing whatever stands in its way.
    void restore() const
    {
        for (const Entry &entry : m_plan) {
            const QByteArray path = m_root + '/' + entry.path;
            struct stat status;
            const bool present = ::lstat(path.constData(), &status) == 0;
            if (entry.kind == Folder || entry.kind == LockedFolder) {
                if (present && S_ISDIR(status.st_mode))
                    continue;
                removeTree(path);
                ::mkdir(path.constData(), 0755);
            } else if (!present) {
                create(entry, path);
            }
        }
        for (const Entry &entry : m_plan) {
            if (entry.kind == LockedFolder)
                ::chmod((m_root + '/' + entry.path).constData(), 0);
        }
    }

private:
    enum Kind { Folder, LockedFolder, File, Link, Fifo };
    struct Entry {
        QByteArray path; // below the root
        Kind kind;
        QByteArray target = {}; // of a link
    };

    static void create(const Entry &entry, const QByteArray &path)
    {
        switch (entry.kind) {
        case File:
            makeFile(path);
            break;
        case Link:
            ::symlink(entry.target.constData(), path.constData());
            break;
        case Fifo:
            ::mkfifo(path.constData(), 0644);
            break;
        case Folder:
        case LockedFolder:
            break;
        }
    }

    void plan()
    {
        m_plan = {
            {"emu", Folder},
            {"emu/tetris.gb", File},
            {"emu/Tetris.gb", File}, // case variants of one name: only the tie-break orders them
            {"emu/TETRIS.GB", File},
            {"emu/tetris.GB", File},
            {"emu/PUZZLE.GB", File},
            {"emu/mixed.Gb", File},
            {"emu/two  blanks.gb", File},
            {"emu/ leading blank.gb", File},
            {"emu/trailing blank.gb ", File}, // no game: the name ends in a blank
            {"emu/quote\"d.gb", File},
            {"emu/it's.gb", File},
            {"emu/back\\slash.gb", File},
            {"emu/-dash.gb", File},
            {"emu/--help.gb", File},
            {"emu/$(touch pwned).gb", File},
            {"emu/`id`.gb", File},
            {"emu/semi;colon.gb", File},
            {"emu/new\nline.gb", File},
            {"emu/tab\tname.gb", File},
            {"emu/\xc3\xbcn\xc3\xaf \xe6\x97\xa5\xe6\x9c\xac.gb", File}, // ünï 日本
            {"emu/emoji \xf0\x9f\x98\x80.gb", File},
            {"emu/\xff\xfe.gb", File}, // not UTF-8
            {"emu/bad\xc3(.gb", File},
            {"emu/.hidden.gb", File},
            {"emu/notes.txt", File},
            {"emu/link.gb", Link, "tetris.gb"},
            {"emu/dangling.gb", Link, "nowhere.gb"},
            {"emu/self.gb", Link, "self.gb"},
            {"emu/fifo.gb", Fifo},
            {"emu/folder.gb", Folder},
            {"emu/roms", Folder},
            {"emu/roms/zelda.gb", File},
            {"games", Folder},
            {"games/a b", Folder},
            {"games/a b/mario.gb", File},
            {"games/a b/deep", Folder},
            {"games/a b/deep/deeper", Folder},
            {"games/a b/deep/deeper/pokemon.gb", File},
            {"games/quote\"dir", Folder},
            {"games/quote\"dir/q.gb", File},
            {"games/back\\dir", Folder},
            {"games/back\\dir/b.gb", File},
            {"games/\xc3\xbcn\xc3\xaf", Folder},
            {"games/\xc3\xbcn\xc3\xaf/\xc3\xbc.gb", File},
            {"games/\xc3\x9cN\xc3\x8f", Folder}, // ÜNÏ
            {"games/\xc3\x9cn\xc3\xaf", Folder}, // Ünï
            {"games/\xfe folder", Folder},
            {"games/\xfe folder/odd.gb", File},
            {"games/-dash", Folder},
            {"games/-dash/-n.gb", File},
            {"games/$(touch pwned)", Folder},
            {"games/$(touch pwned)/x.gb", File},
            {"games/locked", LockedFolder},
            {"games/.hidden", Folder},
            {"games/up", Link, ".."},
            {"games/self", Link, "self"},
            {"games/dangling", Link, "nowhere"},
            {"games/to roms", Link, "../emu/roms"},
            {"vol1", Folder},
            {"vol1/one.gb", File},
            {"vol1/ONE.gb", File},
            {"vol1/One.gb", File},
            {"vol1/sub", Folder},
            {"vol1/sub/v.gb", File},
            {"vol2", Folder},
            {"vol2/two.gb", File},
        };
    }

    QByteArray m_root;
    QList<Entry> m_plan;
};

// ---- What the user does. ----

enum class Typing { Keys, Paste, InputMethod };
enum class Opening { DoubleClick, EnterKey };

struct Action {
    enum Kind {
        ClickTab,       // number: the page
        PressTabKey,    // number: the key, sent to the tabs
        ClickOption,    // name: the option button
        Type,           // name: the text box; append or clear first; number: Typing; text
        PressVolumeKey, // number: the key (the mouse on the scroll bar is Qt's own)
        ChooseDrive,    // name: the mount point
        OpenFolder,     // path: the entry of the folder list; number: Opening
        MarkGame,       // path: the file name, clicked once
        PickGame,       // path: the file name, double-clicked
        Play,           // PLAY
        RemoveFolder,   // path
        ReplaceFolder,  // path: the folder is replaced by something else of that name; number: Replacement
        RestoreTree,    // every folder and file of the tree comes back
        Restart,        // the launcher is closed and started again
    };

    Kind kind = Play;
    int number = 0;
    QString name;
    QByteArray path;
    QString text;
    bool append = false;

    QString describe(const QByteArray &root) const;
};

const char *const kindNames[] = {"tab",           "tab key",        "option",       "type",      "volume key",
                                 "drive",         "open folder",    "mark game",    "pick game", "play",
                                 "remove folder", "replace folder", "restore tree", "restart"};
static_assert(std::size(kindNames) == Action::Restart + 1, "a name for each kind of action");

QString keyName(int key)
{
    return QKeySequence(key).toString();
}

// A text as a C++ literal, so that an action list can be read and pasted.
QString literal(const QString &text)
{
    QString quoted = QStringLiteral("\"");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\\')
            quoted += u'\\' + QString(c);
        else if (c == u'\n')
            quoted += QStringLiteral("\\n");
        else if (c == u'\t')
            quoted += QStringLiteral("\\t");
        else if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF && !(i > 0 && text[i - 1].isHighSurrogate()))
            quoted +=
                QStringLiteral("\\x%1").arg(c.unicode() - 0xDC00, 2, 16, QLatin1Char('0')); // a raw byte
        else if (c.isSurrogate() || c.isPrint())
            quoted += c;
        else
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return quoted + u'"';
}

// A path as bytes, the tree's root written <tree>.
QString shownPath(const QByteArray &path, const QByteArray &root)
{
    if (isUnder(path, root) && root != "/")
        return literal(QStringLiteral("<tree>") + decodeFileName(path.mid(root.size())));
    return literal(decodeFileName(path));
}

QString Action::describe(const QByteArray &root) const
{
    static const char *const typings[] = {"by keys", "by pasting", "by input method"};
    static const char *const replacements[] = {"a file", "a link to itself", "a link to nowhere"};
    switch (kind) {
    case ClickTab:
        return QStringLiteral("click tab %1").arg(number);
    case PressTabKey:
        return QStringLiteral("press %1 on the tabs").arg(keyName(number));
    case ClickOption:
        return QStringLiteral("click %1").arg(name);
    case Type:
        return QStringLiteral("type into %1 (%2, %3, %4 characters): %5")
            .arg(name, append ? QStringLiteral("appending") : QStringLiteral("clearing first"),
                 QLatin1String(typings[number]))
            .arg(text.size())
            .arg(literal(text));
    case PressVolumeKey:
        return QStringLiteral("press %1 on the volume").arg(keyName(number));
    case ChooseDrive:
        return QStringLiteral("choose drive %1").arg(shownPath(name.toUtf8(), root));
    case OpenFolder:
        return QStringLiteral("open folder %1 by %2")
            .arg(shownPath(path, root), number == int(Opening::DoubleClick) ? QStringLiteral("double-click")
                                                                            : QStringLiteral("Enter"));
    case MarkGame:
        return QStringLiteral("click game %1").arg(shownPath(path, root));
    case PickGame:
        return QStringLiteral("double-click game %1").arg(shownPath(path, root));
    case Play:
        return QStringLiteral("press PLAY");
    case RemoveFolder:
        return QStringLiteral("delete folder %1").arg(shownPath(path, root));
    case ReplaceFolder:
        return QStringLiteral("replace folder %1 by %2")
            .arg(shownPath(path, root), QLatin1String(replacements[number]));
    case RestoreTree:
        return QStringLiteral("restore the tree");
    case Restart:
        return QStringLiteral("restart the launcher");
    }
    return {};
}

// ---- What every control should hold. ----

// Custom texts and the words the emulator must receive for each, worked out by hand: blanks and tabs
// separate words (other white space does not), double quotes group them, and three quotes in a row stand for
// one literal quote. Each leaves no quoted run open, so the words after it are not affected. A box holds a
// text with quotes only when it is one of these; of other texts the checker knows only what their words must
// keep (see wordsKeepTheText).
struct KnownText {
    QString text;
    QStringList words;
};
const KnownText knownTexts[] = {
    {QStringLiteral("a b"), {QStringLiteral("a"), QStringLiteral("b")}},
    {QStringLiteral(" a\t \tb "), {QStringLiteral("a"), QStringLiteral("b")}},
    {QStringLiteral("  "), {}},
    {QStringLiteral("x\u00a0y\u3000z w"), {QStringLiteral("x\u00a0y\u3000z"), QStringLiteral("w")}},
    {QStringLiteral("two\nlines and\r\nmore"), {QStringLiteral("two\nlines"), QStringLiteral("and\r\nmore")}},
    {QStringLiteral("C:\\My Games\\x"), {QStringLiteral("C:\\My"), QStringLiteral("Games\\x")}},
    {QStringLiteral("\"a b\""), {QStringLiteral("a b")}},
    {QStringLiteral("x\"a b\"y"), {QStringLiteral("xa by")}},
    {QStringLiteral("a\"b c\"d e"), {QStringLiteral("ab cd"), QStringLiteral("e")}},
    {QStringLiteral("\"a  b\"  \"c\""), {QStringLiteral("a  b"), QStringLiteral("c")}},
    {QStringLiteral("\"a\tb\" c"), {QStringLiteral("a\tb"), QStringLiteral("c")}},
    {QStringLiteral("\"\"\""), {QStringLiteral("\"")}},
    {QStringLiteral("say \"\"\"hi\"\"\""), {QStringLiteral("say"), QStringLiteral("\"hi\"")}},
    // Literal quotes group nothing; four are a literal one and a grouping one.
    {QStringLiteral("\"\"\"a b\"\"\""), {QStringLiteral("\"a"), QStringLiteral("b\"")}},
    {QStringLiteral("\"\"\"\"a b\"\"\"\""), {QStringLiteral("\"a b\"")}},
    // Two quotes make no word.
    {QStringLiteral("a \"\" b"), {QStringLiteral("a"), QStringLiteral("b")}},
    {QStringLiteral("\"\""), {}},
    {QStringLiteral("\"-volume 99\""), {QStringLiteral("-volume 99")}},
    // A backslash is a character like any other.
    {QStringLiteral("C:\\\"My Games\"\\x"), {QStringLiteral("C:\\My Games\\x")}},
    {QStringLiteral("\"\u00fcn\u00ef \u65e5\u672c\""), {QStringLiteral("\u00fcn\u00ef \u65e5\u672c")}},
};

const KnownText *knownText(const QString &text)
{
    for (const KnownText &known : knownTexts) {
        if (known.text == text)
            return &known;
    }
    return nullptr;
}

// The model can tell the words of a text without quotes and of the texts above.
bool wordsKnown(const QString &text)
{
    return !text.contains(u'"') || knownText(text);
}

// A stretch of the emulator's arguments: one word known exactly, or the words of a custom text without
// quotes.
struct ExpectedWords {
    QByteArray word; // the word; or the custom text itself
    bool customText = false;
};

// Takes the words of a custom text without quotes from `received` at `*at`, as many as hold the text's
// characters other than blanks and tabs. They keep the text: none is empty or holds a blank or a tab, and
// one after the other they are the text without its blanks and tabs. (Where the words part is for the rows of
// knownTexts to show.)
bool wordsKeepTheText(const QByteArray &text, const QByteArrayList &received, qsizetype *at)
{
    QByteArray kept = text;
    kept.replace(' ', QByteArray()).replace('\t', QByteArray());
    QByteArray joined;
    while (joined.size() < kept.size() && *at < received.size()) {
        const QByteArray &word = received[(*at)++];
        if (word.isEmpty() || word.contains(' ') || word.contains('\t'))
            return false;
        joined += word;
    }
    return joined == kept;
}

struct Message {
    QString text;
    QString title;
    bool operator==(const Message &other) const { return text == other.text && title == other.title; }
};

struct Model {
    int page = browserPage;
    QHash<QString, QString> setButton; // by frame
    QHash<QString, QString> text;      // of each custom box
    QHash<QString, bool> boxShown;
    int volume = 10;
    QByteArray root;              // of the tree
    QByteArray folder;            // the folder list's path
    QList<QByteArray> subfolders; // as the folder list read them last, as far as they are known
    QByteArray fileFolder;        // the file list's path
    QList<QByteArray> games;      // as the file list read them last, as far as they are known
    QByteArray game;              // the selected game's name
    QStringList drives;           // the drives the list must show, in its order (none differ in case)
    QString drive;
    QHash<QString, QByteArray> remembered; // the last folder shown on each drive
    QList<Message> messages;               // shown by the last action

    static Model atStart(const GameTree &tree, QStringList drives);
    bool allows(const Action &action) const;
    void apply(const Action &action);
    QList<QByteArray> ancestorRows() const;
    QList<QByteArray> folderRows() const { return ancestorRows() + subfolders; }
    QList<ExpectedWords> emulatorArguments(const QByteArray &workingFolder) const;
    QString textAfter(const Action &typing) const;

private:
    void click(const OptionButton &button);
    void type(const Action &action);
    void chooseDrive(const QString &mountPoint);
    void openFolder(const QByteArray &path);
    void showFolder(const QByteArray &path);
    QString volumeHolding(const QByteArray &path) const;
    QList<QByteArray> read(const QByteArray &path, Listed kind) const;
};

Model Model::atStart(const GameTree &tree, QStringList drives)
{
    Model model;
    for (const OptionButton &button : optionButtons) {
        if (button.setAtStart)
            model.setButton[QLatin1String(button.frame)] = QLatin1String(button.name);
    }
    for (const QString &box : customBoxes()) {
        model.text[box] = QString();
        model.boxShown[box] = false;
    }
    drives << QStringLiteral("/");
    drives.removeDuplicates();
    drives.sort();
    model.drives = drives;
    // The load shows the working folder on the drive that holds it.
    const QByteArray working = tree.workingFolder();
    model.drive = model.volumeHolding(working);
    model.remembered[model.drive] = working;
    model.folder = model.fileFolder = working;
    model.root = tree.root();
    model.subfolders = model.read(working, Listed::Folders);
    model.games = model.read(working, Listed::Games);
    return model;
}

// The path from the root down to the folder shown.
QList<QByteArray> Model::ancestorRows() const
{
    QList<QByteArray> rows{"/"};
    QByteArray ancestor;
    for (const QByteArray &component : folder.split('/')) {
        if (component.isEmpty())
            continue;
        ancestor += '/' + component;
        rows << ancestor;
    }
    return rows;
}

QList<QByteArray> Model::read(const QByteArray &path, Listed kind) const
{
    return knownEntries(listing(path, kind), path, kind, root);
}

bool Model::allows(const Action &action) const
{
    switch (action.kind) {
    case Action::ClickTab:
        return action.number >= 0 && action.number < pageCount;
    case Action::ClickOption: {
        const OptionButton *button = optionButton(action.name);
        return button && button->page == page;
    }
    case Action::Type: {
        const OptionButton *button = customButtonOf(action.name);
        return button && button->page == page && boxShown.value(action.name) && wordsKnown(textAfter(action));
    }
    case Action::PressVolumeKey:
        return page == volumePage;
    case Action::ChooseDrive:
        return page == browserPage && drives.contains(action.name);
    case Action::OpenFolder:
        return page == browserPage && folderRows().contains(action.path);
    case Action::MarkGame:
    case Action::PickGame:
        return page == browserPage && games.contains(action.path);
    case Action::PressTabKey:
    case Action::Play:
    case Action::RemoveFolder:
    case Action::ReplaceFolder:
    case Action::RestoreTree:
    case Action::Restart:
        return true;
    }
    return false;
}

// A key's step on the tabs or the scroll bar: Left, Up and Page Up go back one (a page of the volume is
// one step), as on a scroll bar; Home and End go to the ends. (Keys on the drive list are the combo box's
// own.)
int steppedIndex(int index, int last, int key)
{
    switch (key) {
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return last;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        return qMax(0, index - 1);
    default:
        return qMin(last, index + 1);
    }
}

void Model::apply(const Action &action)
{
    messages.clear();
    switch (action.kind) {
    case Action::ClickTab:
        page = action.number;
        break;
    case Action::PressTabKey:
        page = steppedIndex(page, pageCount - 1, action.number);
        break;
    case Action::ClickOption:
        click(*optionButton(action.name));
        break;
    case Action::Type:
        type(action);
        break;
    case Action::PressVolumeKey:
        volume = steppedIndex(volume, highestVolume, action.number);
        break;
    case Action::ChooseDrive:
        chooseDrive(action.name);
        break;
    case Action::OpenFolder:
        openFolder(action.path);
        break;
    case Action::PickGame:
        game = action.path;
        break;
    case Action::Play:
        if (game.isEmpty())
            messages << Message{QStringLiteral("You must chose a game first!"), QStringLiteral("Error")};
        break;
    case Action::MarkGame:
    case Action::RemoveFolder:
    case Action::ReplaceFolder:
    case Action::RestoreTree:
    case Action::Restart:
        break; // nothing that the controls show changes
    }
}

void Model::click(const OptionButton &button)
{
    setButton[QLatin1String(button.frame)] = QLatin1String(button.name);
    if (button.shownBox)
        boxShown[QLatin1String(button.shownBox)] = true;
    if (button.clearedBox) {
        text[QLatin1String(button.clearedBox)] = QString();
        boxShown[QLatin1String(button.clearedBox)] = false;
    }
}

void Model::type(const Action &action)
{
    text[action.name] = textAfter(action);
}

// What a box holds after the typing.
QString Model::textAfter(const Action &typing) const
{
    return ((typing.append ? text.value(typing.name) : QString()) + typing.text).left(maxTextLength);
}

void Model::chooseDrive(const QString &mountPoint)
{
    if (mountPoint == drive)
        return;
    drive = mountPoint;
    const QByteArray target = remembered.value(mountPoint, encodeFileName(mountPoint));
    if (const int error = openError(target)) {
        messages << Message{
            QStringLiteral("The drive %1 is not ready: %2.").arg(mountPoint, reasonFor(error)),
            QStringLiteral("Error")};
        drive = volumeHolding(folder); // back to the drive of the folder shown
        return;
    }
    showFolder(target);
}

void Model::openFolder(const QByteArray &path)
{
    if (const int error = openError(path)) {
        messages << Message{
            QStringLiteral("The folder %1 cannot be opened: %2.").arg(decodeFileName(path), reasonFor(error)),
            QStringLiteral("Error")};
        return;
    }
    showFolder(path);
}

// The folder list reads the folder; when it is another folder, the file list follows, and the drive list
// names the volume that holds it, which remembers it.
void Model::showFolder(const QByteArray &path)
{
    subfolders = read(path, Listed::Folders);
    if (path == folder)
        return;
    folder = fileFolder = path;
    games = read(path, Listed::Games);
    drive = volumeHolding(path);
    remembered[drive] = path;
}

QString Model::volumeHolding(const QByteArray &path) const
{
    QString holder;
    for (const QString &mountPoint : drives) {
        if (mountPoint.size() > holder.size() && isUnder(path, encodeFileName(mountPoint)))
            holder = mountPoint;
    }
    return holder;
}

// The emulator's program and arguments: the game's path as one argument, then each group's words in the
// emulator's order. A custom group adds its words and text only while its text is not empty.
QList<ExpectedWords> Model::emulatorArguments(const QByteArray &workingFolder) const
{
    QList<ExpectedWords> arguments{{workingFolder + "/Zemu.exe"}, {fileFolder + '/' + game}};
    for (const char *frame : emulatorOrder) {
        if (qstrcmp(frame, "frmVolume") == 0) {
            arguments << ExpectedWords{"-volume"} << ExpectedWords{QByteArray::number(volume)};
            continue;
        }
        const OptionButton &button = *optionButton(setButton.value(QLatin1String(frame)));
        const QString typed = button.shownBox ? text.value(QLatin1String(button.shownBox)) : QString();
        if (button.shownBox && typed.isEmpty())
            continue;
        for (const QByteArray &word : wordsOf(button))
            arguments << ExpectedWords{word};
        if (const KnownText *known = knownText(typed)) {
            for (const QString &word : known->words)
                arguments << ExpectedWords{word.toUtf8()};
        } else if (button.shownBox) {
            arguments << ExpectedWords{typed.toUtf8(), true};
        }
    }
    return arguments;
}

// ---- The user at the window, and the checks after each action. ----

struct Statistics {
    int actions = 0;
    QMap<int, int> byKind; // Action::Kind
    int skipped = 0;       // not possible at that moment, in a shrunk list
    int playsChecked = 0;
    int playsRefused = 0;
    int textsChecked = 0;        // custom texts in the arguments of PLAYs checked
    int knownTextsChecked = 0;   // of those, texts of knownTexts
    QMap<QString, int> messages; // by kind and reason
    int restarts = 0;
};

// Processes events until `done` or ten seconds have passed.
bool waitUntil(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(100);
    }
    return true;
}

// One launcher window used by the random user, with the model of what it should show.
class Session {
public:
    Session(const GameTree &tree, const StubEmulator &stub, Statistics *statistics)
        : m_tree(tree)
        , m_stub(stub)
        , m_statistics(statistics)
    {
        start();
    }

    const Model &model() const { return m_model; }
    QString failure() const { return m_failure; }

    // Performs `action` when it is possible now, then checks every control; false on the first difference.
    bool run(const Action &action);
    // The window still answers: events flow and a click on a tab still works.
    bool stillResponds();
    // For the checker's own test: a fault planted in the expected argument vector.
    void plantFault(std::function<void(QByteArrayList *)> fault) { m_plantedFault = std::move(fault); }

private:
    void start();
    void waitForLists();
    void perform(const Action &action);
    void clickAt(QWidget *widget, QPoint at);
    bool clickable(QWidget *widget, QPoint *at);
    void doubleClickAt(QWidget *widget, QPoint at);
    void type(const Action &action);
    void openFolder(const Action &action);
    QPoint pointOfGame(const QByteArray &name);
    void play();
    void check();
    void checkBrowser();
    void checkMessages();
    void fail(const QString &what);
    template <typename T> void expectEqual(const T &actual, const T &expected, const QString &what);
    void expectInOrder(const QStringList &names, const QByteArray &folder, const QString &what);

    const GameTree &m_tree;
    const StubEmulator &m_stub;
    Statistics *m_statistics;
    WindowDriver m_driver;
    Model m_model;
    QString m_failure;
    std::function<void(QByteArrayList *)> m_plantedFault;
    MessageBox::Recorder m_messages;
};

void Session::start()
{
    m_driver.close(); // the old window goes first, as when the launcher is closed and started again
    m_messages.clear();
    const QStringList volumes = m_tree.volumes();
    m_driver.open([&](Quibrel &window) {
        // Volumes of our own in the tree.
        controlOf<DriveList>(&window, "DriveBox")->setDrives(volumes);
        m_messages.setNextAnswer(QMessageBox::Ok);
    });
    if (!m_driver.window()->isVisible())
        fail(QStringLiteral("the window is not shown"));
    waitForLists();
    m_model = Model::atStart(m_tree, volumes);
    check();
}

// The folder and file lists read on a worker thread: the model is compared with what they show at the end.
void Session::waitForLists()
{
    const bool listed = waitUntil([this] {
        return !m_driver.find<DirectoryList>("DirBox")->isListing() &&
               !m_driver.find<FileList>("FileBox")->isListing();
    });
    if (!listed)
        fail(QStringLiteral("the lists are still being read after ten seconds"));
}

bool Session::run(const Action &action)
{
    if (!m_model.allows(action)) {
        ++m_statistics->skipped;
        return true;
    }
    ++m_statistics->actions;
    ++m_statistics->byKind[action.kind];
    m_messages.clear();
    m_messages.setNextAnswer(QMessageBox::Ok);
    perform(action);
    if (action.kind == Action::Restart)
        return m_failure.isEmpty();
    m_model.apply(action);
    if (action.kind == Action::Play)
        play();
    waitForLists();
    check();
    return m_failure.isEmpty();
}

void Session::perform(const Action &action)
{
    auto tabs = m_driver.find<TabControl>("TabSettings");
    auto volume = m_driver.find<ScrollBar>("hsbVolume");
    auto drives = m_driver.find<DriveList>("DriveBox");
    switch (action.kind) {
    case Action::ClickTab:
        clickAt(tabs, tabs->tabRect(action.number).center());
        break;
    case Action::PressTabKey:
        QTest::keyClick(tabs, Qt::Key(action.number));
        break;
    case Action::ClickOption: {
        auto button = m_driver.find<QRadioButton>(qPrintable(action.name));
        clickAt(button, QPoint(8, button->height() / 2));
        break;
    }
    case Action::Type:
        type(action);
        break;
    case Action::PressVolumeKey:
        QTest::keyClick(volume, Qt::Key(action.number));
        break;
    case Action::ChooseDrive: // as chosen from its list: opening it would read the real mount table again
        drives->setCurrentIndex(drives->findData(action.name));
        break;
    case Action::OpenFolder:
        openFolder(action);
        break;
    case Action::MarkGame:
        clickAt(m_driver.find<FileList>("FileBox")->viewport(), pointOfGame(action.path));
        break;
    case Action::PickGame:
        doubleClickAt(m_driver.find<FileList>("FileBox")->viewport(), pointOfGame(action.path));
        break;
    case Action::Play:
        m_stub.clearRecord();
        clickAt(m_driver.find<QPushButton>("cmdPlay"), QPoint());
        break;
    case Action::RemoveFolder:
        removeTree(action.path);
        break;
    case Action::ReplaceFolder:
        replaceFolder(action.path, Replacement(action.number));
        break;
    case Action::RestoreTree:
        m_tree.restore();
        break;
    case Action::Restart:
        ++m_statistics->restarts;
        start();
        break;
    }
}

// A click where a person would click: the widget must be shown and on top at that point.
bool Session::clickable(QWidget *widget, QPoint *at)
{
    if (at->isNull())
        *at = widget->rect().center();
    QWidget *onTop = m_driver.window()->childAt(widget->mapTo(m_driver.window(), *at));
    if (!widget->isVisible() || (onTop != widget && !widget->isAncestorOf(onTop))) {
        fail(QStringLiteral("%1 cannot be clicked at (%2, %3): %4")
                 .arg(widget->objectName())
                 .arg(at->x())
                 .arg(at->y())
                 .arg(widget->isVisible() ? QStringLiteral("covered by ") +
                                                (onTop ? onTop->objectName() : QStringLiteral("nothing"))
                                          : QStringLiteral("not shown")));
        return false;
    }
    return true;
}

void Session::clickAt(QWidget *widget, QPoint at)
{
    if (clickable(widget, &at))
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

void Session::doubleClickAt(QWidget *widget, QPoint at)
{
    if (clickable(widget, &at))
        ::doubleClickAt(widget, at);
}

void Session::type(const Action &action)
{
    auto box = m_driver.find<QLineEdit>(qPrintable(action.name));
    if (!box->isVisible()) {
        fail(action.name + QStringLiteral(" is not shown"));
        return;
    }
    if (action.append) {
        QTest::keyClick(box, Qt::Key_End);
    } else {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
    }
    switch (Typing(action.number)) {
    case Typing::Keys:
        for (const char32_t c : action.text.toUcs4()) {
            if (c < 0x80)
                QTest::keyClick(box, char(c));
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUcs4(&c, 1), {});
        }
        break;
    case Typing::Paste:
        QGuiApplication::clipboard()->setText(action.text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        break;
    case Typing::InputMethod: {
        QInputMethodEvent event;
        event.setCommitString(action.text);
        QApplication::sendEvent(box, &event);
        break;
    }
    }
}

void Session::openFolder(const Action &action)
{
    auto folders = m_driver.find<DirectoryList>("DirBox");
    QModelIndex entry;
    for (int row = 0; row < folders->model()->rowCount() && !entry.isValid(); ++row) {
        const QModelIndex index = folders->model()->index(row, 0);
        if (encodeFileName(index.data(DirectoryList::PathRole).toString()) == action.path)
            entry = index;
    }
    if (!entry.isValid()) {
        fail(QStringLiteral("no entry %1 in the folder list").arg(shownPath(action.path, m_tree.root())));
        return;
    }
    folders->scrollTo(entry);
    const QPoint at = folders->visualRect(entry).center();
    if (Opening(action.number) == Opening::DoubleClick) {
        doubleClickAt(folders->viewport(), at);
    } else {
        clickAt(folders->viewport(), at);
        QTest::keyClick(folders, Qt::Key_Return);
    }
}

QPoint Session::pointOfGame(const QByteArray &name)
{
    auto files = m_driver.find<FileList>("FileBox");
    const int row = int(files->fileNames().indexOf(decodeFileName(name)));
    if (row < 0) {
        fail(QStringLiteral("no game %1 in the file list").arg(shownPath(name, m_tree.root())));
        return {};
    }
    const QModelIndex index = files->model()->index(row, 0);
    files->scrollTo(index);
    return files->visualRect(index).center();
}

// PLAY with a game starts the emulator with what the model composes; without one, it only says so.
void Session::play()
{
    if (m_model.game.isEmpty()) {
        ++m_statistics->playsRefused;
        if (QFile::exists(m_stub.recordPath()))
            fail(QStringLiteral("PLAY without a game started the emulator"));
        return;
    }
    QByteArrayList received = m_stub.waitForRecord();
    if (m_plantedFault)
        m_plantedFault(&received);
    ++m_statistics->playsChecked;
    for (const QString &box : customBoxes()) {
        const OptionButton &button = *customButtonOf(box);
        const QString typed = m_model.text.value(box);
        if (m_model.setButton.value(QLatin1String(button.frame)) == QLatin1String(button.name) &&
            !typed.isEmpty())
            ++(knownText(typed) ? m_statistics->knownTextsChecked : m_statistics->textsChecked);
    }
    QStringList lines{QStringLiteral("the emulator received other arguments")};
    bool same = true;
    qsizetype at = 0;
    for (const ExpectedWords &expected : m_model.emulatorArguments(m_tree.workingFolder())) {
        const qsizetype from = at;
        const bool matches = expected.customText ? wordsKeepTheText(expected.word, received, &at)
                                                 : at < received.size() && received[at++] == expected.word;
        same = same && matches;
        QStringList taken;
        for (qsizetype i = from; i < at; ++i)
            taken << shownPath(received[i], m_tree.root());
        lines << QStringLiteral("  [%1] %2 %3 %4")
                     .arg(from)
                     .arg(taken.join(u' '), matches ? QStringLiteral("==") : QStringLiteral("!="),
                          expected.customText ? QStringLiteral("the words that keep ") +
                                                    literal(QString::fromUtf8(expected.word))
                                              : shownPath(expected.word, m_tree.root()));
    }
    for (; at < received.size(); ++at) {
        same = false;
        lines << QStringLiteral("  [%1] %2 != nothing").arg(at).arg(shownPath(received[at], m_tree.root()));
    }
    if (!same)
        fail(lines.join(u'\n'));
}

void Session::fail(const QString &what)
{
    if (m_failure.isEmpty())
        m_failure = what;
}

QString shownValue(const QString &value)
{
    return literal(value.size() > 200 ? value.left(100) + QStringLiteral("...") + value.right(60) : value);
}
QString shownValue(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}
QString shownValue(int value)
{
    return QString::number(value);
}
QString shownValue(const QByteArray &value)
{
    return literal(decodeFileName(value));
}
QString shownValue(const QList<QByteArray> &values)
{
    QStringList shown;
    for (const QByteArray &value : values)
        shown << literal(decodeFileName(value));
    return u'{' + shown.join(QStringLiteral(", ")) + u'}';
}
QString shownValue(const QStringList &values)
{
    QStringList shown;
    for (const QString &value : values)
        shown << literal(value);
    return u'{' + shown.join(QStringLiteral(", ")) + u'}';
}

template <typename T> void Session::expectEqual(const T &actual, const T &expected, const QString &what)
{
    if (!(actual == expected))
        fail(QStringLiteral("%1 is %2, expected %3").arg(what, shownValue(actual), shownValue(expected)));
}

// The tree's names in the order the lists must show them, worked out by hand: by name regardless of case (so
// "PUZZLE.GB" among the p's and "`" just before the letters), names that differ only in case by their exact
// text (capitals first), names that are not UTF-8 last. Whatever else a folder holds keeps its place.
const QHash<QByteArray, QStringList> shownOrder = {
    {"emu",
     {QStringLiteral(" leading blank.gb"),
      QStringLiteral("$(touch pwned).gb"),
      QStringLiteral("--help.gb"),
      QStringLiteral("-dash.gb"),
      QStringLiteral("`id`.gb"),
      QStringLiteral("back\\slash.gb"),
      QStringLiteral("bad") + QChar(0xDCC3) + QStringLiteral("(.gb"),
      QStringLiteral("emoji \U0001F600.gb"),
      QStringLiteral("it's.gb"),
      QStringLiteral("link.gb"),
      QStringLiteral("mixed.Gb"),
      QStringLiteral("new\nline.gb"),
      QStringLiteral("PUZZLE.GB"),
      QStringLiteral("quote\"d.gb"),
      QStringLiteral("semi;colon.gb"),
      QStringLiteral("tab\tname.gb"),
      QStringLiteral("TETRIS.GB"),
      QStringLiteral("Tetris.gb"),
      QStringLiteral("tetris.GB"),
      QStringLiteral("tetris.gb"),
      QStringLiteral("two  blanks.gb"),
      QStringLiteral("\u00fcn\u00ef \u65e5\u672c.gb"),
      QString(QChar(0xDCFF)) + QChar(0xDCFE) + QStringLiteral(".gb")}},
    {"games",
     {QStringLiteral("$(touch pwned)"), QStringLiteral("-dash"), QStringLiteral("a b"),
      QStringLiteral("back\\dir"), QStringLiteral("locked"), QStringLiteral("quote\"dir"),
      QStringLiteral("to roms"), QStringLiteral("up"), QStringLiteral("\u00dcN\u00cf"),
      QStringLiteral("\u00dcn\u00ef"), QStringLiteral("\u00fcn\u00ef"),
      QChar(0xDCFE) + QStringLiteral(" folder")}},
    {"vol1", {QStringLiteral("ONE.gb"), QStringLiteral("One.gb"), QStringLiteral("one.gb")}},
};

void Session::expectInOrder(const QStringList &names, const QByteArray &folder, const QString &what)
{
    if (!isUnder(folder, m_tree.root()) || folder == m_tree.root())
        return;
    const QStringList order = shownOrder.value(folder.mid(m_tree.root().size() + 1));
    QStringList known;
    for (const QString &name : names) {
        if (order.contains(name))
            known << name;
    }
    QStringList expected;
    for (const QString &name : order) {
        if (known.contains(name))
            expected << name;
    }
    expectEqual(known, expected, what + QStringLiteral(" in their order"));
}

void Session::check()
{
    expectEqual(m_driver.find<TabControl>("TabSettings")->currentPage(), m_model.page,
                QStringLiteral("the page"));
    // Only the members of the current page are shown.
    for (const OptionButton &button : optionButtons) {
        auto radio = m_driver.find<QRadioButton>(button.name);
        const QString name = QLatin1String(button.name);
        expectEqual(radio->isChecked(), m_model.setButton.value(QLatin1String(button.frame)) == name,
                    name + QStringLiteral(" set"));
        expectEqual(radio->isVisible(), button.page == m_model.page, name + QStringLiteral(" visible"));
    }
    for (const QString &name : customBoxes()) {
        auto box = m_driver.find<QLineEdit>(qPrintable(name));
        expectEqual(box->text(), m_model.text.value(name), name);
        expectEqual(!box->isHidden(), m_model.boxShown.value(name), name + QStringLiteral(" shown"));
        expectEqual(box->isVisible(),
                    m_model.boxShown.value(name) && customButtonOf(name)->page == m_model.page,
                    name + QStringLiteral(" visible"));
    }
    for (const char *name : {"DriveBox", "DirBox", "FileBox"}) {
        expectEqual(m_driver.find<QWidget>(name)->isVisible(), m_model.page == browserPage,
                    QLatin1String(name) + QStringLiteral(" visible"));
    }
    expectEqual(m_driver.find<QWidget>("hsbVolume")->isVisible(), m_model.page == volumePage,
                QStringLiteral("hsbVolume visible"));
    expectEqual(m_driver.find<ScrollBar>("hsbVolume")->value(), m_model.volume, QStringLiteral("hsbVolume"));
    expectEqual(m_driver.find<QLabel>("lblVolume")->text(), QString::number(m_model.volume),
                QStringLiteral("lblVolume"));
    expectEqual(encodeFileName(m_driver.find<QLabel>("lblGameSelected")->text()), m_model.game,
                QStringLiteral("lblGameSelected"));
    checkBrowser();
    checkMessages();
    expectEqual(m_driver.window()->isVisible(), true, QStringLiteral("the window shown"));
}

void Session::checkBrowser()
{
    auto drives = m_driver.find<DriveList>("DriveBox");
    expectEqual(drives->drive(), m_model.drive, QStringLiteral("the drive"));
    expectEqual(drives->drives(), m_model.drives, QStringLiteral("the drives"));

    auto folders = m_driver.find<DirectoryList>("DirBox");
    expectEqual(encodeFileName(folders->path()), m_model.folder, QStringLiteral("DirBox path"));
    QList<QByteArray> rows;
    for (int row = 0; row < folders->model()->rowCount(); ++row)
        rows << encodeFileName(folders->model()->index(row, 0).data(DirectoryList::PathRole).toString());
    const QList<QByteArray> ancestors = m_model.ancestorRows();
    QStringList names;
    for (const QByteArray &path : rows.mid(ancestors.size()))
        names << decodeFileName(path.mid(path.lastIndexOf('/') + 1));
    expectInOrder(names, m_model.folder, QStringLiteral("DirBox's subfolders"));
    QList<QByteArray> subfolders =
        knownEntries(rows.mid(ancestors.size()), m_model.folder, Listed::Folders, m_tree.root());
    std::sort(subfolders.begin(), subfolders.end());
    expectEqual(rows.mid(0, ancestors.size()), ancestors, QStringLiteral("DirBox's path entries"));
    expectEqual(subfolders, m_model.subfolders, QStringLiteral("DirBox's subfolders"));

    auto files = m_driver.find<FileList>("FileBox");
    expectEqual(encodeFileName(files->path()), m_model.fileFolder, QStringLiteral("FileBox path"));
    expectInOrder(files->fileNames(), m_model.fileFolder, QStringLiteral("FileBox's games"));
    QList<QByteArray> games;
    for (const QString &name : files->fileNames())
        games << encodeFileName(name);
    games = knownEntries(games, m_model.fileFolder, Listed::Games, m_tree.root());
    std::sort(games.begin(), games.end());
    expectEqual(games, m_model.games, QStringLiteral("FileBox's games"));

    // Whatever the names hold, each takes one line and shows no raw byte.
    for (QAbstractItemView *list :
         {static_cast<QAbstractItemView *>(folders), static_cast<QAbstractItemView *>(files)}) {
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QString shown = list->model()->index(row, 0).data().toString();
            const bool oneLine = std::none_of(shown.cbegin(), shown.cend(), [](QChar c) {
                return c.unicode() < 0x20 || (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF);
            });
            if (!oneLine)
                fail(QStringLiteral("%1 shows %2 as it is").arg(list->objectName(), literal(shown)));
        }
    }
}

void Session::checkMessages()
{
    QList<Message> shown;
    for (const MessageBox::Shown &box : m_messages.shown()) {
        shown << Message{box.text, box.title};
        if (box.icon != QMessageBox::Critical)
            fail(QStringLiteral("the message %1 has no error icon").arg(literal(box.text)));
    }
    for (const Message &message : shown) {
        // "The folder <path> cannot be opened: <reason>." counts as "folder cannot be opened: <reason>."
        QString kind = message.text;
        for (const QString &ending :
             {QStringLiteral(" cannot be opened: "), QStringLiteral(" is not ready: ")}) {
            if (const qsizetype at = kind.indexOf(ending); at > 0)
                kind = kind.section(u' ', 1, 1) + kind.mid(at);
        }
        ++m_statistics->messages[kind];
    }
    if (shown == m_model.messages)
        return;
    QStringList lines{QStringLiteral("other messages were shown")};
    for (const Message &message : shown)
        lines
            << QStringLiteral("  shown:    %1 titled %2").arg(literal(message.text), literal(message.title));
    for (const Message &message : m_model.messages)
        lines
            << QStringLiteral("  expected: %1 titled %2").arg(literal(message.text), literal(message.title));
    fail(lines.join(u'\n'));
}

bool Session::stillResponds()
{
    QCoreApplication::processEvents();
    Action tab;
    tab.kind = Action::ClickTab;
    tab.number = m_model.page == 3 ? 4 : 3;
    return run(tab);
}

// ---- The random user. ----

// Pieces of the texts a user types: blanks, backslashes, shell syntax, numbers and unicode. Double quotes
// come only in the texts of knownTexts, typed whole.
// clang-format off
const QStringList typedPieces = {
    QStringLiteral(" "), QStringLiteral("  "), QStringLiteral("'"), QStringLiteral("\\"), QStringLiteral("$(touch pwned)"),
    QStringLiteral("`id`"), QStringLiteral(";"), QStringLiteral("; rm x"), QStringLiteral("&&"), QStringLiteral("|"), QStringLiteral(">out"),
    QStringLiteral("*"), QStringLiteral("?"), QStringLiteral("~"), QStringLiteral("#"), QStringLiteral("%1"),
    QStringLiteral("%s"), QStringLiteral("-"), QStringLiteral("--help"), QStringLiteral("-keys"), QStringLiteral("0"),
    QStringLiteral("42"), QStringLiteral("-1"), QStringLiteral("99999999999999999999"), QStringLiteral("a"),
    QStringLiteral("Zelda"), QStringLiteral("00A-17B-C49"), QStringLiteral("/my pics/back.bmp"),
    QStringLiteral("C:\\GB\\"), QStringLiteral("\u00fc"), QStringLiteral("\u65e5\u672c\u8a9e"),
    QStringLiteral("\U0001F600"), QStringLiteral("\u00a0"), QStringLiteral("\u3000"),
    QStringLiteral("\u05e9\u05dc\u05d5\u05dd"), QStringLiteral("e\u0301"), QStringLiteral("\u00df"),
    QStringLiteral("\ufb01"),
};
// What only pasting or an input method brings into a box: control characters and invisible ones.
const QStringList pastedPieces = {
    QStringLiteral("\t"), QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\u2028"),
    QStringLiteral("\u200b"), QStringLiteral("\u0001"), QStringLiteral("\u007f"),
};
// clang-format on

const int tabKeys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End};
const int volumeKeys[] = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,   Qt::Key_Down,
                          Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};

class RandomUser {
public:
    RandomUser(quint64 seed, const GameTree &tree)
        : m_tree(tree)
    {
        const quint32 words[] = {quint32(seed), quint32(seed >> 32)};
        m_random = QRandomGenerator(words, 2);
    }

    // An action that the model allows now.
    Action next(const Model &model);

private:
    template <typename T> T pick(const QList<T> &items)
    {
        return items.at(m_random.bounded(int(items.size())));
    }
    template <typename T, size_t n> T pick(const T (&items)[n]) { return items[m_random.bounded(int(n))]; }
    QString randomText(bool byKeys);
    Action typing(const Model &model);
    Action folderToOpen(const Model &model);

    QRandomGenerator m_random;
    const GameTree &m_tree;
};

Action RandomUser::next(const Model &model)
{
    // Weights: about one PLAY in fifty actions; the browser and volume only on their pages.
    QList<std::pair<Action::Kind, int>> choices = {
        {Action::ClickTab, 60},    {Action::PressTabKey, 20},  {Action::Play, 8},
        {Action::RemoveFolder, 6}, {Action::ReplaceFolder, 3}, {Action::RestoreTree, 6},
        {Action::Restart, 1},
    };
    bool hasOptions = false;
    for (const OptionButton &button : optionButtons)
        hasOptions = hasOptions || button.page == model.page;
    if (hasOptions)
        choices << std::pair{Action::ClickOption, 200};
    for (const QString &box : customBoxes()) {
        if (customButtonOf(box)->page == model.page && model.boxShown.value(box))
            choices << std::pair{Action::Type, 150};
    }
    if (model.page == volumePage)
        choices << std::pair{Action::PressVolumeKey, 50};
    if (model.page == browserPage) {
        choices << std::pair{Action::ChooseDrive, 50} << std::pair{Action::OpenFolder, 150};
        if (!model.games.isEmpty())
            choices << std::pair{Action::MarkGame, 20} << std::pair{Action::PickGame, 60};
    }
    int total = 0;
    for (const auto &choice : choices)
        total += choice.second;
    int ticket = m_random.bounded(total);
    Action::Kind kind = choices.first().first;
    for (const auto &[candidate, weight] : choices) {
        if (ticket < weight) {
            kind = candidate;
            break;
        }
        ticket -= weight;
    }

    Action action;
    action.kind = kind;
    switch (kind) {
    case Action::ClickTab:
        action.number = m_random.bounded(100) < 30 ? browserPage : m_random.bounded(pageCount);
        break;
    case Action::PressTabKey:
        action.number = pick(tabKeys);
        break;
    case Action::ClickOption: {
        QStringList names;
        for (const OptionButton &button : optionButtons) {
            if (button.page == model.page)
                names << QLatin1String(button.name);
        }
        action.name = pick(names);
        break;
    }
    case Action::Type:
        return typing(model);
    case Action::PressVolumeKey:
        action.number = pick(volumeKeys);
        break;
    case Action::ChooseDrive:
        action.name = pick(model.drives);
        break;
    case Action::OpenFolder:
        return folderToOpen(model);
    case Action::MarkGame:
    case Action::PickGame:
        action.path = pick(model.games);
        break;
    case Action::RemoveFolder:
    case Action::ReplaceFolder:
        action.path = pick(m_tree.removableFolders());
        action.number = m_random.bounded(3);
        break;
    case Action::Play:
    case Action::RestoreTree:
    case Action::Restart:
        break;
    }
    return action;
}

Action RandomUser::typing(const Model &model)
{
    QStringList shown;
    for (const QString &box : customBoxes()) {
        if (customButtonOf(box)->page == model.page && model.boxShown.value(box))
            shown << box;
    }
    Action action;
    action.kind = Action::Type;
    action.name = pick(shown);
    action.number = m_random.bounded(3);
    if (m_random.bounded(5) == 0) { // a text whose words are known, into an emptied box
        action.text = pick(knownTexts).text;
        const bool control =
            std::any_of(action.text.cbegin(), action.text.cend(), [](QChar c) { return c.unicode() < 0x20; });
        if (Typing(action.number) == Typing::Keys && control)
            action.number = int(Typing::Paste); // a tab would move the focus, a line break end the line
        return action;
    }
    action.text = randomText(Typing(action.number) == Typing::Keys);
    // Typing long texts key by key takes long; they are pasted instead.
    if (Typing(action.number) == Typing::Keys && action.text.size() > 200)
        action.number = int(Typing::Paste);
    // Not after a text with quotes: the model knows the words of those only whole.
    action.append = m_random.bounded(2) == 1 && !model.text.value(action.name).contains(u'"') &&
                    model.text.value(action.name).size() + action.text.size() <= maxTextLength;
    return action;
}

// 0 to 4096 characters, mostly short.
QString RandomUser::randomText(bool byKeys)
{
    const int bucket = m_random.bounded(100);
    const int length = bucket < 8    ? 0
                       : bucket < 70 ? 1 + m_random.bounded(16)
                       : bucket < 92 ? 17 + m_random.bounded(240)
                                     : 257 + m_random.bounded(3840);
    QString text;
    while (text.size() < length)
        text += !byKeys && m_random.bounded(8) == 0 ? pick(pastedPieces) : pick(typedPieces);
    text.truncate(length);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1); // no half characters
    return text;
}

// An entry of the folder list: the model knows only those in the tree or on the way to it.
Action RandomUser::folderToOpen(const Model &model)
{
    Action action;
    action.kind = Action::OpenFolder;
    action.path = pick(model.folderRows());
    action.number = int(m_random.bounded(4) == 0 ? Opening::EnterKey : Opening::DoubleClick);
    return action;
}

struct Outcome {
    bool failed = false;
    qsizetype failedAt = -1; // the action that failed; the list's size for the final check
    QString failure;
};

} // namespace

class TestStress : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void randomUser();
    void checkerFindsAndShrinksAPlantedFault();
    void checkerKeepsTheText_data();
    void checkerKeepsTheText();

private:
    Outcome replay(const QList<Action> &actions, Statistics *statistics);
    QList<Action> shrink(QList<Action> failing, Outcome *outcome, qint64 budgetMs, bool *repeated);
    QString describe(const QList<Action> &actions) const;

    QTemporaryDir m_scratch;
    std::unique_ptr<GameTree> m_tree;
    std::unique_ptr<StubEmulator> m_stub;
    QString m_originalDirectory;
    std::function<void(QByteArrayList *)> m_plantedFault;
};

void TestStress::initTestCase()
{
    QVERIFY(m_scratch.isValid());
    m_scratch.setAutoRemove(false); // names that are not UTF-8 are removed with bytes at the end
    m_tree = std::make_unique<GameTree>(encodeFileName(m_scratch.path()));
    m_tree->restore();
    m_stub = std::make_unique<StubEmulator>(decodeFileName(m_tree->workingFolder()));
    m_originalDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(decodeFileName(m_tree->workingFolder())));
    answerEveryModalBox(this); // a message box that nobody expected must not wait for a person
}

void TestStress::cleanupTestCase()
{
    QDir::setCurrent(m_originalDirectory);
    m_stub.reset();
    const bool shellRan = QFile::exists(decodeFileName(m_tree->workingFolder()) + QStringLiteral("/pwned"));
    removeTree(m_tree->root());
    QVERIFY2(!shellRan, "a typed text or a file name reached a shell: the file pwned was made");
}

Outcome TestStress::replay(const QList<Action> &actions, Statistics *statistics)
{
    m_tree->restore();
    Session session(*m_tree, *m_stub, statistics);
    session.plantFault(m_plantedFault);
    if (!session.failure().isEmpty())
        return {true, 0, session.failure()};
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (!session.run(actions[i]))
            return {true, i, session.failure()};
    }
    if (!session.stillResponds())
        return {true, actions.size(), session.failure()};
    return {};
}

// Drops chunks of actions, halving their size, then shortens typed texts, keeping every change that still
// fails on a fresh window; stops after `budgetMs` with the shortest list found.
QList<Action> TestStress::shrink(QList<Action> failing, Outcome *outcome, qint64 budgetMs, bool *repeated)
{
    *repeated = false;
    QElapsedTimer clock;
    clock.start();
    const auto inBudget = [&] { return clock.elapsed() < budgetMs; };
    const auto stillFails = [&](const QList<Action> &candidate) {
        Statistics ignored;
        const Outcome tried = replay(candidate, &ignored);
        if (!tried.failed)
            return false;
        failing = candidate.mid(0, tried.failedAt + 1);
        *outcome = tried;
        *repeated = true;
        return true;
    };
    failing = failing.mid(0, outcome->failedAt + 1);
    stillFails(failing); // whether it fails again at all, even when nothing can be dropped
    for (qsizetype chunk = qMax<qsizetype>(1, failing.size() / 2); chunk >= 1 && inBudget();) {
        bool dropped = false;
        for (qsizetype at = 0; at < failing.size() && inBudget();) {
            QList<Action> candidate = failing;
            candidate.remove(at, qMin(chunk, failing.size() - at));
            if (stillFails(candidate))
                dropped = true;
            else
                at += chunk;
        }
        if (!dropped && chunk == 1)
            break;
        if (!dropped)
            chunk /= 2;
        chunk = qMin(chunk, qMax<qsizetype>(1, failing.size() / 2));
    }
    for (qsizetype i = 0; i < failing.size() && inBudget(); ++i) {
        while (i < failing.size() && failing[i].kind == Action::Type && !failing[i].text.isEmpty() &&
               inBudget()) {
            const QString text = failing[i].text;
            bool shortened = false;
            for (const QString &shorter :
                 {QString(), text.left(text.size() / 2), text.mid(text.size() / 2)}) {
                QList<Action> candidate = failing;
                candidate[i].text = shorter;
                if (shorter.size() < text.size() && stillFails(candidate)) {
                    shortened = true;
                    break;
                }
            }
            if (!shortened)
                break;
        }
    }
    return failing;
}

QString TestStress::describe(const QList<Action> &actions) const
{
    QStringList lines;
    for (qsizetype i = 0; i < actions.size(); ++i)
        lines << QStringLiteral("  %1. %2").arg(i + 1).arg(actions[i].describe(m_tree->root()));
    return lines.join(u'\n');
}

void TestStress::randomUser()
{
    const int count = environmentNumber("QUIBREL_STRESS_ACTIONS", 5000);
    bool seedGiven = false;
    const quint64 seed = qEnvironmentVariable("QUIBREL_STRESS_SEED").toULongLong(&seedGiven);
    const quint64 usedSeed = seedGiven ? seed : defaultSeed;
    qInfo("Random user: %d actions, QUIBREL_STRESS_SEED=%llu", count, usedSeed);

    QElapsedTimer clock;
    clock.start();
    Statistics statistics;
    QList<Action> done;
    Outcome outcome;
    {
        m_tree->restore();
        Session session(*m_tree, *m_stub, &statistics);
        RandomUser user(usedSeed, *m_tree);
        outcome = {!session.failure().isEmpty(), 0, session.failure()};
        for (int i = 0; i < count && !outcome.failed; ++i) {
            done << user.next(session.model());
            if (!session.run(done.last()))
                outcome = {true, i, session.failure()};
        }
        if (!outcome.failed && !session.stillResponds())
            outcome = {true, done.size(), session.failure()};
    }
    qInfo("%d actions run (%d skipped) in %lld ms: %d PLAYs checked against the emulator's arguments (with "
          "%d custom texts, %d of them with their words written out), %d refused without a game, %d restarts",
          statistics.actions, statistics.skipped, clock.elapsed(), statistics.playsChecked,
          statistics.textsChecked, statistics.knownTextsChecked, statistics.playsRefused,
          statistics.restarts);
    QStringList kinds;
    for (auto kind = statistics.byKind.cbegin(); kind != statistics.byKind.cend(); ++kind)
        kinds << QStringLiteral("%1 %2").arg(kindNames[kind.key()]).arg(kind.value());
    qInfo("Actions: %s", qPrintable(kinds.join(QStringLiteral(", "))));
    QStringList messages;
    for (auto message = statistics.messages.cbegin(); message != statistics.messages.cend(); ++message)
        messages << QStringLiteral("%1 x \"%2\"").arg(message.value()).arg(message.key());
    qInfo("Messages: %s", qPrintable(messages.join(QStringLiteral(", "))));
    if (!outcome.failed)
        return;

    qWarning("Failed at action %lld of seed %llu: %s", static_cast<long long>(outcome.failedAt + 1), usedSeed,
             qPrintable(outcome.failure));
    const qint64 budget = environmentNumber("QUIBREL_STRESS_SHRINK_SECONDS", 180) * qint64(1000);
    bool repeated = false;
    const QList<Action> shortest = shrink(done, &outcome, budget, &repeated);
    QFAIL(qPrintable(QStringLiteral("Seed %1. The shortest action list found that fails (%2 actions)%3:\n%4\n"
                                    "It fails with: %5")
                         .arg(usedSeed)
                         .arg(shortest.size())
                         .arg(repeated ? QString()
                                       : QStringLiteral(", though it did not fail again on a fresh window: "
                                                        "the failure depends on timing or on what other "
                                                        "programs do"),
                              describe(shortest), outcome.failure)));
}

// The checker must be able to fail: with a fault planted in the arguments that the emulator receives, it
// finds it and shrinks the failure to the few actions that matter (pick a game, show the page, set the
// option, PLAY).
void TestStress::checkerFindsAndShrinksAPlantedFault()
{
    m_plantedFault = [](QByteArrayList *arguments) { arguments->removeAll("-nodelay"); };
    Statistics statistics;
    QList<Action> done;
    Outcome outcome;
    {
        m_tree->restore();
        Session session(*m_tree, *m_stub, &statistics);
        session.plantFault(m_plantedFault);
        RandomUser user(1, *m_tree);
        for (int i = 0; i < 20000 && !outcome.failed; ++i) {
            done << user.next(session.model());
            if (!session.run(done.last()))
                outcome = {true, i, session.failure()};
        }
    }
    QVERIFY2(outcome.failed, "the planted fault went unnoticed");
    QVERIFY2(outcome.failure.contains(QStringLiteral("other arguments")), qPrintable(outcome.failure));
    bool repeated = false;
    const QList<Action> shortest = shrink(done, &outcome, 120000, &repeated);
    m_plantedFault = nullptr;
    QVERIFY(repeated);
    qInfo("Planted fault found after %lld actions, shrunk to:\n%s", static_cast<long long>(done.size()),
          qPrintable(describe(shortest)));
    // No action can be dropped; fewer than four cannot show the fault.
    QVERIFY2(shortest.size() >= 4 && shortest.size() <= 8, qPrintable(describe(shortest)));
    QCOMPARE(shortest.last().kind, Action::Play);
    QVERIFY(std::any_of(shortest.cbegin(), shortest.cend(), [](const Action &action) {
        return action.kind == Action::ClickOption && action.name == QLatin1String("optNoDelay");
    }));
}

void TestStress::checkerKeepsTheText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArrayList>("received"); // followed by "-next"
    QTest::addColumn<bool>("kept");
    QTest::newRow("runs and ends of blanks and tabs")
        << QByteArray(" a\t \tb ") << QByteArrayList{"a", "b"} << true;
    QTest::newRow("other white space stays") << QByteArray("x \n") << QByteArrayList{"x", "\n"} << true;
    QTest::newRow("only blanks: no word") << QByteArray(" \t") << QByteArrayList{} << true;
    QTest::newRow("a word with a blank") << QByteArray("a b") << QByteArrayList{"a b"} << false;
    QTest::newRow("a word missing") << QByteArray("a b") << QByteArrayList{"a"} << false;
    QTest::newRow("an empty word") << QByteArray("a b") << QByteArrayList{"a", "", "b"} << false;
}

// The checker's own rule for the words of a custom text, on hand-written rows: it takes the words that hold
// the text and no more.
void TestStress::checkerKeepsTheText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, received);
    QFETCH(bool, kept);
    const qsizetype words = received.size();
    received << "-next";
    qsizetype at = 0;
    QCOMPARE(wordsKeepTheText(text, received, &at), kept);
    if (kept)
        QCOMPARE(at, words);
}

QTEST_MAIN(TestStress)
#include "tst_stress.moc"
