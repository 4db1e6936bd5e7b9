#pragma once
// What of one stream the zeros must reach: every byte that may still hold its data, and past
// its end the rest of the space allocated to it (the tail of its last cluster keeps what was
// there before, such as the end of a longer former version), but never beyond that space, so
// that no write needs room the volume may not have.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/file_space.h"

namespace vexlor::wipe {

struct OverwritePlan {
    // The stream's own bytes that may hold data: all of them, or a sparse stream's allocated
    // ranges. Each must be written.
    std::vector<platform::ByteRange> data;
    // From the end of the stream to the end of its allocation.
    platform::ByteRange slack;

    std::uint64_t DataBytes() const;
};

// The plan for the open stream of `size` bytes; `sparse` when the system keeps it sparse,
// `unit` the volume's unit of allocation (0 when unknown). What cannot be asked is written in
// full, without slack.
OverwritePlan PlanOverwrite(HANDLE stream, std::uint64_t size, bool sparse, std::uint64_t unit);

} // namespace vexlor::wipe
