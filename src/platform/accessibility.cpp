#include "platform/accessibility.h"

#include <oleacc.h>

#include "base/handles.h"

namespace vexlor::platform {

Seam<AnnounceAsLinkSignature> AnnounceAsLinkApi{[](HWND control) {
    UniqueCom<IAccPropServices> services;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IAccPropServices, reinterpret_cast<void**>(services.Put()))))
        return false;
    VARIANT role{};
    role.vt = VT_I4;
    role.lVal = ROLE_SYSTEM_LINK;
    // Dropped by the system when the control is destroyed.
    return SUCCEEDED(services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                           PROPID_ACC_ROLE, role));
}};

} // namespace vexlor::platform
