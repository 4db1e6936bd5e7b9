#include "wizard/main_form.h"

#include <commctrl.h>

#include "base/product.h"
#include "base/resource_ids.h"
#include "dialogs/dlg_about.h"
#include "dialogs/dlg_answers.h"
#include "platform/clock.h"
#include "platform/dropped_files.h"
#include "platform/web_pages.h"
#include "settings/data_folder.h"
#include "settings/explorer_menu.h"
#include "settings/file_type.h"
#include "settings/settings.h"
#include "ui/app_message.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dispatch.h"
#include "update/downloader.h"
#include "update/update_check.h"

namespace vexlor::wizard {
namespace {

// The window's size and smallest size, in 96-dpi pixels.
constexpr int kClientWidth = 694;
constexpr int kClientHeight = 492;
constexpr int kMinimumWidth = 710;
constexpr int kMinimumHeight = 550;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;
// The skin the window selects from its skin set; it never selects another.
constexpr wchar_t kSkinName[] = L"iOS dark (internal)";

// The application icon at the size the system draws it in (SM_CXICON or SM_CXSMICON), taken
// from the image of that size rather than shrunk from a larger one. Resource 1 is the icon;
// tests built without it fall back to the system's.
HICON ApplicationIcon(int metric) {
    const int size = ::GetSystemMetrics(metric);
    const auto icon =
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                        IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
    return icon ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);
}

// On the primary monitor, at its DPI.
RECT CentredWindowRect() {
    const int dpi = ui::ScreenDpi();
    RECT frame{0, 0, ui::ScaleAt(dpi, kClientWidth), ui::ScaleAt(dpi, kClientHeight)};
    ::AdjustWindowRectEx(&frame, kStyle, TRUE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return {x, y, x + width, y + height};
}

} // namespace

TMainForm::TMainForm() = default;

TMainForm::~TMainForm() {
    if (ui::Application::Get().MainWindow() == Handle())
        ui::Application::Get().SetMainWindow(nullptr);
    DestroyHandle();
}

void TMainForm::Create() {
    RegisterWindowClass(MainWindowClassName, ApplicationIcon(SM_CXICON), nullptr,
                        ApplicationIcon(SM_CXSMICON));
    // The skin is active from the window's creation on, before anything is drawn.
    sSkinManager1 = std::make_unique<skin::SkinSet>(
        std::vector<skin::Skin>{skin::LoadEmbeddedSkin()}, kSkinName);
    CreateWindowHandle(MainWindowClassName, ApplicationTitle, kStyle | WS_CLIPCHILDREN, kExStyle,
                       CentredWindowRect(), nullptr, nullptr);
}

void TMainForm::Show(int showCommand) {
    ::ShowWindow(Handle(), showCommand);
    ::UpdateWindow(Handle());
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        ui::Application::Get().SetMainWindow(Handle());
        ImageList24 = skin::GlyphSet(ResourceGlyphs, ResourceGlyphs2x, GlyphCount, GlyphSize,
                                     ui::DpiOf(Handle()));
        BuildControls();
        BuildMenu();
        // An error here ends the creation steps, but the window is still created and shown.
        ui::Guard([this] { FormCreate(); });
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == IdTimerDialogs)
            TimerDialogsTimer();
        return 0;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {ui::Scale(Handle(), kMinimumWidth),
                                  ui::Scale(Handle(), kMinimumHeight)};
        return 0;
    }
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DROPFILES:
        FormDropFiles(platform::TakeDroppedPaths(reinterpret_cast<HDROP>(wParam)));
        return 0;
    case WM_COPYDATA:
        return TakeHandOver(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case MessageHandedPaths:
        AddWaitingHandOvers();
        return 0;
    case DM_GETDEFID: // the button that Enter presses where no other one has the focus
        return ::IsWindowEnabled(BtnNext) ? MAKELRESULT(IdBtnNext, DC_HASDEFID) : 0;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_QUERYENDSESSION:
        return cleaning_ ? FALSE : TRUE; // a run must not be cut off in the middle of a file
    case WM_DESTROY:
        ::KillTimer(Handle(), IdTimerDialogs);
        ::PostQuitMessage(0);
        return 0;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

void TMainForm::OnCommand(int id) {
    ui::Guard([&] { RunCommand(id); });
    // A close asked for during a deletion run waits until the run, its warning and the
    // finish page are done, so that nothing is destroyed under the running loop.
    if (closeRequested_ && !cleaning_ && Handle())
        ::DestroyWindow(Handle());
}

void TMainForm::RunCommand(int id) {
    switch (id) {
    case IdBtnNext:
        BtnNextClick();
        break;
    case IdBtnBack:
        BtnBackClick();
        break;
    case IdLabel5:
        sLabel5Click();
        break;
    case IdLabel11:
        sLabel11Click();
        break;
    case IdBtnAddFiles:
    case IdLabelAddFiles:
    case IdMenuAddFiles:
        BtnAddFilesClick();
        break;
    case IdBtnAddFolder:
    case IdMenuAddFolder:
        BtnAddFolderClick();
        break;
    case IdBtnDelete:
        BtnDeleteClick();
        break;
    case IdBtnCleanFiles:
    case IdMenuClean:
        BtnCleanFilesClick();
        break;
    case IdMenuExit:
        MainItemExitClick();
        break;
    case IdMenuHelp:
        MainItemHelpClick();
        break;
    case IdMenuSite:
        MainItemSiteClick();
        break;
    case IdMenuSuggest:
        N14Click();
        break;
    case IdMenuSocial:
        U1Click();
        break;
    case IdMenuSupport:
        MainItemSupportClick();
        break;
    case IdMenuAbout:
        MainItemAboutClick();
        break;
    case IdMenuFreeSpace:
        MainItemFreeSpaceClick();
        break;
    case IdBtnStop:
        BtnStopClick();
        break;
    default:
        break;
    }
}

void TMainForm::OnClose() {
    FormClose();
    if (!cleaning_) {
        ::DestroyWindow(Handle());
        return;
    }
    closeRequested_ = true;
    if (cleaningFreeSpace_)
        stopRequested_ = true; // a drive left full would hinder every other program
}

void TMainForm::FormCreate() {
    // The pages' tabs never show: pages change only through the navigation handlers.
    ShowPage(PageWelcome);
    RemoveFreeSpaceLeftovers(); // first: a drive left full hinders all that follows
    platform::SetTimerApi(Handle(), IdTimerDialogs, 1000);
    // The folder's outcome is not checked: the update check creates it again when it needs it.
    settings::CreateDataFolder();
    // Rewritten at every start, so that a moved program or a changed value is put right.
    settings::RegisterProjectFileType();
    settings::WriteFirstRunDefaults();
    LoadMainSettings();
    // Explorer's verb and "Send to" shortcut, mended as the association is, for the installed
    // copy only.
    settings::RepairExplorerEntries();
}

void TMainForm::FormClose() {
    SaveMainSettings();
}

void TMainForm::TimerDialogsTimer() {
    // Once per start, one second after it, in this order: the welcome page on the first run,
    // the tips, the update check (after the tips are closed), and only then the run counted.
    ::KillTimer(Handle(), IdTimerDialogs);
    if (settings::ReadRunCount() == 1)
        platform::OpenWebPage(WelcomeUrl);
    if (settings::ReadSettingBool(L"ShowHelpStart")) {
        dialogs::TFormUserAnswer tips(Handle());
        tips.ShowModal();
    }
    if (update::IsUpdateCheckDue())
        update::StartUpdateCheck(ui::RunOnGuiThread, ui::AskYesNo);
    settings::IncrementRunCount();
}

void TMainForm::BtnNextClick() {
    NavigateNext(*this);
}
void TMainForm::BtnBackClick() {
    NavigateBack(*this);
}
void TMainForm::sLabel5Click() {
    ReturnToFileSelection(*this);
}

void TMainForm::sLabel11Click() {
    platform::OpenWebPage(StartVideoUrl);
}
void TMainForm::MainItemHelpClick() {
    platform::OpenWebPage(TutorialUrl);
}
void TMainForm::MainItemSiteClick() {
    platform::OpenWebPage(SiteUrl);
}
void TMainForm::N14Click() {
    platform::OpenWebPage(SuggestUrl);
}
void TMainForm::U1Click() {
    platform::OpenWebPage(SocialGroupUrl);
}
void TMainForm::MainItemSupportClick() {
    platform::OpenWebPage(SupportUrl);
}
void TMainForm::MainItemExitClick() {
    ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TMainForm::MainItemAboutClick() {
    // A new dialog for each opening, destroyed when it has closed, and when showing it failed.
    dialogs::TFormAbout about(Handle());
    about.ShowModal();
}

void TMainForm::LoadMainSettings() {
    // Nothing is loaded: every setting is read where it is used.
}

void TMainForm::SetBackEnabled(bool enabled) {
    ::EnableWindow(BtnBack, enabled);
}
void TMainForm::SetNextEnabled(bool enabled) {
    ::EnableWindow(BtnNext, enabled);
}
void TMainForm::SetNextCaption(const std::wstring& caption) {
    ::SetWindowTextW(BtnNext, caption.c_str());
}
void TMainForm::SetTitle(const std::wstring& title) {
    ::SetWindowTextW(LabelHeaderHint, title.c_str());
}

void TMainForm::ShowPage(int page) {
    const HWND pages[] = {TabWelcome, TabSelectFiles, TabProgress, TabFinish};
    activePage_ = page;
    for (int i = 0; i < 4; ++i)
        ::ShowWindow(pages[i], i == page ? SW_SHOW : SW_HIDE);
    // Every page change comes last in its step, when the buttons are as the step leaves them.
    focus_ = SensibleFocus();
    if (::GetActiveWindow() == Handle())
        ::SetFocus(focus_);
}

HWND TMainForm::SensibleFocus() const {
    for (const HWND control : {BtnNext, BtnBack})
        if (::IsWindowEnabled(control))
            return control;
    return activePage_ == PageSelectFiles ? ListBoxFiles : Handle();
}

void TMainForm::OnActivate(bool active) {
    // As a dialog does: the control that had the focus gets it back with the window.
    if (!active) {
        const HWND focused = ::GetFocus();
        if (focused && ::IsChild(Handle(), focused))
            focus_ = focused;
        return;
    }
    if (!focus_ || !::IsWindow(focus_) || !::IsWindowVisible(focus_) || !::IsWindowEnabled(focus_))
        focus_ = SensibleFocus();
    ::SetFocus(focus_);
}

} // namespace vexlor::wizard
