// Caption fitting in the options dialog: a box as designed, or wider for a caption that needs
// it, never past the right edge of the room the design leaves it.

#include <gtest/gtest.h>

#include "forms/layout.h"

namespace layout = lumiroka::layout;

namespace {

TEST(Layout, FittedWidthGrowsForTheCaptionWithinItsRoomAndNeverShrinks)
{
    struct Row
    {
        int left, designed, needed, roomRight, width;
    } rows[] = {
        {120, 615, 400, 1185, 615},                        // a short caption keeps the designed box
        {120, 615, 614, 1185, 615},                        // one unit short of the design
        {120, 615, 615, 1185, 615},                        // exactly the design
        {120, 615, 616, 1185, 616},                        // one unit more grows the box
        {120, 615, 1064, 1185, 1064},                      // one unit short of the room
        {120, 615, 1065, 1185, 1065},                      // up to the room's edge
        {120, 615, 1066, 1185, 1065},                      // and no further
        {120, 615, 5000, 1185, 1065}, {0, 10, 30, 20, 20}, // a room that starts at the container's edge
        {120, 975, 990, 1000, 975},                        // a design already past its room stays as designed
    };
    for (const Row &r : rows)
        EXPECT_EQ(layout::fittedWidth(r.left, r.designed, r.needed, r.roomRight), r.width)
            << r.left << ", " << r.designed << ", needs " << r.needed << ", room to " << r.roomRight;
}

// Each room holds its boxes as designed, and even a box grown to the full room stays inside
// what it must not cover: the frame's border, the dialog's edge, the OK button.
TEST(Layout, EachRoomHoldsItsDesignAndEndsBeforeWhatItMustNotCover)
{
    constexpr int kBorder = 2 * layout::kTwipsPerPixel; // the frame's drawn border and caption inset
    struct Room
    {
        const char *name;
        const layout::Control &control;
        int roomRight;
        int limit; // the first twip the box must not reach
    } rooms[] = {
        {"option1_0", layout::option1[0], layout::kOptionRoomRight, layout::Frame1.box.width - kBorder + 1},
        {"option1_1", layout::option1[1], layout::kOptionRoomRight, layout::Frame1.box.width - kBorder + 1},
        {"option1_2", layout::option1[2], layout::kOptionRoomRight, layout::Frame1.box.width - kBorder + 1},
        {"check1", layout::check1, layout::kCheckRoomRight, layout::kOptionWidth + 1},
        {"check2", layout::check2, layout::kCheckRoomRight, layout::kOptionWidth + 1},
        {"Command2", layout::optionVersion, layout::kVersionRoomRight, layout::optionOk.box.left},
    };
    for (const Room &room : rooms) {
        const layout::Box &box = room.control.box;
        EXPECT_GE(room.roomRight, box.left + box.width) << room.name << ": the design does not fit its room";
        EXPECT_LT(room.roomRight, room.limit) << room.name << ": its room reaches what it must not cover";
        EXPECT_EQ(layout::fittedWidth(box.left, box.width, 100000, room.roomRight), room.roomRight - box.left)
            << room.name;
    }
    // The version button keeps the designed gap to OK that the buttons of the dialog have.
    EXPECT_GE(layout::optionOk.box.left - layout::kVersionRoomRight, 8 * layout::kTwipsPerPixel);
}

} // namespace
