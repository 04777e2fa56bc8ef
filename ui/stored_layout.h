#pragma once

#include <QSize>
#include <QStringList>

namespace quibrel {

enum class ControlKind {
    Timer,
    PictureBox,
    CommandButton,
    TabControl,
    Frame,
    OptionButton,
    TextBox,
    ScrollBar,
    Label,
    DriveList,
    DirectoryList,
    FileList,
    MultimediaControl,
    Image,
};

enum class ControlFont { NoText, Fixedsys9, GothicE2775, GothicE2175, GothicG18 };

// Start state of a control, as flags.
enum StartFlag : unsigned {
    Set = 1,      // option button set
    Hidden = 2,   // not visible
    Centred = 4,  // label text centred
    Border = 8,   // label with a single-line border
    WordWrap = 16, // label text broken between words
    Enabled = 32, // timer running
};

struct ControlRange {
    int minimum = 0;
    int maximum = 0;
    int value = 0; // a scroll bar's value, a timer's interval in milliseconds
};

// One control of the window as the layout stores it. Geometry is in twips relative to the container;
// a control on the tab control carries its stored Left, which is off to the left unless its page is
// the stored current page.
struct ControlLayout {
    int number; // creation order
    const char *name;
    ControlKind kind;
    const char *container; // "" for the window itself
    int page;              // page of a control placed on the tab control, else -1
    const char *caption;
    int left, top, width, height;
    int tabIndex; // position in the focus order, or None
    ControlFont font;
    unsigned start;
    const char *accessibleName = nullptr; // for controls that show no caption of their own
    const char *picture = nullptr;        // resource path
    ControlRange range = {};
};

constexpr int None = -1;

struct WindowLayout {
    const char *name;
    const char *caption;
    int clientWidth, clientHeight; // restored client area, twips
    const char *icon;
};

struct TabLayout {
    QStringList captions;
    int tabsPerRow;
    int tabHeightHimetric; // hundredths of a millimetre
    int storedPage;
    int hiddenOffset; // how far left the members of hidden pages are stored, twips
};

struct FontLayout {
    const char *face;
    qreal points;
};

const WindowLayout &windowLayout();
FontLayout fontLayout(ControlFont font);
const TabLayout &tabLayout();
const QList<ControlLayout> &controlLayouts(); // in creation order

// Left of a page control while its page is shown.
int pageLeft(const ControlLayout &control);

constexpr int twipsPerPixel = 15; // at 96 dots per inch
inline int pixels(int twips)
{
    return twips / twipsPerPixel;
}

} // namespace quibrel
