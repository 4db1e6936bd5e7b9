#pragma once
// How much room the volume of a folder has, as its file system reports it to the user.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/seam.h"

namespace vexlor::platform {

struct DiskSpace {
    std::uint64_t freeBytes = 0;  // what the user may still write there (quotas included)
    std::uint64_t totalBytes = 0; // 0 when the file system does not tell its size
};

// GetDiskFreeSpaceExW for `folder`; nothing when the system cannot tell, the reason in
// GetLastError.
using DiskSpaceSignature = std::optional<DiskSpace>(const std::wstring& folder);
extern Seam<DiskSpaceSignature> DiskSpaceApi;

} // namespace vexlor::platform
