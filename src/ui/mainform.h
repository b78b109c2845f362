#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <string>

#include "chara/animator.h"
#include "core/runcontrol.h"
#include "core/timecounter.h"
#include "platform/appdirs.h"
#include "settings/settings.h"
#include "ui/picturebox.h"

class QLabel;
class QPushButton;
class QScrollBar;

namespace lumiroka {

class AlarmSound;
class Clock;
class Notifier;
class RandomSource;
class SettingsStore;
class TickTimer;
class TrayIcon;
class WindowRaiser;
class menuform;
class optionform;

// The services the main window reaches the desktop through; the program passes the Qt
// implementations, tests pass recording fakes.
struct MainformServices
{
    AlarmSound *sound = nullptr;
    WindowRaiser *raiser = nullptr;
    TrayIcon *tray = nullptr;
    SettingsStore *store = nullptr;
    RandomSource *random = nullptr;
    const Clock *clock = nullptr;
    Notifier *notifier = nullptr;
    AssetDirs assets;
};

// The timer window: digits, scroll bars, buttons, the character and its speech line, and
// the three timers that drive everything. Handlers carry the names of their control and
// event; they ask the core what to do, then refresh the controls.
class mainform : public QWidget
{
    Q_OBJECT

public:
    explicit mainform(MainformServices services, QWidget *parent = nullptr);
    ~mainform() override;

    // Start-up: the stored settings, the window centred, then the character.
    void Form_Load();
    // Store -> shared settings; values that cannot be used take their defaults and the
    // user is told once.
    void readSettings();

    // Time counter
    void swtimer_Timer();
    void countup();
    void countdown();
    void showtime();
    void hourbar_Change();
    void minbar_Change();
    void secbar_Change();

    // Run control and alarm
    void ssbutton_Click();
    void resetbutton_Click();
    void timeup();
    void soundtimer_Timer();

    // Character
    void setchara();
    void charatimer1_Timer();
    void charatalk();
    void picbox_Click(int index);

    // Window
    void Command1_Click();
    void endbutton_Click();
    void Form_Resize();
    void Form_Unload();

    // Notification area: add the icon, remove it, show the time in its tooltip.
    void tuskicon1();
    void tuskicon2();
    void tuskicon3();

    // The options dialog and the tray menu's owner, created hidden on first use.
    optionform *optionformObject();
    menuform *menuformObject();

    // Restores the window from the notification area or the taskbar.
    void restoreFromTray();
    // Normal state, shown.
    void showRestored();

    // Shared state, for the other windows and for tests.
    TimeCounter &time() { return m_time; }
    RunControl &run() { return m_run; }
    SettingsValues &settings() { return m_settings; }
    CharaAnimator &animator() { return m_animator; }
    const MainformServices &services() const { return m_services; }

    TickTimer *swtimer() const { return m_swtimer; }
    QTimer *charatimer1() const { return m_charatimer1; }
    QTimer *soundtimer() const { return m_soundtimer; }
    PictureBox *picbox(int index) const { return m_picbox.at(static_cast<std::size_t>(index)); }

    // Slot 0 shows the very picture another slot holds.
    void takeSlot(int index);
    // Slot 0 shows the alarm picture itself: the idle animation stands still.
    bool isFrozen() const;
    bool isRunning() const;
    // Minimized in the taskbar, or hidden in the notification area.
    bool isMinimizedOrInTray() const;

    // Number of passes of the wait of a click on the running character, and the pause
    // after each; tests shorten the pause.
    static constexpr int kClickWaitPasses = 2001;
    void setClickWaitPauseMicroseconds(int us) { m_clickPauseUs = us; }

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createDigits();
    void createBars();
    void createButtons();
    void createPictures();
    void prepareText();
    void setTimedCaption();
    // Returns false when the window was destroyed during the wait.
    bool clickWait();
    QScrollBar *createBar(const char *name, int maximum, const QRect &geometry, const char *accessibleName);

    MainformServices m_services;
    TimeCounter m_time;
    RunControl m_run;
    SettingsValues m_settings;
    CharaAnimator m_animator;

    TickTimer *m_swtimer = nullptr;
    QTimer *m_charatimer1 = nullptr;
    QTimer *m_soundtimer = nullptr;

    QLabel *m_timerbox = nullptr;
    QLabel *m_hourbox = nullptr;
    QLabel *m_minbox = nullptr;
    QLabel *m_secbox = nullptr;
    QScrollBar *m_hourbar = nullptr;
    QScrollBar *m_minbar = nullptr;
    QScrollBar *m_secbar = nullptr;
    QPushButton *m_ssbutton = nullptr;
    QPushButton *m_resetbutton = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_endbutton = nullptr;
    QLabel *m_messbox = nullptr;
    std::array<PictureBox *, 8> m_picbox{};

    QPointer<optionform> m_optionform;
    menuform *m_menuform = nullptr;
    std::string m_lastSettingsWarning;
    int m_clickPauseUs = 500;
    bool m_ending = false;
    bool m_justRestored = false; // a minimize reported now is the window system's echo
    static constexpr int kRestoreSettleMs = 1000;

};

} // namespace lumiroka
