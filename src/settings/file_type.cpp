#include "settings/file_type.h"

#include <windows.h>

#include <vector>

#include "base/error.h"
#include "settings/registry.h"

namespace vexlor::settings {
namespace {

constexpr wchar_t kExtensionKey[] = L"SOFTWARE\\CLASSES\\.DRVK";
constexpr wchar_t kProjectTypeText[] = L"Drovik Project";
constexpr wchar_t kIconFileName[] = L"drovikproject.ico";
// Longest path the system hands out, in UTF-16 units.
constexpr DWORD kLongestPath = 32768;

// The path is quoted: unquoted, a path with blanks ("C:\Program Files\...") makes the shell
// start whatever program the path's first word names.
std::wstring OpenCommand(const std::wstring& executable) {
    return L"\"" + executable + L"\" \"%1\"";
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

void WriteDefaultValue(Registry& registry, const std::wstring& keyPath, const std::wstring& text) {
    // A key that does not open is not tested here: the write then fails and says why.
    registry.OpenKey(keyPath, true);
    registry.WriteString(L"", text);
    registry.CloseKey();
}

} // namespace

std::wstring ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0)
            ThrowLastError(L"Cannot find the program's own file.");
        // A full buffer means the path was cut short.
        if (length < size || size >= kLongestPath)
            return std::wstring(buffer.data(), length);
        buffer.resize(size * 2);
    }
}

void RegisterProjectFileType() {
    const std::wstring executable = ExecutablePath();
    const std::wstring extensionKey = kExtensionKey;
    Registry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    WriteDefaultValue(registry, extensionKey, kProjectTypeText);
    WriteDefaultValue(registry, extensionKey + L"\\shell\\open\\command", OpenCommand(executable));
    WriteDefaultValue(registry, extensionKey + L"\\DefaultIcon",
                      FolderOf(executable) + kIconFileName);
}

} // namespace vexlor::settings
