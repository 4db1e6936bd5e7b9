#include "skin/menu_skin.h"

#include <commctrl.h>

#include <string_view>

#include "base/error.h"
#include "base/handles.h"
#include "platform/common_controls.h"
#include "skin/glyphs.h"
#include "skin/paint.h"
#include "skin/skin.h"
#include "ui/dispatch.h"
#include "ui/dpi_fonts.h"

namespace vexlor::skin {

struct SkinnedMenu::Item {
    static constexpr unsigned kMark = 0x564D4E55; // tells our items from anyone else's
    unsigned mark = kMark;
    std::wstring text;
    int glyph = -1;
    bool topLevel = false;
    bool separator = false;
    const GlyphSet* glyphs = nullptr;
    const SkinnedMenu* menu = nullptr;
};

namespace {

// 96-dpi pixels.
constexpr int kColumnPadding = 6; // around a glyph in its column
constexpr int kTextGap = 10;      // between the column and the caption
constexpr int kRightPadding = 28; // after the caption, where a submenu arrow would go
constexpr int kBarItemPadding = 10;
constexpr int kSeparatorHeight = 9;

using Item = SkinnedMenu::Item;

constexpr UINT_PTR kPopupSubclassId = 0x564D; // "VM"

// The frame of an open drop-down: the system draws it in its own colours, in the non-client
// area or (Wine) as the outer ring of the client area; the skin's goes over it. The items
// and the background inside are the skin's already.
void PaintPopupFrame(HWND popup) {
    RECT frame;
    ::GetWindowRect(popup, &frame);
    POINT client{0, 0};
    ::ClientToScreen(popup, &client);
    RECT inside;
    ::GetClientRect(popup, &inside);
    ::OffsetRect(&inside, client.x - frame.left, client.y - frame.top);
    ::OffsetRect(&frame, -frame.left, -frame.top);
    const HDC dc = ::GetWindowDC(popup);
    if (!dc)
        return;
    const MenuStyle& style = ActiveSkin().icoLine;
    RECT ring = frame;
    ::InflateRect(&ring, -1, -1);
    if (::EqualRect(&inside, &frame)) // no frame of its own: the ring of the client area
        inside = ring;
    ::ExcludeClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
    FillSolid(dc, frame, style.menuFace);
    ::FrameRect(dc, &frame, SkinBrush(style.menuBorder));
    ::ReleaseDC(popup, dc);
}

LRESULT CALLBACK PopupSubclass(HWND popup, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR) noexcept {
    const LRESULT result = platform::DefSubclass(popup, message, wParam, lParam);
    switch (message) {
    case WM_NCPAINT:
    case WM_PAINT:
    case WM_PRINT:
    case WM_SHOWWINDOW:
        ui::Guard([popup] { PaintPopupFrame(popup); });
        break;
    case WM_NCDESTROY:
        platform::RemoveSubclass(popup, &PopupSubclass, id);
        break;
    default:
        break;
    }
    return result;
}

// Drop-downs are windows of the system's class "#32768", made by this thread when a menu
// opens: each gets the skin's frame as it is created.
LRESULT CALLBACK WatchPopups(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_CREATEWND) {
        const auto* created = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        const LPCWSTR className = created->lpcs->lpszClass;
        // The class comes as the atom 32768 or as its name.
        if (className == MAKEINTATOM(32768) ||
            (!IS_INTRESOURCE(className) && std::wstring_view(className) == L"#32768"))
            platform::SetSubclass(reinterpret_cast<HWND>(wParam), &PopupSubclass, kPopupSubclassId,
                                  0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

const Item* ItemOf(ULONG_PTR data) {
    const auto* item = reinterpret_cast<const Item*>(data);
    return item && item->mark == Item::kMark ? item : nullptr;
}

int DpiOf(const Item& item) {
    return ui::DpiOf(item.menu->Window());
}

int Scaled(const Item& item, int pixels) {
    return ui::ScaleAt(DpiOf(item), pixels);
}

HFONT MenuFont(const Item& item) {
    return ui::GetFont({}, DpiOf(item));
}

int ColumnWidth(const Item& item) {
    return item.glyphs->Size() + 2 * Scaled(item, kColumnPadding);
}

wchar_t Upper(wchar_t c) {
    ::CharUpperBuffW(&c, 1);
    return c;
}

// The caption as it is drawn: the access key's "&" left out, "&&" as one "&".
std::wstring Shown(const std::wstring& caption) {
    std::wstring shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size())
            ++i; // the next character, "&" or the access key, stands as it is
        shown += caption[i];
    }
    return shown;
}

// The access key of a caption, in upper case; 0 for none.
wchar_t AccessKey(const std::wstring& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&')
            continue;
        if (caption[i + 1] != L'&')
            return Upper(caption[i + 1]);
        ++i;
    }
    return 0;
}

void DrawText(HDC dc, const Item& item, RECT box, COLORREF color, UINT alignment, UINT state) {
    // Wine never sets ODS_NOACCEL: there the access keys always show.
    const UINT cues = state & ODS_NOACCEL ? DT_HIDEPREFIX : 0;
    DrawTextIn(dc, MenuFont(item), color, item.text, box,
               alignment | DT_SINGLELINE | DT_VCENTER | cues);
}

void DrawBarItem(const DRAWITEMSTRUCT& draw, const Item& item, const MenuStyle& style) {
    const bool hot = (draw.itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
    FillSolid(draw.hDC, draw.rcItem, hot ? style.hot.face : style.bar.face);
    DrawText(draw.hDC, item, draw.rcItem, hot ? style.hot.text : style.bar.text, DT_CENTER,
             draw.itemState);
}

void DrawPopupItem(const DRAWITEMSTRUCT& draw, const Item& item, const MenuStyle& style) {
    const RECT& box = draw.rcItem;
    const int column = ColumnWidth(item);
    FillSolid(draw.hDC, box, style.menuFace);
    FillSolid(draw.hDC, {box.left, box.top, box.left + column, box.bottom},
              style.surface.background);
    if (item.separator) {
        const int middle = (box.top + box.bottom) / 2;
        FillSolid(
            draw.hDC,
            {box.left + column + Scaled(item, 4), middle, box.right - Scaled(item, 4), middle + 1},
            style.separator);
        return;
    }
    const bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool hot = (draw.itemState & ODS_SELECTED) && !disabled;
    if (hot)
        FillSolid(draw.hDC, box, style.hot.face);
    const int glyphSize = item.glyphs->Size();
    item.glyphs->Draw(draw.hDC, item.glyph, box.left + Scaled(item, kColumnPadding),
                      (box.top + box.bottom - glyphSize) / 2, disabled);
    const COLORREF color = disabled ? style.disabledText
                           : hot    ? style.hot.text
                                    : style.surface.text;
    DrawText(draw.hDC, item,
             {box.left + column + Scaled(item, kTextGap), box.top, box.right, box.bottom}, color,
             DT_LEFT, draw.itemState);
}

} // namespace

SkinnedMenu::SkinnedMenu(const GlyphSet& glyphs) : glyphs_(glyphs), bar_(::CreateMenu()) {
    if (!bar_)
        ThrowLastError(L"Cannot create the main menu.");
}

SkinnedMenu::~SkinnedMenu() {
    if (popupWatch_)
        ::UnhookWindowsHookEx(popupWatch_);
    if (!shown_)
        ::DestroyMenu(bar_); // no window took it
}

void SkinnedMenu::ShowIn(HWND window) {
    MENUINFO info{sizeof(info)};
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = SkinBrush(ActiveSkin().icoLine.bar.face);
    ::SetMenuInfo(bar_, &info);
    if (!::SetMenu(window, bar_))
        ThrowLastError(L"Cannot show the main menu.");
    window_ = window;
    shown_ = true;
    popupWatch_ = ::SetWindowsHookExW(WH_CBT, &WatchPopups, nullptr, ::GetCurrentThreadId());
}

SkinnedMenu::Item& SkinnedMenu::Keep(std::wstring text, int glyph, bool topLevel) {
    auto item = std::make_unique<Item>();
    item->text = std::move(text);
    item->glyph = glyph;
    item->topLevel = topLevel;
    item->glyphs = &glyphs_;
    item->menu = this;
    items_.push_back(std::move(item));
    return *items_.back();
}

HMENU SkinnedMenu::AddPopup(const std::wstring& caption) {
    const HMENU popup = ::CreatePopupMenu();
    if (!popup)
        ThrowLastError(L"Cannot create the main menu.");
    MENUINFO info{sizeof(info)};
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = SkinBrush(ActiveSkin().icoLine.menuFace);
    ::SetMenuInfo(popup, &info);

    Item& item = Keep(caption, -1, true);
    MENUITEMINFOW entry{sizeof(entry)};
    entry.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU | MIIM_DATA;
    entry.fType = MFT_OWNERDRAW;
    entry.hSubMenu = popup;
    entry.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
    entry.dwTypeData = item.text.data();
    ::InsertMenuItemW(bar_, static_cast<UINT>(::GetMenuItemCount(bar_)), TRUE, &entry);
    return popup;
}

void SkinnedMenu::AddItem(HMENU popup, int id, const std::wstring& caption, int glyph) {
    Item& item = Keep(caption, glyph, false);
    MENUITEMINFOW entry{sizeof(entry)};
    entry.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_DATA;
    entry.fType = MFT_OWNERDRAW;
    entry.wID = static_cast<UINT>(id);
    entry.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
    entry.dwTypeData = item.text.data();
    ::InsertMenuItemW(popup, static_cast<UINT>(::GetMenuItemCount(popup)), TRUE, &entry);
}

void SkinnedMenu::AddSeparator(HMENU popup) {
    Item& item = Keep({}, -1, false);
    item.separator = true;
    MENUITEMINFOW entry{sizeof(entry)};
    entry.fMask = MIIM_FTYPE | MIIM_DATA;
    entry.fType = MFT_OWNERDRAW | MFT_SEPARATOR;
    entry.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
    ::InsertMenuItemW(popup, static_cast<UINT>(::GetMenuItemCount(popup)), TRUE, &entry);
}

void SkinnedMenu::Remeasure() {
    // A changed item is measured again when the menu is next shown.
    const auto touch = [](HMENU menu) {
        for (int i = 0, count = ::GetMenuItemCount(menu); i < count; ++i) {
            MENUITEMINFOW entry{sizeof(entry)};
            entry.fMask = MIIM_FTYPE | MIIM_DATA;
            if (::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &entry))
                ::SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &entry);
        }
    };
    touch(bar_);
    for (int i = 0, count = ::GetMenuItemCount(bar_); i < count; ++i)
        if (const HMENU popup = ::GetSubMenu(bar_, i))
            touch(popup);
    if (window_)
        ::DrawMenuBar(window_);
}

