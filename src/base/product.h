#pragma once
// Fixed facts about the product, in one place.

// The version and the site's address, from the build (src/base/product_build.h.in).
#include "product_build.h"

namespace vexlor {

inline constexpr wchar_t ApplicationTitle[] = L"Vexlor";
inline constexpr wchar_t ProgramVersion[] = VEXLOR_VERSION;
inline constexpr wchar_t MakerName[] = L"Keltro Software";
inline constexpr wchar_t ProductKeyName[] = L"Vexlor";
// The main window's class name; a second start finds the running instance by it.
inline constexpr wchar_t MainWindowClassName[] = L"TMainForm";

// Every page the program opens, on the product site (base/product_site.cpp) and elsewhere.
extern const wchar_t SiteUrl[]; // the home page: no trailing slash
extern const wchar_t SupportUrl[];
extern const wchar_t SuggestUrl[];
extern const wchar_t TutorialUrl[];
extern const wchar_t StartVideoUrl[];
extern const wchar_t WelcomeUrl[];
extern const wchar_t InstallerUrl[];
extern const wchar_t UpdateFileUrl[];
extern const wchar_t SocialGroupUrl[];

} // namespace vexlor
