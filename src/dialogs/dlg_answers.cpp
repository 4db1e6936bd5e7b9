#include "dialogs/dlg_answers.h"

#include "base/resource_ids.h"
#include "dialogs/tips.h"
#include "pictures/picture_files.h"
#include "platform/file_system.h"
#include "settings/file_type.h"
#include "settings/settings.h"
#include "skin/glyphs.h"
#include "skin/skin.h"
#include "skin/skinned_controls.h"
#include "ui/controls.h"
#include "ui/dispatch.h"

namespace vexlor::dialogs {
namespace {

constexpr wchar_t kClassName[] = L"TFormUserAnswer";
constexpr SIZE kClientSize{553, 334};
// 96-dpi pixels.
constexpr int kBarHeight = 47;
constexpr int kStripWidth = 157;
constexpr int kMargin = 3;
constexpr int kPictureHeight = 100;
constexpr int kAnswerLeft = 20;
constexpr COLORREF kTextColor = RGB(39, 39, 39);

const ui::FontSpec kHeadingFont{.height = 16, .bold = true};

std::wstring FolderOfProgram() {
    const std::wstring path = settings::ExecutablePath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// The process's generator of the draws, seeded anew with each dialog.
std::mt19937& Generator() {
    static std::mt19937 generator;
    return generator;
}

void Reseed() {
    LARGE_INTEGER counter{};
    const auto seed = ::QueryPerformanceCounter(&counter)
                          ? static_cast<std::uint32_t>(counter.QuadPart)
                          : static_cast<std::uint32_t>(::GetTickCount64());
    Generator().seed(seed);
}

ui::Bounds TextPanelBounds() {
    const int left = kMargin + kStripWidth + kMargin;
    return {left, kMargin, kClientSize.cx - left - kMargin,
            kClientSize.cy - kBarHeight - 2 * kMargin};
}

// The heading's height in 96-dpi pixels, in the font it is drawn with.
int HeadingHeight(HWND heading) {
    RECT box;
    ::GetClientRect(heading, &box);
    return ui::Unscale(heading, box.bottom);
}

} // namespace

TFormUserAnswer::TFormUserAnswer(HWND owner, std::wstring programFolder)
    : programFolder_(programFolder.empty() ? FolderOfProgram() : std::move(programFolder)) {
    CreateDialogWindow(kClassName, L"Советы пользователям...", kClientSize, owner);
    BuildControls();
    SetDefaultButton(IdBtnOk);
    FormCreate();
}

TFormUserAnswer::~TFormUserAnswer() {
    DestroyHandle();
}

void TFormUserAnswer::BuildControls() {
    const HWND form = Handle();
    // The bar first: it comes first in the tab order, "Хочу еще!" first within it.
    sPanel1 =
        skin::CreatePanel(form, 0, {0, kClientSize.cy - kBarHeight, kClientSize.cx, kBarHeight},
                          skin::StyleClass::StatusBar);
    const int cancelLeft = kClientSize.cx - 5 - 120;
    BtnOk = skin::CreateButton(sPanel1, IdBtnOk, L"Хочу еще!", {cancelLeft - 5 - 120, 5, 120, 37},
                               skin::StyleClass::Button, true, {.bold = true});
    BtnCancel = skin::CreateButton(sPanel1, IdBtnCancel, L"Закрыть", {cancelLeft, 5, 120, 37},
                                   skin::StyleClass::Button);
    CheckBoxNotShowThis =
        skin::CreateCheckBox(sPanel1, IdCheckBoxNotShowThis, L"Больше не показывать",
                             {8, 6, 164, 22}, skin::StyleClass::CheckBox);
    sLabel2 =
        skin::CreateLabel(sPanel1, 0, L"Можно будет включить в настройках", {8, 31}, {.height = 9});

    Image1 = skin::CreateResourcePicture(
        form, 0, {kMargin, kMargin, kStripWidth, kClientSize.cy - kBarHeight - 2 * kMargin},
        ResourceTips, 157, 199);
    const ui::Bounds text = TextPanelBounds();
    sPanel2 = skin::CreatePanel(form, 0, text, skin::StyleClass::AlphaEdit);
    sLabel1 =
        skin::CreateLabel(sPanel2, 0, L"Знаете ли вы... ?", {15, 15}, kHeadingFont, 0, kTextColor);
    const int pictureTop = 15 + HeadingHeight(sLabel1) + kMargin;
    ImageInfo = skin::CreatePicture(
        sPanel2, 0, {kMargin, pictureTop, text.width - 2 * kMargin, kPictureHeight});
    LabelAnswer =
        skin::CreateLabel(sPanel2, 0, L"", {kAnswerLeft, pictureTop, 10, 10}, {}, 0, kTextColor);
    PlaceAnswer(false);
}

void TFormUserAnswer::FormCreate() {
    LastLoad = -1;
    Reseed();
    Answers.clear();
    // A tips file that cannot be read leaves the dialog without a tip, and says why; so does a
    // first tip whose picture cannot be read, and the dialog still opens.
    ui::Guard([this] { Answers = LoadTips(programFolder_); });
    ui::Guard([this] { ShowRandomAnswer(); });
}

void TFormUserAnswer::PlaceAnswer(bool pictureShown) {
    RECT picture;
    ::GetWindowRect(ImageInfo, &picture);
    ::MapWindowPoints(nullptr, sPanel2, reinterpret_cast<POINT*>(&picture), 2);
    RECT panel;
    ::GetClientRect(sPanel2, &panel);
    const int top = pictureShown ? picture.bottom + ui::Scale(sPanel2, kMargin) : picture.top;
    const int left = ui::Scale(sPanel2, kAnswerLeft);
    ::MoveWindow(LabelAnswer, left, top, panel.right - left - ui::Scale(sPanel2, 10),
                 panel.bottom - top - ui::Scale(sPanel2, 10), TRUE);
}

void TFormUserAnswer::ShowRandomAnswer() {
    const int drawn = DrawTip(static_cast<int>(Answers.size()), LastLoad, Generator());
    if (drawn < 0) {
        ::ShowWindow(ImageInfo, SW_HIDE);
        PlaceAnswer(false);
        return; // no tips at all: the dialog still opens and closes as usual
    }
    const Tip tip = ParseTip(Answers[static_cast<std::size_t>(drawn)]);
    LastLoad = drawn;
    if (tip.hasPicture) {
        // The picture first: if it cannot be read, the tip shown before stays in place.
        if (tip.pictureName)
            ShowTipPicture(*tip.pictureName);
        ::ShowWindow(ImageInfo, SW_SHOW);
    } else {
        ::ShowWindow(ImageInfo, SW_HIDE);
    }
    PlaceAnswer(tip.hasPicture);
    ::SetWindowTextW(LabelAnswer, tip.text.c_str());
}

void TFormUserAnswer::ShowTipPicture(const std::wstring& pictureName) {
    // A name that leaves the pictures' folder shows nothing, as a missing picture does.
    const auto path = TipPicturePath(programFolder_, pictureName);
    if (!path || platform::ProbePath(*path) != platform::PathKind::File)
        return;
    skin::SetPicture(ImageInfo, pictures::ToBitmap(pictures::LoadPictureFile(*path)));
}

void TFormUserAnswer::BtnOkClick() {
    ShowRandomAnswer();
}

void TFormUserAnswer::CheckBoxNotShowThisClick() {
    // Only ticking writes: unticking in the same run leaves the dialog off at the next start.
    if (::SendMessageW(CheckBoxNotShowThis, BM_GETCHECK, 0, 0) == BST_CHECKED)
        settings::WriteSettingBool(L"ShowHelpStart", false);
}

void TFormUserAnswer::OnDpiChanged() {
    PlaceAnswer(::IsWindowVisible(ImageInfo) != FALSE);
}

void TFormUserAnswer::OnCommand(int id, int notification) {
    switch (id) {
    case IdBtnOk:
        BtnOkClick();
        break;
    case IdCheckBoxNotShowThis:
        if (notification == BN_CLICKED)
            CheckBoxNotShowThisClick();
        break;
    default:
        Dialog::OnCommand(id, notification);
        break;
    }
}

} // namespace vexlor::dialogs
