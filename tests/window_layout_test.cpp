#include "app/window_layout.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(WindowLayout, BaseSizesFollowThePixelDensity) {
    struct Case {
        const char* name;
        int dpi;
        Rect list;
        Rect combo;
        Size minimum;
        int font_height;
    } cases[] = {
        {"96 dpi, the base layout", 96, {0, 0, 414, 207}, {88, 10, 132, 21}, {430, 200}, -11},
        {"120 dpi", 120, {0, 0, 518, 259}, {110, 13, 165, 26}, {538, 250}, -13},
        {"144 dpi", 144, {0, 0, 621, 311}, {132, 15, 198, 32}, {645, 300}, -16},
        {"192 dpi", 192, {0, 0, 828, 414}, {176, 20, 264, 42}, {860, 400}, -21},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Scaled(base_layout::kListBox, c.dpi), c.list) << c.name;
        EXPECT_EQ(Scaled(base_layout::kComboBox, c.dpi), c.combo) << c.name;
        EXPECT_EQ(Scaled(base_layout::kMinimumOuterSize, c.dpi), c.minimum) << c.name;
        EXPECT_EQ(FontHeight(base_layout::kFontPoints, c.dpi), c.font_height) << c.name;
    }
}

TEST(WindowLayout, ListFillsTheClientAboveThePanel) {
    struct Case {
        const char* name;
        Size client;
        ClientLayout layout;
    } cases[] = {
        {"base size", {414, 248}, {{0, 0, 414, 207}, {0, 207, 414, 41}}},
        {"wider and higher", {514, 298}, {{0, 0, 514, 257}, {0, 257, 514, 41}}},
        {"lower than the panel", {414, 30}, {{0, 0, 414, 0}, {0, 0, 414, 41}}},
    };
    for (const auto& c : cases) EXPECT_EQ(LayOutClient(c.client, 41), c.layout) << c.name;
}

TEST(WindowLayout, ShowPlacesTheButtonsFromTheRightEdge) {
    struct Case {
        const char* name;
        Size panel;
        Size execute;
        ButtonPlaces places;
    } cases[] = {
        {"base sizes", {414, 41}, {75, 25}, {{234, 8}, {324, 8}}},
        {"wider panel", {514, 41}, {75, 25}, {{334, 8}, {424, 8}}},
        // u is Execute's width div 5: 74 gives 14, not 14.8.
        {"width not a multiple of 5", {414, 41}, {74, 25}, {{246, 8}, {330, 8}}},
        {"scaled to 144 dpi", {621, 62}, {113, 38}, {{357, 12}, {489, 12}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceButtons(c.panel, c.execute, c.execute), c.places) << c.name;
}

TEST(WindowLayout, MinimumKeepsTheOuterSize) {
    struct Case {
        const char* name;
        Size frame;
        Size minimum_client;
    } cases[] = {
        {"no frame", {0, 0}, {414, 161}},
        {"base frame", {16, 39}, {414, 161}},
        {"thick frame", {40, 60}, {390, 140}},
        {"frame wider than the minimum", {500, 300}, {0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(MinimumClientSize(c.frame), c.minimum_client) << c.name;
}

TEST(WindowLayout, ButtonsKeepTheirDistanceToTheRightAndBottomEdges) {
    struct Case {
        const char* name;
        Size old_panel;
        Size new_panel;
        Point moved;
    } cases[] = {
        {"widened by 100", {414, 41}, {514, 41}, {334, 8}},
        {"narrowed by 100", {414, 41}, {314, 41}, {134, 8}},
        {"higher", {414, 41}, {414, 61}, {234, 28}},
        {"unchanged", {414, 41}, {414, 41}, {234, 8}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FollowRightBottom({234, 8}, c.old_panel, c.new_panel), c.moved) << c.name;
}

// At a new density the buttons stand at their base places scaled until the
// show handling has placed them; either way as far from the panel's right and
// bottom edges as at the base layout.
TEST(WindowLayout, ButtonsAtANewDensity) {
    EXPECT_EQ(ButtonPlacesAtDpi(144, {721, 62}, false), (ButtonPlaces{{498, 12}, {633, 12}}));
    EXPECT_EQ(ButtonPlacesAtDpi(144, {621, 62}, true), (ButtonPlaces{{357, 12}, {489, 12}}));
}

}  // namespace
}  // namespace tavrel
