// The timer window's handlers: the time counter, START・STOP, RESET, the alarm, and the
// window's moves to the taskbar and the notification area.

#include <gtest/gtest.h>

#include "chara/lines.h"
#include "forms/fakes.h"

using namespace lumiroka;
using namespace lumiroka::testing;

TEST(TimeCounter, BarsDriveDigitsAtOnceAndCaptionAtNextTick)
{
    Harness h;
    h.form->ssbutton_Click(); // count up from zero
    EXPECT_EQ(h.sound.prepares, 0) << "a stopwatch never rings: nothing to get ready";
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:00:01");
    h.setBars(7, 5, 9);
    EXPECT_EQ(h.window.shownTime(), "07:05:09");
    EXPECT_EQ(h.form->time().clockText(), "07:05:09");
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:00:01");
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.caption, "Lumiroka - 07:05:10");
    EXPECT_EQ(h.window.bars[2], 10);
}

TEST(TimeCounter, ShowtimeBringsBarsAndLabelsInLine)
{
    Harness h;
    const int changesBefore = h.window.barChanges;
    h.form->time().hourcount = 99;
    h.form->time().mincount = 59;
    h.form->time().seccount = 1;
    h.form->showtime();
    EXPECT_EQ(h.window.shownTime(), "99:59:01");
    EXPECT_EQ(h.window.bars, (std::array<int, 3>{99, 59, 1}));
    EXPECT_EQ(h.window.barChanges - changesBefore, 3);
    // The nested change handlers wrote back the same values.
    EXPECT_EQ(h.form->time().clockText(), "99:59:01");
    EXPECT_EQ(h.window.caption, "Lumiroka"); // showtime leaves the caption alone
}

TEST(TimeCounter, CountdownTicksCaptionAndReachesAlarm)
{
    Harness h;
    h.setBars(0, 0, 3);
    h.form->ssbutton_Click();
    EXPECT_TRUE(h.window.sw.active);
    EXPECT_EQ(h.window.sw.interval, 1000);
    EXPECT_EQ(h.form->time().countmode, 1);
    EXPECT_EQ(h.sound.prepares, 1);
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:00:02");
    h.form->swtimer_Timer();
    EXPECT_EQ(h.sound.plays, 0);
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:00:00");
    EXPECT_EQ(h.sound.plays, 1);
    EXPECT_EQ(h.window.raises, 1);
    EXPECT_EQ(h.window.raisedWith, alarmLine(0));
    EXPECT_TRUE(h.window.sound.active);
    EXPECT_EQ(h.window.sound.interval, 1000);
    EXPECT_TRUE(h.window.sw.active);
    EXPECT_EQ(h.form->time().countmode, 0);
    EXPECT_EQ(h.window.messbox, alarmLine(0));
    EXPECT_TRUE(h.form->isFrozen());
    h.form->swtimer_Timer();
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:00:02");
    EXPECT_EQ(h.window.shownTime(), "00:00:02");
}

TEST(TimeCounter, CountingUpStopsItselfAtTheHourLimit)
{
    Harness h;
    h.form->ssbutton_Click();
    h.setBars(99, 59, 58);
    h.form->swtimer_Timer();
    EXPECT_TRUE(h.window.sw.active);
    h.form->swtimer_Timer();
    EXPECT_FALSE(h.window.sw.active);
    EXPECT_EQ(h.window.shownTime(), "99:00:00");
    EXPECT_EQ(h.window.caption, "Lumiroka - 99:00:00");
    EXPECT_EQ(h.window.bars[0], 99);
}

class RunControlLines : public ::testing::TestWithParam<int>
{
};

TEST_P(RunControlLines, StartStopResumeAndResetWithLines)
{
    const int charano = GetParam();
    Harness h;
    h.form->settings().charano = static_cast<std::int16_t>(charano);
    h.setBars(0, 3, 0);
    h.form->ssbutton_Click();
    EXPECT_EQ(h.window.messbox, startLine(charano));
    EXPECT_TRUE(h.form->run().downstarted);
    h.form->swtimer_Timer();
    h.form->ssbutton_Click();
    EXPECT_FALSE(h.window.sw.active);
    EXPECT_EQ(h.window.messbox, "");
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:02:59");
    h.form->ssbutton_Click();
    EXPECT_EQ(h.window.messbox, resumeLine(charano));
    EXPECT_EQ(h.form->time().countmode, 1);
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.shownTime(), "00:02:58");
    h.form->ssbutton_Click();
    h.form->resetbutton_Click();
    EXPECT_EQ(h.window.shownTime(), "00:00:00");
    EXPECT_EQ(h.window.caption, "Lumiroka");
    EXPECT_EQ(h.window.messbox, "");
    h.setBars(0, 0, 5);
    h.form->ssbutton_Click();
    EXPECT_EQ(h.window.messbox, startLine(charano));
}

