#pragma once
// What the program tells screen readers beyond what its controls' classes say of themselves.

#include <windows.h>

#include "platform/seam.h"

namespace vexlor::platform {

// Tells screen readers that `control` is a link (its class says static text); false when the
// system's accessibility service cannot take the annotation. COM must be initialised.
using AnnounceAsLinkSignature = bool(HWND control);
extern Seam<AnnounceAsLinkSignature> AnnounceAsLinkApi;

} // namespace vexlor::platform
