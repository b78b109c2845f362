#pragma once

#include <array>
#include <string>

namespace lumiroka {

// The eight picture slots of the main window. Slot 0 is the character on screen; the
// others hold the current character's poses and are never shown themselves.
namespace slot {
inline constexpr int Visible = 0;
inline constexpr int StoppedRest = 1;
inline constexpr int StoppedShort = 2;
inline constexpr int StoppedLong = 3; // also after STOP and a click while stopped
inline constexpr int RunningRest = 4; // also at the end of a click while running
inline constexpr int RunningShort = 5;
inline constexpr int RunningLong = 6; // also after START
inline constexpr int Alarm = 7;       // time-up and during a click while running
inline constexpr int Count = 8;
} // namespace slot

// Stem of the character's file names ("piro", "zu", "tavrick"), or empty.
std::string charaStem(int charano);

// File names (within the image directory) of the eight slots for a character, in slot
// order; all empty for a character number without images.
std::array<std::string, slot::Count> poseFiles(int charano);

} // namespace lumiroka
