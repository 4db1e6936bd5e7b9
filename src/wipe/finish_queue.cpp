#include "wipe/finish_queue.h"

#include "base/error.h"
#include "wipe/answering_wait.h"

namespace vexlor::wipe {

FinishQueue::FinishQueue(FileProgress& progress, RunReport& report, std::size_t inFlight)
    : progress_(progress), report_(report), inFlight_(inFlight < 1 ? 1 : inFlight),
      finished_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (!finished_)
        ThrowLastError(L"Cannot create an event.");
}

FinishQueue::~FinishQueue() {
    try {
        WaitAnswering([this] { return unfinished_ == 0; });
    } catch (...) {
        // Leaving after an error: what was in flight still finishes below, only unanswered.
    }
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workWaiting_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

void FinishQueue::HandOver(const std::wstring& path, Work work) {
    report_.Place(path);
    WaitAnswering([this] { return unfinished_ < inFlight_; });
    {
        const std::lock_guard lock(mutex_);
        waiting_.push_back({path, std::move(work)});
        ++unfinished_;
        // A helper for every place, started when first needed: a run of one file starts one.
        if (helpers_.size() < unfinished_ && helpers_.size() < inFlight_)
            helpers_.emplace_back([this] { Serve(); });
    }
    workWaiting_.notify_one();
}

bool FinishQueue::Busy() const {
    const std::lock_guard lock(mutex_);
    return unfinished_ > 0;
}

void FinishQueue::WaitForAll() {
    WaitAnswering([this] { return unfinished_ == 0; });
    ThrowIfFailed();
}

void FinishQueue::ThrowIfFailed() {
    {
        const std::lock_guard lock(mutex_);
        if (!failure_)
            return;
    }
    WaitAnswering([this] { return unfinished_ == 0; });
    const std::lock_guard lock(mutex_);
    std::rethrow_exception(std::exchange(failure_, nullptr));
}

void FinishQueue::Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        workWaiting_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty())
            return;
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        std::exception_ptr failure;
        try {
            job.work(report_);
        } catch (...) {
            failure = std::current_exception();
            report_.Note(job.path, Reason::NotWritten);
        }
        job.work = nullptr; // whatever the work holds (its file) is let go before it counts as done
        lock.lock();
        if (failure && !failure_)
            failure_ = failure;
        --unfinished_;
        ::SetEvent(finished_.Get());
    }
}

void FinishQueue::WaitAnswering(const std::function<bool()>& done) {
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (done())
                return;
        }
        AwaitEventAnswering(finished_.Get(), progress_);
    }
}

} // namespace vexlor::wipe
