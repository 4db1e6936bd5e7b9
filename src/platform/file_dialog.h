#pragma once
// The system's open-file dialog (the common item dialog) for several existing files or folders.

#include <windows.h>
#include <shtypes.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/seam.h"

namespace vexlor::platform {

// What the dialog is asked for: its owner, its one filter (none in the folder mode), and its
// options (FOS_*).
struct OpenDialogRequest {
    HWND owner = nullptr;
    std::wstring filterName;
    std::wstring pattern;
    DWORD options = 0;
};

// Shows the dialog and waits for a person, so tests always replace it: the chosen full paths
// in the dialog's order, nothing when the user cancels. A failure is an Error.
using ShowOpenDialogSignature =
    std::optional<std::vector<std::wstring>>(const OpenDialogRequest& request);
extern Seam<ShowOpenDialogSignature> ShowOpenDialogApi;

// Shows the open-file dialog owned by `owner` with the one filter given, for several existing
// files of the file system at once, none of them added to the user's recent items, and
// returns the chosen full paths in the dialog's order; nothing when the user cancels. COM must
// be initialised on the calling thread.
std::optional<std::vector<std::wstring>> ChooseFiles(HWND owner, const std::wstring& filterName,
                                                     const std::wstring& pattern);

// The same dialog in its folder mode: several existing folders of the file system, their full
// paths in the dialog's order; nothing when the user cancels.
std::optional<std::vector<std::wstring>> ChooseFolders(HWND owner);
// The same dialog in folder mode, for one existing folder of the file system (a drive's root
// too), not added to the user's recent items: its full path, nothing when the user cancels.
std::optional<std::wstring> ChooseFolder(HWND owner);

// Whether `child` names an item directly in the folder `parent` names: the parent's ids and one
// more.
bool IsDirectChild(PCIDLIST_ABSOLUTE parent, PCIDLIST_ABSOLUTE child);

} // namespace vexlor::platform
