#include "ui/win32/raised_panel.h"

namespace tavrel::win32 {
namespace {

constexpr const wchar_t* kPanelClass = L"TavrelRaisedPanel";

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
            return SendMessageW(GetParent(panel), message, wparam, lparam);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(panel, &paint);
            RECT edge;
            GetClientRect(panel, &edge);
            DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
            EndPaint(panel, &paint);
            return 0;
        }
        case WM_SIZE:
            // The edge runs along the whole border, so all of it is drawn anew.
            InvalidateRect(panel, nullptr, TRUE);
            return 0;
        default:
            return DefWindowProcW(panel, message, wparam, lparam);
    }
}

void RegisterPanelClass(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kPanelClass, &existing)) return;
    WNDCLASSEXW panel_class{};
    panel_class.cbSize = sizeof panel_class;
    panel_class.lpfnWndProc = PanelProc;
    panel_class.hInstance = instance;
    panel_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    panel_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel_class.lpszClassName = kPanelClass;
    RegisterClassExW(&panel_class);
}

}  // namespace

HWND CreateRaisedPanel(HWND parent, const Rect& rect, int id) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterPanelClass(instance);
    // WS_EX_CONTROLPARENT: the Tab key walks into the panel's controls.
    return CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect.left,
                           rect.top, rect.width, rect.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace tavrel::win32
