// The character: its pose slots, the idle animation, remarks and the click reaction.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>

#include "chara/poses.h"
#include "forms/fakes.h"

using namespace lumiroka;
using namespace lumiroka::testing;
namespace fs = std::filesystem;

namespace {

// A copy of the real pictures that a test may damage; removed with the object.
struct AssetCopy
{
    fs::path root;
    AssetCopy()
    {
        root =
            fs::temp_directory_path() / ("lumiroka-assets-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) +
                                         "-" + std::to_string(std::rand()));
        fs::create_directories(root / "gif");
        for (const auto &entry : fs::directory_iterator(fs::path(sourceAssets()) / "gif"))
            fs::copy_file(entry.path(), root / "gif" / entry.path().filename());
    }
    ~AssetCopy() { fs::remove_all(root); }
    void write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(root / "gif" / name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string dir() const { return root.string(); }
};

// What the artwork's generator draws: its characters' names in their order, and for each
// pose code its eyes and arms (tools/gen_characters.py, NAMES and POSE_TABLE).
struct DrawnPoses
{
    std::vector<std::string> names;
    std::map<std::string, std::pair<std::string, std::string>> eyesAndArms;
};

// The words between single quotes in `text`, in order.
std::vector<std::string> quotedWords(std::string_view text)
{
    std::vector<std::string> words;
    for (std::size_t open = text.find('\''); open != std::string_view::npos;) {
        const std::size_t close = text.find('\'', open + 1);
        if (close == std::string_view::npos)
            break;
        words.emplace_back(text.substr(open + 1, close - open - 1));
        open = text.find('\'', close + 1);
    }
    return words;
}

// The text of `source` from `start` up to the next `end` after it (empty if either is missing).
std::string_view block(std::string_view source, std::string_view start, char end)
{
    const std::size_t from = source.find(start);
    if (from == std::string_view::npos)
        return {};
    const std::size_t to = source.find(end, from + start.size());
    return to == std::string_view::npos ? std::string_view{} : source.substr(from, to - from);
}

DrawnPoses drawnPoses()
{
    std::ifstream file(fs::path(sourceAssets()).parent_path() / "tools" / "gen_characters.py");
    std::stringstream text;
    text << file.rdbuf();
    const std::string source = text.str();
    DrawnPoses drawn;
    drawn.names = quotedWords(block(source, "\nNAMES = (", ')'));
    // One row a line: 'code': ('eyes', 'arms', 'mouth'),
    std::istringstream table{std::string(block(source, "\nPOSE_TABLE = {", '}'))};
    for (std::string line; std::getline(table, line);) {
        const std::vector<std::string> row = quotedWords(line);
        if (row.size() == 4)
            drawn.eyesAndArms[row[0]] = {row[1], row[2]};
    }
    return drawn;
}

} // namespace

class CharacterSlots : public ::testing::TestWithParam<int>
{
};

TEST_P(CharacterSlots, HoldTheirOwnPictures)
{
    const int charano = GetParam();
    Harness h;
    h.form->settings().charano = static_cast<std::int16_t>(charano);
    h.form->setchara();
    EXPECT_TRUE(h.window.warnings.empty());
    // Each slot holds the character's drawing of what the slot is for, as the generator
    // drew it: at rest, a blink, a move; focused on the count, its blink, its cheer; the alarm.
    const DrawnPoses drawn = drawnPoses();
    ASSERT_EQ(drawn.names.size(), 3u);
    ASSERT_EQ(drawn.eyesAndArms.size(), 7u);
    const std::pair<std::string, std::string> meant[slot::Count] = {
        {"open", "rest"},  {"open", "rest"},   {"closed", "rest"}, {"open", "move"},
        {"focus", "hold"}, {"closed", "hold"}, {"happy", "raise"}, {"wide", "alarm"}};
    const std::string stem = drawn.names[static_cast<std::size_t>(charano)];
    for (int i = 0; i < slot::Count; ++i) {
        const fs::path file = pathOf(h.form->picbox(i));
        EXPECT_EQ(file.parent_path(), fs::path(sourceAssets()) / "gif") << "slot " << i;
        const std::string name = file.filename().string();
        ASSERT_TRUE(name.starts_with(stem) && name.ends_with(".gif")) << "slot " << i << ": " << name;
        const std::string pose = name.substr(stem.size(), name.size() - stem.size() - 4);
        ASSERT_TRUE(drawn.eyesAndArms.count(pose)) << "slot " << i << ": " << name << " is no pose of the generator";
        EXPECT_EQ(drawn.eyesAndArms.at(pose), meant[i]) << "slot " << i << ": " << name;
    }
    // Slot 0 starts from its own load of the rest pose: equal to slot 1, not slot 1 itself.
    EXPECT_FALSE(h.shows(1));
    EXPECT_FALSE(h.form->isFrozen());
    EXPECT_EQ(h.window.picture, h.form->picbox(0));
}

INSTANTIATE_TEST_SUITE_P(PiroZuTavrick, CharacterSlots, ::testing::Values(0, 1, 2));

TEST(Character, UnknownCharacterGivesEmptyPicturesQuietly)
{
    Harness h;
    h.window.setMessbox("x");
    h.form->settings().charano = 3;
    h.form->setchara();
    for (int i = 0; i < slot::Count; ++i)
        EXPECT_EQ(pathOf(h.form->picbox(i)), "");
    EXPECT_FALSE(h.form->isFrozen()); // every slot holds an empty picture of its own
    EXPECT_EQ(h.window.messbox, "");
    EXPECT_TRUE(h.window.warnings.empty());
}

TEST(Character, StartStopAndAlarmShowTheirPoses)
{
    Harness h;
    h.form->ssbutton_Click();
    EXPECT_TRUE(h.shows(slot::RunningLong));
    h.form->ssbutton_Click();
    EXPECT_TRUE(h.shows(slot::StoppedLong));
    h.form->resetbutton_Click(); // otherwise the stopped stopwatch would resume upwards
    h.window.setBar(TimeField::Second, 1);
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    EXPECT_TRUE(h.shows(slot::Alarm));
    EXPECT_TRUE(h.form->isFrozen());
    EXPECT_EQ(h.window.picture, h.form->picbox(slot::Alarm));
}

TEST(Character, ReloadWhileFrozenEndsTheFreeze)
{
    Harness h;
    h.form->takeSlot(slot::Alarm);
    EXPECT_TRUE(h.form->isFrozen());
    h.form->ssbutton_Click(); // running: a reload still shows the stopped rest pose
    h.form->takeSlot(slot::Alarm);
    h.form->setchara();
    EXPECT_FALSE(h.form->isFrozen());
    EXPECT_FALSE(h.shows(slot::StoppedRest));
    EXPECT_EQ(pathOf(h.form->picbox(0)), pathOf(h.form->picbox(slot::StoppedRest)));
    EXPECT_EQ(h.window.messbox, "");
}

TEST(Character, BrokenPicturesAreReportedOnceAndLeftBlank)
{
    AssetCopy copy;
    fs::remove(copy.root / "gif" / "piro0.gif");  // missing, and wanted by slots 0 and 1
    fs::remove(copy.root / "gif" / "piro0a.gif"); // missing
    copy.write("piro0b.gif", "");                 // zero bytes
    copy.write("piro1.gif", "this is not a picture\n");
    Harness h(copy.dir());
    ASSERT_EQ(h.window.warnings.size(), 1u);
    const std::string &message = h.window.warnings.front();
    for (const char *name : {"piro0.gif:", "piro0a.gif:", "piro0b.gif:", "piro1.gif:"}) {
        const std::size_t at = message.find(name);
        EXPECT_NE(at, std::string::npos) << message;
        EXPECT_EQ(message.find(name, at + 1), std::string::npos) << name << " listed twice:\n" << message;
    }
    EXPECT_NE(message.find(copy.dir()), std::string::npos) << message;
    // Named where it was expected, in full and with the system's separators.
    const std::string missing = (copy.root / "gif" / "piro0a.gif").make_preferred().string();
    EXPECT_NE(message.find(missing + ": not found"), std::string::npos) << message;
    EXPECT_EQ(message.find("piro2.gif"), std::string::npos) << message;
    EXPECT_EQ(pathOf(h.form->picbox(slot::Visible)), "");
    EXPECT_EQ(pathOf(h.form->picbox(slot::StoppedShort)), "");
    EXPECT_NE(pathOf(h.form->picbox(slot::Alarm)), "");
    // The timer still works.
    h.form->ssbutton_Click();
    h.form->swtimer_Timer();
    EXPECT_EQ(h.window.caption, "Lumiroka - 00:00:01");
}

TEST(Animation, FollowsThePhases)
{
    Harness h;
    EXPECT_TRUE(h.window.chara.active); // from the window's creation
    EXPECT_EQ(h.window.chara.interval, 500);
    // phase 0, short move while stopped
    h.random.queue = {0.0, 0.99};
    h.form->charatimer1_Timer();
    EXPECT_TRUE(h.shows(slot::StoppedShort));
    EXPECT_EQ(h.window.chara.interval, 200);
    // phase 1 returns to rest
    h.random.queue = {0.5, 0.99};
    h.form->charatimer1_Timer();
    EXPECT_TRUE(h.shows(slot::StoppedRest));
    EXPECT_EQ(h.window.chara.interval, 500);
    // phase 0, long move while running
    h.form->ssbutton_Click();
    h.random.queue = {0.25, 0.99};
    h.form->charatimer1_Timer();
    EXPECT_TRUE(h.shows(slot::RunningLong));
    EXPECT_EQ(h.window.chara.interval, 500);
    h.random.queue = {0.99, 0.99};
    h.form->charatimer1_Timer();
    EXPECT_TRUE(h.shows(slot::RunningRest));
    // phase 0 with no move keeps the pose
    h.random.queue = {0.3, 0.99};
    h.form->charatimer1_Timer();
    EXPECT_TRUE(h.shows(slot::RunningRest));
    EXPECT_EQ(h.form->animator().charaphase, 1);
    EXPECT_EQ(h.random.draws, 10);
    EXPECT_TRUE(h.window.chara.active); // never switched off
}

TEST(Animation, FrozenStandsStillButMayTalk)
{
    Harness h;
    h.random.queue = {0.0, 0.99};
    h.form->charatimer1_Timer(); // short move, 200 ms, phase 1
    h.form->takeSlot(slot::Alarm);
    h.random.draws = 0;
    h.random.queue = {0.0, 0.0}; // remark draw 1, then the line draw
    h.form->charatimer1_Timer();
    EXPECT_TRUE(h.form->isFrozen());
    EXPECT_EQ(h.window.chara.interval, 200);
    EXPECT_EQ(h.form->animator().charaphase, 1);
    EXPECT_EQ(h.random.draws, 2);
    EXPECT_EQ(h.window.messbox, "ﾀｲﾏｰが0になったら、ｱﾗｰﾑで知らせるね！");
}

TEST(Animation, RemarksFollowTheRunningStateAtThatMoment)
{
    Harness h;
    h.form->settings().charano = 1;
    h.random.queue = {0.99, 0.0, 0.5};
    h.form->charatimer1_Timer();
    EXPECT_EQ(h.window.messbox, "ﾗｯﾌﾟﾀｲﾑでも計るのかー？");
    h.form->ssbutton_Click();
    h.random.queue = {0.99, 0.0, 0.5};
    h.form->charatimer1_Timer();
    EXPECT_EQ(h.window.messbox, "ﾗｯﾌﾟﾀｲﾑでも計ってんのかー？");
}

TEST(Click, WhileStoppedShowsTheLongMoveAndReturns)
{
    Harness h;
    h.form->picbox_Click(0);
    EXPECT_TRUE(h.shows(slot::StoppedLong));
    EXPECT_EQ(h.window.passes, 0); // no wait
    EXPECT_EQ(h.form->animator().charaphase, 0);
    h.random.queue = {0.99, 0.99, 0.99, 0.99};
    h.form->charatimer1_Timer();
    h.form->charatimer1_Timer();
    EXPECT_TRUE(h.shows(slot::StoppedRest));
}

TEST(Click, WhileRunningWaitsAndServesEverything)
{
    Harness h;
    h.form->ssbutton_Click();
    bool frozenDuringWait = false;
    bool stoppedDuringWait = false;
    h.window.postAtPass(10, [&] {
        frozenDuringWait = h.form->isFrozen();
        h.form->ssbutton_Click(); // STOP during the wait
        stoppedDuringWait = !h.window.sw.active;
    });
    h.form->picbox_Click(0);
    EXPECT_EQ(h.window.passes, mainform::kClickWaitPasses);
    EXPECT_TRUE(frozenDuringWait);
    EXPECT_TRUE(stoppedDuringWait);
    // Slot 4 at the end, whatever happened meanwhile.
    EXPECT_TRUE(h.shows(slot::RunningRest));
    EXPECT_FALSE(h.window.sw.active);

    // Time-up during the wait: its alarm pose is replaced at the end.
    Harness alarm;
    alarm.window.setBar(TimeField::Second, 1);
    alarm.form->ssbutton_Click();
    alarm.window.postAtPass(5, [&] { alarm.form->swtimer_Timer(); });
    alarm.window.postAtPass(6, [&] { alarm.form->soundtimer_Timer(); });
    alarm.form->picbox_Click(0);
    EXPECT_TRUE(alarm.window.sound.active);
    EXPECT_EQ(alarm.sound.plays, 2);
    EXPECT_TRUE(alarm.shows(slot::RunningRest));
}

TEST(Click, SecondClickNestsItsOwnWaitAndTheTickKeepsCounting)
{
    Harness h;
    h.form->ssbutton_Click();
    bool innerEndedWithRunningRest = false;
    int passesWhenInnerEnded = 0;
    h.window.postAtPass(100, [&] {
        h.form->picbox_Click(0); // a second click nests its own wait
        innerEndedWithRunningRest = h.shows(slot::RunningRest);
        passesWhenInnerEnded = h.window.passes;
    });
    h.window.postAtPass(500, [&] { h.form->swtimer_Timer(); }); // inside the inner wait
    h.window.postAtPass(2500, [&] {
        // Back in the outer wait: the inner one's end left slot 4, and it stays.
        EXPECT_TRUE(h.shows(slot::RunningRest));
        h.form->swtimer_Timer();
    });
    h.form->picbox_Click(0);
    EXPECT_TRUE(innerEndedWithRunningRest);
    EXPECT_EQ(passesWhenInnerEnded, 101 + mainform::kClickWaitPasses);
    EXPECT_EQ(h.window.passes, 2 * mainform::kClickWaitPasses);
    EXPECT_TRUE(h.shows(slot::RunningRest));
    EXPECT_EQ(h.form->time().seccount, 2); // both ticks ran inside the waits
    EXPECT_EQ(h.window.pending(), 0u);
}

TEST(Click, EndingDuringTheWaitStopsWaiting)
{
    Harness h;
    h.form->ssbutton_Click();
    h.window.postAtPass(3, [&] { h.form->endbutton_Click(); });
    h.form->picbox_Click(0);
    EXPECT_TRUE(h.window.ended);
    EXPECT_EQ(h.window.passes, 4);
}

TEST(Click, WaitIsPacedOnAGridOfItsPauseFromTheClick)
{
    using std::chrono::steady_clock;
    Harness h;
    h.form->ssbutton_Click();
    std::vector<steady_clock::time_point> sleeps;
    std::vector<int> passesBeforeSleep;
    steady_clock::time_point firstAsked;
    h.form->setClickWaitSleeper([&](steady_clock::time_point until) {
        if (sleeps.empty())
            firstAsked = steady_clock::now();
        sleeps.push_back(until);
        passesBeforeSleep.push_back(h.window.passes);
    });
    for (const std::chrono::microseconds pause : {std::chrono::microseconds(500), std::chrono::microseconds(1)}) {
        h.form->setClickWaitPause(pause);
        sleeps.clear();
        passesBeforeSleep.clear();
        const int passesBefore = h.window.passes;
        const auto before = steady_clock::now();
        h.form->picbox_Click(0);
        // A sleep after every pass, each one pause further on from the click: about a
        // second in all, however long the passes themselves took.
        ASSERT_EQ(sleeps.size(), static_cast<std::size_t>(mainform::kClickWaitPasses)) << pause.count();
        EXPECT_GE(sleeps.front(), before + pause);
        EXPECT_LE(sleeps.front(), firstAsked + pause) << "the first sleep is one pause from the click";
        for (std::size_t i = 1; i < sleeps.size(); ++i)
            if (sleeps[i] - sleeps[i - 1] != pause || passesBeforeSleep[i] != passesBefore + static_cast<int>(i) + 1) {
                ADD_FAILURE() << "sleep " << i << " is off the grid";
                break;
            }
        EXPECT_EQ(sleeps.back() - sleeps.front(), pause * (mainform::kClickWaitPasses - 1));
    }
    constexpr std::chrono::microseconds kPause{500};

    // Without a sleeper of its own the wait really sleeps. Windows' sleep may wake a little
    // before the steady clock's point, so half of the pauses is the bound; passes that did
    // not sleep at all take a few hundred microseconds here.
    h.form->setClickWaitSleeper({});
    h.form->setClickWaitPause(std::chrono::microseconds(10));
    const auto slept = steady_clock::now();
    h.form->picbox_Click(0);
    EXPECT_GE(steady_clock::now() - slept, std::chrono::microseconds(5) * mainform::kClickWaitPasses);
    h.form->setClickWaitPause(kPause);
    h.form->setClickWaitSleeper([&](steady_clock::time_point until) { sleeps.push_back(until); });

    // Ending the program stops the wait before its next sleep.
    sleeps.clear();
    h.window.postAtPass(h.window.passes + 3, [&] { h.form->endbutton_Click(); });
    h.form->picbox_Click(0);
    EXPECT_EQ(sleeps.size(), 3u);
}

TEST(AssetDirs, FilesAreFoundBesideTheProgramFirst)
{
    AssetCopy tree; // any scratch folder will do
    const fs::path root = tree.root;
    auto put = [](const fs::path &file, const std::string &text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    };
    put(root / "bin" / "gif" / "piro0.gif", "beside");
    put(root / "share" / "lumiroka" / "gif" / "piro0.gif", "installed");
    put(root / "share" / "lumiroka" / "justtime.wav", "installed");
    const AssetDirs assets = AssetDirs::besideExecutable((root / "bin").string());
    EXPECT_EQ(assets.dirs().size(), 2u);
    auto contents = [](const std::string &path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    EXPECT_EQ(contents(assets.find("gif/piro0.gif")), "beside");
    EXPECT_EQ(contents(assets.find("justtime.wav")), "installed");
    EXPECT_EQ(assets.find("gif/zu0.gif"), "");
    fs::create_directories(root / "bin" / "gif" / "zu0.gif"); // a folder is not a picture
    EXPECT_EQ(assets.find("gif/zu0.gif"), "");
}
