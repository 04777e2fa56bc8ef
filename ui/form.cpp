#include "form.h"

#include "controls.h"
#include "directory_list.h"
#include "drive_list.h"
#include "file_list.h"
#include "stored_layout.h"
#include "tab_control.h"

#include "pictures/pictures.h"

#include "sound/multimedia_control.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <fontconfig/fontconfig.h>
#include <map>

namespace quibrel {

namespace {

// The faces the layout asks for are rarely installed: Debian's nearest relatives stand in for them, as
// fontconfig aliases put first for those names (measured: 5 M instructions fewer before the first frame than
// QFont substitutions, the same pixels).
void substituteMissingFonts()
{
    static const char aliases[] = R"(<?xml version="1.0"?>
<fontconfig>
  <alias binding="same"><family>Fixedsys</family><prefer><family>Terminus (TTF)</family></prefer></alias>
  <alias binding="same"><family>GothicE</family><prefer><family>Blankenburg_UNZ1A</family></prefer></alias>
  <alias binding="same"><family>GothicG</family><prefer><family>Blankenburg_UNZ1A</family></prefer></alias>
</fontconfig>)";
    FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8 *>(aliases), FcTrue);
}

QFont layoutFont(ControlFont font)
{
    const FontLayout layout = fontLayout(font);
    QFont qfont(QString::fromLatin1(layout.face));
    qfont.setPointSizeF(layout.points);
    qfont.setWeight(QFont::Normal);
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

} // namespace

Form::Form(QWidget *window, ControlMade made)
    : m_window(window)
    , m_made(std::move(made))
{
    substituteMissingFonts();
    const WindowLayout &layout = windowLayout();
    window->setObjectName(QString::fromLatin1(layout.name));
    window->setWindowTitle(QString::fromLatin1(layout.caption));
    window->setWindowIcon(pictures::icon(layout.icon));
    window->resize(pixels(layout.clientWidth), pixels(layout.clientHeight));
    window->setFont(layoutFont(ControlFont::Fixedsys9)); // the controls' text font, theirs to take
    // A container comes before its contents.
    for (const ControlLayout &control : controlLayouts())
        make(control);
    setTabOrder();
}

QObject *Form::control(const QString &name) const
{
    return m_controls.value(name);
}

void Form::make(const ControlLayout &layout)
{
    const QString containerName = QString::fromLatin1(layout.container);
    QWidget *container = containerName.isEmpty() ? m_window : qobject_cast<QWidget *>(control(containerName));
    Q_ASSERT_X(container, layout.name, "a container comes before its contents");
    QObject *object = createControl(layout, container);
    object->setObjectName(QString::fromLatin1(layout.name));
    m_controls.insert(object->objectName(), object);
    if (auto widget = qobject_cast<QWidget *>(object))
        placeOnContainer(layout, widget, container);
    m_made(object);
}

QObject *Form::createControl(const ControlLayout &layout, QWidget *container) const
{
    const QString caption = QString::fromUtf8(layout.caption);
    switch (layout.kind) {
    case ControlKind::Timer: {
        auto timer = new Timer(m_window);
        timer->setInterval(layout.range.value);
        timer->setEnabled(layout.start & Enabled);
        return timer;
    }
    case ControlKind::MultimediaControl:
        return new MultimediaControl(m_window);
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

void Form::placeOnContainer(const ControlLayout &layout, QWidget *widget, QWidget *container) const
{
    if (layout.font != ControlFont::NoText)
        widget->setFont(layoutFont(layout.font));
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
    // A member of a page is shown with its page; anything else as its start state says.
    if (layout.page < 0 && (layout.start & Hidden))
        widget->setVisible(false);
    if (layout.kind == ControlKind::TabControl)
        static_cast<TabControl *>(widget)->setCurrentPage(tabLayout().storedPage);
}

void Form::setTabOrder() const
{
    std::map<int, QWidget *> byTabIndex;
    for (const ControlLayout &layout : controlLayouts()) {
        auto widget = qobject_cast<QWidget *>(m_controls.value(QString::fromLatin1(layout.name)));
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

} // namespace quibrel
