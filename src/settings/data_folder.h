#pragma once
// The per-user data folder, where the downloaded version file lives.

#include <string>

namespace vexlor::settings {

// The shell's path of a special folder (a CSIDL number) without a trailing backslash, or
// empty when the shell cannot give it.
std::wstring GetSpecialFolder(int csidl);

// The application-data folder's "<maker>\<product>\" sub-folder; always ends in a backslash.
std::wstring GetDataFolder();

// Creates the folder `path` together with every missing parent level. Failures are silent:
// the caller checks for the folder when it needs it.
void CreateFolderPath(const std::wstring& path);

// Creates the data folder when it does not exist yet.
void CreateDataFolder();

} // namespace vexlor::settings
