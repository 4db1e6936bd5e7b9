#include "platform/web_pages.h"

#include "platform/shell.h"

namespace vexlor::platform {
namespace {

// ShellExecuteW reports failure with a value of 32 or less.
bool ShellFailed(std::intptr_t result) {
    return result <= 32;
}

} // namespace

void OpenWebPage(const std::wstring& url) {
    const auto result =
        ShellExecuteApi(ShellRequest{.operation = L"open", .file = url, .show = SW_SHOWNORMAL});
    if (ShellFailed(result))
        ShellExecuteApi(ShellRequest{
            .operation = L"open", .file = L"iexplore", .parameters = url, .show = SW_SHOWNORMAL});
}

void OpenWebPageQuoted(const std::wstring& url) {
    ShellExecuteApi(
        ShellRequest{.operation = L"open", .file = L"\"" + url + L"\"", .show = SW_SHOWNORMAL});
}

} // namespace vexlor::platform
