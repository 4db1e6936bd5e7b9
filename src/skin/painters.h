#pragma once
// The painters of each kind of control. The factory (skin/skinned_controls.h) attaches them; a
// control keeps its painter, and the painter's data, until it is destroyed.

#include <windows.h>

#include <optional>

namespace vexlor::skin {

// A label: transparent on what it stands on, in the text colour of that style class, or in
// `fixedColor` whatever the skin.
void SkinLabel(HWND label, std::optional<COLORREF> fixedColor = std::nullopt);
// A push button made with BS_OWNERDRAW: face per state, hand cursor, keyboard focus ring.
// A default button (the one Enter presses in a dialog) is drawn as such.
void SkinButton(HWND button, bool isDefault = false);
// A check box made with BS_AUTOCHECKBOX.
void SkinCheckBox(HWND checkBox);
// A list box made with LBS_OWNERDRAWFIXED | LBS_HASSTRINGS and WS_BORDER.
void SkinListBox(HWND list);
void SkinProgressBar(HWND bar);

} // namespace vexlor::skin
