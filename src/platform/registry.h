#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/seam.h"

namespace vexlor::platform {

// RegSetValueExW on an open key: the one place where the program writes registry values.
// Tests record the writes in the order they happen, or make one of them fail.
using SetRegistryValueSignature = LSTATUS(HKEY key, const std::wstring& name, DWORD type,
                                          const std::vector<BYTE>& data);
extern Seam<SetRegistryValueSignature> SetRegistryValueApi;

// The real write, for fakes that record and then pass the write on.
LSTATUS SetRegistryValueDirect(HKEY key, const std::wstring& name, DWORD type,
                               const std::vector<BYTE>& data);

} // namespace vexlor::platform
