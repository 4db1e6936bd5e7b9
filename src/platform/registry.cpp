#include "platform/registry.h"

namespace vexlor::platform {

LSTATUS SetRegistryValueDirect(HKEY key, const std::wstring& name, DWORD type,
                               const std::vector<BYTE>& data) {
    return ::RegSetValueExW(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                            static_cast<DWORD>(data.size()));
}

Seam<SetRegistryValueSignature> SetRegistryValueApi{&SetRegistryValueDirect};

} // namespace vexlor::platform
