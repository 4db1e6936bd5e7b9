#pragma once
// Scroll bars in the skin's colours for a list box. The system draws a window's own scroll bars
// in its colours, whatever is asked (Wine included), so the list keeps them for their logic and
// a strip of the program's lies over each, drawn by the skin: it follows the bar's place and
// state, and scrolls the list the way the bar would.

#include <windows.h>

namespace vexlor::skin {

// The strip over the `bar` (SB_VERT or SB_HORZ) of `list`: a sibling of the list, shown only
// while the bar is. The strip lives as long as the list's parent.
HWND CreateScrollStrip(HWND list, int bar);

// Brings the strip over its bar up to date: place, visibility, thumb.
void SyncScrollStrip(HWND strip);

} // namespace vexlor::skin