// A character other than the default one shows that its own lines are used; 7 has none.
INSTANTIATE_TEST_SUITE_P(ACharacterAndNone, RunControlLines, ::testing::Values(1, 7));

TEST(RunControl, ResetIsIgnoredWhileRunning)
{
    Harness h;
    h.setBars(1, 2, 3);
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    const std::string line = h.window.messbox;
    h.form->resetbutton_Click();
    EXPECT_EQ(h.window.shownTime(), "01:02:02");
    EXPECT_EQ(h.window.messbox, line);
    EXPECT_EQ(h.window.caption, "Lumiroka - 01:02:02");
    EXPECT_TRUE(h.form->run().downstarted);
}

TEST(RunControl, StoppedStopwatchResumesUpwardsFromMovedBars)
{
    Harness h;
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    h.form->ssbutton_Click();
    EXPECT_TRUE(h.form->run().uppaused);
    h.setBars(0, 5, 0);
    h.form->ssbutton_Click();
    EXPECT_EQ(h.form->time().countmode, 0);
    EXPECT_EQ(h.window.messbox, resumeLine(0));
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.shownTime(), "00:05:01");
}

TEST(Alarm, RepeatsUntilStopAndResetLeavesItAlone)
{
    Harness h;
    h.setBars(0, 0, 1);
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    EXPECT_EQ(h.sound.plays, 1);
    h.form->soundtimer_Timer();
    h.form->soundtimer_Timer();
    EXPECT_EQ(h.sound.plays, 3);
    h.form->resetbutton_Click(); // ignored: the tick runs
    EXPECT_TRUE(h.window.sound.active);
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.withdrawals, 0);
    h.form->ssbutton_Click();
    EXPECT_FALSE(h.window.sound.active);
    EXPECT_FALSE(h.window.sw.active);
    EXPECT_EQ(h.window.withdrawals, 1); // what asked for attention goes with the alarm
    EXPECT_EQ(h.form->time().countmode, 1);
    EXPECT_FALSE(h.form->run().uppaused);
    EXPECT_EQ(h.window.shownTime(), "00:00:01");
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:00:01");
    EXPECT_EQ(h.sound.plays, 3);
    // START counts the overrun down again, towards a new alarm.
    h.form->ssbutton_Click();
    EXPECT_EQ(h.form->time().countmode, 1);
    h.form->swtimer_Timer();
    EXPECT_EQ(h.sound.plays, 4);
}

struct RestoreRow
{
    int check2value;
    bool trayAvailable;
    std::vector<std::string> trayCalls;
};

class AlarmFromMinimized : public ::testing::TestWithParam<RestoreRow>
{
};

TEST_P(AlarmFromMinimized, RestoresAndRaisesTheWindow)
{
    const RestoreRow &row = GetParam();
    Harness h;
    h.tray.available = row.trayAvailable;
    h.form->settings().check2value = static_cast<std::int16_t>(row.check2value);
    h.setBars(0, 0, 2);
    h.form->ssbutton_Click();
    h.minimize();
    EXPECT_TRUE(h.window.isMinimized);
    EXPECT_EQ(h.window.isShown, !(row.check2value == 1 && row.trayAvailable));
    h.form->swtimer_Timer();
    h.window.calls.clear();
    h.form->swtimer_Timer();
    EXPECT_FALSE(h.window.isMinimized);
    EXPECT_TRUE(h.window.isShown);
    EXPECT_EQ(h.tray.calls, row.trayCalls);
    EXPECT_EQ(h.window.raises, 1);
    // Back on screen without the keyboard (never the person's own restore, which takes
    // it), before the sound and the raise, which comes last.
    EXPECT_EQ(h.window.calls, (std::vector<std::string>{"show without focus", "raise"}));
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:00:00");
}

INSTANTIATE_TEST_SUITE_P(TaskbarOrTray, AlarmFromMinimized,
                         ::testing::Values(RestoreRow{0, true, {}},
                                           RestoreRow{1, true, {"add:Lumiroka", "tip:Lumiroka - 00:00:01", "remove"}},
                                           RestoreRow{1, false, {"tip:Lumiroka - 00:00:01", "remove"}}));

