#pragma once

#include <string>
#include <string_view>

namespace vexlor {

// Text known to be ASCII (the names of a file format, the messages of a library, the fields of
// a protocol) as UTF-16; a byte above 127 keeps its value, as in Latin-1.
inline std::wstring WidenAscii(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}

} // namespace vexlor
