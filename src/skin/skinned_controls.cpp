#include "skin/skinned_controls.h"

#include <commctrl.h>

#include "platform/accessibility.h"
#include "skin/painters.h"
#include "ui/app_cursor.h"

namespace vexlor::skin {

HWND CreateLabel(HWND parent, int id, const std::wstring& text, const ui::Bounds& bounds,
                 const ui::FontSpec& font, DWORD extraStyle, std::optional<COLORREF> fixedColor) {
    const HWND label = ui::CreateControl({.parent = parent,
                                          .id = id,
                                          .windowClass = L"STATIC",
                                          .text = text,
                                          .style = SS_LEFT | SS_NOPREFIX | extraStyle,
                                          .bounds = bounds,
                                          .font = font});
    SkinLabel(label, fixedColor);
    return label;
}

HWND CreateLinkLabel(HWND parent, int id, const std::wstring& text, const ui::Bounds& bounds,
                     int fontHeight) {
    const ui::FontSpec font{.height = fontHeight, .bold = true, .underline = true};
    const HWND link = ui::CreateControl({.parent = parent,
                                         .id = id,
                                         .windowClass = L"STATIC",
                                         .text = text,
                                         .style = SS_LEFT | SS_NOPREFIX | SS_NOTIFY,
                                         .bounds = bounds,
                                         .font = font});
    SkinLabel(link);
    MakeLink(link);
    return link;
}

void MakeLink(HWND label) {
    ::SetWindowLongPtrW(label, GWL_STYLE, ::GetWindowLongPtrW(label, GWL_STYLE) | WS_TABSTOP);
    ui::MarkHandCursor(label);
    platform::AnnounceAsLinkApi(label); // without the service, screen readers read the text
}

HWND CreateButton(HWND parent, int id, const std::wstring& text, const ui::Bounds& bounds,
                  StyleClass styleClass, bool isDefault, const ui::FontSpec& font) {
    // Owner-drawn: the skin draws every state, which the system's themes would not let it.
    const HWND button = ui::CreateControl({.parent = parent,
                                           .id = id,
                                           .windowClass = L"BUTTON",
                                           .text = text,
                                           .style = WS_TABSTOP | BS_OWNERDRAW,
                                           .bounds = bounds,
                                           .font = font,
                                           .styleClass = NameOf(styleClass),
                                           .handCursor = true});
    SkinButton(button, isDefault);
    return button;
}

HWND CreateCheckBox(HWND parent, int id, const std::wstring& text, const ui::Bounds& bounds,
                    StyleClass styleClass) {
    const HWND box = ui::CreateControl({.parent = parent,
                                        .id = id,
                                        .windowClass = L"BUTTON",
                                        .text = text,
                                        .style = WS_TABSTOP | BS_AUTOCHECKBOX,
                                        .bounds = bounds,
                                        .styleClass = NameOf(styleClass)});
    SkinCheckBox(box);
    return box;
}

HWND CreateListBox(HWND parent, int id, const ui::Bounds& bounds, StyleClass styleClass) {
    const HWND list = ui::CreateControl(
        {.parent = parent,
         .id = id,
         .windowClass = L"LISTBOX",
         // The skin's scroll strips lie over the list's own bars.
         .style = WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_CLIPSIBLINGS | LBS_NOTIFY |
                  LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
         .bounds = bounds,
         .styleClass = NameOf(styleClass)});
    SkinListBox(list);
    return list;
}

HWND CreateProgressBar(HWND parent, int id, const ui::Bounds& bounds, StyleClass styleClass) {
    const HWND bar = ui::CreateControl({.parent = parent,
                                        .id = id,
                                        .windowClass = PROGRESS_CLASSW,
                                        .style = PBS_SMOOTH,
                                        .bounds = bounds,
                                        .styleClass = NameOf(styleClass)});
    SkinProgressBar(bar);
    return bar;
}

} // namespace vexlor::skin
