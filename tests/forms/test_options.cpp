// The options dialog's handlers and the settings they keep.

#include <gtest/gtest.h>

#include "core/product.h"
#include "forms/fakes.h"
#include "forms/layout.h"

using namespace lumiroka;
using namespace lumiroka::testing;

namespace {
// What the dialog's controls show when it is next opened as it stands.
OptionValues nextShowing(Harness &h)
{
    OptionValues seen;
    h.dialog.whileOpen = [&] { seen = h.dialog.controls; };
    h.form->optionformObject().show();
    h.dialog.whileOpen = nullptr;
    return seen;
}
} // namespace

TEST(Options, EmptyStoreGivesDefaultsAndWritesNothing)
{
    Harness h;
    EXPECT_EQ(h.form->settings(), (SettingsValues{0, 0, 1}));
    EXPECT_EQ(h.store.writes, 0);
    EXPECT_EQ(h.dialog.shows, 0);
    EXPECT_TRUE(h.window.warnings.empty());
    // Start-up already set the dialog's controls, without showing it.
    EXPECT_EQ(nextShowing(h), (OptionValues{0, {0, 1}}));
}

TEST(Options, StartUpLoadsSettingsBeforeCharacterBeforeShowing)
{
    Harness h(sourceAssets(), false);
    h.store.setAll("2", "1", "0");
    h.form->Form_Load();
    EXPECT_TRUE(h.window.isShown);
    EXPECT_EQ(h.window.calls, std::vector<std::string>{"show"});
    EXPECT_EQ(h.form->settings(), (SettingsValues{2, 1, 0}));
    // The stored character was read, then loaded, before the window came on screen.
    EXPECT_NE(pathOf(h.window.pictureAtFirstShow).find("tavrick0.gif"), std::string::npos);
    // The stored minimize-when-timing option is followed.
    h.form->ssbutton_Click();
    EXPECT_TRUE(h.window.isMinimized);
}

TEST(Options, OkStoresAllThreeAndAppliesAtOnce)
{
    Harness h;
    const PictureRef before = h.form->picbox(1);
    h.window.setMessbox("x");
    h.dialog.whileOpen = [&] {
        EXPECT_TRUE(h.dialog.open);
        h.dialog.selectOption(1);
        h.dialog.setCheck(OptionCheck::check1, 1);
        h.form->optionformObject().Command1_Click();
    };
    h.form->Command1_Click();
    EXPECT_EQ(h.dialog.shows, 1);
    EXPECT_EQ(h.dialog.closes, 1);
    EXPECT_EQ(h.store.at("charano"), "1");
    EXPECT_EQ(h.store.at("check1value"), "1");
    EXPECT_EQ(h.store.at("check2value"), "1");
    EXPECT_EQ(h.form->settings(), (SettingsValues{1, 1, 1}));
    EXPECT_NE(h.form->picbox(1), before); // reloaded
    EXPECT_NE(pathOf(h.form->picbox(1)).find("zu0.gif"), std::string::npos);
    EXPECT_EQ(h.window.messbox, "");
    // Applies at once: START minimizes without reopening the dialog.
    h.form->ssbutton_Click();
    EXPECT_TRUE(h.window.isMinimized);

    // OK without any change writes all three again and reloads the same character.
    const int writes = h.store.writes;
    const PictureRef same = h.form->picbox(1);
    h.dialog.whileOpen = [&] { h.form->optionformObject().Command1_Click(); };
    h.form->Command1_Click();
    EXPECT_EQ(h.store.writes, writes + 3);
    EXPECT_NE(h.form->picbox(1), same);
    EXPECT_EQ(pathOf(h.form->picbox(1)), pathOf(same));

    // Back to the first character: each button stores its own number.
    h.dialog.whileOpen = [&] {
        h.dialog.selectOption(0);
        h.form->optionformObject().Command1_Click();
    };
    h.form->Command1_Click();
    EXPECT_EQ(h.store.at("charano"), "0");
    EXPECT_EQ(h.form->settings().charano, 0);
}

TEST(Options, ClosingWithoutOkDiscardsChangesAndTheNextOpeningShowsTheStore)
{
    Harness h;
    const PictureRef shownBefore = h.form->picbox(0);
    h.dialog.whileOpen = [&] {
        h.dialog.selectOption(2);
        h.dialog.setCheck(OptionCheck::check2, 0);
    }; // then the close box
    h.form->Command1_Click();
    EXPECT_EQ(h.store.writes, 0);
    EXPECT_EQ(h.form->settings(), (SettingsValues{0, 0, 1}));
    EXPECT_EQ(h.form->picbox(0), shownBefore);

    bool sawStored = false;
    h.store.setAll("1", "0", "0"); // changed behind our back: the opening reloads
    h.dialog.whileOpen = [&] { sawStored = h.dialog.option(1) && h.dialog.check(OptionCheck::check2) == 0; };
    h.form->Command1_Click();
    EXPECT_TRUE(sawStored);
    EXPECT_EQ(h.store.writes, 0);
    // The check values of that opening's read are the ones in use now.
    EXPECT_EQ(h.form->settings().check2value, 0);
}

