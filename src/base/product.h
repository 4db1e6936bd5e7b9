#pragma once
// Fixed facts about the product, in one place.

namespace vexlor {

inline constexpr wchar_t ApplicationTitle[] = L"Vexlor";
inline constexpr wchar_t ProgramVersion[] = L"1.25";
inline constexpr wchar_t MakerName[] = L"Keltro Software";
inline constexpr wchar_t ProductKeyName[] = L"Vexlor";
// The main window's class name; a second start finds the running instance by it.
inline constexpr wchar_t MainWindowClassName[] = L"TMainForm";

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

} // namespace vexlor
