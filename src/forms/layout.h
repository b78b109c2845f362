#pragma once

// The designed windows: every control's name, caption and place, in twips (1/1440 inch;
// 15 make a pixel at 96 dots per inch) relative to its container's client area, and the
// texts of the menu and the version box. Both front ends build their windows from here.

#include <algorithm>
#include <array>
#include <string>

namespace lumiroka::layout {

struct Box
{
    int left, top, width, height;
};

struct Control
{
    const char *name;    // also the object name tests and accessibility tools find
    const char *caption; // UTF-8; empty for controls without one
    Box box;
};

inline constexpr int kTwipsPerPixel = 15;

// ---------------------------------------------------------------- main window
inline constexpr int kMainWidth = 3330; // 222 x 138 pixels
inline constexpr int kMainHeight = 2070;

inline constexpr int kSwtimerMs = 1000;
inline constexpr int kSoundtimerMs = 1000;
inline constexpr int kCharatimer1Ms = 500;
// While the icon is in the notification area, how often the forms ask whether the area is
// still there: no desktop tells a program that its tray host went away.
inline constexpr int kTraytimerMs = 2000;

inline constexpr Control timerbox{"timerbox", "", {1710, 0, 1635, 465}};
inline constexpr Control hourbox{"hourbox", "00", {1755, 30, 465, 405}};
inline constexpr Control Label1{"Label1", "：", {2160, 30, 240, 405}};
inline constexpr Control minbox{"minbox", "00", {2295, 30, 465, 405}};
inline constexpr Control Label2{"Label2", "：", {2700, 30, 240, 405}};
inline constexpr Control secbox{"secbox", "00", {2835, 30, 465, 405}};
inline constexpr Control hourbar{"hourbar", "", {1800, 480, 375, 255}};
inline constexpr Control minbar{"minbar", "", {2340, 480, 375, 255}};
inline constexpr Control secbar{"secbar", "", {2880, 480, 375, 255}};
inline constexpr Control ssbutton{"ssbutton", "START・STOP", {1800, 795, 1455, 255}};
inline constexpr Control resetbutton{"resetbutton", "RESET", {1800, 1035, 1455, 255}};
inline constexpr Control Command1{"Command1", "OPTION", {1800, 1275, 1455, 255}};
inline constexpr Control endbutton{"endbutton", "END", {1800, 1515, 1455, 255}};
inline constexpr Control picbox0{"picbox0", "", {0, 0, 1695, 1815}};
inline constexpr Control messbox{"messbox", "", {0, 1815, 3330, 255}};

// The digits and colons: "ＭＳ Ｐゴシック" 20.25 pt bold, black on the white timerbox.
inline constexpr const char *kDigitFace = "ＭＳ Ｐゴシック";
inline constexpr double kDigitPoints = 20.25;

// Keyboard focus order; ssbutton has the focus when the window opens. Labels take none.
inline constexpr std::array<const char *, 8> kFocusOrder = {"ssbutton", "resetbutton", "hourbar",  "minbar",
                                                            "secbar",   "picbox0",     "Command1", "endbutton"};

// ---------------------------------------------------------------- options dialog
inline constexpr const char *kOptionCaption = "OPTION";
inline constexpr int kOptionWidth = 3135; // 209 x 105 pixels
inline constexpr int kOptionHeight = 1575;

inline constexpr Control Frame1{"Frame1", "キャラ", {0, 0, 1215, 1095}};
// Inside Frame1; the index is the character number.
inline constexpr std::array<Control, 3> option1 = {{
    {"option1_0", "ピロ", {120, 240, 615, 255}},
    {"option1_1", "ズウ", {120, 480, 615, 255}},
    {"option1_2", "タヴリック", {120, 720, 975, 255}},
}};
inline constexpr Control optionOk{"Command1", "OK", {2160, 1200, 855, 255}};
inline constexpr Control optionVersion{"Command2", "ﾊﾞｰｼﾞｮﾝ情報", {120, 1200, 1095, 255}};
inline constexpr Control check1{"check1", "計測中は最小化", {1320, 240, 1695, 255}};
inline constexpr Control check2{"check2", "最小化時はﾄﾚｲへ", {1320, 600, 1695, 255}};

// Where a caption is a little wider in the face at hand than its designed box, the box
// grows to the right into the room the design leaves beside it, never past that room's
// right edge, and never shrinks. The rooms' right edges, in twips of the container:
inline constexpr int kOptionRoomRight = Frame1.box.width - 30;    // inside the frame's border
inline constexpr int kCheckRoomRight = kOptionWidth;              // the dialog's edge
inline constexpr int kVersionRoomRight = optionOk.box.left - 120; // clear of OK
// The width of a fitted box; every argument in the front end's own unit.
constexpr int fittedWidth(int left, int designed, int needed, int roomRight)
{
    return std::max(designed, std::min(needed, roomRight - left));
}

inline constexpr const char *kVersionTitle = "ﾊﾞｰｼﾞｮﾝ情報";
// "Lumiroka Ver.1.2", from the project's name and version.
std::string versionText();

// ---------------------------------------------------------------- tray menu
inline constexpr const char *kMenuRoot = "FILE"; // never shown
inline constexpr const char *kRestoreItem = "元のｻｲｽﾞに戻す(&R)";
inline constexpr const char *kCloseItem = "閉じる(&C)";

} // namespace lumiroka::layout
