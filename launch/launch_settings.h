#pragma once

#include <QString>

namespace quibrel {

// One enumeration per option group, its members named after the group's option buttons.
enum class VPeriod { optVPeriodDefault, optVPeriodCustom };
enum class UPeriod { optUPeriodDefault, optUPeriodCustom };
enum class ScreenRefresh { optDelay, optNoDelay };
enum class Sound { optSoundAdlib, optNoSound };
enum class Stereo { optStereoMono, optStereoNormal, optStereoReversed };
enum class Joystick { optJoystickDisabled, optJoystickAutodetected };
enum class Ifreq { optIfreqDefault, optIfreqCustom };
enum class Verbose { optVerbose0, optVerbose1, optVerbose2, optVerbose4, optVerbose8 };
enum class Cheat { optNoCheat, optCheat };
enum class Bg { optBgDefault, optBgCustom };
enum class Video { optVideo0, optVideo1, optVideo2, optVideo3, optVideo4, optVideo5 };
enum class Keys { optKeysDefault, optKeysCustom };

// Everything the emulator's command line is made of, as the window's controls show it.
// Texts are kept exactly as typed: never trimmed, quoted or checked.
struct LaunchSettings {
    VPeriod frmVPeriod = VPeriod::optVPeriodDefault;
    QString txtVPeriodCustom;
    UPeriod frmUPeriod = UPeriod::optUPeriodDefault;
    QString txtUPeriodCustom;
    ScreenRefresh frmScreenRefresh = ScreenRefresh::optDelay;
    Sound frmSound = Sound::optSoundAdlib;
    Stereo frmStereo = Stereo::optStereoNormal;
    QString lblVolume = QStringLiteral("10");
    Joystick frmJoystick = Joystick::optJoystickDisabled;
    Ifreq frmIfreq = Ifreq::optIfreqDefault;
    QString txtIfreqCustom;
    Verbose frmVerbose = Verbose::optVerbose1;
    Cheat frmCheat = Cheat::optNoCheat;
    QString txtCheat;
    Bg frmBg = Bg::optBgDefault;
    QString txtBgCustom;
    Video frmVideo = Video::optVideo0;
    Keys frmKeys = Keys::optKeysDefault;
    QString txtKeysCustom;
    QString FileBoxPath; // the window fills in the working directory at load
    QString lblGameSelected;
};

} // namespace quibrel
