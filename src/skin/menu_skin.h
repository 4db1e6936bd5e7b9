#pragma once
// A main menu drawn from the skin ("ICOLINE"): the bar, and drop-down items with their glyphs
// in a column of their own. The items stay real menu items with their captions, so screen
// readers and tests read them as usual; only their drawing is the program's.

#include <windows.h>

#include <map>
#include <memory>
#include <string>

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
    // Makes the bar `window`'s menu and answers the window's messages about its items. The
    // window destroys the bar with itself; this object keeps the items' data and must live as
    // long as the window.
    void ShowIn(HWND window);
    // A caption marks its access key with "&" ("&Файл"), as the system's menus do; the "&"
    // is not drawn, the key is underlined while the keyboard cues are shown.
    HMENU AddPopup(const std::wstring& caption);
    void AddItem(HMENU popup, int id, const std::wstring& caption, int glyph = -1);
    void AddSeparator(HMENU popup);
    // The bar or one of its drop-downs.
    bool Owns(HMENU menu) const;

    struct Item;

private:
    class PopupWatch;

    Item& Keep(std::wstring text, int glyph, bool topLevel);
    // Only what this menu handed out as item data; anyone else's is never looked into.
    const Item* Find(ULONG_PTR data) const;
    // WM_MENUCHAR: the system finds no access keys in items it does not draw itself.
    LRESULT MenuChar(wchar_t key, HMENU menu) const;
    void ExpectPopup(HMENU menu);
    bool OnOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static LRESULT CALLBACK OwnerSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self) noexcept;
    void Detach();

    const GlyphSet& glyphs_;
    HMENU bar_;
    HWND window_ = nullptr;
    bool shown_ = false;
    bool subclassed_ = false;
    // Keyed by the item data each item was given.
    std::map<ULONG_PTR, std::unique_ptr<Item>> items_;
    // Gives this menu's drop-downs the skin's frame while one of them is open.
    std::unique_ptr<PopupWatch> popupWatch_;
};

// Hooks that open skinned menus hold on this thread: none while no skinned menu is open.
int LiveMenuHooks();

// After the system has painted `window`'s menu bar in its own colours: the part of the bar
// beside the items, and the line under it, in the skin's.
void PaintMenuBarRest(HWND window);

} // namespace vexlor::skin
