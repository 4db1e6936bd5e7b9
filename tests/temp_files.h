#pragma once
// Real files for the wipe tests: a folder of the test's own, removed with everything in it.

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vexlor::testing {

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        path_ = std::wstring(base) + L"vexlor-test-" + std::to_wstring(::GetCurrentProcessId()) +
                L"-" + std::to_wstring(++counter);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { RemoveTree(path_); }

    const std::wstring& Path() const { return path_; }
    std::wstring PathOf(const std::wstring& name) const { return path_ + L"\\" + name; }

    // A file of `size` bytes, every one `fill`; returns its full path.
    std::wstring MakeFile(const std::wstring& name, std::size_t size, char fill = '\xA5') const {
        const std::wstring path = PathOf(name);
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        const std::vector<char> content(size, fill);
        DWORD written = 0;
        if (size > 0)
            ::WriteFile(file, content.data(), static_cast<DWORD>(size), &written, nullptr);
        ::CloseHandle(file);
        return path;
    }

    // A file holding exactly `content`; returns its full path.
    std::wstring MakeFileWith(const std::wstring& name, std::string_view content) const {
        const std::wstring path = PathOf(name);
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (!content.empty())
            ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                        nullptr);
        ::CloseHandle(file);
        return path;
    }

private:
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(path);
                } else {
                    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    ::DeleteFileW(path.c_str());
                }
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};

// The whole content of a file, read with full sharing; empty when it cannot be opened.
inline std::vector<char> ReadAll(const std::wstring& path) {
    std::vector<char> content;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    content.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!content.empty())
        ::ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    content.resize(read);
    ::CloseHandle(file);
    return content;
}

inline bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The system's text for an error code, asked of the system here rather than of the program.
inline std::wstring SystemText(DWORD code) {
    wchar_t buffer[1024] = {};
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, buffer, 1024, nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

} // namespace vexlor::testing
