#pragma once

#include <string>

namespace vexlor::app {

// Every page the program opens. The product site's host is chosen here once.
#define VEXLOR_SITE L"http://vexlor.example"
inline constexpr wchar_t SiteUrl[] = VEXLOR_SITE; // the home page: no trailing slash
inline constexpr wchar_t SupportUrl[] = VEXLOR_SITE L"/support.php";
inline constexpr wchar_t SuggestUrl[] = VEXLOR_SITE L"/support.php";
inline constexpr wchar_t TutorialUrl[] = VEXLOR_SITE L"/tutorial.php";
inline constexpr wchar_t StartVideoUrl[] = VEXLOR_SITE L"/startvideo.php";
inline constexpr wchar_t WelcomeUrl[] = VEXLOR_SITE L"/welcome.php";
inline constexpr wchar_t InstallerUrl[] = VEXLOR_SITE L"/upd/vexlor.exe";
inline constexpr wchar_t UpdateFileUrl[] = VEXLOR_SITE L"/upd/updates.txt";
inline constexpr wchar_t SocialGroupUrl[] = L"https://vk.com/vexlor_app";
#undef VEXLOR_SITE

// Opens `url` in the user's browser: through the shell's handler for the address, and when
// that cannot be started, once through the browser executable "iexplore". Failure is silent.
void OpenWebPage(const std::wstring& url);

// Opens `url`, enclosed in quotation marks, through the shell alone; failure is silent.
void OpenWebPageQuoted(const std::wstring& url);

} // namespace vexlor::app