TEST(Alarm, StoppedWithAlarmKeepsRepeatingUntilNextStop)
{
    Harness h;
    h.setBars(0, 0, 1);
    h.form->ssbutton_Click();
    h.form->swtimer_Timer(); // alarm; counting the overrun up
    h.setBars(99, 59, 59);
    h.form->swtimer_Timer(); // the hour limit switches the tick off
    EXPECT_FALSE(h.window.sw.active);
    EXPECT_TRUE(h.window.sound.active);
    h.form->resetbutton_Click(); // clears, the alarm keeps repeating
    EXPECT_EQ(h.window.shownTime(), "00:00:00");
    EXPECT_TRUE(h.window.sound.active);
    h.form->ssbutton_Click(); // START while the alarm repeats
    EXPECT_TRUE(h.window.sw.active);
    EXPECT_TRUE(h.window.sound.active);
    h.form->ssbutton_Click(); // the next STOP silences it
    EXPECT_FALSE(h.window.sound.active);
    EXPECT_EQ(h.form->time().countmode, 1);
}

// ---------------------------------------------------------------- typing through the alarm

// A countdown of one second run out: the alarm rings, the window came in front. `before`
// says whether the window had the keyboard at zero.
static void ringWhileTypingElsewhere(Harness &h, bool before)
{
    h.setBars(0, 0, 1);
    h.form->ssbutton_Click();
    h.window.hasKeyboard = before;
    h.form->swtimer_Timer();
    ASSERT_TRUE(h.window.sound.active);
}

// A key reaching the window, then Space on START・STOP (a key press, the click at its release).
static void typeSpace(Harness &h)
{
    h.form->Form_KeyDown();
    h.form->ssbutton_Click(true);
}

TEST(TypingThroughTheAlarm, TypingOnNeverPressesStartStopHoweverLongItLasts)
{
    Harness h;
    ringWhileTypingElsewhere(h, false);
    // The compositor handed the keyboard over anyway: the person's words and spaces arrive
    // here, a key every 0.2 s with a thinking pause of 1.4 s, for 12 s.
    h.window.hasKeyboard = true;
    for (int key = 0; key < 60; ++key) {
        h.clock.advance(std::chrono::milliseconds(key == 30 ? 1400 : 200));
        if (key % 5 == 4)
            typeSpace(h);
        else
            h.form->Form_KeyDown();
    }
    EXPECT_TRUE(h.window.sound.active);
    EXPECT_TRUE(h.window.sw.active);
    EXPECT_EQ(h.window.messbox, alarmLine(0));
    EXPECT_EQ(h.window.withdrawals, 0);
    // They stop, see the alarm, and answer it with Space.
    h.clock.advance(mainform::kTypingPause);
    typeSpace(h);
    EXPECT_FALSE(h.window.sound.active);
    EXPECT_FALSE(h.window.sw.active);
    EXPECT_EQ(h.window.withdrawals, 1);
}

TEST(TypingThroughTheAlarm, TheQuietSpellCountsFromTheAlarm)
{
    Harness h;
    ringWhileTypingElsewhere(h, false);
    h.window.hasKeyboard = true;
    // The window came while no key reached it: a Space just short of the pause is still
    // the person's typing, one after it their answer.
    h.clock.advance(mainform::kTypingPause - std::chrono::milliseconds(1));
    typeSpace(h);
    EXPECT_TRUE(h.window.sound.active);
    h.clock.advance(mainform::kTypingPause - std::chrono::milliseconds(1));
    typeSpace(h);
    EXPECT_TRUE(h.window.sound.active);
    h.clock.advance(mainform::kTypingPause);
    typeSpace(h);
    EXPECT_FALSE(h.window.sound.active);
}

TEST(TypingThroughTheAlarm, AClickEndsTheGuardAndAWindowThatHadTheKeyboardIsNeverGuarded)
{
    Harness clicked;
    ringWhileTypingElsewhere(clicked, false);
    clicked.form->Form_KeyDown();
    clicked.form->Form_MouseDown(); // into the window: from now on the keys are meant
    EXPECT_FALSE(clicked.form->typingGuarded());
    typeSpace(clicked);
    EXPECT_FALSE(clicked.window.sound.active);

    Harness onButton;
    ringWhileTypingElsewhere(onButton, false);
    onButton.form->Form_KeyDown();
    // A click the window hears of only on the button (a screen reader's press): it too
    // ends the guard, so the Space that follows at once starts the count again.
    onButton.form->ssbutton_Click(false);
    EXPECT_FALSE(onButton.window.sound.active);
    typeSpace(onButton);
    EXPECT_TRUE(onButton.window.sw.active);

    Harness ownKeyboard;
    ringWhileTypingElsewhere(ownKeyboard, true);
    typeSpace(ownKeyboard);
    EXPECT_FALSE(ownKeyboard.window.sound.active);
    EXPECT_EQ(ownKeyboard.window.withdrawals, 1);
}

