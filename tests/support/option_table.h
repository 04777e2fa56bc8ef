#pragma once

// The window's option buttons, written out by hand from what each button stands for: the tests check the
// window against this table, never against the code that composes the emulator's arguments.

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <QTest>

// One option button: its group (frame), page, and the words it adds to the emulator's argument vector.
struct OptionButton {
    const char *name;
    const char *frame;
    int page;
    bool setAtStart;
    const char *words = nullptr;      // separated by single blanks; nothing when null
    const char *shownBox = nullptr;   // a custom button: the box it shows, whose text's words follow
    const char *clearedBox = nullptr; // a default button of a custom pair: the box it empties and hides
};

inline const OptionButton optionButtons[] = {
    {"optVPeriodDefault", "frmVPeriod", 1, true, nullptr, nullptr, "txtVPeriodCustom"},
    {"optVPeriodCustom", "frmVPeriod", 1, false, "-vperiod", "txtVPeriodCustom"},
    {"optUPeriodDefault", "frmUPeriod", 1, true, nullptr, nullptr, "txtUPeriodCustom"},
    {"optUPeriodCustom", "frmUPeriod", 1, false, "-uperiod", "txtUPeriodCustom"},
    {"optDelay", "frmScreenRefresh", 1, true},
    {"optNoDelay", "frmScreenRefresh", 1, false, "-nodelay"},
    {"optSoundAdlib", "frmSound", 2, true},
    {"optNoSound", "frmSound", 2, false, "-sound 0"},
    {"optStereoMono", "frmStereo", 2, false, "-stereo 0"},
    {"optStereoNormal", "frmStereo", 2, true},
    {"optStereoReversed", "frmStereo", 2, false, "-stereo 2"},
    {"optKeysDefault", "frmKeys", 3, true, nullptr, nullptr, "txtKeysCustom"},
    {"optKeysCustom", "frmKeys", 3, false, "-keys", "txtKeysCustom"},
    {"optJoystickDisabled", "frmJoystick", 3, true},
    {"optJoystickAutodetected", "frmJoystick", 3, false, "-joystick 1"},
    {"optIfreqDefault", "frmIfreq", 4, true, nullptr, nullptr, "txtIfreqCustom"},
    {"optIfreqCustom", "frmIfreq", 4, false, "-ifreq", "txtIfreqCustom"},
    {"optVerbose0", "frmVerbose", 4, false, "-verbose 0"},
    {"optVerbose1", "frmVerbose", 4, true},
    {"optVerbose2", "frmVerbose", 4, false, "-verbose 2"},
    {"optVerbose4", "frmVerbose", 4, false, "-verbose 4"},
    {"optVerbose8", "frmVerbose", 4, false, "-verbose 8"},
    {"optNoCheat", "frmCheat", 5, true, nullptr, nullptr, "txtCheat"},
    {"optCheat", "frmCheat", 5, false, "-cheat", "txtCheat"},
    {"optVideo0", "frmVideo", 6, true},
    {"optVideo1", "frmVideo", 6, false, "-video 1"},
    {"optVideo2", "frmVideo", 6, false, "-video 2"},
    {"optVideo3", "frmVideo", 6, false, "-video 3"},
    {"optVideo4", "frmVideo", 6, false, "-video 4"},
    {"optVideo5", "frmVideo", 6, false, "-video 5"},
    {"optBgDefault", "frmBg", 7, true, nullptr, nullptr, "txtBgCustom"},
    {"optBgCustom", "frmBg", 7, false, "-background", "txtBgCustom"},
};

// The groups in the order in which the emulator receives their words; the volume comes after the stereo.
inline const char *const emulatorOrder[] = {
    "frmVPeriod", "frmUPeriod", "frmScreenRefresh", "frmSound", "frmStereo", "frmVolume", "frmJoystick",
    "frmIfreq",   "frmVerbose", "frmCheat",         "frmBg",    "frmVideo",  "frmKeys"};

inline const OptionButton *optionButton(const QString &name)
{
    for (const OptionButton &button : optionButtons) {
        if (name == QLatin1String(button.name))
            return &button;
    }
    return nullptr;
}

inline const OptionButton *customButtonOf(const QString &box)
{
    for (const OptionButton &button : optionButtons) {
        if (button.shownBox && box == QLatin1String(button.shownBox))
            return &button;
    }
    return nullptr;
}

inline QStringList customBoxes()
{
    QStringList boxes;
    for (const OptionButton &button : optionButtons) {
        if (button.shownBox)
            boxes << QLatin1String(button.shownBox);
    }
    return boxes;
}

// One row per option button, its name in the column "name".
inline void addButtonRows()
{
    QTest::addColumn<QString>("name");
    for (const OptionButton &button : optionButtons)
        QTest::newRow(button.name) << QString::fromLatin1(button.name);
}

// The words a button adds, each one argument; the text of a custom button's box is not among them.
inline QByteArrayList wordsOf(const OptionButton &button)
{
    return button.words ? QByteArray(button.words).split(' ') : QByteArrayList();
}

// The emulator's option words when `button` alone is away from the start (a custom button's box holding
// `typed`): its words in its group's place, and the volume at its start value.
inline QStringList expectedOptionWords(const OptionButton &button, const QString &typed)
{
    QStringList words;
    for (const char *frame : emulatorOrder) {
        if (qstrcmp(frame, "frmVolume") == 0) {
            words << QStringLiteral("-volume") << QStringLiteral("10");
        } else if (qstrcmp(frame, button.frame) == 0) {
            for (const QByteArray &word : wordsOf(button))
                words << QString::fromLatin1(word);
            if (button.shownBox)
                words << typed;
        }
    }
    return words;
}
