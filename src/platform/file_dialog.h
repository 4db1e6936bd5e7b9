#pragma once
// The standard open-file dialog with multi-selection, for any number of files.

#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/seam.h"

namespace vexlor::platform {

// What GetOpenFileNameW reports: whether the user confirmed, and otherwise the dialog's own
// error (CommDlgExtendedError), 0 for a plain cancel.
struct OpenFileNameResult {
    bool confirmed = false;
    DWORD error = 0;
};

// GetOpenFileNameW: waits for a person, so tests always replace it.
using GetOpenFileNameSignature = OpenFileNameResult(OPENFILENAMEW& dialog);
extern Seam<GetOpenFileNameSignature> GetOpenFileNameApi;

// The full paths in a multi-selection result of `size` characters: either one full path, or a
// folder followed by names; every string ends in a NUL and an empty string ends the list.
std::vector<std::wstring> ParseOpenFileNames(const wchar_t* buffer, std::size_t size);

// Shows the open-file dialog owned by `owner` with the one filter given, for several existing
// files at once, and returns the chosen full paths in the dialog's order; nothing when the user
// cancels. The result buffer grows with the selection, so no chosen file is ever dropped.
std::optional<std::vector<std::wstring>> ChooseFiles(HWND owner, const std::wstring& filterName,
                                                     const std::wstring& pattern);

} // namespace vexlor::platform
