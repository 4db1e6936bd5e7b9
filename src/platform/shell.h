#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/seam.h"

namespace vexlor::platform {

// One ShellExecuteW call; an empty text stands for a null argument.
struct ShellRequest {
    HWND owner = nullptr;
    std::wstring operation;
    std::wstring file;
    std::wstring parameters;
    std::wstring directory;
    int show = SW_SHOWNORMAL;
};

// ShellExecuteW: starts real programs (a browser), so tests always replace it.
// The result is the call's HINSTANCE as a number; 32 or less is a failure.
using ShellExecuteSignature = std::intptr_t(const ShellRequest& request);
extern Seam<ShellExecuteSignature> ShellExecuteApi;

} // namespace vexlor::platform
