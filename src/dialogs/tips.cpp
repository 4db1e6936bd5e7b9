// The parts of the tips that need no file system, built natively for fuzzing as well; the
// others are in tip_files.cpp.
#include "dialogs/tips.h"

#include <algorithm>
#include <array>

namespace vexlor::dialogs {
namespace {

constexpr std::size_t TextStart = 2; // after the flag and the separator
constexpr std::wstring_view Marker = PictureMarker;

bool IsDeviceName(std::wstring_view component) {
    // The system takes "con.txt" and "con  " for the device CON as well.
    std::wstring base(component.substr(0, component.find(L'.')));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), [](wchar_t c) {
        return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    });
    static constexpr std::array<std::wstring_view, 6> Fixed = {L"CON", L"PRN",    L"AUX",
                                                               L"NUL", L"CONIN$", L"CONOUT$"};
    if (std::find(Fixed.begin(), Fixed.end(), base) != Fixed.end())
        return true;
    if (base.size() != 4 || (base.compare(0, 3, L"COM") != 0 && base.compare(0, 3, L"LPT") != 0))
        return false;
    const wchar_t number = base[3];
    // COM¹, COM² and COM³ are devices too.
    return (number >= L'0' && number <= L'9') || number == L'\u00B9' || number == L'\u00B2' ||
           number == L'\u00B3';
}

// A file or folder name that means only itself. Not so: an empty one (from a doubled or a
// trailing separator), "." and "..", a device, and any name ending in a dot or a space, which
// the system cuts off ("x.png." is read as "x.png").
bool IsPlainComponent(std::wstring_view component) {
    return !component.empty() && component.back() != L'.' && component.back() != L' ' &&
           !IsDeviceName(component);
}

bool HasForbiddenCharacter(std::wstring_view name) {
    // ':' names a drive or a stream; '<', '>' and '"' are wildcards to FindFirstFile.
    return std::any_of(name.begin(), name.end(), [](wchar_t c) {
        return c < 0x20 || c == 0x7F ||
               std::wstring_view(L":*?<>\"|").find(c) != std::wstring_view::npos;
    });
}

} // namespace

Tip ParseTip(std::wstring_view line) {
    Tip tip;
    tip.hasPicture = !line.empty() && line.front() == L'1';
    // Looked for in all but the last character, so that a name follows a marker that counts.
    const std::size_t marker =
        line.empty() ? std::wstring_view::npos : line.substr(0, line.size() - 1).find(Marker);
    const std::size_t textEnd = std::min(marker, line.size());
    if (textEnd > TextStart)
        tip.text = line.substr(TextStart, textEnd - TextStart);
    if (tip.hasPicture && marker != std::wstring_view::npos)
        tip.pictureName = std::wstring(line.substr(marker + Marker.size()));
    return tip;
}

bool IsSafePictureName(std::wstring_view name) {
    if (name.empty() || HasForbiddenCharacter(name))
        return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = name.find_first_of(L"\\/", start);
        if (!IsPlainComponent(name.substr(start, end - start)))
            return false;
        if (end == std::wstring_view::npos)
            return true;
        start = end + 1;
    }
}

int DrawTip(int count, int last, std::mt19937& generator) {
    if (count <= 0)
        return -1;
    if (last < 0 || last >= count) {
        std::uniform_int_distribution<int> any(0, count - 1);
        return any(generator);
    }
    if (count == 1)
        return 0;
    // One of the others: draw among count - 1 and step over the last one.
    std::uniform_int_distribution<int> other(0, count - 2);
    const int drawn = other(generator);
    return drawn >= last ? drawn + 1 : drawn;
}

} // namespace vexlor::dialogs
