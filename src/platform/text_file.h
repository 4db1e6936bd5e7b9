#pragma once
// Text files of the program's own (its tips, the update check's version file), read whole as
// lines in any of the encodings of base/text_lines.h.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/text_lines.h"

namespace vexlor::platform {

// UTF-8 (invalid sequences become U+FFFD, never an error) or the system's ANSI code page
// through MultiByteToWideChar; UTF-16 as base/text_lines.h reads it.
std::wstring WidenWithSystem(std::span<const std::uint8_t> body, TextEncoding encoding);

// The lines of the file at `path`, read as ReadWholeFile (platform/file_system.h) reads it.
std::vector<std::wstring> ReadTextLines(const std::wstring& path, std::uint64_t maxBytes);

// As ReadTextLines, but nothing when there is no file at `path`.
std::optional<std::vector<std::wstring>> ReadTextLinesIfPresent(const std::wstring& path,
                                                                std::uint64_t maxBytes);

} // namespace vexlor::platform
