#pragma once
// The shell association of the ".DRVK" project-file type with this program.

#include <string>

namespace vexlor::settings {

// The full path of the running program's executable file.
std::wstring ExecutablePath();

// Writes the association's three default values below HKEY_CURRENT_USER\SOFTWARE\CLASSES,
// replacing whatever is there. A key that cannot be opened or a failed write throws
// vexlor::Error, and the values after it are not written.
void RegisterProjectFileType();

} // namespace vexlor::settings
