#include "ui/win32/accessible_texts.h"

// initguid.h first: the GUIDs of oleacc.h are then defined here, so the
// program needs no oleacc.dll of its own (CoCreateInstance finds the service).
// clang-format off
#include <initguid.h>
#include <oleacc.h>
// clang-format on

namespace tavrel::win32 {

AccessibleTexts::AccessibleTexts() {
    com_started_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // Without the service (a system that has none) the controls keep the
    // names the system derives.
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services_))))
        services_ = nullptr;
}

AccessibleTexts::~AccessibleTexts() {
    if (services_ != nullptr) services_->Release();
    if (com_started_) CoUninitialize();
}

void AccessibleTexts::SetName(HWND control, const std::wstring& name) {
    if (services_ == nullptr) return;
    services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                              PROPID_ACC_NAME, name.c_str());
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleTexts::SetDescription(HWND control, const std::wstring& description) {
    if (services_ == nullptr) return;
    if (description.empty()) {
        MSAAPROPID property = PROPID_ACC_DESCRIPTION;
        services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                  &property, 1);
    } else {
        services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                  PROPID_ACC_DESCRIPTION, description.c_str());
    }
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace tavrel::win32
