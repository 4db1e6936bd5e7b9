#pragma once
// The last steps of destroying files, on helper threads: the final flush of each overwritten
// file, then its rename and its delete. While one file's flush waits for the disk, the window
// thread overwrites the next, and several flushes in flight let the file system commit them
// together; each file's rename and delete still follow its own flush, in the same helper, so
// its data is on the disk before its name goes.

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "base/handles.h"
#include "wipe/name_covers.h"
#include "wipe/overwrite.h"
#include "wipe/run_report.h"

namespace vexlor::wipe {

class FinishQueue {
public:
    // The rest of one file's destruction; it notes in the report why the file may stay. A
    // failed flush throws: the file stays, and is noted as not written.
    using Work = std::function<void(RunReport& report)>;

    // So many files at most wait for their flush at once: enough for the file system to
    // commit them together, few enough that an error ends the run close to its file.
    static constexpr std::size_t DefaultInFlight = 8;

    // `progress` answers the window while the queue is waited for; `report` learns every
    // file's outcome, also of the files finished after an error.
    FinishQueue(FileProgress& progress, RunReport& report, std::size_t inFlight = DefaultInFlight);
    FinishQueue(const FinishQueue&) = delete;
    FinishQueue& operator=(const FinishQueue&) = delete;
    // Waits for what is still in flight, answering the window meanwhile.
    ~FinishQueue();

    // Gives `work` on the file at `path` to a helper; with every place taken, first waits for
    // one to come free.
    void HandOver(const std::wstring& path, Work work);
    RunReport& Report() { return report_; }
    // Whether some file handed over is not finished yet.
    bool Busy() const;
    // Waits until every file handed over is finished, answering the window meanwhile; then
    // throws the first error a helper met.
    void WaitForAll();
    // The names of the files finished, covered in their folders until the queue ends.
    NameCovers& Covers() { return covers_; }
    // Throws the first error a helper met, once every file in flight is finished: the run
    // ends there, with the files already given on finished rather than left half done.
    void ThrowIfFailed();

private:
    void Serve();
    // Waits until `done` holds, answering the window while it waits.
    void WaitAnswering(const std::function<bool()>& done);

    struct Job {
        std::wstring path;
        Work work;
    };

    FileProgress& progress_;
    RunReport& report_;
    const std::size_t inFlight_;
    NameCovers covers_; // let go after the helpers have ended
    // Set by a helper each time a file is finished: the window thread waits for it or for a
    // message, whichever comes first.
    UniqueHandleNull finished_;
    mutable std::mutex mutex_;
    std::condition_variable workWaiting_;
    std::deque<Job> waiting_;
    std::size_t unfinished_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> helpers_;
};

} // namespace vexlor::wipe
