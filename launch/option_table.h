#pragma once

#include "launch_settings.h"

#include <QList>
#include <QMetaEnum>

namespace quibrel {

// One option group as the emulator sees it: its option buttons in order, the words each gives, and the text
// that completes its last member. The volume is a row without buttons whose words and text always go.
struct OptionGroup {
    const char *frame;
    QMetaEnum members;         // the option buttons' names, in order; not valid for the volume
    QList<const char *> words; // per member, blank-separated; "" gives nothing
    const char *textBox = nullptr;
    QString LaunchSettings::*text = nullptr; // what `textBox` shows
    int (*member)(const LaunchSettings &) = nullptr;
    void (*setMember)(LaunchSettings &, int) = nullptr;

    int chosen(const LaunchSettings &settings) const { return member ? member(settings) : 0; }
    // The text that follows the chosen member's words, or null.
    const QString *completion(const LaunchSettings &settings) const
    {
        return text && chosen(settings) == words.size() - 1 ? &(settings.*text) : nullptr;
    }
};

// Every group, in the order in which the emulator receives their words.
const QList<OptionGroup> &optionGroups();

// The group named after `frame`, or null.
const OptionGroup *optionGroup(const char *frame);

} // namespace quibrel
