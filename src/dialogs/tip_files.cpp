// The parts of the tips that read the file system.
#include "dialogs/tips.h"

#include "platform/file_system.h"
#include "platform/text_file.h"

namespace vexlor::dialogs {

std::optional<std::wstring> TipPicturePath(const std::wstring& programFolder,
                                           const std::wstring& pictureName) {
    if (!IsSafePictureName(pictureName))
        return std::nullopt;
    const std::wstring folder = programFolder + TipPicturesFolder;
    const std::wstring path = folder + pictureName;
    // Should the name check miss a way out, the system's own reading of the path still has to
    // lie below the folder.
    std::wstring fullFolder = platform::FullPath(folder);
    if (fullFolder.empty() || fullFolder.back() != L'\\')
        fullFolder += L'\\'; // so that "Help2" does not pass for "Help"
    const std::wstring fullPath = platform::FullPath(path);
    if (fullPath.size() <= fullFolder.size() ||
        fullPath.compare(0, fullFolder.size(), fullFolder) != 0)
        return std::nullopt;
    return path;
}

std::vector<std::wstring> LoadTips(const std::wstring& programFolder) {
    return platform::ReadTextLinesIfPresent(programFolder + TipsFileName, MaxTipsFileBytes)
        .value_or(std::vector<std::wstring>{});
}

} // namespace vexlor::dialogs
