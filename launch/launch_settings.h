#pragma once

#include <QObject>
#include <QString>

namespace quibrel {
Q_NAMESPACE

// One enumeration per option group, its members named exactly as the group's option buttons: the window finds
// each button by its member's name.
enum class VPeriod { optVPeriodDefault, optVPeriodCustom };
Q_ENUM_NS(VPeriod)
enum class UPeriod { optUPeriodDefault, optUPeriodCustom };
Q_ENUM_NS(UPeriod)
enum class ScreenRefresh { optDelay, optNoDelay };
Q_ENUM_NS(ScreenRefresh)
enum class Sound { optSoundAdlib, optNoSound };
Q_ENUM_NS(Sound)
enum class Stereo { optStereoMono, optStereoNormal, optStereoReversed };
Q_ENUM_NS(Stereo)
enum class Joystick { optJoystickDisabled, optJoystickAutodetected };
Q_ENUM_NS(Joystick)
enum class Ifreq { optIfreqDefault, optIfreqCustom };
Q_ENUM_NS(Ifreq)
enum class Verbose { optVerbose0, optVerbose1, optVerbose2, optVerbose4, optVerbose8 };
Q_ENUM_NS(Verbose)
enum class Cheat { optNoCheat, optCheat };
Q_ENUM_NS(Cheat)
enum class Bg { optBgDefault, optBgCustom };
Q_ENUM_NS(Bg)
enum class Video { optVideo0, optVideo1, optVideo2, optVideo3, optVideo4, optVideo5 };
Q_ENUM_NS(Video)
enum class Keys { optKeysDefault, optKeysCustom };
Q_ENUM_NS(Keys)

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
