#include "platform/disk_space.h"

#include <windows.h>

#include "platform/file_system.h"

namespace vexlor::platform {
namespace {

std::optional<DiskSpace> QueryDiskSpace(const std::wstring& folder) {
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    // A share's folder must end in a separator; any other folder may.
    std::wstring path = ExtendedLengthPath(folder);
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    if (!::GetDiskFreeSpaceExW(path.c_str(), &available, &total, nullptr))
        return std::nullopt;
    return DiskSpace{available.QuadPart, total.QuadPart};
}

} // namespace

Seam<DiskSpaceSignature> DiskSpaceApi{&QueryDiskSpace};

} // namespace vexlor::platform
