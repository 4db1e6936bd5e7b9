#include "platform/resources.h"

#include <windows.h>

#include <string>

#include "base/error.h"

namespace vexlor::platform {

std::optional<std::span<const std::uint8_t>> FindResourceData(int id) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return std::nullopt;
    return std::span<const std::uint8_t>{static_cast<const std::uint8_t*>(data),
                                         ::SizeofResource(module, found)};
}

std::span<const std::uint8_t> ResourceData(int id) {
    const auto data = FindResourceData(id);
    if (!data)
        throw Error(L"The program's resource " + std::to_wstring(id) + L" is missing.");
    return *data;
}

} // namespace vexlor::platform
