#pragma once
// One step of a large file's zeros reaching the disk on a helper while the window thread
// writes the next step. The file is open for overlapped I/O: on a handle opened without it the
// system runs one call at a time, and the next write would wait for the flush.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <thread>

#include "base/handles.h"
#include "wipe/overwrite.h"

namespace vexlor::wipe {

class StepFlusher {
public:
    struct Flushed {
        std::uint64_t bytes;
        double seconds;
    };

    StepFlusher();
    StepFlusher(const StepFlusher&) = delete;
    StepFlusher& operator=(const StepFlusher&) = delete;
    // Waits for a flush still in flight: the file must stay open until it ends.
    ~StepFlusher();

    // Starts flushing `file`, which got `bytes` since its last step. Only after Await.
    void Start(HANDLE file, std::uint64_t bytes);
    // Waits for the flush in flight, answering the window meanwhile; nothing when none was.
    // A failed flush is "Stream write error", thrown here.
    std::optional<Flushed> Await(FileProgress& progress);
    // Waits for the flush in flight without answering, its failure dropped: for a file whose
    // writing failed, before it is closed.
    void Settle() noexcept;

private:
    void Serve();

    UniqueHandleNull go_;
    UniqueHandleNull done_;
    std::thread helper_; // started with the first step: most files have none
    bool inFlight_ = false;
    bool quit_ = false;
    HANDLE file_ = nullptr;
    Flushed flushed_{};
    std::exception_ptr failure_;
};

} // namespace vexlor::wipe
