#pragma once
// Where a file's data lies on its volume: the space allocated to it, the ranges of a sparse
// file that hold data, and the volume's unit of allocation. The overwrite reaches exactly the
// space that may hold the file's former data, and no further; tests play file systems this one
// is not through these seams.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/seam.h"

namespace vexlor::platform {

// The length of an open file or stream and the space allocated to it (FileStandardInfo).
struct FileSpace {
    std::uint64_t size = 0;
    std::uint64_t allocation = 0;
};
// False when the system cannot tell, with the reason in GetLastError.
using QueryFileSpaceSignature = bool(HANDLE file, FileSpace& space);
extern Seam<QueryFileSpaceSignature> QueryFileSpaceApi;

struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};
// The ranges of the first `size` bytes of an open sparse file that hold data
// (FSCTL_QUERY_ALLOCATED_RANGES); false when the system cannot tell.
using QueryAllocatedRangesSignature = bool(HANDLE file, std::uint64_t size,
                                           std::vector<ByteRange>& ranges);
extern Seam<QueryAllocatedRangesSignature> QueryAllocatedRangesApi;

// The volume's unit of allocation (its cluster) for files in `folder`, a path ending in a
// separator; 0 when the system cannot tell.
using AllocationUnitSignature = std::uint64_t(const std::wstring& folder);
extern Seam<AllocationUnitSignature> AllocationUnitApi;

// Whether a write or a rename failed for lack of room: on the volume, in the user's quota, or
// within the file system's limit of a file's size.
bool IsNoRoomError(DWORD error);

} // namespace vexlor::platform