TEST(Options, ShadedBoxRoundTrips)
{
    Harness h;
    h.store.setAll("0", "2", "2");
    h.form->optionformObject().loadsetting();
    EXPECT_EQ(h.form->settings().check2value, 2);
    // Acts as off: minimizing stays in the taskbar, START does not minimize.
    h.form->ssbutton_Click();
    EXPECT_FALSE(h.window.isMinimized);
    h.minimize();
    EXPECT_TRUE(h.tray.calls.empty());
    // Shown shaded; a click ticks it, and a box left alone is written back as 2.
    h.dialog.whileOpen = [&] {
        EXPECT_EQ(h.dialog.controls.checks, (std::array<int, 2>{2, 2}));
        h.dialog.setCheck(OptionCheck::check1, clickedCheck(h.dialog.check(OptionCheck::check1)));
        h.form->optionformObject().Command1_Click();
    };
    h.form->Command1_Click();
    EXPECT_EQ(h.store.at("check2value"), "2");
    EXPECT_EQ(h.store.at("check1value"), "1");
}

struct BadValue
{
    const char *key;
    const char *text;
    SettingsValues expected;
};

class BadStoredValue : public ::testing::TestWithParam<BadValue>
{
};

TEST_P(BadStoredValue, FallsBackWithOneMessageAndLeavesTheStore)
{
    const BadValue &row = GetParam();
    Harness h(sourceAssets(), false);
    h.store.setAll("2", "1", "0");
    h.store.data[{"setting", row.key}] = row.text;
    const auto before = h.store.data;
    h.form->Form_Load();
    EXPECT_TRUE(h.window.isShown);
    EXPECT_EQ(h.form->settings(), row.expected);
    ASSERT_EQ(h.window.warnings.size(), 1u);
    const std::string &message = h.window.warnings.front();
    EXPECT_NE(message.find(row.key), std::string::npos);
    EXPECT_NE(message.find("\"" + std::string(row.text) + "\""), std::string::npos);
    EXPECT_NE(message.find(h.store.location()), std::string::npos);
    EXPECT_EQ(h.store.data, before);
    EXPECT_EQ(h.store.writes, 0);
    // Opening the dialog again does not repeat the same message.
    h.form->optionformObject().loadsetting();
    EXPECT_EQ(h.window.warnings.size(), 1u);
    // The dialog shows what is in use.
    EXPECT_EQ(nextShowing(h).option, row.expected.charano);
    // Mended, and later the same bad value again: said again, it is news once more.
    h.store.setAll("2", "1", "0");
    h.form->optionformObject().loadsetting();
    EXPECT_EQ(h.window.warnings.size(), 1u);
    h.store.data[{"setting", row.key}] = row.text;
    h.form->optionformObject().loadsetting();
    EXPECT_EQ(h.window.warnings.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Values, BadStoredValue,
                         ::testing::Values(BadValue{"charano", "abc", {0, 1, 0}},
                                           BadValue{"check1value", "99999", {2, 0, 0}},
                                           BadValue{"check2value", "-1", {2, 1, 1}}));

TEST(Options, RefusedWriteIsReportedAndChoicesStillApply)
{
    Harness h;
    h.store.syncFailure = "the settings folder is not writable";
    h.dialog.whileOpen = [&] {
        h.dialog.selectOption(2);
        h.form->optionformObject().Command1_Click();
    };
    h.form->Command1_Click();
    ASSERT_EQ(h.window.warnings.size(), 1u);
    EXPECT_NE(h.window.warnings.front().find("could not be saved"), std::string::npos);
    EXPECT_NE(h.window.warnings.front().find("not writable"), std::string::npos);
    EXPECT_EQ(h.form->settings().charano, 2);
    EXPECT_NE(pathOf(h.form->picbox(1)).find("tavrick0.gif"), std::string::npos);
}

TEST(Options, VersionBoxCanBeOpenedRepeatedly)
{
    Harness h;
    h.dialog.whileOpen = [&] {
        h.dialog.selectOption(1);
        h.form->optionformObject().Command2_Click();
        h.form->optionformObject().Command2_Click();
        EXPECT_TRUE(h.dialog.option(1)); // the unsaved change is still there
        EXPECT_EQ(h.dialog.closes, 0);
    };
    h.form->Command1_Click();
    // The product and the version of this build, whatever the release.
    const std::pair<std::string, std::string> box{"ﾊﾞｰｼﾞｮﾝ情報", std::string(kProductName) + " Ver." + kVersion};
    EXPECT_EQ(h.dialog.messageBoxes, (std::vector{box, box}));
}