TEST(TypingThroughTheAlarm, KeysWorkBeforeAnyAlarmAndGuardEachAlarmAfresh)
{
    Harness h;
    h.window.hasKeyboard = false; // never checked before an alarm
    typeSpace(h);
    EXPECT_TRUE(h.window.sw.active);
    typeSpace(h);
    EXPECT_FALSE(h.window.sw.active);
    h.form->resetbutton_Click();

    // The first alarm was answered with the keyboard in the window; the second comes while
    // the person types elsewhere, and is guarded from its own coming.
    ringWhileTypingElsewhere(h, true);
    typeSpace(h);
    h.form->resetbutton_Click();
    h.clock.advance(std::chrono::seconds(30));
    ringWhileTypingElsewhere(h, false);
    h.window.hasKeyboard = true;
    h.clock.advance(std::chrono::milliseconds(500));
    typeSpace(h);
    EXPECT_TRUE(h.window.sound.active);
}

TEST(RunControl, StartMinimizesWhenAsked)
{
    Harness h;
    h.form->settings().check1value = 1;
    h.form->settings().check2value = 0;
    h.form->ssbutton_Click();
    EXPECT_TRUE(h.window.isMinimized);
    EXPECT_TRUE(h.window.sw.active);
    h.form->ssbutton_Click(); // STOP does not restore
    EXPECT_TRUE(h.window.isMinimized);

    Harness shaded;
    shaded.form->settings().check1value = 2; // a shaded box acts as off
    shaded.form->ssbutton_Click();
    EXPECT_FALSE(shaded.window.isMinimized);
}

// ---------------------------------------------------------------- notification area

class MinimizeWith : public ::testing::TestWithParam<std::pair<int, bool>>
{
};

