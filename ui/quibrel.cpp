#include "quibrel.h"

#include "controls.h"
#include "directory_list.h"
#include "drive_list.h"
#include "file_list.h"
#include "message_box.h"
#include "tab_control.h"

#include "files/file_system.h"
#include "launch/command_line.h"
#include "launch/option_table.h"
#include "launch/play.h"
#include "sound/multimedia_control.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace quibrel {

namespace {

const QString soundFile = QStringLiteral("D:\\VUD\\MUSIQUES\\WAVE\\NEWSTING.WAV");
const QString gamePattern = QStringLiteral("*.gb");

// Assistive technology takes a top-level widget of a class it does not know for a mere filler; the launcher's
// window is a window, named by its title.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(Quibrel::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

// Before the form is built: building it already tells assistive technology about the window.
QWidget *knownAsWindow(QWidget *window)
{
    QAccessible::installFactory(windowAccessible);
    return window;
}

} // namespace

Quibrel::Quibrel(QWidget *parent)
    : QWidget(parent)
    , m_form(knownAsWindow(this), [this](QObject *control) { connectHandlers(control); })
{
}

Quibrel::~Quibrel() = default;

namespace {

// `control`, which the stored layout holds as a `T`.
template <typename T> T *as(QObject *control)
{
    auto typed = qobject_cast<T *>(control);
    Q_ASSERT_X(typed, qPrintable(control->objectName()), "the stored layout holds this control");
    return typed;
}

} // namespace

// Connects `signal` of `control` to `handler` when the control is the one named `name`.
template <typename Control, typename... Arguments, typename Handler>
void Quibrel::connectNamed(QObject *control, const char *name, void (Control::*signal)(Arguments...),
                           Handler handler)
{
    if (control->objectName() == QLatin1String(name))
        connect(as<Control>(control), signal, this, handler);
}

// As each control is made.
void Quibrel::connectHandlers(QObject *control)
{
    connectNamed(control, "cmdPlay", &QPushButton::clicked, &Quibrel::cmdPlay_Click);
    connectNamed(control, "cmdQuit", &QPushButton::clicked, &Quibrel::cmdQuit_Click);
    connectNamed(control, "DriveBox", &DriveList::changed, &Quibrel::DriveBox_Change);
    connectNamed(control, "DirBox", &DirectoryList::changed, &Quibrel::DirBox_Change);
    connectNamed(control, "DirBox", &DirectoryList::openFailed, &Quibrel::tellFolderCannotBeOpened);
    connectNamed(control, "FileBox", &FileList::doubleClicked, &Quibrel::FileBox_DblClick);
    connectNamed(control, "hsbVolume", &ScrollBar::change, &Quibrel::hsbVolume_Change);
    connectNamed(control, "hsbVolume", &ScrollBar::scroll, &Quibrel::hsbVolume_Scroll);
    connectNamed(control, "Timer1", &QTimer::timeout, &Quibrel::Timer1_Timer);
    connectNamed(control, "Timer2", &QTimer::timeout, &Quibrel::Timer2_Timer);
    connectNamed(control, "optBgDefault", &QRadioButton::clicked, &Quibrel::optBgDefault_Click);
    connectNamed(control, "optBgCustom", &QRadioButton::clicked, &Quibrel::optBgCustom_Click);
    connectNamed(control, "optNoCheat", &QRadioButton::clicked, &Quibrel::optNoCheat_Click);
    connectNamed(control, "optCheat", &QRadioButton::clicked, &Quibrel::optCheat_Click);
    connectNamed(control, "optKeysDefault", &QRadioButton::clicked, &Quibrel::optKeysDefault_Click);
    connectNamed(control, "optKeysCustom", &QRadioButton::clicked, &Quibrel::optKeysCustom_Click);
    connectNamed(control, "optUPeriodDefault", &QRadioButton::clicked, &Quibrel::optUPeriodDefault_Click);
    connectNamed(control, "optUPeriodCustom", &QRadioButton::clicked, &Quibrel::optUPeriodCustom_Click);
    connectNamed(control, "optVPeriodDefault", &QRadioButton::clicked, &Quibrel::optVPeriodDefault_Click);
    connectNamed(control, "optVPeriodCustom", &QRadioButton::clicked, &Quibrel::optVPeriodCustom_Click);
    connectNamed(control, "optIfreqDefault", &QRadioButton::clicked, &Quibrel::optIfreqDefault_Click);
    connectNamed(control, "optIfreqCustom", &QRadioButton::clicked, &Quibrel::optIfreqCustom_Click);
}

void Quibrel::showError(const QString &text)
{
    MessageBox::critical(this, errorTitle, text);
}

void Quibrel::tellFolderCannotBeOpened(const QString &path, const QString &reason)
{
    showError(tr("The folder %1 cannot be opened: %2.").arg(path, reason));
}

