#pragma once

#include <windows.h>

#include <string>

#include "platform/seam.h"

namespace vexlor::platform {

// MessageBoxW: blocks until a person answers, so tests always replace it.
using MessageBoxSignature = int(HWND owner, const std::wstring& text, const std::wstring& caption,
                                UINT flags);
extern Seam<MessageBoxSignature> MessageBoxApi;

} // namespace vexlor::platform
