#pragma once

#include <string>

namespace vexlor::platform {

// Opens `url` in the user's browser: through the shell's handler for the address, and when
// that cannot be started, once through the browser executable "iexplore". Failure is silent.
void OpenWebPage(const std::wstring& url);

// The full path of "iexplore" where the system registers it (App Paths), never a program of
// that name in the current folder, where the shell would look first: that is the folder of a
// project file the program was started from. Empty when the system has none.
std::wstring FallbackBrowserPath();

// Opens `url`, enclosed in quotation marks, through the shell alone; failure is silent.
void OpenWebPageQuoted(const std::wstring& url);

} // namespace vexlor::platform
