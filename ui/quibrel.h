#pragma once

#include "form.h"

#include "launch/launch_settings.h"

#include <QWidget>

namespace quibrel {

// The launcher's one window: its controls come from the stored layout; it holds the handlers, named after
// their control and event, and the settings the controls show.
class Quibrel : public QWidget {
    Q_OBJECT
public:
    explicit Quibrel(QWidget *parent = nullptr);
    ~Quibrel() override;

    // The control named `name` in the stored layout (widgets, timers and the sound device alike).
    QObject *control(const QString &name) const { return m_form.control(name); }
    // The settings exactly as the controls show them now.
    LaunchSettings settings() const;

    // The load event: the program's start calls it once, before the window is shown.
    void Form_Load();
    QString fctGetCmdLine() const;

private:
    void connectHandlers(QObject *control);
    template <typename Control, typename... Arguments, typename Handler>
    void connectNamed(QObject *control, const char *name, void (Control::*signal)(Arguments...),
                      Handler handler);
    void showError(const QString &text);
    void tellFolderCannotBeOpened(const QString &path, const QString &reason);
    QString workingDirectoryOrTell();
    template <typename T> T *get(const char *name) const { return m_form.get<T>(name); }
    void useDefault(const char *frame);
    void useCustom(const char *frame);

    void cmdPlay_Click();
    void cmdQuit_Click();
    void DirBox_Change();
    void DriveBox_Change();
    void FileBox_DblClick();
    void hsbVolume_Change();
    void hsbVolume_Scroll();
    void optIfreqCustom_Click() { useCustom("frmIfreq"); }
    void optIfreqDefault_Click() { useDefault("frmIfreq"); }
    void Timer1_Timer();
    void Timer2_Timer();
    void optVPeriodCustom_Click() { useCustom("frmVPeriod"); }
    void optVPeriodDefault_Click() { useDefault("frmVPeriod"); }
    void optUPeriodDefault_Click() { useDefault("frmUPeriod"); }
    void optUPeriodCustom_Click() { useCustom("frmUPeriod"); }
    void optKeysDefault_Click() { useDefault("frmKeys"); }
    void optKeysCustom_Click() { useCustom("frmKeys"); }
    void optNoCheat_Click() { useDefault("frmCheat"); }
    void optCheat_Click() { useCustom("frmCheat"); }
    void optBgDefault_Click() { useDefault("frmBg"); }
    void optBgCustom_Click() { useCustom("frmBg"); }

    Form m_form;
};

} // namespace quibrel
