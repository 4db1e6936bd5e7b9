#include "wipe/overwrite_plan.h"

#include <algorithm>

namespace vexlor::wipe {
namespace {

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t unit) {
    return (value + unit - 1) / unit * unit;
}

// The ranges the system named, kept within the stream.
std::vector<platform::ByteRange> WithinSize(const std::vector<platform::ByteRange>& ranges,
                                            std::uint64_t size) {
    std::vector<platform::ByteRange> within;
    for (const platform::ByteRange& range : ranges) {
        if (range.offset >= size || range.length == 0)
            continue;
        within.push_back({range.offset, std::min(range.length, size - range.offset)});
    }
    return within;
}

// The end of the space allocated past the end. Some file systems report more than the clusters
// the stream holds (a block too many for a size of whole blocks): no slack goes beyond the
// cluster the end lies in.
std::uint64_t AllocationEnd(std::uint64_t size, std::uint64_t allocation, std::uint64_t unit) {
    if (allocation <= size)
        return size;
    return unit == 0 ? allocation : std::max(size, std::min(allocation, RoundUp(size, unit)));
}

} // namespace

std::uint64_t OverwritePlan::DataBytes() const {
    std::uint64_t bytes = 0;
    for (const platform::ByteRange& range : data)
        bytes += range.length;
    return bytes;
}

OverwritePlan PlanOverwrite(HANDLE stream, std::uint64_t size, bool sparse, std::uint64_t unit) {
    OverwritePlan plan;
    std::vector<platform::ByteRange> allocated;
    if (sparse && platform::QueryAllocatedRangesApi(stream, size, allocated)) {
        plan.data = WithinSize(allocated, size);
        return plan;
    }
    if (size > 0)
        plan.data.push_back({0, size});
    platform::FileSpace space;
    if (!sparse && platform::QueryFileSpaceApi(stream, space))
        plan.slack = {size, AllocationEnd(size, space.allocation, unit) - size};
    return plan;
}

} // namespace vexlor::wipe
