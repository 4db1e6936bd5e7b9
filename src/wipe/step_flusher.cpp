#include "wipe/step_flusher.h"

#include <utility>

#include "base/error.h"
#include "wipe/answering_wait.h"
#include "wipe/zero_writer.h"

namespace vexlor::wipe {
namespace {

UniqueHandleNull NewEvent() {
    UniqueHandleNull event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event)
        ThrowLastError(L"Cannot create an event.");
    return event;
}

} // namespace

StepFlusher::StepFlusher() : go_(NewEvent()), done_(NewEvent()) {}

StepFlusher::~StepFlusher() {
    Settle();
    if (helper_.joinable()) {
        quit_ = true;
        ::SetEvent(go_.Get());
        helper_.join();
    }
}

// The events order the fields between the threads: each side reads them only after the other
// side's SetEvent.
void StepFlusher::Start(HANDLE file, std::uint64_t bytes) {
    if (!helper_.joinable())
        helper_ = std::thread([this] { Serve(); });
    file_ = file;
    flushed_ = {bytes, 0.0};
    inFlight_ = true;
    ::SetEvent(go_.Get());
}

std::optional<StepFlusher::Flushed> StepFlusher::Await(FileProgress& progress) {
    if (!inFlight_)
        return std::nullopt;
    while (!AwaitEventAnswering(done_.Get(), progress)) {
    }
    inFlight_ = false;
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return flushed_;
}

void StepFlusher::Settle() noexcept {
    if (!inFlight_)
        return;
    ::WaitForSingleObject(done_.Get(), INFINITE);
    inFlight_ = false;
    failure_ = nullptr;
}

void StepFlusher::Serve() {
    for (;;) {
        ::WaitForSingleObject(go_.Get(), INFINITE);
        if (quit_)
            return;
        try {
            flushed_.seconds = FlushToDisk(file_);
        } catch (...) {
            failure_ = std::current_exception();
        }
        ::SetEvent(done_.Get());
    }
}

} // namespace vexlor::wipe
