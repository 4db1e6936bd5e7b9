#pragma once
// Destroying one file: overwrite it in place with zeros, then delete it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexlor::wipe {

// What the overwrite needs of the window: the per-file bar and a way to stay responsive.
class FileProgress {
public:
    // Position 0, then the new maximum.
    virtual void ResetFileBar(int maximum) = 0;
    virtual void SetFileBarPosition(int position) = 0;
    // Dispatches the window messages that are waiting.
    virtual void ProcessMessages() = 0;

protected:
    ~FileProgress() = default;
};

// A file's zeros are written in chunks of at most this size, and never more than a flush step
// (wipe/flush_pacer.h), which a slow disk keeps small. Every write is a call into the system
// (under Wine a round trip to its server besides, to post the write's completion): a large
// file in chunks of a megabyte took its window thread a third longer; larger chunks than these
// gain nothing more.
inline constexpr std::uint32_t WriteChunkBytes = 4u << 20;

class FinishQueue;

// Opens the file for exclusive writing, overwrites it and each of its named streams with zeros
// from the first byte to the end of the space allocated to it (a sparse stream only where it
// holds data), flushes them, renames it within its folder to a random name of the same length,
// deletes it through its handle and covers the name it had (wipe/name_covers.h); where the
// system refuses the delete through the handle, it is closed
// and deleted by its name, trying 51 times with 100 ms between tries, and a file that stays
// gets its name back. A file that cannot be opened, written or flushed, or one of its streams
// that cannot be opened, ends with an Error and the file is not deleted.
// Returns true only when the file was destroyed beyond recovery as far as the system tells:
// false when it stayed, when it is a link (which is left as it is, and what it names too),
// when the file system may have written the zeros beside the old data (compressed, encrypted,
// copy-on-write or deduplicated files, streams that could not be listed, space past the end
// that the system refused for another reason than room), and when its data is not on this
// computer (it is then deleted without being fetched or overwritten).
bool OverwriteAndDelete(const std::wstring& path, FileProgress& progress);

// The same, with the file's last flush, rename and delete left to `finishing`, which learns
// the result and any error there; an error before that (the open, a write) is thrown here.
// A file that `finishing` still holds open is waited for: listed again, it is gone then.
void OverwriteAndHandOver(const std::wstring& path, FileProgress& progress, FinishQueue& finishing);

// A random file name of `length` letters and digits that is never a device's name.
std::wstring RandomFileName(std::size_t length);
// Whether the system reads `name` as a device (CON, PRN, AUX, NUL, COM0-9, LPT0-9 in any case,
// with any extension).
bool IsDeviceName(std::wstring_view name);

// The per-file bar holds signed 32-bit values: sizes of 2 GiB and more are shifted right by
// this many bits, positions with them, so the bar still shows the true fraction.
int BarShift(std::uint64_t size);
int BarValue(std::uint64_t bytes, int shift);

} // namespace vexlor::wipe
