#pragma once
// Fetching a small file from the web to the disk.

#include <string>

#include "update/http_client.h"

namespace vexlor::update {

// Creates the folder of `filePath` with every missing level, creates the file anew (an existing
// one is cut to nothing) held by no one else, and writes into it the body of the answer to an
// HTTP GET of `url` as it arrives, within `limits`. A body that grows past the bound leaves the
// file empty; a body cut off, or stopped by a limit, leaves the part that came (none of an HTML
// one). Every failure is an Error; a file that cannot be created is left as it was.
void DownloadFile(const std::wstring& url, const std::wstring& filePath,
                  const HttpLimits& limits = {});

} // namespace vexlor::update