// The working directory, or an empty text after telling the user why it cannot be read.
QString Quibrel::workingDirectoryOrTell()
{
    QString reason;
    const QString directory = currentWorkingDirectory(&reason);
    if (directory.isEmpty())
        showError(tr("The current directory cannot be read: %1.").arg(reason));
    return directory;
}

LaunchSettings Quibrel::settings() const
{
    LaunchSettings s;
    for (const OptionGroup &group : optionGroups()) {
        for (int i = 0; group.setMember && i < group.members.keyCount(); ++i) {
            if (get<QRadioButton>(group.members.key(i))->isChecked())
                group.setMember(s, group.members.value(i));
        }
        if (group.text) // a text box or the volume label
            s.*group.text = get<QWidget>(group.textBox)->property("text").toString();
    }
    s.FileBoxPath = get<FileList>("FileBox")->path();
    s.lblGameSelected = get<QLabel>("lblGameSelected")->text();
    return s;
}

// Choosing a group's default button empties and hides the box of its custom button.
void Quibrel::useDefault(const char *frame)
{
    auto box = get<QLineEdit>(optionGroup(frame)->textBox);
    box->setText(QString());
    box->setVisible(false);
}

void Quibrel::useCustom(const char *frame)
{
    get<QLineEdit>(optionGroup(frame)->textBox)->setVisible(true);
}

void Quibrel::Form_Load()
{
    get<TabControl>("TabSettings")->setCurrentPage(0);
    QString directory = workingDirectoryOrTell();
    if (directory.isEmpty())
        directory = QDir::rootPath(); // the browser still needs a place to start
    get<DriveList>("DriveBox")->followDirectory(directory);
    QString reason;
    if (!get<DirectoryList>("DirBox")->setPath(directory, &reason))
        tellFolderCannotBeOpened(directory, reason);
    get<FileList>("FileBox")->setPattern(gamePattern);
    get<Timer>("Timer1")->setEnabled(true);

    auto sound = get<MultimediaControl>("MMControl1");
    sound->setNotify(false);
    sound->setWait(true);
    sound->setShareable(false);
    sound->setDeviceType(QStringLiteral("WaveAudio"));
    sound->setFileName(soundFile);
    sound->setCommand(QStringLiteral("Open"));
    sound->setCommand(QStringLiteral("Play"));
}

void Quibrel::cmdPlay_Click()
{
    const PlayFrontEnd frontEnd{
        [this](const QString &title, const QString &text) { MessageBox::critical(this, title, text); },
        [this] { get<MultimediaControl>("MMControl1")->setCommand(QStringLiteral("Close")); }};
    play(settings(), frontEnd);
}

void Quibrel::cmdQuit_Click()
{
    get<MultimediaControl>("MMControl1")->setCommand(QStringLiteral("Close"));
    QCoreApplication::exit(0);
}

void Quibrel::DirBox_Change()
{
    const QString folder = get<DirectoryList>("DirBox")->path();
    // The folder may lie on another volume: the drive list names it, and the volume keeps the folder as its
    // current directory, as a platform with drive letters does.
    get<DriveList>("DriveBox")->followDirectory(folder);
    QString reason;
    if (!get<FileList>("FileBox")->setPath(folder, &reason))
        tellFolderCannotBeOpened(folder, reason);
}

void Quibrel::DriveBox_Change()
{
    auto drives = get<DriveList>("DriveBox");
    auto folders = get<DirectoryList>("DirBox");
    QString reason;
    if (folders->setPath(drives->currentDirectory(), &reason))
        return;
    showError(tr("The drive %1 is not ready: %2.").arg(drives->drive(), reason));
    // Back to the drive that the directory list still shows, without running this handler again.
    const QSignalBlocker blocker(drives);
    drives->setDrive(folders->path());
}

void Quibrel::FileBox_DblClick()
{
    get<QLabel>("lblGameSelected")->setText(get<FileList>("FileBox")->fileName());
}

void Quibrel::hsbVolume_Change()
{
    get<QLabel>("lblVolume")->setText(QString::number(get<ScrollBar>("hsbVolume")->value()));
}

void Quibrel::hsbVolume_Scroll()
{
    hsbVolume_Change();
}

void Quibrel::Timer1_Timer()
{
    get<ImageBox>("imgArrow")->setVisible(false);
    get<Timer>("Timer2")->setEnabled(true);
    get<Timer>("Timer1")->setEnabled(false);
}

void Quibrel::Timer2_Timer()
{
    get<ImageBox>("imgArrow")->setVisible(true);
    get<Timer>("Timer1")->setEnabled(true);
    get<Timer>("Timer2")->setEnabled(false);
}

QString Quibrel::fctGetCmdLine() const
{
    QString reason;
    return composeCommandLine(settings(), currentWorkingDirectory(&reason), QDir::separator());
}

} // namespace quibrel
