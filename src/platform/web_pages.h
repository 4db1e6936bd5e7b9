#pragma once

#include <string>

namespace vexlor::platform {

// Opens `url` in the user's browser: through the shell's handler for the address, and when
// that cannot be started, once through the browser executable "iexplore". Failure is silent.
void OpenWebPage(const std::wstring& url);

// Opens `url`, enclosed in quotation marks, through the shell alone; failure is silent.
void OpenWebPageQuoted(const std::wstring& url);

} // namespace vexlor::platform
