#include "update/download.h"

#include <windows.h>

#include <algorithm>

#include "base/error.h"
#include "base/handles.h"
#include "settings/data_folder.h"
#include "update/http_client.h"

namespace vexlor::update {
namespace {

// Writes the body straight into the open file.
class FileSink : public BodySink {
public:
    FileSink(HANDLE file, const std::wstring& path) : file_(file), path_(path) {}

    void Write(const char* data, std::size_t size) override {
        while (size > 0) {
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
            DWORD written = 0;
            if (!::WriteFile(file_, data, chunk, &written, nullptr) || written == 0)
                ThrowLastError(L"Cannot write file \"" + path_ + L"\".");
            data += written;
            size -= written;
        }
    }

    void Discard() override {
        const LARGE_INTEGER start{};
        if (!::SetFilePointerEx(file_, start, nullptr, FILE_BEGIN) || !::SetEndOfFile(file_))
            ThrowLastError(L"Cannot empty file \"" + path_ + L"\".");
    }

private:
    HANDLE file_;
    const std::wstring& path_;
};

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

} // namespace

void DownloadFile(const std::wstring& url, const std::wstring& filePath, const HttpLimits& limits) {
    const std::wstring folder = FolderOf(filePath);
    if (!folder.empty())
        settings::CreateFolderPath(folder); // a folder that cannot be made fails the creation below
    // Share mode 0: no one reads a half-written file or writes into it meanwhile.
    const UniqueFile file(::CreateFileW(filePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        ThrowLastError(L"Cannot create file \"" + filePath + L"\".");
    FileSink sink(file.Get(), filePath);
    HttpGet(url, sink, limits);
}

} // namespace vexlor::update
