#include "platform/resources.h"

#include <windows.h>

#include <string>

#include "base/error.h"

namespace vexlor::platform {

std::span<const std::uint8_t> ResourceData(int id) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        throw Error(L"The program's resource " + std::to_wstring(id) + L" is missing.");
    return {static_cast<const std::uint8_t*>(data), ::SizeofResource(module, found)};
}

} // namespace vexlor::platform
