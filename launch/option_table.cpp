#include "option_table.h"

#include <cstring>
#include <type_traits>

namespace quibrel {

namespace {

template <auto Field> using Members = std::decay_t<decltype(std::declval<LaunchSettings>().*Field)>;

template <auto Field> int memberOf(const LaunchSettings &settings)
{
    return int(settings.*Field);
}

template <auto Field> void setMemberOf(LaunchSettings &settings, int member)
{
    settings.*Field = Members<Field>(member);
}

template <auto Field>
OptionGroup group(const char *frame, QList<const char *> words, const char *textBox = nullptr,
                  QString LaunchSettings::*text = nullptr)
{
    const QMetaEnum members = QMetaEnum::fromType<Members<Field>>();
    Q_ASSERT_X(members.keyCount() == words.size(), frame, "one entry of words per option button");
    return {frame, members, words, textBox, text, memberOf<Field>, setMemberOf<Field>};
}

} // namespace

const QList<OptionGroup> &optionGroups()
{
    using S = LaunchSettings;
    static const QList<OptionGroup> groups = {
        group<&S::frmVPeriod>("frmVPeriod", {"", "-vperiod"}, "txtVPeriodCustom", &S::txtVPeriodCustom),
        group<&S::frmUPeriod>("frmUPeriod", {"", "-uperiod"}, "txtUPeriodCustom", &S::txtUPeriodCustom),
        group<&S::frmScreenRefresh>("frmScreenRefresh", {"", "-nodelay"}),
        group<&S::frmSound>("frmSound", {"", "-sound 0"}),
        group<&S::frmStereo>("frmStereo", {"-stereo 0", "", "-stereo 2"}),
        {"frmVolume", QMetaEnum(), {"-volume"}, "lblVolume", &S::lblVolume},
        group<&S::frmJoystick>("frmJoystick", {"", "-joystick 1"}),
        group<&S::frmIfreq>("frmIfreq", {"", "-ifreq"}, "txtIfreqCustom", &S::txtIfreqCustom),
        group<&S::frmVerbose>("frmVerbose", {"-verbose 0", "", "-verbose 2", "-verbose 4", "-verbose 8"}),
        group<&S::frmCheat>("frmCheat", {"", "-cheat"}, "txtCheat", &S::txtCheat),
        group<&S::frmBg>("frmBg", {"", "-background"}, "txtBgCustom", &S::txtBgCustom),
        group<&S::frmVideo>("frmVideo", {"", "-video 1", "-video 2", "-video 3", "-video 4", "-video 5"}),
        group<&S::frmKeys>("frmKeys", {"", "-keys"}, "txtKeysCustom", &S::txtKeysCustom),
    };
    return groups;
}

const OptionGroup *optionGroup(const char *frame)
{
    for (const OptionGroup &group : optionGroups()) {
        if (std::strcmp(group.frame, frame) == 0)
            return &group;
    }
    return nullptr;
}

} // namespace quibrel
