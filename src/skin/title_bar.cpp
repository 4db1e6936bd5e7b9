#include "skin/title_bar.h"

#include <dwmapi.h>

#include "platform/system_library.h"

namespace vexlor::skin {
namespace {

// Not in every SDK's headers: the attributes by their numbers.
constexpr DWORD kDarkModeBefore20H1 = 19; // builds 17763 to 19040
constexpr DWORD kDarkMode = 20;           // DWMWA_USE_IMMERSIVE_DARK_MODE from build 19041
constexpr DWORD kCaptionColor = 35;       // DWMWA_CAPTION_COLOR, from build 22000
constexpr DWORD kTextColor = 36;          // DWMWA_TEXT_COLOR

constexpr DWORD kFirstDarkBuild = 17763; // Windows 10 1809
constexpr DWORD kNewDarkModeBuild = 19041;
constexpr DWORD kFirstCaptionColorBuild = 22000; // Windows 11

// The build from ntdll itself: GetVersionEx answers what the manifest allows it to.
DWORD WindowsBuild() {
    using Query = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    const auto query = platform::SystemFunction<Query>(L"ntdll.dll", "RtlGetNtVersionNumbers");
    DWORD major = 0, minor = 0, build = 0;
    if (query)
        query(&major, &minor, &build);
    return major >= 10 ? (build & 0x0FFFFFFF) : 0;
}

// dwmapi is loaded only where it is used, so the program starts where it is missing.
HRESULT SetAttribute(HWND window, DWORD attribute, const void* value, DWORD size) {
    using Set = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    static const auto set = platform::SystemFunction<Set>(L"dwmapi.dll", "DwmSetWindowAttribute");
    return set ? set(window, attribute, value, size) : E_NOTIMPL;
}

} // namespace

bool UseDarkTitleBar(HWND window, COLORREF caption, COLORREF captionText) {
    const DWORD build = WindowsBuild();
    if (build < kFirstDarkBuild)
        return false;
    const BOOL dark = TRUE;
    SetAttribute(window, build >= kNewDarkModeBuild ? kDarkMode : kDarkModeBefore20H1, &dark,
                 sizeof(dark));
    if (build >= kFirstCaptionColorBuild) {
        SetAttribute(window, kCaptionColor, &caption, sizeof(caption));
        SetAttribute(window, kTextColor, &captionText, sizeof(captionText));
    }
    return true;
}

} // namespace vexlor::skin
