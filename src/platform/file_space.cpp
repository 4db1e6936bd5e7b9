#include "platform/file_space.h"

#include <winioctl.h>

#include <array>

#include "base/handles.h"
#include "platform/file_system.h"

namespace vexlor::platform {
namespace {

bool QueryFileSpace(HANDLE file, FileSpace& space) {
    FILE_STANDARD_INFO info{};
    if (!::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof(info)))
        return false;
    space = {static_cast<std::uint64_t>(info.EndOfFile.QuadPart),
             static_cast<std::uint64_t>(info.AllocationSize.QuadPart)};
    return true;
}

using RangeAnswer = std::array<FILE_ALLOCATED_RANGE_BUFFER, 64>;

// Through an OVERLAPPED, waited for: the file may be open for overlapped I/O, and then the
// system needs one to answer. False with ERROR_MORE_DATA when the answer had no room for all.
bool AskAllocatedRanges(HANDLE file, FILE_ALLOCATED_RANGE_BUFFER& asked, RangeAnswer& answer,
                        DWORD& bytes) {
    const UniqueHandleNull event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event)
        return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.Get();
    if (!::DeviceIoControl(file, FSCTL_QUERY_ALLOCATED_RANGES, &asked, sizeof(asked), answer.data(),
                           sizeof(answer), nullptr, &overlapped)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA)
            return false;
    }
    // Gives the bytes of a partial answer too, failing again with ERROR_MORE_DATA.
    return ::GetOverlappedResult(file, &overlapped, &bytes, TRUE) != FALSE;
}

// Asks in batches: a file may hold more ranges than one answer takes, and then the next
// question starts where the last range ended.
bool QueryAllocatedRanges(HANDLE file, std::uint64_t size, std::vector<ByteRange>& ranges) {
    ranges.clear();
    std::uint64_t from = 0;
    while (from < size) {
        FILE_ALLOCATED_RANGE_BUFFER asked{};
        asked.FileOffset.QuadPart = static_cast<LONGLONG>(from);
        asked.Length.QuadPart = static_cast<LONGLONG>(size - from);
        RangeAnswer answer{};
        DWORD bytes = 0;
        const bool complete = AskAllocatedRanges(file, asked, answer, bytes);
        if (!complete && ::GetLastError() != ERROR_MORE_DATA)
            return false;
        const std::size_t count = bytes / sizeof(FILE_ALLOCATED_RANGE_BUFFER);
        for (std::size_t i = 0; i < count; ++i)
            ranges.push_back({static_cast<std::uint64_t>(answer[i].FileOffset.QuadPart),
                              static_cast<std::uint64_t>(answer[i].Length.QuadPart)});
        if (complete || count == 0)
            return complete;
        from = ranges.back().offset + ranges.back().length;
    }
    return true;
}

std::uint64_t AllocationUnit(const std::wstring& folder) {
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    if (!::GetDiskFreeSpaceW(ExtendedLengthPath(folder).c_str(), &sectorsPerCluster,
                             &bytesPerSector, &freeClusters, &clusters))
        return 0;
    return std::uint64_t{sectorsPerCluster} * bytesPerSector;
}

} // namespace

Seam<QueryFileSpaceSignature> QueryFileSpaceApi{&QueryFileSpace};
Seam<QueryAllocatedRangesSignature> QueryAllocatedRangesApi{&QueryAllocatedRanges};
Seam<AllocationUnitSignature> AllocationUnitApi{&AllocationUnit};

bool IsNoRoomError(DWORD error) {
    constexpr DWORD kQuotaExceeded = 1295; // ERROR_DISK_QUOTA_EXCEEDED, missing from older headers
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL || error == kQuotaExceeded ||
           error == ERROR_FILE_TOO_LARGE;
}

} // namespace vexlor::platform
