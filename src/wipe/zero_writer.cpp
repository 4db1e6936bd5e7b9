#include "wipe/zero_writer.h"

#include <algorithm>
#include <chrono>
#include <cstddef>

#include "base/error.h"
#include "platform/file_space.h"
#include "platform/file_system.h"

namespace vexlor::wipe {
namespace {

constexpr wchar_t kWriteError[] = L"Stream write error";

// The window gets its messages at most this often during an overwrite: often enough that it
// answers at once, seldom enough that asking for them (a round trip to the system each time)
// costs nothing next to the disk.
constexpr auto kMessageInterval = std::chrono::milliseconds(10);

// The slack is retried in sectors where the volume had no room for a whole chunk of it.
constexpr DWORD kSectorBytes = 512;

// The one source of every zero written; it is never written to itself.
alignas(4096) std::byte zeros[WriteChunkBytes];

bool TryWriteZeros(HANDLE file, std::uint64_t offset, DWORD bytes) {
    DWORD written = 0;
    return platform::WriteFileApi(file, offset, zeros, bytes, written) && written == bytes;
}

} // namespace

double FlushToDisk(HANDLE file) {
    const platform::SteadyTime start = platform::SteadyNowApi();
    if (!platform::FlushFileBuffersApi(file))
        throw Error(kWriteError);
    return std::chrono::duration<double>(platform::SteadyNowApi() - start).count();
}

ZeroWriter::ZeroWriter(FileProgress& progress, std::uint64_t totalBytes)
    : progress_(progress), shift_(BarShift(totalBytes)),
      messagesProcessed_(platform::SteadyNowApi()) {
    progress_.ResetFileBar(BarValue(totalBytes, shift_));
}

// A write that fails leaves the file to be closed: the step in flight ends first.
class ZeroWriter::SettleOnFailure {
public:
    explicit SettleOnFailure(StepFlusher& flusher) : flusher_(flusher) {}
    SettleOnFailure(const SettleOnFailure&) = delete;
    SettleOnFailure& operator=(const SettleOnFailure&) = delete;
    ~SettleOnFailure() { flusher_.Settle(); }

private:
    StepFlusher& flusher_;
};

bool ZeroWriter::Overwrite(HANDLE file, const OverwritePlan& plan) {
    const SettleOnFailure settle(flusher_);
    for (const platform::ByteRange& range : plan.data)
        WriteData(file, range);
    const bool slackWritten = WriteSlack(file, plan.slack);
    AwaitFlush(); // the file is the caller's again, for its last flush
    return slackWritten;
}

void ZeroWriter::WriteData(HANDLE file, const platform::ByteRange& range) {
    std::uint64_t written = 0;
    while (written < range.length) {
        const auto chunk = static_cast<DWORD>(std::min<std::uint64_t>(
            {WriteChunkBytes, range.length - written, pacer_.BytesPerFlush() - unflushed_}));
        if (!TryWriteZeros(file, range.offset + written, chunk))
            throw Error(kWriteError);
        written += chunk;
        done_ += chunk;
        unflushed_ += chunk;
        progress_.SetFileBarPosition(BarValue(done_, shift_));
        if (written == range.length)
            break; // the range is done; what follows answers the window in its turn
        if (unflushed_ == pacer_.BytesPerFlush()) {
            FlushStep(file);
        }
        AnswerIfDue();
    }
}

// Steps of a megabyte while the volume takes them, fewer bytes where writing them takes the
// disk longer than a flush step should (a slow stick); where the volume has no room for one,
// smaller steps fill its last clusters, down to a sector, each up to its own boundary so that a
// short write leaves the next one whole. A file that holds nothing yet gets nothing below
// 4 KiB: NTFS would keep so little inside the file's record, and a full volume makes it take
// further records for what then no longer fits there, which it cannot give back cleanly.
std::uint64_t ZeroWriter::Fill(HANDLE file, std::uint64_t most, const FillEnds& ends) {
    constexpr DWORD kFirstStepFloor = 4096;
    const SettleOnFailure settle(flusher_);
    std::uint64_t written = 0;
    DWORD step = FillStepBytes;
    while (written < most && !ends.stopped()) {
        const auto bytes = static_cast<DWORD>(std::min<std::uint64_t>(
            {step - written % step, most - written, pacer_.BytesPerFlush() - unflushed_,
             writePace_.BytesPerFlush()}));
        DWORD stored = 0;
        const platform::SteadyTime start = platform::SteadyNowApi();
        const bool accepted = platform::WriteFileApi(file, written, zeros, bytes, stored);
        if (!accepted && !ends.noRoom(::GetLastError()))
            throw Error(kWriteError);
        written += stored;
        Count(stored);
        if (!accepted || stored < bytes) { // a short write is the volume running out of room too
            const DWORD floor = written == 0 ? kFirstStepFloor : kSectorBytes;
            if (step <= floor)
                break;
            step = std::max<DWORD>(step / 16, floor);
            AnswerIfDue();
            continue;
        }
        writePace_.Record(bytes,
                          std::chrono::duration<double>(platform::SteadyNowApi() - start).count());
        AnswerIfDue(); // between the write and the flush too: each may take a step's time
        if (unflushed_ >= pacer_.BytesPerFlush()) {
            FlushStep(file);
            AnswerIfDue();
        }
    }
    if (unflushed_ > 0)
        FlushStep(file);
    AwaitFlush();
    return written;
}

void ZeroWriter::Count(DWORD bytes) {
    done_ += bytes;
    unflushed_ += bytes;
    progress_.SetFileBarPosition(BarValue(done_, shift_));
}

// The slack is at most a cluster or two: written in one go where the volume takes it, else
// sector by sector as far as it has room. No room there means that the space past the end was
// not all the file's after all (some file systems report more than they hold).
bool ZeroWriter::WriteSlack(HANDLE file, const platform::ByteRange& slack) {
    std::uint64_t written = 0;
    DWORD step = WriteChunkBytes;
    while (written < slack.length) {
        const std::uint64_t at = slack.offset + written;
        const std::uint64_t toBoundary = step - at % step; // sectors whole, from the first
        const auto bytes = static_cast<DWORD>(std::min(toBoundary, slack.length - written));
        if (TryWriteZeros(file, at, bytes)) {
            written += bytes;
            continue;
        }
        if (!platform::IsNoRoomError(::GetLastError()))
            return false;
        if (step == kSectorBytes)
            return true;
        step = kSectorBytes;
    }
    return true;
}

// A step goes to the disk on a helper while the next one is written, as the kernel writes a
// cache's pages back while a program fills it; the one before it has reached the disk by then,
// so that the cache never holds more than two steps. The pacer keeps each step short.
void ZeroWriter::FlushStep(HANDLE file) {
    AwaitFlush();
    flusher_.Start(file, unflushed_);
    unflushed_ = 0;
}

void ZeroWriter::AwaitFlush() {
    if (const auto flushed = flusher_.Await(progress_))
        pacer_.Record(flushed->bytes, flushed->seconds);
}

void ZeroWriter::AnswerIfDue() {
    const platform::SteadyTime now = platform::SteadyNowApi();
    if (now - messagesProcessed_ >= kMessageInterval) {
        progress_.ProcessMessages();
        messagesProcessed_ = now;
    }
}

} // namespace vexlor::wipe
