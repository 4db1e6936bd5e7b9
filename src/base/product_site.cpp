// The addresses of the product site. The site's address and its support page are chosen once,
// in the top-level CMakeLists.txt (VEXLOR_SITE), which gives them to the installer too; a build
// for the end-to-end tests gives another site (VEXLOR_SITE) to this file alone, so that the
// program talks to a server of the tests on this machine.
#include "base/product.h"

#ifndef VEXLOR_SITE
#define VEXLOR_SITE VEXLOR_PRODUCT_SITE
#endif

namespace vexlor {

const wchar_t SiteUrl[] = VEXLOR_SITE;
const wchar_t SupportUrl[] = VEXLOR_SITE VEXLOR_SUPPORT_PAGE;
const wchar_t SuggestUrl[] = VEXLOR_SITE VEXLOR_SUPPORT_PAGE;
const wchar_t TutorialUrl[] = VEXLOR_SITE L"/tutorial.php";
const wchar_t StartVideoUrl[] = VEXLOR_SITE L"/startvideo.php";
const wchar_t WelcomeUrl[] = VEXLOR_SITE L"/welcome.php";
const wchar_t InstallerUrl[] = VEXLOR_SITE L"/upd/vexlor.exe";
const wchar_t UpdateFileUrl[] = VEXLOR_SITE L"/upd/updates.txt";
const wchar_t SocialGroupUrl[] = L"https://vk.com/vexlor_app";

} // namespace vexlor
