#pragma once
// Writing the zeros of one file: its streams in turn, in steps that each reach the disk while
// the next is written, with one per-file bar over all of them and the window answered between
// them. The files are open for overlapped I/O (wipe/step_flusher.h).

#include <windows.h>

#include <cstdint>
#include <functional>

#include "platform/clock.h"
#include "wipe/flush_pacer.h"
#include "wipe/overwrite.h"
#include "wipe/overwrite_plan.h"
#include "wipe/step_flusher.h"

namespace vexlor::wipe {

// Writes what the file system holds of `file` to the disk; a failure is "Stream write error",
// since data that never reaches the disk is not overwritten. Returns the seconds it took.
double FlushToDisk(HANDLE file);

// The largest step of a fill: where the volume has no room for one, each smaller step is a
// sixteenth of the one before, and on a slow driver every refused write takes a while.
inline constexpr DWORD FillStepBytes = 1u << 20;
static_assert(FillStepBytes <= WriteChunkBytes, "a fill's steps are written from the same zeros");

class ZeroWriter {
public:
    // The bar goes over `totalBytes`, the data of every stream.
    ZeroWriter(FileProgress& progress, std::uint64_t totalBytes);
    ZeroWriter(const ZeroWriter&) = delete;
    ZeroWriter& operator=(const ZeroWriter&) = delete;

    // Writes zeros over the plan's data, then over its slack as far as the volume has room
    // there; the last flush is the caller's. A failed write of the data is "Stream write
    // error". Returns false when some slack stayed unwritten for another reason than room.
    bool Overwrite(HANDLE file, const OverwritePlan& plan);

    // When an appending fill ends: a failure that means the volume is full, and the user's stop
    // (asked after each time the window was answered).
    struct FillEnds {
        std::function<bool(DWORD error)> noRoom;
        std::function<bool()> stopped;
    };
    // Writes zeros into `file`, which holds nothing yet, until it holds `most` bytes, the
    // volume has no room for another sector, or the user stops; another failed write is
    // "Stream write error". Returns the bytes written, every one of them flushed.
    std::uint64_t Fill(HANDLE file, std::uint64_t most, const FillEnds& ends);

private:
    class SettleOnFailure;
    void Count(DWORD bytes);
    void WriteData(HANDLE file, const platform::ByteRange& range);
    bool WriteSlack(HANDLE file, const platform::ByteRange& slack);
    void FlushStep(HANDLE file);
    void AwaitFlush();
    void AnswerIfDue();

    FileProgress& progress_;
    const int shift_;
    FlushPacer pacer_;
    StepFlusher flusher_;
    FlushPacer writePace_;   // of the writes of a fill, which a slow disk may take long over
    std::uint64_t done_ = 0; // data bytes written, of every stream so far
    std::uint64_t unflushed_ = 0;
    platform::SteadyTime messagesProcessed_;
};

} // namespace vexlor::wipe
