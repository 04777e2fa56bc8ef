#pragma once

#include "launch/launch_settings.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quibrel {

class DirectoryList;
class DriveList;
class FileList;
class ImageBox;
class MultimediaControl;
class ScrollBar;
class TabControl;
class Timer;
struct ControlLayout;

// The launcher's one window, built from its stored layout. The handlers are named after their
// control and event; each keeps to the steps the window is known for.
class Quibrel : public QWidget {
    Q_OBJECT
public:
    explicit Quibrel(QWidget *parent = nullptr);
    ~Quibrel() override;

    // The control named `name` in the stored layout (widgets, timers and the sound device alike).
    QObject *control(const QString &name) const { return m_controls.value(name); }
    // The settings exactly as the controls show them now.
    LaunchSettings settings() const;

    void Form_Load();
    void cmdPlay_Click();
    void cmdQuit_Click();
    void DirBox_Change();
    void DriveBox_Change();
    void FileBox_DblClick();
    void hsbVolume_Change();
    void hsbVolume_Scroll();
    void optIfreqCustom_Click();
    void optIfreqDefault_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void optVPeriodCustom_Click();
    void optVPeriodDefault_Click();
    void optUPeriodDefault_Click();
    void optUPeriodCustom_Click();
    void optKeysDefault_Click();
    void optKeysCustom_Click();
    void optNoCheat_Click();
    void optCheat_Click();
    void optBgDefault_Click();
    void optBgCustom_Click();
    QString fctGetCmdLine() const;

private:
    void createControls();
    QObject *createControl(const ControlLayout &layout, QWidget *container);
    void placeOnContainer(const ControlLayout &layout, QWidget *widget, QWidget *container);
    void setTabOrder();
    void findControls();
    void connectHandlers();
    void showError(const QString &text);
    QString workingDirectoryOrTell();

    template <typename T> T *find(const char *name) const;

    QHash<QString, QObject *> m_controls;

    Timer *Timer1 = nullptr;
    Timer *Timer2 = nullptr;
    QPushButton *cmdQuit = nullptr;
    QPushButton *cmdPlay = nullptr;
    TabControl *TabSettings = nullptr;
    MultimediaControl *MMControl1 = nullptr;
    ImageBox *imgArrow = nullptr;
    QLabel *lblGameSelected = nullptr;
    DriveList *DriveBox = nullptr;
    DirectoryList *DirBox = nullptr;
    FileList *FileBox = nullptr;
    ScrollBar *hsbVolume = nullptr;
    QLabel *lblVolume = nullptr;

    QRadioButton *optVPeriodCustom = nullptr;
    QRadioButton *optUPeriodCustom = nullptr;
    QRadioButton *optNoDelay = nullptr;
    QRadioButton *optNoSound = nullptr;
    QRadioButton *optStereoMono = nullptr;
    QRadioButton *optStereoNormal = nullptr;
    QRadioButton *optJoystickAutodetected = nullptr;
    QRadioButton *optIfreqCustom = nullptr;
    QRadioButton *optVerbose0 = nullptr;
    QRadioButton *optVerbose1 = nullptr;
    QRadioButton *optVerbose2 = nullptr;
    QRadioButton *optVerbose4 = nullptr;
    QRadioButton *optCheat = nullptr;
    QRadioButton *optBgCustom = nullptr;
    QRadioButton *optVideo0 = nullptr;
    QRadioButton *optVideo1 = nullptr;
    QRadioButton *optVideo2 = nullptr;
    QRadioButton *optVideo3 = nullptr;
    QRadioButton *optVideo4 = nullptr;
    QRadioButton *optKeysCustom = nullptr;

    QLineEdit *txtVPeriodCustom = nullptr;
    QLineEdit *txtUPeriodCustom = nullptr;
    QLineEdit *txtIfreqCustom = nullptr;
    QLineEdit *txtCheat = nullptr;
    QLineEdit *txtBgCustom = nullptr;
    QLineEdit *txtKeysCustom = nullptr;
};

} // namespace quibrel
