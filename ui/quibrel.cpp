#include "quibrel.h"

#include "controls.h"
#include "directory_list.h"
#include "drive_list.h"
#include "file_list.h"
#include "message_box.h"
#include "pictures/pictures.h"
#include "stored_layout.h"
#include "tab_control.h"

#include "files/file_system.h"
#include "fonts/face_aliases.h"
#include "launch/command_line.h"
#include "launch/play.h"
#include "sound/multimedia_control.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <map>

namespace quibrel {

namespace {

// Assistive technology takes a top-level widget of a class it does not know for a mere filler; the launcher's
// window is a window, named by its title.
QAccessibleInterface *windowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(Quibrel::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

const QString soundFile = QStringLiteral("D:\\VUD\\MUSIQUES\\WAVE\\NEWSTING.WAV");
const QString gamePattern = QStringLiteral("*.gb");

// The faces the layout asks for are rarely installed: Debian's nearest relatives stand in for them, as other
// names of theirs when they are installed, else as substitutes.
void substituteMissingFonts()
{
    if (!aliasFace(QStringLiteral("Fixedsys"), QStringLiteral("Terminus (TTF)")))
        QFont::insertSubstitutions(QStringLiteral("Fixedsys"),
                                   {QStringLiteral("Terminus (TTF)"), QStringLiteral("monospace")});
    for (const QString &gothic : {QStringLiteral("GothicE"), QStringLiteral("GothicG")}) {
        if (!aliasFace(gothic, QStringLiteral("Blankenburg_UNZ1A")))
            QFont::insertSubstitutions(gothic,
                                       {QStringLiteral("Blankenburg_UNZ1A"), QStringLiteral("serif")});
    }
}

// Fixed captions are plain ASCII, which the layout's faces hold: their controls can do without merging in
// other fonts for missing characters, which spares the start-up looking those fonts up for each face. Boxes,
// lists and lblGameSelected show what the user typed or the disk holds, which may need those other fonts.
bool showsFixedCaptionsOnly(const ControlLayout &layout)
{
    switch (layout.kind) {
    case ControlKind::CommandButton:
    case ControlKind::TabControl:
    case ControlKind::Frame:
    case ControlKind::OptionButton:
        return true;
    case ControlKind::Label:
        return qstrcmp(layout.name, "lblGameSelected") != 0;
    default:
        return false;
    }
}

QFont layoutFont(const ControlLayout &control)
{
    const FontLayout layout = fontLayout(control.font);
    QFont qfont(QString::fromLatin1(layout.face));
    qfont.setPointSizeF(layout.points);
    qfont.setWeight(QFont::Normal);
    // Set either way, so that a box inside a frame does not inherit the frame's choice.
    qfont.setStyleStrategy(showsFixedCaptionsOnly(control) ? QFont::NoFontMerging : QFont::PreferDefault);
    return qfont;
}

QLabel *createLabel(const ControlLayout &layout, QWidget *container)
{
    auto label = new QLabel(QString::fromUtf8(layout.caption), container);
    label->setTextFormat(Qt::PlainText); // a game's name is shown as it is, never as markup
    label->setAlignment((layout.start & Centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    label->setWordWrap(layout.start & WordWrap);
    if (layout.start & Border) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
    return label;
}

QRect pixelRect(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

void useDefault(QLineEdit *box)
{
    box->setText(QString());
    box->setVisible(false);
}

void useCustom(QLineEdit *box)
{
    box->setVisible(true);
}

} // namespace

Quibrel::Quibrel(QWidget *parent)
    : QWidget(parent)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    substituteMissingFonts();
    const WindowLayout &window = windowLayout();
    setObjectName(QString::fromLatin1(window.name));
    setWindowTitle(QString::fromLatin1(window.caption));
    setWindowIcon(pictures::icon(window.icon));
    resize(pixels(window.clientWidth), pixels(window.clientHeight));
    createControls();
    findControls();
    connectHandlers();
}

Quibrel::~Quibrel() = default;

void Quibrel::createControls()
{
    for (const ControlLayout &layout : controlLayouts()) {
        const QString containerName = QString::fromLatin1(layout.container);
        QWidget *container = containerName.isEmpty() ? this : qobject_cast<QWidget *>(control(containerName));
        Q_ASSERT_X(container, layout.name, "a container comes before its contents");
        QObject *object = createControl(layout, container);
        object->setObjectName(QString::fromLatin1(layout.name));
        m_controls.insert(object->objectName(), object);
        if (auto widget = qobject_cast<QWidget *>(object))
            placeOnContainer(layout, widget, container);
    }
    setTabOrder();
}

QObject *Quibrel::createControl(const ControlLayout &layout, QWidget *container)
{
    const QString caption = QString::fromUtf8(layout.caption);
    switch (layout.kind) {
    case ControlKind::Timer: {
        auto timer = new Timer(this);
        timer->setInterval(layout.range.value);
        timer->setEnabled(layout.start & Enabled);
        return timer;
    }
    case ControlKind::MultimediaControl:
        return new MultimediaControl(this);
    case ControlKind::PictureBox: {
        auto box = new PictureBox(container);
        box->setPicture(pictures::pixmap(layout.picture));
        return box;
    }
    case ControlKind::Image: {
        auto image = new ImageBox(container);
        image->setPicture(pictures::pixmap(layout.picture));
        return image;
    }
    case ControlKind::CommandButton: {
        auto button = new QPushButton(caption, container);
        button->setAutoDefault(false); // neither Enter nor Escape clicks a button of this window
        return button;
    }
    case ControlKind::TabControl: {
        auto tabs = new TabControl(container);
        const TabLayout &tabLayoutData = tabLayout();
        tabs->setTabsPerRow(tabLayoutData.tabsPerRow);
        // Hundredths of a millimetre to pixels at 96 dpi.
        tabs->setTabHeight(qRound(tabLayoutData.tabHeightHimetric * 96.0 / 2540.0));
        for (const QString &tabCaption : tabLayoutData.captions)
            tabs->addPage(tabCaption);
        return tabs;
    }
    case ControlKind::Frame:
        return new QGroupBox(caption, container);
    case ControlKind::OptionButton: {
        // Option buttons of one frame share a parent, which makes them one exclusive group.
        auto button = new QRadioButton(caption, container);
        button->setChecked(layout.start & Set);
        return button;
    }
    case ControlKind::TextBox:
        return new QLineEdit(container);
    case ControlKind::ScrollBar: {
        auto bar = new ScrollBar(container);
        bar->setRange(layout.range.minimum, layout.range.maximum);
        bar->setValue(layout.range.value);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        return bar;
    }
    case ControlKind::Label:
        return createLabel(layout, container);
    case ControlKind::DriveList:
        return new DriveList(container);
    case ControlKind::DirectoryList:
        return new DirectoryList(container);
    case ControlKind::FileList:
        return new FileList(container);
    }
    Q_UNREACHABLE();
}

void Quibrel::placeOnContainer(const ControlLayout &layout, QWidget *widget, QWidget *container)
{
    if (layout.font != ControlFont::NoText)
        widget->setFont(layoutFont(layout));
    if (layout.accessibleName)
        widget->setAccessibleName(QString::fromUtf8(layout.accessibleName));
    if (layout.page >= 0) {
        widget->setGeometry(pixelRect(pageLeft(layout), layout.top, layout.width, layout.height));
        static_cast<TabControl *>(container)->addMember(layout.page, widget);
    } else {
        widget->setGeometry(pixelRect(layout.left, layout.top, layout.width, layout.height));
    }
    if (layout.tabIndex == None)
        widget->setFocusPolicy(Qt::NoFocus);
    // Images and labels are drawn beneath the other controls that they overlap.
    if (layout.kind == ControlKind::Image || layout.kind == ControlKind::Label)
        widget->lower();
    if (layout.start & Hidden)
        widget->setVisible(false);
    if (layout.kind == ControlKind::TabControl)
        static_cast<TabControl *>(widget)->setCurrentPage(tabLayout().storedPage);
}

void Quibrel::setTabOrder()
{
    std::map<int, QWidget *> byTabIndex;
    for (const ControlLayout &layout : controlLayouts()) {
        auto widget = qobject_cast<QWidget *>(control(QString::fromLatin1(layout.name)));
        if (widget && layout.tabIndex != None && widget->focusPolicy() != Qt::NoFocus)
            byTabIndex[layout.tabIndex] = widget;
    }
    QWidget *previous = nullptr;
    for (const auto &[index, widget] : byTabIndex) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

template <typename T> T *Quibrel::find(const char *name) const
{
    auto object = qobject_cast<T *>(control(QString::fromLatin1(name)));
    Q_ASSERT_X(object, name, "the stored layout holds this control");
    return object;
}

void Quibrel::findControls()
{
    Timer1 = find<Timer>("Timer1");
    Timer2 = find<Timer>("Timer2");
    cmdQuit = find<QPushButton>("cmdQuit");
    cmdPlay = find<QPushButton>("cmdPlay");
    TabSettings = find<TabControl>("TabSettings");
    MMControl1 = find<MultimediaControl>("MMControl1");
    imgArrow = find<ImageBox>("imgArrow");
    lblGameSelected = find<QLabel>("lblGameSelected");
    DriveBox = find<DriveList>("DriveBox");
    DirBox = find<DirectoryList>("DirBox");
    FileBox = find<FileList>("FileBox");
    hsbVolume = find<ScrollBar>("hsbVolume");
    lblVolume = find<QLabel>("lblVolume");

    optVPeriodCustom = find<QRadioButton>("optVPeriodCustom");
    optUPeriodCustom = find<QRadioButton>("optUPeriodCustom");
    optNoDelay = find<QRadioButton>("optNoDelay");
    optNoSound = find<QRadioButton>("optNoSound");
    optStereoMono = find<QRadioButton>("optStereoMono");
    optStereoNormal = find<QRadioButton>("optStereoNormal");
    optJoystickAutodetected = find<QRadioButton>("optJoystickAutodetected");
    optIfreqCustom = find<QRadioButton>("optIfreqCustom");
    optVerbose0 = find<QRadioButton>("optVerbose0");
    optVerbose1 = find<QRadioButton>("optVerbose1");
    optVerbose2 = find<QRadioButton>("optVerbose2");
    optVerbose4 = find<QRadioButton>("optVerbose4");
    optCheat = find<QRadioButton>("optCheat");
    optBgCustom = find<QRadioButton>("optBgCustom");
    optVideo0 = find<QRadioButton>("optVideo0");
    optVideo1 = find<QRadioButton>("optVideo1");
    optVideo2 = find<QRadioButton>("optVideo2");
    optVideo3 = find<QRadioButton>("optVideo3");
    optVideo4 = find<QRadioButton>("optVideo4");
    optKeysCustom = find<QRadioButton>("optKeysCustom");

    txtVPeriodCustom = find<QLineEdit>("txtVPeriodCustom");
    txtUPeriodCustom = find<QLineEdit>("txtUPeriodCustom");
    txtIfreqCustom = find<QLineEdit>("txtIfreqCustom");
    txtCheat = find<QLineEdit>("txtCheat");
    txtBgCustom = find<QLineEdit>("txtBgCustom");
    txtKeysCustom = find<QLineEdit>("txtKeysCustom");
}

void Quibrel::connectHandlers()
{
    connect(cmdPlay, &QPushButton::clicked, this, &Quibrel::cmdPlay_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &Quibrel::cmdQuit_Click);
    connect(DriveBox, &DriveList::changed, this, &Quibrel::DriveBox_Change);
    connect(DirBox, &DirectoryList::changed, this, &Quibrel::DirBox_Change);
    connect(FileBox, &FileList::doubleClicked, this, &Quibrel::FileBox_DblClick);
    connect(hsbVolume, &ScrollBar::change, this, &Quibrel::hsbVolume_Change);
    connect(hsbVolume, &ScrollBar::scroll, this, &Quibrel::hsbVolume_Scroll);
    connect(Timer1, &QTimer::timeout, this, &Quibrel::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Quibrel::Timer2_Timer);

    const std::pair<const char *, void (Quibrel::*)()> optionHandlers[] = {
        {"optBgDefault", &Quibrel::optBgDefault_Click},
        {"optBgCustom", &Quibrel::optBgCustom_Click},
        {"optNoCheat", &Quibrel::optNoCheat_Click},
        {"optCheat", &Quibrel::optCheat_Click},
        {"optKeysDefault", &Quibrel::optKeysDefault_Click},
        {"optKeysCustom", &Quibrel::optKeysCustom_Click},
        {"optUPeriodDefault", &Quibrel::optUPeriodDefault_Click},
        {"optUPeriodCustom", &Quibrel::optUPeriodCustom_Click},
        {"optVPeriodDefault", &Quibrel::optVPeriodDefault_Click},
        {"optVPeriodCustom", &Quibrel::optVPeriodCustom_Click},
        {"optIfreqDefault", &Quibrel::optIfreqDefault_Click},
        {"optIfreqCustom", &Quibrel::optIfreqCustom_Click},
    };
    for (const auto &[name, handler] : optionHandlers)
        connect(find<QRadioButton>(name), &QAbstractButton::clicked, this, handler);

    connect(DirBox, &DirectoryList::openFailed, this, [this](const QString &path, const QString &reason) {
        showError(tr("The folder %1 cannot be opened: %2.").arg(path, reason));
    });
}

void Quibrel::showError(const QString &text)
{
    MessageBox::critical(this, text, errorTitle);
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
    s.frmVPeriod = optVPeriodCustom->isChecked() ? VPeriod::optVPeriodCustom : VPeriod::optVPeriodDefault;
    s.txtVPeriodCustom = txtVPeriodCustom->text();
    s.frmUPeriod = optUPeriodCustom->isChecked() ? UPeriod::optUPeriodCustom : UPeriod::optUPeriodDefault;
    s.txtUPeriodCustom = txtUPeriodCustom->text();
    s.frmScreenRefresh = optNoDelay->isChecked() ? ScreenRefresh::optNoDelay : ScreenRefresh::optDelay;
    s.frmSound = optNoSound->isChecked() ? Sound::optNoSound : Sound::optSoundAdlib;
    s.frmStereo = optStereoMono->isChecked()     ? Stereo::optStereoMono
                  : optStereoNormal->isChecked() ? Stereo::optStereoNormal
                                                 : Stereo::optStereoReversed;
    s.lblVolume = lblVolume->text();
    s.frmJoystick = optJoystickAutodetected->isChecked() ? Joystick::optJoystickAutodetected
                                                         : Joystick::optJoystickDisabled;
    s.frmIfreq = optIfreqCustom->isChecked() ? Ifreq::optIfreqCustom : Ifreq::optIfreqDefault;
    s.txtIfreqCustom = txtIfreqCustom->text();
    s.frmVerbose = optVerbose0->isChecked()   ? Verbose::optVerbose0
                   : optVerbose1->isChecked() ? Verbose::optVerbose1
                   : optVerbose2->isChecked() ? Verbose::optVerbose2
                   : optVerbose4->isChecked() ? Verbose::optVerbose4
                                              : Verbose::optVerbose8;
    s.frmCheat = optCheat->isChecked() ? Cheat::optCheat : Cheat::optNoCheat;
    s.txtCheat = txtCheat->text();
    s.frmBg = optBgCustom->isChecked() ? Bg::optBgCustom : Bg::optBgDefault;
    s.txtBgCustom = txtBgCustom->text();
    s.frmVideo = optVideo0->isChecked()   ? Video::optVideo0
                 : optVideo1->isChecked() ? Video::optVideo1
                 : optVideo2->isChecked() ? Video::optVideo2
                 : optVideo3->isChecked() ? Video::optVideo3
                 : optVideo4->isChecked() ? Video::optVideo4
                                          : Video::optVideo5;
    s.frmKeys = optKeysCustom->isChecked() ? Keys::optKeysCustom : Keys::optKeysDefault;
    s.txtKeysCustom = txtKeysCustom->text();
    s.FileBoxPath = FileBox->path();
    s.lblGameSelected = lblGameSelected->text();
    return s;
}

void Quibrel::Form_Load()
{
    TabSettings->setCurrentPage(0);
    QString directory = workingDirectoryOrTell();
    if (directory.isEmpty())
        directory = QDir::rootPath(); // the browser still needs a place to start
    DriveBox->rememberDirectory(directory);
    DriveBox->setDrive(directory);
    QString reason;
    if (!DirBox->setPath(directory, &reason))
        showError(tr("The folder %1 cannot be opened: %2.").arg(directory, reason));
    FileBox->setPattern(gamePattern);
    Timer1->setEnabled(true);

    MMControl1->setNotify(false);
    MMControl1->setWait(true);
    MMControl1->setShareable(false);
    MMControl1->setDeviceType(QStringLiteral("WaveAudio"));
    MMControl1->setFileName(soundFile);
    MMControl1->setCommand(QStringLiteral("Open"));
    MMControl1->setCommand(QStringLiteral("Play"));
}

void Quibrel::cmdPlay_Click()
{
    const PlayFrontEnd frontEnd{
        [this](const QString &text, const QString &title) { MessageBox::critical(this, text, title); },
        [this] { MMControl1->setCommand(QStringLiteral("Close")); }};
    play(settings(), frontEnd);
}

void Quibrel::cmdQuit_Click()
{
    MMControl1->setCommand(QStringLiteral("Close"));
    QCoreApplication::exit(0);
}

void Quibrel::DirBox_Change()
{
    // The folder may lie on another volume: the drive list names it, and the volume keeps the folder as its
    // current directory, as a platform with drive letters does.
    DriveBox->followDirectory(DirBox->path());
    QString reason;
    if (!FileBox->setPath(DirBox->path(), &reason))
        showError(tr("The folder %1 cannot be opened: %2.").arg(DirBox->path(), reason));
}

void Quibrel::DriveBox_Change()
{
    QString reason;
    if (DirBox->setPath(DriveBox->currentDirectory(), &reason))
        return;
    showError(tr("The drive %1 is not ready: %2.").arg(DriveBox->drive(), reason));
    // Back to the drive that the directory list still shows, without running this handler again.
    const QSignalBlocker blocker(DriveBox);
    DriveBox->setDrive(DirBox->path());
}

void Quibrel::FileBox_DblClick()
{
    lblGameSelected->setText(FileBox->fileName());
}

void Quibrel::hsbVolume_Change()
{
    lblVolume->setText(QString::number(hsbVolume->value()));
}

void Quibrel::hsbVolume_Scroll()
{
    hsbVolume_Change();
}

void Quibrel::optIfreqCustom_Click()
{
    useCustom(txtIfreqCustom);
}

void Quibrel::optIfreqDefault_Click()
{
    useDefault(txtIfreqCustom);
}

void Quibrel::Timer1_Timer()
{
    imgArrow->setVisible(false);
    Timer2->setEnabled(true);
    Timer1->setEnabled(false);
}

void Quibrel::Timer2_Timer()
{
    imgArrow->setVisible(true);
    Timer1->setEnabled(true);
    Timer2->setEnabled(false);
}

void Quibrel::optVPeriodCustom_Click()
{
    useCustom(txtVPeriodCustom);
}

void Quibrel::optVPeriodDefault_Click()
{
    useDefault(txtVPeriodCustom);
}

void Quibrel::optUPeriodDefault_Click()
{
    useDefault(txtUPeriodCustom);
}

void Quibrel::optUPeriodCustom_Click()
{
    useCustom(txtUPeriodCustom);
}

void Quibrel::optKeysDefault_Click()
{
    useDefault(txtKeysCustom);
}

void Quibrel::optKeysCustom_Click()
{
    useCustom(txtKeysCustom);
}

void Quibrel::optNoCheat_Click()
{
    useDefault(txtCheat);
}

void Quibrel::optCheat_Click()
{
    useCustom(txtCheat);
}

void Quibrel::optBgDefault_Click()
{
    useDefault(txtBgCustom);
}

void Quibrel::optBgCustom_Click()
{
    useCustom(txtBgCustom);
}

QString Quibrel::fctGetCmdLine() const
{
    QString reason;
    return composeCommandLine(settings(), currentWorkingDirectory(&reason), QDir::separator());
}

} // namespace quibrel
