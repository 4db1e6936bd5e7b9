#pragma once

#include <cstdint>

namespace vexlor::wipe {

// Paces the flushes of a long overwrite. The window only gets its messages between two calls
// into the system, so one flush must stay short even on a slow disk; yet every flush has a
// fixed cost, so the steps are made as large as that allows. The step follows the measured
// speed of the disk: it is the amount one flush writes in about TargetSeconds.
class FlushPacer {
public:
    // Small enough for an old memory stick. The first step, before anything is measured, is
    // the smallest: short even on a slow disk, and a fast one doubles out of it in a few
    // steps.
    static constexpr std::uint64_t MinimumBytes = std::uint64_t{64} << 10;
    static constexpr std::uint64_t MaximumBytes = std::uint64_t{1} << 30;
    static constexpr std::uint64_t InitialBytes = MinimumBytes;
    // Short enough that, with a write and the jitter of the disk, the window answers within
    // about 50 ms.
    static constexpr double TargetSeconds = 0.025;

    // The data to write before the next flush; no single write is larger either, so that
    // the window gets its messages as often on a slow disk.
    std::uint64_t BytesPerFlush() const { return bytesPerFlush_; }
    // A flush of `bytes` took `seconds`.
    void Record(std::uint64_t bytes, double seconds);

private:
    std::uint64_t bytesPerFlush_ = InitialBytes;
};

} // namespace vexlor::wipe
