#pragma once
// A main menu drawn from the skin ("ICOLINE"): the bar, and drop-down items with their glyphs
// in a column of their own. The items stay real menu items with their captions, so screen
// readers and tests read them as usual; only their drawing is the program's.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace vexlor::skin {

class GlyphSet;

class SkinnedMenu {
public:
    // `glyphs` must outlive the menu.
    explicit SkinnedMenu(const GlyphSet& glyphs);
    SkinnedMenu(const SkinnedMenu&) = delete;
    SkinnedMenu& operator=(const SkinnedMenu&) = delete;
    ~SkinnedMenu();

    HMENU Bar() const { return bar_; }
    // The window showing the menu; null before ShowIn.
    HWND Window() const { return window_; }
    // After the window's DPI changed (and the glyphs with it): every item measured again.
    void Remeasure();
    // Makes the bar `window`'s menu. The window destroys it with itself; this object keeps
    // the items' data and must live as long as the window.
    void ShowIn(HWND window);
    // A caption marks its access key with "&" ("&Файл"), as the system's menus do; the "&"
    // is not drawn, the key is underlined while the keyboard cues are shown.
    HMENU AddPopup(const std::wstring& caption);
    void AddItem(HMENU popup, int id, const std::wstring& caption, int glyph = -1);
    void AddSeparator(HMENU popup);
    // WM_MENUCHAR: the system finds no access keys in items it does not draw itself.
    LRESULT MenuChar(wchar_t key, HMENU menu) const;

    struct Item;

private:
    Item& Keep(std::wstring text, int glyph, bool topLevel);

    const GlyphSet& glyphs_;
    HMENU bar_;
    HWND window_ = nullptr;
    bool shown_ = false;
    // Gives the drop-downs of this thread the skin's frame while the menu is shown.
    HHOOK popupWatch_ = nullptr;
    std::vector<std::unique_ptr<Item>> items_;
};

// WM_MEASUREITEM and WM_DRAWITEM for a menu item; FALSE when it is not one of a SkinnedMenu.
BOOL MeasureMenuItem(MEASUREITEMSTRUCT& item);
BOOL DrawMenuItem(const DRAWITEMSTRUCT& item);

// After the system has painted `window`'s menu bar in its own colours: the part of the bar
// beside the items, and the line under it, in the skin's.
void PaintMenuBarRest(HWND window);

} // namespace vexlor::skin