LRESULT SkinnedMenu::MenuChar(wchar_t key, HMENU menu) const {
    const wchar_t wanted = Upper(key);
    for (int i = 0, count = ::GetMenuItemCount(menu); i < count; ++i) {
        MENUITEMINFOW entry{sizeof(entry)};
        entry.fMask = MIIM_DATA;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &entry))
            continue;
        const Item* item = ItemOf(entry.dwItemData);
        if (item && !item->separator && AccessKey(item->text) == wanted)
            return MAKELRESULT(i, MNC_EXECUTE);
    }
    return MAKELRESULT(0, MNC_IGNORE);
}

BOOL MeasureMenuItem(MEASUREITEMSTRUCT& measure) {
    const Item* item = ItemOf(measure.itemData);
    if (!item)
        return FALSE;
    if (item->separator) {
        measure.itemWidth = 0;
        measure.itemHeight = static_cast<UINT>(Scaled(*item, kSeparatorHeight));
        return TRUE;
    }
    const SIZE text = ui::MeasureText(MenuFont(*item), Shown(item->text));
    if (item->topLevel) {
        measure.itemWidth = static_cast<UINT>(text.cx + 2 * Scaled(*item, kBarItemPadding));
        measure.itemHeight = static_cast<UINT>(text.cy + Scaled(*item, 6));
        return TRUE;
    }
    measure.itemWidth = static_cast<UINT>(ColumnWidth(*item) + Scaled(*item, kTextGap) + text.cx +
                                          Scaled(*item, kRightPadding));
    measure.itemHeight = static_cast<UINT>(std::max<int>(
        item->glyphs->Size() + Scaled(*item, kColumnPadding), text.cy + Scaled(*item, 10)));
    return TRUE;
}

