#pragma once
// Names and descriptions of the window's controls for assistive technology
// (Microsoft Active Accessibility, and UI Automation through its MSAA proxy),
// set as dynamic annotations: the controls keep their system implementations
// and their look.

#include <windows.h>

#include <string>

struct IAccPropServices;

namespace tavrel::win32 {

class AccessibleTexts {
public:
    AccessibleTexts();
    ~AccessibleTexts();
    AccessibleTexts(const AccessibleTexts&) = delete;
    AccessibleTexts& operator=(const AccessibleTexts&) = delete;

    // The control's accessible name, in place of the one the system derives.
    void SetName(HWND control, const std::wstring& name);
    // The control's accessible description, told to assistive technology as
    // changed (EVENT_OBJECT_DESCRIPTIONCHANGE), which a screen reader speaks
    // for the control in focus. Empty: the description is taken away.
    void SetDescription(HWND control, const std::wstring& description);

private:
    IAccPropServices* services_ = nullptr;
    bool com_started_ = false;
};

}  // namespace tavrel::win32
