#pragma once

// The settings of the emulator's second worked example: every group away from its start value.

#include "launch/launch_settings.h"

inline quibrel::LaunchSettings everyGroupChanged(const QString &gameFolder, const QString &background)
{
    using namespace quibrel;
    LaunchSettings s;
    s.FileBoxPath = gameFolder;
    s.lblGameSelected = QStringLiteral("PUZZLE.GB");
    s.frmVPeriod = VPeriod::optVPeriodCustom;
    s.txtVPeriodCustom = QStringLiteral("500");
    s.frmUPeriod = UPeriod::optUPeriodCustom;
    s.txtUPeriodCustom = QStringLiteral("2");
    s.frmScreenRefresh = ScreenRefresh::optNoDelay;
    s.frmSound = Sound::optNoSound;
    s.frmStereo = Stereo::optStereoReversed;
    s.lblVolume = QStringLiteral("7");
    s.frmJoystick = Joystick::optJoystickAutodetected;
    s.frmIfreq = Ifreq::optIfreqCustom;
    s.txtIfreqCustom = QStringLiteral("50");
    s.frmVerbose = Verbose::optVerbose4;
    s.frmCheat = Cheat::optCheat;
    s.txtCheat = QStringLiteral("00A-17B-C49");
    s.frmBg = Bg::optBgCustom;
    s.txtBgCustom = background;
    s.frmVideo = Video::optVideo3;
    s.frmKeys = Keys::optKeysCustom;
    s.txtKeysCustom = QStringLiteral("mykeys");
    return s;
}
