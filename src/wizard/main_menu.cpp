// The main menu MainMenu1, drawn from the skin with the glyphs of ImageList24.
#include "wizard/main_form.h"

namespace vexlor::wizard {

void TMainForm::BuildMenu() {
    menu_ = std::make_unique<skin::SkinnedMenu>(ImageList24);
    skin::SkinnedMenu& menu = *menu_;
    const HMENU fileMenu = menu.AddPopup(L"&Файл"); // A1
    menu.AddItem(fileMenu, IdMenuAddFiles, L"&Добавить файлы", GlyphAddFiles);
    menu.AddItem(fileMenu, IdMenuAddFolder, L"Добавить &папку", GlyphAddFolder);
    menu.AddItem(fileMenu, IdMenuClean, L"&Очистить список", GlyphClearList);
    menu.AddItem(fileMenu, IdMenuFreeSpace, L"Очистить свободное &место…", GlyphShield);
    menu.AddSeparator(fileMenu);
    menu.AddItem(fileMenu, IdMenuExit, L"&Выход", GlyphExit);

    const HMENU helpMenu = menu.AddPopup(L"&Справка"); // N2
    menu.AddItem(helpMenu, IdMenuHelp, L"&Справка", GlyphHelp);
    menu.AddSeparator(helpMenu);
    menu.AddItem(helpMenu, IdMenuSite, L"Са&йт программы", GlyphSite);
    menu.AddItem(helpMenu, IdMenuSuggest, L"&Предложить новую функцию", GlyphSuggest);
    menu.AddItem(helpMenu, IdMenuSocial, L"&Группа вконтакте", GlyphSocial);
    menu.AddSeparator(helpMenu);
    menu.AddItem(helpMenu, IdMenuSupport, L"&Техническая поддержка", GlyphSupport);
    menu.AddSeparator(helpMenu);
    menu.AddItem(helpMenu, IdMenuAbout, L"&О программе");

    MainMenu1 = menu.Bar();
    menu.ShowIn(Handle()); // the window destroys the menu with itself
}

} // namespace vexlor::wizard
