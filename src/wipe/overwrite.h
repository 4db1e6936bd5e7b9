#pragma once
// Destroying one file: overwrite it in place with zeros, then delete it.

#include <cstdint>
#include <string>

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

// Zeros are written in chunks of at most this size.
inline constexpr std::uint32_t WriteChunkBytes = 1u << 20;

// Opens the file for exclusive writing, overwrites it with zeros from its first byte to 2 or 3
// bytes past its end (whole 2-byte words, one more than cover the file), flushes and closes it,
// renames it within its folder to a random name of the same length, then deletes it, trying 51
// times with 100 ms between tries. Returns whether it was deleted; a file that stays gets its
// name back. A file that cannot be opened, written or flushed ends with an Error and is not
// deleted.
bool OverwriteAndDelete(const std::wstring& path, FileProgress& progress);

// The per-file bar holds signed 32-bit values: sizes of 2 GiB and more are shifted right by
// this many bits, positions with them, so the bar still shows the true fraction.
int BarShift(std::uint64_t size);
int BarValue(std::uint64_t bytes, int shift);

} // namespace vexlor::wipe
