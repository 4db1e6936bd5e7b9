#include "wipe/flush_pacer.h"

#include <algorithm>

namespace vexlor::wipe {

void FlushPacer::Record(std::uint64_t bytes, double seconds) {
    // A flush too quick to time says only that the disk keeps up: grow, but no faster than
    // doubling, so that one surprise cannot make the next flush long.
    const double measured = std::max(seconds, 1e-4);
    const double fitting = static_cast<double>(bytes) * (TargetSeconds / measured);
    const double grown = std::min(fitting, 2.0 * static_cast<double>(bytesPerFlush_));
    const double bounded =
        std::clamp(grown, static_cast<double>(MinimumBytes), static_cast<double>(MaximumBytes));
    bytesPerFlush_ = static_cast<std::uint64_t>(bounded);
}

} // namespace vexlor::wipe
