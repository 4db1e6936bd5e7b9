// The main window's controls: creation and placement.
#include "wizard/main_form.h"

#include <commctrl.h>

#include "base/resource_ids.h"
#include "platform/taskbar.h"
#include "skin/skinned_controls.h"
#include "ui/controls.h"
#include "wizard/finish_report.h"
#include "wizard/free_space_page.h"
#include "wizard/main_form_layout.h"

namespace vexlor::wizard {
namespace {

constexpr int kHeaderHeight = 41;
constexpr int kFooterHeight = 47;
constexpr int kFileButtonsHeight = 43;
constexpr int kProgressBarHeight = 17;
constexpr int kProgressNoteHeight = 28;

const ui::FontSpec kLink{.bold = true, .underline = true};

// Places the labels of a plan in `panel` for the DPI of its window, and grows the panel by
// what wrapped labels need.
void PlaceLabels(HWND panel, const std::vector<ui::LabelPlan>& plan,
                 const std::vector<HWND>& labels, const ui::Bounds& panelBounds) {
    const int dpi = ui::DpiOf(panel);
    const ui::LabelLayout layout =
        ui::LayOutLabels(plan, ui::ScaleAt(dpi, panelBounds.width), dpi, ui::MeasureWithFont);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const RECT& box = layout.boxes[i];
        ::MoveWindow(labels[i], box.left, box.top, box.right - box.left, box.bottom - box.top,
                     FALSE);
    }
    ::SetWindowPos(panel, nullptr, 0, 0, ui::ScaleAt(dpi, panelBounds.width),
                   ui::ScaleAt(dpi, panelBounds.height) + layout.extraHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Creates the labels of a plan in `panel`, placed. Labels come back in the plan's order.
std::vector<HWND> CreatePlannedLabels(HWND panel, const std::vector<ui::LabelPlan>& plan,
                                      const std::vector<int>& ids, const ui::Bounds& panelBounds) {
    std::vector<HWND> labels;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const ui::LabelPlan& label = plan[i];
        labels.push_back(
            label.font.underline
                ? skin::CreateLinkLabel(panel, ids[i], label.text, {label.x, label.y},
                                        label.font.height)
                : skin::CreateLabel(panel, ids[i], label.text, {label.x, label.y}, label.font));
    }
    PlaceLabels(panel, plan, labels, panelBounds);
    return labels;
}

const ui::Bounds kWelcomeCard{55, 182, WelcomeCardWidth, WelcomeCardHeight};
const ui::Bounds kAddFilesHint{224, 136, AddFilesHintWidth, AddFilesHintHeight};

} // namespace

std::vector<ui::LabelPlan> WelcomeCardPlan() {
    return {
        {L"Приветствуем Вас в Vexlor файлов.", {}, 16, 6},
        {L"Для того, чтобы продолжить, нажмите кнопку \"Далее\" и выберите файлы для удаления.",
         {},
         16,
         28},
        {L"ВАЖНО:", {.bold = true}, 16, 50},
        {L"выбранные файлы после завершения операции не удастся восстановить!", {}, 76, 50, 2},
        {L"Перед началом работы Вы можете", {}, 16, 72},
        {L"посмотреть обучающее видео", kLink, 228, 72, 4},
    };
}

std::vector<ui::LabelPlan> AddFilesHintPlan() {
    return {{L"Для продолжения работы", {}, 40, 8}, {L"добавьте файлы", kLink, 64, 30}};
}

namespace {

// The client size in 96-dpi pixels.
SIZE ClientSize96(HWND window) {
    RECT client;
    ::GetClientRect(window, &client);
    return {ui::Unscale(window, client.right), ui::Unscale(window, client.bottom)};
}

} // namespace

void TMainForm::BuildControls() {
    const HWND form = Handle();
    const skin::FormStyle& skinned = skin::ActiveSkin().form;
    Hints = std::make_unique<ui::Hints>(form, skinned.border, skinned.surface.text);

    PanelHearer = skin::CreatePanel(form, 0, {}, skin::StyleClass::CheckBox);
    LabelHeaderHint = skin::CreateLabel(PanelHearer, 0, TitleWelcome, {10, 5, 100, 33},
                                        {.height = 19}, SS_CENTERIMAGE);

    PageControlMain = skin::CreatePanel(form, 0, {}, skin::StyleClass::CheckBox);
    TabWelcome =
        skin::CreatePanel(PageControlMain, 0, {}, skin::StyleClass::CheckBox, L"Приветствие");
    TabSelectFiles = skin::CreatePanel(PageControlMain, 0, {}, std::nullopt, L"Выбор файлов");
    TabProgress = skin::CreatePanel(PageControlMain, 0, {}, std::nullopt, L"Прогресс");
    TabFinish = skin::CreatePanel(PageControlMain, 0, {}, std::nullopt, L"Готово");
    BuildWelcomePage();
    BuildFileSelectionPage();
    BuildProgressPage();
    BuildFinishPage();

    sPanel2 = skin::CreatePanel(form, 0, {}, skin::StyleClass::CheckBox);
    BtnBack = skin::CreateButton(sPanel2, IdBtnBack, BackCaption, {0, 5, 125, 37},
                                 skin::StyleClass::Button);
    BtnNext = skin::CreateButton(sPanel2, IdBtnNext, NextCaption, {0, 5, 125, 37},
                                 skin::StyleClass::Button, true);
    SetButtonGlyph(BtnBack, GlyphBack, skin::GlyphPlacement::BeforeText);
    SetButtonGlyph(BtnNext, GlyphNext, skin::GlyphPlacement::AfterText);
    ::EnableWindow(BtnBack, FALSE);

    Layout();
}

void TMainForm::BuildWelcomePage() {
    Image3 =
        skin::CreateResourcePicture(TabWelcome, 0, {71, 32, 128, 128}, ResourceWelcome, 128, 128);
    sPanel1 = skin::CreatePanel(TabWelcome, 0, kWelcomeCard, skin::StyleClass::Gauge);
    const auto labels =
        CreatePlannedLabels(sPanel1, WelcomeCardPlan(), {0, 0, 0, 0, 0, IdLabel11}, kWelcomeCard);
    sLabel6 = labels[0];
    sLabel7 = labels[1];
    sLabel8 = labels[2];
    sLabel9 = labels[3];
    sLabel10 = labels[4];
    sLabel11 = labels[5];
}

void TMainForm::BuildFileSelectionPage() {
    ListBoxFiles = skin::CreateListBox(TabSelectFiles, IdListBoxFiles, {}, skin::StyleClass::Edit);
    fileList_ = FileList(ListBoxFiles);
    WatchListBoxMouse();
    sPanel3 = skin::CreatePanel(TabSelectFiles, 0, {}, skin::StyleClass::CheckBox);
    // Buttons without a caption: the hint is their window text, so screen readers name them.
    BtnAddFiles = skin::CreateButton(sPanel3, IdBtnAddFiles, L"Добавить файлы", {3, 3, 56, 37},
                                     skin::StyleClass::Button);
    BtnAddFolder = skin::CreateButton(sPanel3, IdBtnAddFolder, AddFolderHint, {62, 3, 56, 37},
                                      skin::StyleClass::Button);
    BtnDelete = skin::CreateButton(sPanel3, IdBtnDelete, L"Удалить выделенный файл из списка",
                                   {121, 3, 56, 37}, skin::StyleClass::Button);
    BtnCleanFiles = skin::CreateButton(sPanel3, IdBtnCleanFiles, L"Очистить список",
                                       {180, 3, 56, 37}, skin::StyleClass::Button);
    SetButtonGlyph(BtnAddFiles, GlyphAddFiles, skin::GlyphPlacement::Alone);
    SetButtonGlyph(BtnAddFolder, GlyphAddFolder, skin::GlyphPlacement::Alone);
    SetButtonGlyph(BtnDelete, GlyphDeleteEntry, skin::GlyphPlacement::Alone);
    SetButtonGlyph(BtnCleanFiles, GlyphClearList, skin::GlyphPlacement::Alone);
    Hints->Add(BtnAddFiles, L"Добавить файлы");
    Hints->Add(BtnAddFolder, AddFolderHint);
    Hints->Add(BtnDelete, L"Удалить выделенный файл из списка");
    Hints->Add(BtnCleanFiles, L"Очистить список");
    ::EnableWindow(BtnDelete, FALSE);
    ::EnableWindow(BtnCleanFiles, FALSE);

    // Lies over the list and keeps its place when the window is resized.
    PanelAddFilesHint =
        skin::CreatePanel(TabSelectFiles, 0, kAddFilesHint, skin::StyleClass::CheckBox);
    ::SetWindowPos(PanelAddFilesHint, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const auto labels = CreatePlannedLabels(PanelAddFilesHint, AddFilesHintPlan(),
                                            {0, IdLabelAddFiles}, kAddFilesHint);
    sLabel1 = labels[0];
    LabelAddFiles = labels[1];
}

void TMainForm::BuildProgressPage() {
    Image2 = skin::CreateResourcePicture(TabProgress, 0, {224, 82, 196, 128}, ResourceProgress, 128,
                                         128);
    sLabel2 =
        skin::CreateLabel(TabProgress, 0, L"Пожалуйста, подождите...", {224, 216}, {.height = 16});
    sLabel3 = skin::CreateLabel(TabProgress, 0, DeletionNote, {0, 0, 100, kProgressNoteHeight},
                                {.height = 11});
    ProgressBar = skin::CreateProgressBar(TabProgress, 0, {}, skin::StyleClass::Gauge);
    ProgressBarCurrentFile = skin::CreateProgressBar(TabProgress, 0, {}, skin::StyleClass::Gauge);
    // The taskbar button shows the whole run, as the overall bar does.
    overallBar_ = ui::ThrottledProgress(ProgressBar, [this](int position, int maximum) {
        platform::TaskbarProgressApi(Handle(), platform::TaskbarState::Normal,
                                     static_cast<std::uint64_t>(position),
                                     static_cast<std::uint64_t>(maximum));
    });
    fileBar_ = ui::ThrottledProgress(ProgressBarCurrentFile);
    LabelTimeLeft = skin::CreateLabel(TabProgress, 0, L"", {224, 244, 400, 17});
    BtnStop = skin::CreateButton(TabProgress, IdBtnStop, StopCaption, {224, 270, 125, 37},
                                 skin::StyleClass::Button);
    ShowFreeSpaceControls(false);
}

void TMainForm::BuildFinishPage() {
    Image1 =
        skin::CreateResourcePicture(TabFinish, 0, {224, 3, 205, 264}, ResourceFinish, 205, 264);
    sLabel4 = skin::CreateLabel(TabFinish, 0, L"Операция завершена.", {224, 273}, {.height = 16});
    sLabel5 = skin::CreateLinkLabel(TabFinish, IdLabel5, L"Вернуться на первый шаг", {224, 298});
    LabelNotDestroyed = skin::CreateLabel(TabFinish, 0, NotDestroyedCaption, {10, 32});
    ListBoxNotDestroyed =
        skin::CreateListBox(TabFinish, IdListBoxNotDestroyed, {}, skin::StyleClass::Edit);
    notDestroyed_ = FileList(ListBoxNotDestroyed);
    ::ShowWindow(LabelNotDestroyed, SW_HIDE);
    ::ShowWindow(ListBoxNotDestroyed, SW_HIDE);
}

// With nothing to report, the picture and the two lines under it; else the lines at the top
// and the list below them.
void TMainForm::LayOutFinishPage(int width, int pageHeight) {
    const bool reported = notDestroyed_.Count() > 0;
    for (HWND control : {LabelNotDestroyed, ListBoxNotDestroyed})
        ::ShowWindow(control, reported ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(Image1, reported ? SW_HIDE : SW_SHOWNA);
    const auto place = [](HWND label, int x, int y) { // at 96 dpi; the size stays as measured
        ::SetWindowPos(label, nullptr, ui::Scale(label, x), ui::Scale(label, y), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    if (!reported) {
        place(sLabel4, 224, 273);
        place(sLabel5, 224, 298);
        return;
    }
    place(sLabel4, 10, 8);
    place(LabelNotDestroyed, 10, 34);
    place(sLabel5, 10, pageHeight - 26);
    ui::MoveControl(ListBoxNotDestroyed, {3, 56, width - 6, pageHeight - 56 - 34});
}

// The report of a run changes the finish page only: the rest of the window stays where it is.
void TMainForm::LayOutFinishPage() {
    if (!PageControlMain)
        return;
    const SIZE client = ClientSize96(Handle());
    LayOutFinishPage(client.cx, client.cy - kHeaderHeight - kFooterHeight);
}

void TMainForm::OnDpiChanged(const RECT& suggested) {
    ImageList24 = skin::GlyphSet(ResourceGlyphs, ResourceGlyphs2x, GlyphCount, GlyphSize,
                                 ui::DpiOf(Handle()));
    ApplyDpiChange(suggested);
    PlaceLabels(sPanel1, WelcomeCardPlan(),
                {sLabel6, sLabel7, sLabel8, sLabel9, sLabel10, sLabel11}, kWelcomeCard);
    PlaceLabels(PanelAddFilesHint, AddFilesHintPlan(), {sLabel1, LabelAddFiles}, kAddFilesHint);
    menu_->Remeasure();
    fileList_.Remeasure();
    notDestroyed_.Remeasure();
    ::RedrawWindow(Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TMainForm::SetButtonGlyph(HWND button, int glyph, skin::GlyphPlacement placement) {
    skin::SetButtonGlyph(button, {&ImageList24, glyph, placement});
}

void TMainForm::Layout() {
    if (!PageControlMain)
        return;
    const SIZE client = ClientSize96(Handle());
    const int width = client.cx;
    const int pageHeight = client.cy - kHeaderHeight - kFooterHeight;

    ui::MoveControl(PanelHearer, {0, 0, width, kHeaderHeight});
    ui::MoveControl(LabelHeaderHint, {10, 5, width - 10 - 3, kHeaderHeight - 5 - 3});
    ui::MoveControl(PageControlMain, {0, kHeaderHeight, width, pageHeight});
    for (HWND page : {TabWelcome, TabSelectFiles, TabProgress, TabFinish})
        ui::MoveControl(page, {0, 0, width, pageHeight});

    ui::MoveControl(sPanel2, {0, client.cy - kFooterHeight, width, kFooterHeight});
    ui::MoveControl(BtnNext, {width - 5 - 125, 5, 125, 37});
    ui::MoveControl(BtnBack, {width - 5 - 125 - 5 - 125, 5, 125, 37});

    const int buttonsTop = pageHeight - kFileButtonsHeight;
    ui::MoveControl(ListBoxFiles, {3, 6, width - 6, buttonsTop - 6 - 3});
    ui::MoveControl(sPanel3, {0, buttonsTop, width, kFileButtonsHeight});

    const int barsTop = pageHeight - 2 * kProgressBarHeight;
    ui::MoveControl(sLabel3, {0, barsTop - kProgressNoteHeight, width, kProgressNoteHeight});
    ui::MoveControl(ProgressBar, {0, barsTop, width, kProgressBarHeight});
    ui::MoveControl(ProgressBarCurrentFile,
                    {0, barsTop + kProgressBarHeight, width, kProgressBarHeight});
    LayOutFinishPage(width, pageHeight);
}

} // namespace vexlor::wizard
