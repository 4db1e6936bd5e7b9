#pragma once
// What the tips dialog shows: one tip a line of a text file beside the program, some with a
// picture from a folder beside it, drawn at random and never the same one twice in a row.
//
// A line of the tips file: a picture flag ("1" for a tip with a picture), one separator
// character, the text, and for a tip with a picture "<IMAGE>" and the picture's file name:
//     1 Select several files at once with Ctrl.<IMAGE>multi-select.png

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vexlor::dialogs {

inline constexpr wchar_t TipsFileName[] = L"Answers.dat";
// Spelled so in every installed copy of the program: keep it.
inline constexpr wchar_t TipPicturesFolder[] = L"Resourse\\Help\\";
inline constexpr std::uint64_t MaxTipsFileBytes = 1 << 20;
inline constexpr wchar_t PictureMarker[] = L"<IMAGE>";

struct Tip {
    std::wstring text;
    // Flag "1". Without a picture name the dialog keeps showing the picture it has.
    bool hasPicture = false;
    std::optional<std::wstring> pictureName;
};

// One line of the tips file. The marker counts only where a name follows it; a picture name
// needs both the flag and the marker. The text is kept exactly as written.
Tip ParseTip(std::wstring_view line);

// Whether `name` stays inside the pictures folder: a relative path of plain file and folder
// names, with no "..", drive, stream, device name, wildcard or control character.
bool IsSafePictureName(std::wstring_view name);

// programFolder (ending in a backslash) + TipPicturesFolder + pictureName; nothing for a name
// that would leave that folder.
std::optional<std::wstring> TipPicturePath(const std::wstring& programFolder,
                                           const std::wstring& pictureName);

// The index of the next tip of `count`, uniformly at random; never `last` when another can
// come out. -1 when there are none.
int DrawTip(int count, int last, std::mt19937& generator);

// The lines of programFolder + TipsFileName; none when there is no such file. Any other
// failure, a file over MaxTipsFileBytes among them, throws an Error naming the file.
std::vector<std::wstring> LoadTips(const std::wstring& programFolder);

} // namespace vexlor::dialogs