BOOL DrawMenuItem(const DRAWITEMSTRUCT& draw) {
    const Item* item = ItemOf(draw.itemData);
    if (!item)
        return FALSE;
    const MenuStyle& style = ActiveSkin().icoLine;
    if (item->topLevel)
        DrawBarItem(draw, *item, style);
    else
        DrawPopupItem(draw, *item, style);
    // Nothing of the system's may follow: no check mark, no submenu arrow in its colours.
    ::ExcludeClipRect(draw.hDC, draw.rcItem.left, draw.rcItem.top, draw.rcItem.right,
                      draw.rcItem.bottom);
    return TRUE;
}

void PaintMenuBarRest(HWND window) {
    const HMENU menu = ::GetMenu(window);
    MENUBARINFO bar{sizeof(bar)};
    if (!menu || !::GetMenuBarInfo(window, OBJID_MENU, 0, &bar))
        return;
    RECT frame;
    ::GetWindowRect(window, &frame);
    POINT client{0, 0};
    ::ClientToScreen(window, &client);
    ::OffsetRect(&bar.rcBar, -frame.left, -frame.top);
    const HDC dc = ::GetWindowDC(window);
    if (!dc)
        return;
    for (int i = 0, count = ::GetMenuItemCount(menu); i < count; ++i) {
        RECT item{};
        if (::GetMenuItemRect(window, menu, static_cast<UINT>(i), &item)) {
            ::OffsetRect(&item, -frame.left, -frame.top);
            ::ExcludeClipRect(dc, item.left, item.top, item.right, item.bottom);
        }
    }
    // The bar with the system's lines above and under it, down to the client area.
    const RECT band{bar.rcBar.left, bar.rcBar.top - 1, bar.rcBar.right, client.y - frame.top};
    FillSolid(dc, band, ActiveSkin().icoLine.bar.face);
    ::ReleaseDC(window, dc);
}

} // namespace vexlor::skin
