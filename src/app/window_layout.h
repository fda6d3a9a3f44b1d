#pragma once
// The main window's geometry as plain numbers, for every window toolkit: the
// controls' rectangles at 96 pixels per inch, their scaling to the
// screen's pixel density, where the show handling puts the buttons, how the
// list and the panel share the client area, and how the buttons follow the
// panel's right and bottom edges. No window is needed to work any of it out.

#include <iosfwd>

namespace tavrel {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Readable test output.
std::ostream& operator<<(std::ostream& out, const Rect& rect);
std::ostream& operator<<(std::ostream& out, const Size& size);
std::ostream& operator<<(std::ostream& out, const Point& point);

// The window's base layout: sizes and places in pixels at 96 pixels per inch,
// which every screen's layout is scaled from; left and top are relative to the
// parent's client area. The texts fit their controls at these sizes in
// "Tahoma" 8 points.
namespace base_layout {
inline constexpr int kDpi = 96;
inline constexpr Size kClientSize{414, 248};
inline constexpr Size kMinimumOuterSize{430, 200};
// The frame these sizes assume: outer size 430 x 287.
inline constexpr Size kFrameSize{16, 39};
inline constexpr Rect kListBox{0, 0, 414, 207};
inline constexpr Rect kPanel{0, 207, 414, 41};
inline constexpr Rect kLabel{12, 13, 68, 13};
inline constexpr Rect kComboBox{88, 10, 132, 21};
inline constexpr Rect kButtonExecute{265, 8, 75, 25};
inline constexpr Rect kButtonClear{355, 8, 75, 25};
inline constexpr int kLineHeight = 13;
// "Tahoma" 8 points: 11 pixels high at 96 pixels per inch.
inline constexpr int kFontPoints = 8;
inline constexpr int kTooltipWakeUpMs = 500;
inline constexpr int kTooltipDurationMs = 2500;
}  // namespace base_layout

// A base-layout length at the given pixel density, rounded to the nearest pixel as
// the system scales dialog units (MulDiv).
int Scaled(int base_pixels, int dpi);
Rect Scaled(const Rect& base_rect, int dpi);
Size Scaled(const Size& base_size, int dpi);

// The font height for a point size at the given density, negative as
// CreateFontW takes a character height without internal leading.
int FontHeight(int points, int dpi);

// The list fills the client area above the panel; the panel keeps its height
// at the bottom edge over the full width. A client area lower than the panel
// leaves the list no height.
struct ClientLayout {
    Rect list;
    Rect panel;
    friend bool operator==(const ClientLayout&, const ClientLayout&) = default;
};
ClientLayout LayOutClient(Size client, int panel_height);

// Where the show handling puts the two buttons in a panel of the given size:
// with u = Execute's width div 5, Execute's left is panel width - 12u and
// Clear's panel width - 6u, each centred vertically (integer divisions).
struct ButtonPlaces {
    Point execute;
    Point clear;
    friend bool operator==(const ButtonPlaces&, const ButtonPlaces&) = default;
};
ButtonPlaces PlaceButtons(Size panel, Size execute, Size clear);

// Where the buttons stand at a new pixel density, in a panel now of the given
// size: where the show handling puts them (PlaceButtons, with the buttons'
// scaled sizes) once it has placed them, before that at their base places,
// scaled. Either way they keep their distances to the panel's right and bottom
// edges, as the buttons are anchored there.
ButtonPlaces ButtonPlacesAtDpi(int dpi, Size panel, bool placed_by_show_handling);

// The smallest client size: the outer size stays at least kMinimumOuterSize
// with a frame of the given size, but the minimum never exceeds what it is with
// kFrameSize (414 x 161), so a thin or missing frame cannot push the window
// beyond its base size.
Size MinimumClientSize(Size frame);

// A control anchored to its parent's right and bottom edges: when the parent
// changes size, the control moves by the same amount and keeps its distances
// to those edges.
Point FollowRightBottom(Point control, Size old_parent, Size new_parent);

}  // namespace tavrel
