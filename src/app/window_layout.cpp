#include "app/window_layout.h"

#include <algorithm>
#include <cstdint>
#include <ostream>

namespace tavrel {

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << r.left << "," << r.top << " " << r.width << "x" << r.height;
}

std::ostream& operator<<(std::ostream& out, const Size& s) {
    return out << s.width << "x" << s.height;
}

std::ostream& operator<<(std::ostream& out, const Point& p) {
    return out << p.x << "," << p.y;
}

int Scaled(int base_pixels, int dpi) {
    // base_pixels * dpi / 96, rounded half away from zero, as MulDiv does.
    const std::int64_t product = std::int64_t{base_pixels} * dpi;
    const std::int64_t half = base_layout::kDpi / 2;
    const std::int64_t rounded =
        product >= 0 ? (product + half) / base_layout::kDpi : (product - half) / base_layout::kDpi;
    return static_cast<int>(rounded);
}

Rect Scaled(const Rect& r, int dpi) {
    return {Scaled(r.left, dpi), Scaled(r.top, dpi), Scaled(r.width, dpi), Scaled(r.height, dpi)};
}

Size Scaled(const Size& s, int dpi) {
    return {Scaled(s.width, dpi), Scaled(s.height, dpi)};
}

int FontHeight(int points, int dpi) {
    // points * dpi / 72, rounded as MulDiv rounds.
    const int pixels = static_cast<int>((std::int64_t{points} * dpi + 36) / 72);
    return -pixels;
}

ClientLayout LayOutClient(Size client, int panel_height) {
    const int list_height = std::max(0, client.height - panel_height);
    return {Rect{0, 0, client.width, list_height},
            Rect{0, list_height, client.width, panel_height}};
}

ButtonPlaces PlaceButtons(Size panel, Size execute, Size clear) {
    const int u = execute.width / 5;
    const int middle = panel.height / 2;
    return {Point{panel.width - 12 * u, middle - execute.height / 2},
            Point{panel.width - 6 * u, middle - clear.height / 2}};
}

ButtonPlaces ButtonPlacesAtDpi(int dpi, Size panel, bool placed_by_show_handling) {
    const Rect execute = Scaled(base_layout::kButtonExecute, dpi);
    const Rect clear = Scaled(base_layout::kButtonClear, dpi);
    if (placed_by_show_handling)
        return PlaceButtons(panel, {execute.width, execute.height}, {clear.width, clear.height});
    const Size base_panel =
        Scaled(Size{base_layout::kPanel.width, base_layout::kPanel.height}, dpi);
    return {FollowRightBottom({execute.left, execute.top}, base_panel, panel),
            FollowRightBottom({clear.left, clear.top}, base_panel, panel)};
}

Size MinimumClientSize(Size frame) {
    const auto minimum = [](int outer, int frame_part, int base_frame_part) {
        return std::max(0, std::min(outer - frame_part, outer - base_frame_part));
    };
    return {
        minimum(base_layout::kMinimumOuterSize.width, frame.width, base_layout::kFrameSize.width),
        minimum(base_layout::kMinimumOuterSize.height, frame.height,
                base_layout::kFrameSize.height)};
}

Point FollowRightBottom(Point control, Size old_parent, Size new_parent) {
    return {control.x + new_parent.width - old_parent.width,
            control.y + new_parent.height - old_parent.height};
}

}  // namespace tavrel
