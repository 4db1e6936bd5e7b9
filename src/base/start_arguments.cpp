#include "base/start_arguments.h"

#include <shellapi.h>

namespace vexlor {
namespace {

constexpr wchar_t kProjectExtension[] = L".drvk";

bool EqualsIgnoringCase(const std::wstring& text, const wchar_t* other) {
    return ::CompareStringOrdinal(text.c_str(), -1, other, -1, TRUE) == CSTR_EQUAL;
}

bool IsProjectFile(const std::wstring& path) {
    const std::size_t dot = path.find_last_of(L".\\/");
    return dot != std::wstring::npos && EqualsIgnoringCase(path.substr(dot), kProjectExtension);
}

} // namespace

StartArguments ParseStartArguments(const wchar_t* commandLine) {
    StartArguments parsed;
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return parsed;
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (EqualsIgnoringCase(argument, DestroySwitch))
            parsed.toDestroy = true;
        else
            parsed.paths.push_back(argument);
    }
    ::LocalFree(arguments);
    return parsed;
}

bool JoinsTheList(const std::wstring& path, bool toDestroy) {
    return !path.empty() && (toDestroy || !IsProjectFile(path));
}

} // namespace vexlor
