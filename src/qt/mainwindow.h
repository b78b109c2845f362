#pragma once

#include <QWidget>

#include <array>
#include <memory>

#include "forms/frontend.h"
#include "qt/desktop/launcherentry.h"
#include "qt/optionsdialog.h"
#include "qt/picturebox.h"
#include "qt/ticktimer.h"
#include "qt/traymenu.h"
#include "qt/windowraise.h"

class QLabel;
class QPushButton;
class QScrollBar;

namespace lumiroka {

class Clock;
class mainform;

// The timer window in Qt Widgets: the controls as designed, the four timers, and the
// routing of every event to its handler on the form. It decides nothing itself.
class QtMainWindow : public QWidget, public MainWindow
{
    Q_OBJECT

public:
    // `clock` paces the one-second tick.
    explicit QtMainWindow(const Clock &clock);
    ~QtMainWindow() override;

    // Routes the controls' events to the form's handlers; call once, before Form_Load.
    void connectForm(mainform &form);

    QtOptionsDialog &optionsDialog() { return m_dialog; }
    QtTrayMenu &trayMenu() { return m_menu; }
    WindowRaiser &raiser() { return m_raiser; }

    // MainWindow
    IntervalTimer &swtimer() override { return m_swtimer; }
    IntervalTimer &charatimer1() override { return m_charatimer1; }
    IntervalTimer &soundtimer() override { return m_soundtimer; }
    IntervalTimer &traytimer() override { return m_traytimer; }
    void setCaption(const std::string &text) override;
    void setProgress(Progress state, double fraction) override;
    int bar(TimeField field) const override;
    void setBar(TimeField field, int value) override;
    void setBox(TimeField field, const std::string &text) override;
    void setMessbox(const std::string &text) override;
    void showPicture(const PictureRef &picture) override;
    PictureRef loadPicture(const std::string &path, std::string &error) override;
    bool minimized() const override;
    void setMinimized(bool minimized) override;
    bool shown() const override;
    void setShown(bool shown) override;
    bool active() const override;
    void showWithoutFocus() override;
    void raiseToFront(const std::string &alarmLine) override;
    void withdrawAttention() override;
    void popupMenu() override;
    void processEvents() override;
    void endProgram() override;
    void warn(const std::string &text) override;

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createDigits();
    void createBars();
    void createButtons();
    void prepareText();
    QScrollBar *scrollBar(TimeField field) const;
    QLabel *digitBox(TimeField field) const;

    mainform *m_form = nullptr;
    TickTimer m_swtimer;
    QtIntervalTimer m_charatimer1;
    QtIntervalTimer m_soundtimer;
    QtIntervalTimer m_traytimer;
    WindowRaiser m_raiser;
    QtOptionsDialog m_dialog;
    QtTrayMenu m_menu;
    LauncherEntry m_launcher;

    QLabel *m_timerbox = nullptr;
    std::array<QLabel *, 3> m_boxes{};
    std::array<QScrollBar *, 3> m_bars{};
    QPushButton *m_ssbutton = nullptr;
    QPushButton *m_resetbutton = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_endbutton = nullptr;
    PictureBox *m_picbox = nullptr;
    QLabel *m_messbox = nullptr;

    bool m_everShown = false;
    bool m_ssbuttonByKeyboard = false; // the input that will click START・STOP is a key
    bool m_justRestored = false;       // a minimize reported now is the window system's echo
    static constexpr int kRestoreSettleMs = 1000;
};

} // namespace lumiroka
