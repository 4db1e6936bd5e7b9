#include "skin/menu_skin.h"

#include <commctrl.h>

#include <string_view>
#include <utility>
#include <vector>

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

thread_local int liveHooks = 0; // for LiveMenuHooks

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

HMENU ShownMenu(HWND popup) {
    return reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
}

LRESULT CALLBACK PopupSubclass(HWND popup, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR menu) noexcept {
    const LRESULT result = platform::DefSubclass(popup, message, wParam, lParam);
    switch (message) {
    case WM_NCPAINT:
    case WM_PAINT:
    case WM_PRINT:
    case WM_SHOWWINDOW:
        if (reinterpret_cast<const SkinnedMenu*>(menu)->Owns(ShownMenu(popup)))
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

bool IsPopupMenuWindow(const CREATESTRUCTW& created) {
    // The class comes as the atom 32768 or as its name.
    const LPCWSTR className = created.lpszClass;
    return className == MAKEINTATOM(32768) ||
           (!IS_INTRESOURCE(className) && std::wstring_view(className) == L"#32768");
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

void Measure(MEASUREITEMSTRUCT& measure, const Item& item) {
    if (item.separator) {
        measure.itemWidth = 0;
        measure.itemHeight = static_cast<UINT>(Scaled(item, kSeparatorHeight));
        return;
    }
    const SIZE text = ui::MeasureText(MenuFont(item), Shown(item.text));
    if (item.topLevel) {
        measure.itemWidth = static_cast<UINT>(text.cx + 2 * Scaled(item, kBarItemPadding));
        measure.itemHeight = static_cast<UINT>(text.cy + Scaled(item, 6));
        return;
    }
    measure.itemWidth = static_cast<UINT>(ColumnWidth(item) + Scaled(item, kTextGap) + text.cx +
                                          Scaled(item, kRightPadding));
    measure.itemHeight = static_cast<UINT>(std::max<int>(
        item.glyphs->Size() + Scaled(item, kColumnPadding), text.cy + Scaled(item, 10)));
}

void Draw(const DRAWITEMSTRUCT& draw, const Item& item) {
    const MenuStyle& style = ActiveSkin().icoLine;
    if (item.topLevel)
        DrawBarItem(draw, item, style);
    else
        DrawPopupItem(draw, item, style);
    // Nothing of the system's may follow: no check mark, no submenu arrow in its colours.
    ::ExcludeClipRect(draw.hDC, draw.rcItem.left, draw.rcItem.top, draw.rcItem.right,
                      draw.rcItem.bottom);
}

} // namespace

// Lives from the moment one of the menu's drop-downs is about to open to the end of the menu
// loop: a hook on this thread gives the skin's frame to the drop-down windows made for the
// menu. Windows made for other menus (the system menu, a control's context menu) are left
// alone, as is everything once the menu is closed.
class SkinnedMenu::PopupWatch {
public:
    explicit PopupWatch(const SkinnedMenu& menu)
        : menu_(menu), previous_(std::exchange(current_, this)),
          hook_(::SetWindowsHookExW(WH_CBT, &Watch, nullptr, ::GetCurrentThreadId())) {
        if (hook_)
            ++liveHooks;
    }
    PopupWatch(const PopupWatch&) = delete;
    PopupWatch& operator=(const PopupWatch&) = delete;
    ~PopupWatch() {
        if (hook_)
            --liveHooks;
        current_ = previous_;
        // Their subclasses point at the menu: none outlasts the watch.
        for (const HWND popup : popups_)
            if (::IsWindow(popup))
                platform::RemoveSubclass(popup, &PopupSubclass, kPopupSubclassId);
    }

    // WM_INITMENUPOPUP names the menu whose window the system makes next; the window's own
    // MN_GETHMENU answers only once it exists.
    void Expect(bool ownMenu) { expectingOwn_ = ownMenu; }

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) noexcept {
        PopupWatch* watch = current_;
        if (code == HCBT_CREATEWND && watch && watch->expectingOwn_ &&
            IsPopupMenuWindow(*reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs)) {
            watch->expectingOwn_ = false;
            ui::Guard([&] { watch->Adopt(reinterpret_cast<HWND>(wParam)); });
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Adopt(HWND popup) {
        popups_.push_back(popup);
        platform::SetSubclass(popup, &PopupSubclass, kPopupSubclassId,
                              reinterpret_cast<DWORD_PTR>(&menu_));
    }

    static thread_local PopupWatch* current_; // a hook procedure is given no context
    const SkinnedMenu& menu_;
    PopupWatch* previous_;
    UniqueHook hook_;
    bool expectingOwn_ = false;
    std::vector<HWND> popups_;
};

thread_local SkinnedMenu::PopupWatch* SkinnedMenu::PopupWatch::current_ = nullptr;

int LiveMenuHooks() {
    return liveHooks;
}

SkinnedMenu::SkinnedMenu(const GlyphSet& glyphs) : glyphs_(glyphs), bar_(::CreateMenu()) {
    if (!bar_)
        ThrowLastError(L"Cannot create the main menu.");
}

SkinnedMenu::~SkinnedMenu() {
    Detach();
    if (!shown_)
        ::DestroyMenu(bar_); // no window took it
}

void SkinnedMenu::ShowIn(HWND window) {
    MENUINFO info{sizeof(info)};
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = SkinBrush(ActiveSkin().icoLine.bar.face);
    ::SetMenuInfo(bar_, &info);
    if (window != window_)
        Detach();
    window_ = window;
    // Before the bar is set: its items are measured on the way.
    if (!subclassed_ &&
        !platform::SetSubclass(window, &OwnerSubclass, reinterpret_cast<UINT_PTR>(this),
                               reinterpret_cast<DWORD_PTR>(this)))
        throw Error(L"Cannot show the main menu.");
    subclassed_ = true;
    if (!::SetMenu(window, bar_))
        ThrowLastError(L"Cannot show the main menu.");
    shown_ = true;
}

void SkinnedMenu::Detach() {
    popupWatch_.reset();
    if (subclassed_)
        platform::RemoveSubclass(window_, &OwnerSubclass, reinterpret_cast<UINT_PTR>(this));
    subclassed_ = false;
}

SkinnedMenu::Item& SkinnedMenu::Keep(std::wstring text, int glyph, bool topLevel) {
    auto item = std::make_unique<Item>();
    item->text = std::move(text);
    item->glyph = glyph;
    item->topLevel = topLevel;
    item->glyphs = &glyphs_;
    item->menu = this;
    Item& kept = *item;
    items_.emplace(reinterpret_cast<ULONG_PTR>(&kept), std::move(item));
    return kept;
}

const SkinnedMenu::Item* SkinnedMenu::Find(ULONG_PTR data) const {
    const auto found = items_.find(data);
    return found == items_.end() ? nullptr : found->second.get();
}

bool SkinnedMenu::Owns(HMENU menu) const {
    if (!menu)
        return false;
    if (menu == bar_)
        return true;
    for (int i = 0, count = ::GetMenuItemCount(bar_); i < count; ++i)
        if (::GetSubMenu(bar_, i) == menu)
            return true;
    return false;
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
        const Item* item = Find(entry.dwItemData);
        if (item && !item->separator && AccessKey(item->text) == wanted)
            return MAKELRESULT(i, MNC_EXECUTE);
    }
    return MAKELRESULT(0, MNC_IGNORE);
}

void SkinnedMenu::ExpectPopup(HMENU menu) {
    const bool own = Owns(menu);
    if (own && !popupWatch_)
        popupWatch_ = std::make_unique<PopupWatch>(*this);
    if (popupWatch_)
        popupWatch_->Expect(own);
}

// The messages of the window showing the menu that concern the menu; false for the window's
// own (other menus' items among them).
bool SkinnedMenu::OnOwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_MEASUREITEM: {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        const Item* item = measure.CtlType == ODT_MENU ? Find(measure.itemData) : nullptr;
        if (!item)
            return false;
        Measure(measure, *item);
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const Item* item = draw.CtlType == ODT_MENU ? Find(draw.itemData) : nullptr;
        if (!item)
            return false;
        Draw(draw, *item);
        result = TRUE;
        return true;
    }
    case WM_MENUCHAR:
        if (!Owns(reinterpret_cast<HMENU>(lParam)))
            return false;
        result = MenuChar(LOWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return true;
    case WM_INITMENUPOPUP:
        ExpectPopup(reinterpret_cast<HMENU>(wParam));
        return false;
    case WM_EXITMENULOOP:
        popupWatch_.reset();
        return false;
    default:
        return false;
    }
}

LRESULT CALLBACK SkinnedMenu::OwnerSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR self) noexcept {
    auto& menu = *reinterpret_cast<SkinnedMenu*>(self);
    if (message == WM_NCDESTROY) {
        menu.Detach();
        return platform::DefSubclass(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    ui::Guard([&] { handled = menu.OnOwnerMessage(message, wParam, lParam, result); });
    return handled ? result : platform::DefSubclass(window, message, wParam, lParam);
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
