// The main menu MainMenu1.
#include "wizard/main_form.h"

#include "base/error.h"

namespace vexlor::wizard {
namespace {

void AppendItem(HMENU menu, int id, const wchar_t* caption, HBITMAP glyph) {
    MENUITEMINFOW item{sizeof(item)};
    item.fMask = MIIM_ID | MIIM_STRING | (glyph ? MIIM_BITMAP : 0);
    item.wID = static_cast<UINT>(id);
    item.dwTypeData = const_cast<wchar_t*>(caption);
    item.hbmpItem = glyph;
    ::InsertMenuItemW(menu, ::GetMenuItemCount(menu), TRUE, &item);
}

void AppendSeparator(HMENU menu) {
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

} // namespace

void TMainForm::BuildMenu() {
    MainMenu1 = ::CreateMenu();
    const HMENU fileMenu = ::CreatePopupMenu(); // A1
    const HMENU helpMenu = ::CreatePopupMenu(); // N2
    if (!MainMenu1 || !fileMenu || !helpMenu)
        ThrowLastError(L"Cannot create the main menu.");
    const auto glyph = [this](int index) { return images_.glyphs[index].Get(); };

    AppendItem(fileMenu, IdMenuAddFiles, L"Добавить файлы", glyph(GlyphAddFiles));
    AppendItem(fileMenu, IdMenuClean, L"Очистить список", glyph(GlyphClearList));
    AppendSeparator(fileMenu);
    AppendItem(fileMenu, IdMenuExit, L"Выход", glyph(GlyphExit));

    AppendItem(helpMenu, IdMenuHelp, L"Справка", glyph(GlyphHelp));
    AppendSeparator(helpMenu);
    AppendItem(helpMenu, IdMenuSite, L"Сайт программы", glyph(GlyphSite));
    AppendItem(helpMenu, IdMenuSuggest, L"Предложить новую функцию", glyph(GlyphSuggest));
    AppendItem(helpMenu, IdMenuSocial, L"Группа вконтакте", glyph(GlyphSocial));
    AppendSeparator(helpMenu);
    AppendItem(helpMenu, IdMenuSupport, L"Техническая поддержка", glyph(GlyphSupport));
    AppendSeparator(helpMenu);
    AppendItem(helpMenu, IdMenuAbout, L"О программе", nullptr);

    ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(fileMenu), L"Файл");
    ::AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(helpMenu), L"Справка");
    ::SetMenu(Handle(), MainMenu1); // the window destroys the menu with itself
}

} // namespace vexlor::wizard