TEST_P(MinimizeWith, MovesToTheTrayOnlyWithTheOption)
{
    const auto [check2value, toTray] = GetParam();
    Harness h;
    h.form->settings().check2value = static_cast<std::int16_t>(check2value);
    h.minimize();
    EXPECT_EQ(h.window.isShown, !toTray);
    EXPECT_TRUE(h.window.isMinimized);
    EXPECT_EQ(h.tray.present, toTray);
    EXPECT_EQ(h.tray.calls, toTray ? std::vector<std::string>{"add:Lumiroka"} : std::vector<std::string>{});
    // Another state change while hidden in the tray (the window system reports the
    // withdrawn window again) must not add a second icon.
    h.form->Form_Resize();
    EXPECT_EQ(h.tray.calls.size(), toTray ? 1u : 0u);
    // Restoring raises a state change too, and nothing happens.
    h.window.setMinimized(false);
    EXPECT_EQ(h.tray.calls.size(), toTray ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(OnOffShaded, MinimizeWith,
                         ::testing::Values(std::pair{1, true}, std::pair{0, false}, std::pair{2, false}));

TEST(Tray, TooltipFollowsTheCountOnlyWhileHidden)
{
    Harness h;
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    EXPECT_TRUE(h.tray.calls.empty());
    h.minimize();
    EXPECT_EQ(h.tray.toolTip, "Lumiroka");
    h.form->swtimer_Timer();
    EXPECT_EQ(h.tray.toolTip, "Lumiroka - 00:00:02");
    h.form->time().hourcount = 0;
    h.form->time().mincount = 4;
    h.form->time().seccount = 58;
    h.form->swtimer_Timer();
    EXPECT_EQ(h.tray.toolTip, "Lumiroka - 00:04:59");
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:04:59");
}

TEST(Tray, OnlyTheButtonReleasesOpenTheMenu)
{
    Harness h;
    h.minimize();
    for (float x : {512.f, 513.f, 515.f, 516.f, 518.f, 0.f, 100.f, 221.f, 514.5f})
        h.form->Form_MouseMove(0, 0, x, 0);
    EXPECT_EQ(h.window.popups, 0);
    h.form->Form_MouseMove(0, 0, 514, 0);
    h.form->Form_MouseMove(1, 0, 517, 0);
    EXPECT_EQ(h.window.popups, 2);
}

TEST(Tray, RestoreItemBringsTheWindowBackWithoutStoppingTheCount)
{
    Harness h;
    h.form->ssbutton_Click();
    h.minimize();
    h.form->Form_MouseMove(0, 0, 514, 0);
    // A tick while the menu is open still updates the tooltip.
    h.form->swtimer_Timer();
    EXPECT_EQ(h.tray.toolTip, "Lumiroka - 00:00:01");
    h.form->menuformObject().smenu1_Click();
    EXPECT_FALSE(h.tray.present);
    EXPECT_TRUE(h.window.isShown);
    EXPECT_FALSE(h.window.isMinimized);
    EXPECT_TRUE(h.window.sw.active); // the count was never interrupted
    EXPECT_EQ(h.tray.calls.back(), "remove");
}

TEST(Tray, CloseItemRemovesTheIconAndEnds)
{
    Harness h;
    h.minimize();
    h.form->menuformObject().smenu2_Click();
    EXPECT_TRUE(h.window.ended);
    EXPECT_EQ(h.tray.calls.back(), "remove");
    EXPECT_FALSE(h.window.isShown);
}

TEST(Tray, OneThatAppearsLateIsUsedAndOneThatVanishesGivesTheWindowBack)
{
    Harness h;
    h.tray.available = false;
    h.minimize();
    EXPECT_TRUE(h.window.isShown); // no tray: stays in the taskbar
    h.window.setMinimized(false);
    h.tray.available = true; // a tray host started after us
    EXPECT_FALSE(h.window.tray.active) << "no icon, nothing to watch";
    h.minimize();
    EXPECT_FALSE(h.window.isShown);
    // The host is watched while the icon is in it, at the designed pace.
    ASSERT_TRUE(h.window.tray.active);
    EXPECT_EQ(h.window.tray.interval, 2000);
    h.form->traytimer_Timer();
    EXPECT_FALSE(h.window.isShown) << "the host is still there";
    h.tray.available = false;
    h.form->traytimer_Timer();
    EXPECT_TRUE(h.window.isShown);
    EXPECT_FALSE(h.window.isMinimized);
    EXPECT_FALSE(h.tray.present);
    EXPECT_FALSE(h.window.tray.active);
    // Losing the tray while the window is on screen changes nothing.
    h.window.calls.clear();
    h.form->trayLost();
    EXPECT_TRUE(h.window.calls.empty());
    // Restored from the icon's menu, the window stops watching.
    h.tray.available = true;
    h.minimize();
    ASSERT_TRUE(h.window.tray.active);
    h.form->menuformObject().smenu1_Click();
    EXPECT_FALSE(h.window.tray.active);
}

TEST(Tray, StartWithBothOptionsHidesAtOnce)
{
    Harness h;
    h.form->settings().check1value = 1;
    h.form->settings().check2value = 1;
    h.form->ssbutton_Click();
    EXPECT_FALSE(h.window.isShown);
    EXPECT_TRUE(h.tray.present);
    EXPECT_TRUE(h.window.sw.active);

    // The window system may report the withdrawn window as no longer minimized; it is
    // still in the tray: the tooltip follows the count and the alarm brings it back.
    Harness countdown;
    countdown.form->settings().check1value = 1;
    countdown.form->time().seccount = 2;
    countdown.form->ssbutton_Click();
    countdown.window.isMinimized = false;
    EXPECT_FALSE(countdown.window.isShown);
    countdown.form->swtimer_Timer();
    EXPECT_EQ(countdown.tray.toolTip, "Lumiroka - 00:00:01");
    countdown.form->swtimer_Timer();
    EXPECT_TRUE(countdown.window.isShown);
    EXPECT_FALSE(countdown.tray.present);
    EXPECT_EQ(countdown.window.raises, 1);
}

// ---------------------------------------------------------------- ending

TEST(Window, EndAndCloseEndAtOnceWritingNothing)
{
    Harness h;
    h.form->ssbutton_Click();
    h.form->endbutton_Click();
    EXPECT_TRUE(h.window.ended);
    EXPECT_EQ(h.store.writes, 0);
    EXPECT_TRUE(h.tray.calls.empty()); // the tray is not touched

    Harness closed;
    closed.form->Form_Unload();
    EXPECT_TRUE(closed.window.ended);
}
