#pragma once
// Shell shortcuts (.lnk files) the program makes for itself.

#include <string>

#include "platform/seam.h"

namespace vexlor::platform {

struct ShortcutSpec {
    std::wstring path; // of the .lnk file, replaced when it exists
    std::wstring target;
    std::wstring arguments;
    std::wstring iconFile;
    int iconIndex = 0;
    std::wstring description;
};

// Saves the shortcut through the shell's link object; a failure throws vexlor::Error naming it.
// COM must be initialised on the calling thread.
using SaveShortcutSignature = void(const ShortcutSpec& shortcut);
extern Seam<SaveShortcutSignature> SaveShortcutApi;

} // namespace vexlor::platform
