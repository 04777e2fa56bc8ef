#include "stored_layout.h"

#include "pictures/pictures.h"

namespace quibrel {

namespace {

const char creditLine[] = "Made by the Quibrel crew";

} // namespace

const WindowLayout &windowLayout()
{
    static const WindowLayout window{"Quibrel", "Quibrel! v0.2", 4680, 3195, pictures::windowIcon};
    return window;
}

FontLayout fontLayout(ControlFont font)
{
    switch (font) {
    case ControlFont::NoText:
    case ControlFont::Fixedsys9: return {"Fixedsys", 9};
    case ControlFont::GothicE2775: return {"GothicE", 27.75};
    case ControlFont::GothicE2175: return {"GothicE", 21.75};
    case ControlFont::GothicG18: return {"GothicG", 18};
    }
    return {"Fixedsys", 9};
}

const TabLayout &tabLayout()
{
    static const TabLayout tabs{
        {"Game", "Graphics", "Sound", "Controls", "CPU", "Game genie", "Video mode", "Background"},
        3,
        520,
        5,
        75000,
    };
    return tabs;
}

const QList<ControlLayout> &controlLayouts()
{
    // Short names keep each control on one line of the table.
    constexpr auto Timer = ControlKind::Timer, PictureBox = ControlKind::PictureBox,
                   CommandButton = ControlKind::CommandButton, TabControl = ControlKind::TabControl,
                   Frame = ControlKind::Frame, OptionButton = ControlKind::OptionButton,
                   TextBox = ControlKind::TextBox, ScrollBar = ControlKind::ScrollBar, Label = ControlKind::Label,
                   DriveList = ControlKind::DriveList, DirectoryList = ControlKind::DirectoryList,
                   FileList = ControlKind::FileList, MultimediaControl = ControlKind::MultimediaControl,
                   Image = ControlKind::Image;
    constexpr auto NoText = ControlFont::NoText, Fixedsys9 = ControlFont::Fixedsys9,
                   GothicE2775 = ControlFont::GothicE2775, GothicE2175 = ControlFont::GothicE2175,
                   GothicG18 = ControlFont::GothicG18;
    // clang-format off
    // #  name  kind  container  page  caption  left  top  width  height  tab  font  start  [accessible name, picture, range]
    static const QList<ControlLayout> controls{
    {1, "Timer1", Timer, "", -1, "", 0, 0, 0, 0, None, NoText, Enabled, nullptr, nullptr, {0, 0, 600}},
    {2, "Timer2", Timer, "", -1, "", 0, 0, 0, 0, None, NoText, Enabled, nullptr, nullptr, {0, 0, 600}},
    {3, "pctZorvel", PictureBox, "", -1, "", 6960, 2280, 4815, 3975, 9, NoText, 0, "Picture", pictures::zorvel},
    {4, "cmdQuit", CommandButton, "", -1, "QUIT", 4320, 7080, 2175, 975, 8, GothicE2175, 0},
    {5, "cmdPlay", CommandButton, "", -1, "PLAY", 1800, 7080, 2175, 975, 7, GothicE2775, 0},
    {6, "TabSettings", TabControl, "", -1, "", 120, 120, 6645, 5775, 0, Fixedsys9, 0, "Options", nullptr},
    {7, "frmBg", Frame, "TabSettings", 7, "Background", -74640, 1800, 5775, 2535, 61, Fixedsys9, 0},
    {8, "optBgDefault", OptionButton, "frmBg", -1, "Default", 240, 480, 2295, 495, 64, Fixedsys9, Set},
    {9, "optBgCustom", OptionButton, "frmBg", -1, "Custom (enter full path below)", 240, 1080, 3975, 495, 63, Fixedsys9, 0},
    {10, "txtBgCustom", TextBox, "frmBg", -1, "", 120, 1800, 5535, 375, 62, Fixedsys9, Hidden, "Background", nullptr},
    {11, "frmVideo", Frame, "TabSettings", 6, "Video mode", -74520, 2040, 5415, 2535, 54, Fixedsys9, 0},
    {12, "optVideo5", OptionButton, "frmVideo", -1, "5 - 256x200 without title screen", 240, 2040, 4215, 375, 60, Fixedsys9, 0},
    {13, "optVideo4", OptionButton, "frmVideo", -1, "4 - 256x200 with title screen", 240, 1680, 4215, 375, 59, Fixedsys9, 0},
    {14, "optVideo3", OptionButton, "frmVideo", -1, "3 - 180x144 full screen mode", 240, 1320, 4335, 375, 58, Fixedsys9, 0},
    {15, "optVideo2", OptionButton, "frmVideo", -1, "2 - 360x144 full screen mode", 240, 960, 4455, 375, 57, Fixedsys9, 0},
    {16, "optVideo1", OptionButton, "frmVideo", -1, "1 - 320x200 without title screen", 240, 600, 4335, 375, 56, Fixedsys9, 0},
    {17, "optVideo0", OptionButton, "frmVideo", -1, "0 - 320x200 with title screen(default)", 240, 240, 4935, 375, 55, Fixedsys9, Set},
    {18, "frmCheat", Frame, "TabSettings", 5, "Game genie", 360, 2040, 5295, 2055, 50, Fixedsys9, 0},
    {19, "txtCheat", TextBox, "frmCheat", -1, "", 2520, 1200, 2535, 375, 53, Fixedsys9, Hidden, "Game genie", nullptr},
    {20, "optNoCheat", OptionButton, "frmCheat", -1, "None(default)", 240, 480, 2295, 495, 52, Fixedsys9, Set},
    {21, "optCheat", OptionButton, "frmCheat", -1, "Game genie code", 240, 1080, 2295, 615, 51, Fixedsys9, 0},
    {22, "frmKeys", Frame, "TabSettings", 3, "Keys", -74520, 3000, 4335, 1695, 46, Fixedsys9, 0},
    {23, "txtKeysCustom", TextBox, "frmKeys", -1, "", 1440, 960, 2655, 375, 49, Fixedsys9, Hidden, "Keys", nullptr},
    {24, "optKeysCustom", OptionButton, "frmKeys", -1, "Custom", 240, 960, 1095, 375, 48, Fixedsys9, 0},
    {25, "optKeysDefault", OptionButton, "frmKeys", -1, "Default ", 240, 360, 2535, 495, 47, Fixedsys9, Set},
    {26, "frmVolume", Frame, "TabSettings", 2, "Volume", -74520, 4200, 3135, 1335, 43, Fixedsys9, 0},
    {27, "hsbVolume", ScrollBar, "frmVolume", -1, "", 240, 360, 2655, 255, 44, NoText, 0, "Volume", nullptr, {0, 15, 10}},
    {28, "lblVolume", Label, "frmVolume", -1, "10", 960, 840, 1095, 375, 45, Fixedsys9, Centred|Border},
    {29, "frmStereo", Frame, "TabSettings", 2, "Stereo", -74520, 2400, 3015, 1695, 39, Fixedsys9, 0},
    {30, "optStereoReversed", OptionButton, "frmStereo", -1, "2 - Reversed", 240, 1080, 2295, 375, 42, Fixedsys9, 0},
    {31, "optStereoNormal", OptionButton, "frmStereo", -1, "1 - Normal(default)", 240, 720, 2655, 375, 41, Fixedsys9, Set},
    {32, "optStereoMono", OptionButton, "frmStereo", -1, "0 - Mono", 240, 360, 2055, 375, 40, Fixedsys9, 0},
    {33, "frmSound", Frame, "TabSettings", 2, "Sound", -74520, 1200, 3015, 1095, 36, Fixedsys9, 0},
    {34, "optSoundAdlib", OptionButton, "frmSound", -1, "1 - Adlib(default)", 240, 600, 2535, 255, 38, Fixedsys9, Set},
    {35, "optNoSound", OptionButton, "frmSound", -1, "0 - No sound", 240, 240, 2175, 375, 37, Fixedsys9, 0},
    {36, "frmJoystick", Frame, "TabSettings", 3, "Joystick", -74520, 1200, 3375, 1575, 33, Fixedsys9, 0},
    {37, "optJoystickAutodetected", OptionButton, "frmJoystick", -1, "1 - Autodetected", 240, 960, 2775, 375, 35, Fixedsys9, 0},
    {38, "optJoystickDisabled", OptionButton, "frmJoystick", -1, "0 - Disabled(default)", 240, 480, 3015, 255, 34, Fixedsys9, Set},
    {39, "frmScreenRefresh", Frame, "TabSettings", 1, "Screen refresh", -74640, 4200, 3255, 975, 30, Fixedsys9, 0},
    {40, "optNoDelay", OptionButton, "frmScreenRefresh", -1, "Don't delay", 240, 600, 1695, 255, 32, Fixedsys9, 0},
    {41, "optDelay", OptionButton, "frmScreenRefresh", -1, "Delay(default)", 240, 360, 2175, 225, 31, Fixedsys9, Set},
    {42, "frmUPeriod", Frame, "TabSettings", 1, "Number of interrupts per screen update", -74640, 2760, 4935, 1335, 26, Fixedsys9, 0},
    {43, "txtUPeriodCustom", TextBox, "frmUPeriod", -1, "", 2160, 600, 615, 495, 29, Fixedsys9, Hidden, "Number of interrupts per screen update", nullptr},
    {44, "optUPeriodCustom", OptionButton, "frmUPeriod", -1, "Custom", 240, 720, 1455, 255, 28, Fixedsys9, 0},
    {45, "optUPeriodDefault", OptionButton, "frmUPeriod", -1, "Default(-1)", 240, 360, 2175, 255, 27, Fixedsys9, Set},
    {46, "frmVPeriod", Frame, "TabSettings", 1, "VBlank interrupt", -74640, 1200, 3495, 1455, 22, Fixedsys9, 0},
    {47, "txtVPeriodCustom", TextBox, "frmVPeriod", -1, "", 1800, 720, 1215, 375, 25, Fixedsys9, Hidden, "VBlank interrupt", nullptr},
    {48, "optVPeriodCustom", OptionButton, "frmVPeriod", -1, "Custom", 240, 840, 1335, 255, 24, Fixedsys9, 0},
    {49, "optVPeriodDefault", OptionButton, "frmVPeriod", -1, "Default(69905 cycles)", 240, 360, 2895, 255, 23, Fixedsys9, Set},
    {50, "frmVerbose", Frame, "TabSettings", 4, "Verbose level", -74760, 2700, 4455, 1695, 14, Fixedsys9, 0},
    {51, "optVerbose8", OptionButton, "frmVerbose", -1, "8 - Bank switching", 360, 1320, 2895, 255, 21, Fixedsys9, 0},
    {52, "optVerbose4", OptionButton, "frmVerbose", -1, "4 - Illegal CPU ops", 360, 1080, 2775, 255, 20, Fixedsys9, 0},
    {53, "optVerbose2", OptionButton, "frmVerbose", -1, "2 - Illegal writes", 360, 840, 2655, 255, 19, Fixedsys9, 0},
    {54, "optVerbose1", OptionButton, "frmVerbose", -1, "1 - Startup messages(default)", 360, 600, 3855, 255, 18, Fixedsys9, Set},
    {55, "optVerbose0", OptionButton, "frmVerbose", -1, "0 - Silent", 360, 360, 1575, 255, 17, Fixedsys9, 0},
    {56, "frmIfreq", Frame, "TabSettings", 4, "Interrupt frequency", -74760, 1140, 4455, 1455, 12, Fixedsys9, 0},
    {57, "optIfreqCustom", OptionButton, "frmIfreq", -1, "Custom", 360, 720, 1455, 495, 16, Fixedsys9, 0},
    {58, "optIfreqDefault", OptionButton, "frmIfreq", -1, "Default(60)", 360, 360, 1695, 375, 15, Fixedsys9, Set},
    {59, "txtIfreqCustom", TextBox, "frmIfreq", -1, "", 2280, 720, 735, 495, 13, Fixedsys9, Hidden, "Interrupt frequency", nullptr},
    {60, "DriveBox", DriveList, "TabSettings", 0, "", -74880, 1800, 3135, 345, 3, Fixedsys9, 0, "Drive", nullptr},
    {61, "DirBox", DirectoryList, "TabSettings", 0, "", -74880, 2160, 3135, 2385, 2, Fixedsys9, 0, "Directory", nullptr},
    {62, "FileBox", FileList, "TabSettings", 0, "", -71760, 2400, 2895, 2115, 1, Fixedsys9, 0, "Files", nullptr},
    {63, "Label1", Label, "TabSettings", 0, "Games present in current directory:", -71760, 1800, 2895, 615, 4, Fixedsys9, Border|WordWrap},
    {64, "MMControl1", MultimediaControl, "", -1, "", 7440, 120, 3540, 495, 11, NoText, Hidden},
    {65, "imgArrow", Image, "", -1, "", 8400, 840, 1725, 1485, None, NoText, 0, "Arrow", pictures::arrow},
    {66, "lblCopyright", Label, "", -1, creditLine, 7080, 6360, 4575, 1215, 10, GothicG18, Centred},
    {67, "lblGame", Label, "", -1, "Game selected:", 600, 6480, 1815, 375, 6, Fixedsys9, 0},
    {68, "lblGameSelected", Label, "", -1, "", 2520, 6360, 2775, 495, 5, Fixedsys9, Centred|Border},
    };
    // clang-format on
    return controls;
}

int pageLeft(const ControlLayout &control)
{
    const TabLayout &tabs = tabLayout();
    return control.page == tabs.storedPage ? control.left : control.left + tabs.hiddenOffset;
}

} // namespace quibrel
