#include "dialogs/dlg_about.h"

#include "base/product.h"
#include "base/resource_ids.h"
#include "platform/web_pages.h"
#include "skin/glyphs.h"
#include "skin/skin.h"
#include "skin/skinned_controls.h"
#include "ui/controls.h"

namespace vexlor::dialogs {
namespace {

constexpr wchar_t kClassName[] = L"TFormAbout";
constexpr SIZE kClientSize{550, 380};
constexpr COLORREF kLinkColor = RGB(0, 0, 128);
constexpr COLORREF kTextColor = RGB(0, 0, 0);
constexpr wchar_t kCloseCaption[] = L"Закрыть";
constexpr wchar_t kCopyright[] = L"© 2026 Keltro Software. Все права защищены.";

const ui::FontSpec kLinkFont{.bold = true, .underline = true};

} // namespace

TFormAbout::TFormAbout(HWND owner) {
    CreateDialogWindow(kClassName, L"О программе...", kClientSize, owner);
    BuildControls();
    SetDefaultButton(IdCloseButton);
    FormCreate();
}

TFormAbout::~TFormAbout() {
    DestroyHandle();
}

void TFormAbout::BuildControls() {
    // Everything lies on the picture, whose white part the labels stand on.
    Image32 = skin::CreateResourcePicture(Handle(), 0, {0, 0, kClientSize.cx, kClientSize.cy},
                                          ResourceAbout, 565, 380);
    SiteLabel = skin::CreateLabel(Image32, IdSiteLabel, L"Сайт программы", {22, 307, 257, 16},
                                  kLinkFont, SS_CENTER | SS_NOTIFY, kLinkColor);
    SupportLabel =
        skin::CreateLabel(Image32, IdSupportLabel, L"Техническая поддержка", {288, 307, 259, 16},
                          kLinkFont, SS_CENTER | SS_NOTIFY, kLinkColor);
    skin::MakeLink(SiteLabel);
    skin::MakeLink(SupportLabel);
    InfoLabel = skin::CreateLabel(
        Image32, 0,
        L"Vexlor - современная и удобная программа для защиты файлов от возможности "
        L"восстановления даже профессиональными инструментами и утилитами. Поддерживаются "
        L"файлы всех типов и размеров, а также удаление сразу нескольких файлов.",
        {58, 197, 483, 106}, {}, 0, kTextColor);
    VersionLabel = skin::CreateLabel(Image32, 0, L"", {58, 145}, {}, 0, kTextColor);
    AuthorLabel = skin::CreateLabel(Image32, 0, L"", {58, 167}, {}, 0, kTextColor);
    ProgrammLabel = skin::CreateLabel(Image32, 0, L"", {58, 123}, {.face = L"Arial", .bold = true},
                                      0, kTextColor);
    CloseButton = skin::CreateButton(Image32, IdCloseButton, kCloseCaption, {419, 336, 122, 33},
                                     skin::StyleClass::Button, true);
}

void TFormAbout::FormCreate() {
    ui::SetLabelText(ProgrammLabel, ApplicationTitle);
    ui::SetLabelText(VersionLabel, std::wstring(L"Версия программы") + L": " + ProgramVersion);
    ::SetWindowTextW(CloseButton, kCloseCaption);
    ui::SetLabelText(AuthorLabel, kCopyright);
}

void TFormAbout::SiteLabelClick() {
    platform::OpenWebPageQuoted(SiteUrl);
}

void TFormAbout::SupportLabelClick() {
    platform::OpenWebPageQuoted(SupportUrl);
}

void TFormAbout::OnCommand(int id, int notification) {
    if (id == IdSiteLabel && notification == STN_CLICKED)
        SiteLabelClick();
    else if (id == IdSupportLabel && notification == STN_CLICKED)
        SupportLabelClick();
    else
        Dialog::OnCommand(id, notification);
}

} // namespace vexlor::dialogs
