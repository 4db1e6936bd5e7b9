#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/glyphs.h"
#include "skin/menu_skin.h"
#include "skin/skin.h"
#include "skin/skinned_controls.h"
#include "ui/hints.h"
#include "ui/throttled_progress.h"
#include "ui/window.h"
#include "wipe/deletion_run.h"
#include "wizard/file_list.h"
#include "wizard/main_images.h"
#include "wizard/navigation.h"

namespace vexlor::wizard {

// The hint and accessible name of BtnAddFolder.
inline constexpr wchar_t AddFolderHint[] = L"Добавить папку со всеми вложенными папками";

// The line above the bars during a deletion run.
inline constexpr wchar_t DeletionNote[] =
    L"Идет процесс удаления файлов, не выключайте компьютер и убедитесь, что файлы не "
    L"синхронизированы в облачных сервисах...";

// The main window: a four-page wizard (welcome, file selection, progress, finish) with a title
// band, the "Назад"/"Далее" pair and the main menu. Controls are public fields so that tests
// and the deletion run can reach them by name.
class TMainForm : public ui::Window, private WizardView, private wipe::RunView {
public:
    TMainForm();
    ~TMainForm() override;

    // Creates the window and its controls; FormCreate runs inside. Nothing is shown yet.
    void Create();
    void Show(int showCommand);

    // Handlers, one per user action.
    void FormCreate();
    void FormClose();
    void BtnNextClick();
    void BtnBackClick();
    void sLabel5Click();
    void sLabel11Click();
    void BtnAddFilesClick();
    // "Добавить папку": folders chosen in the dialog's folder mode, added as AddPaths does.
    void BtnAddFolderClick();
    // Files and folders dragged from Explorer onto the window, added as AddPaths does.
    void FormDropFiles(const std::vector<std::wstring>& paths);
    void BtnDeleteClick();
    void BtnCleanFilesClick();
    void ListBoxFilesMouseDown();
    void TimerDialogsTimer();
    void MainItemExitClick();
    void MainItemHelpClick();
    void MainItemSiteClick();
    void N14Click();
    void U1Click();
    void MainItemSupportClick();
    void MainItemAboutClick();
    // "Очистить свободное место…": a folder chosen, the question, then the cleaning of its
    // drive on the progress page and the finish page.
    void MainItemFreeSpaceClick();
    void BtnStopClick();

    // Appends files to the list as if they had been chosen in the open-file dialog, and brings
    // the buttons, the menu item and the hint into line with the list.
    void AddFiles(const std::vector<std::wstring>& paths);
    // Each path as AddFiles takes it, but for a folder its files, all its subfolders down (links
    // listed as themselves, not followed), with the folder noted for its removal after the run.
    void AddPaths(const std::vector<std::wstring>& paths);
    // The paths a start of the program was given (base/start_arguments.h): those that join the
    // list are added as AddPaths does, on page 1 when the welcome page shows.
    void AddHandedPaths(const std::vector<std::wstring>& paths, bool toDestroy);
    // The folders noted by AddPaths since the list was last cleared.
    std::vector<std::wstring> Folders() const override;

    void StartClean();
    bool DoCleanFile(const std::wstring& path);
    // The finish page's list of what the run could not destroy beyond doubt; empty, the page
    // shows its picture.
    void ShowNotDestroyed(const std::vector<wipe::Outcome>& outcomes);
    void SaveMainSettings();
    void LoadMainSettings();
    // Cleans the free space of the drive of `folder`, from the progress page to the finish page.
    void CleanFreeSpace(const std::wstring& folder);
    // Deletes what a cleaning that did not end left behind, in the folder the settings name.
    void RemoveFreeSpaceLeftovers();

    int ActivePage() const override { return activePage_; }
    // True while a deletion run is in progress.
    bool Cleaning() const { return cleaning_; }
    // True while a free-space cleaning is in progress.
    bool CleaningFreeSpace() const { return cleaningFreeSpace_; }

    // Top band.
    HWND PanelHearer = nullptr;
    HWND LabelHeaderHint = nullptr;
    // Pages.
    HWND PageControlMain = nullptr;
    HWND TabWelcome = nullptr;
    HWND TabSelectFiles = nullptr;
    HWND TabProgress = nullptr;
    HWND TabFinish = nullptr;
    // Bottom band.
    HWND sPanel2 = nullptr;
    HWND BtnBack = nullptr;
    HWND BtnNext = nullptr;
    // Page 0.
    HWND Image3 = nullptr;
    HWND sPanel1 = nullptr;
    HWND sLabel6 = nullptr;
    HWND sLabel7 = nullptr;
    HWND sLabel8 = nullptr;
    HWND sLabel9 = nullptr;
    HWND sLabel10 = nullptr;
    HWND sLabel11 = nullptr;
    // Page 1.
    HWND ListBoxFiles = nullptr;
    HWND sPanel3 = nullptr;
    HWND BtnAddFiles = nullptr;
    HWND BtnAddFolder = nullptr;
    HWND BtnDelete = nullptr;
    HWND BtnCleanFiles = nullptr;
    HWND PanelAddFilesHint = nullptr;
    HWND sLabel1 = nullptr;
    HWND LabelAddFiles = nullptr;
    // Page 2.
    HWND Image2 = nullptr;
    HWND sLabel2 = nullptr;
    HWND sLabel3 = nullptr;
    HWND ProgressBar = nullptr;
    HWND ProgressBarCurrentFile = nullptr;
    // Shown during a free-space cleaning only.
    HWND LabelTimeLeft = nullptr;
    HWND BtnStop = nullptr;
    // Page 3; the label and the list of what may not be destroyed show only when there is any.
    HWND Image1 = nullptr;
    HWND sLabel4 = nullptr;
    HWND sLabel5 = nullptr;
    HWND LabelNotDestroyed = nullptr;
    HWND ListBoxNotDestroyed = nullptr;
    // Main menu and the items whose state changes.
    HMENU MainMenu1 = nullptr;
    std::unique_ptr<ui::Hints> Hints;
    // The program's skins and the one in use, from the window's creation to its end.
    std::unique_ptr<skin::SkinSet> sSkinManager1;
    // The glyphs of the buttons and the menu.
    skin::GlyphSet ImageList24;

    // Command identifiers of the controls and menu items.
    enum CommandId : int {
        IdBtnNext = 100,
        IdBtnBack,
        IdBtnAddFiles,
        IdBtnDelete,
        IdBtnCleanFiles,
        IdListBoxFiles,
        IdListBoxNotDestroyed,
        IdLabelAddFiles,
        IdLabel5,
        IdLabel11,
        IdMenuAddFiles, // N3
        IdMenuClean,    // MI_Clean
        IdMenuExit,
        IdMenuHelp,
        IdMenuSite,
        IdMenuSuggest, // N14
        IdMenuSocial,  // U1
        IdMenuSupport,
        IdMenuAbout,
        IdBtnAddFolder,
        IdMenuAddFolder,
        IdMenuFreeSpace,
        IdBtnStop,
        IdTimerDialogs = 1,
        // Posted to itself for paths a second start handed over.
        MessageHandedPaths = WM_APP + 1,
    };

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // WizardView.
    void SetBackEnabled(bool enabled) override;
    void SetNextEnabled(bool enabled) override;
    void SetNextCaption(const std::wstring& caption) override;
    void SetTitle(const std::wstring& title) override;
    void ShowPage(int page) override;
    void RunClean() override;

    // wipe::RunView: the list, the two bars and the message pump for the deletion run.
    void ResetFileBar(int maximum) override;
    void SetFileBarPosition(int position) override;
    void ProcessMessages() override;
    std::vector<wipe::EntryId> Entries() const override;
    std::optional<std::wstring> PathOf(wipe::EntryId entry) const override;
    void ResetOverallBar(int maximum) override;
    void SetOverallBarPosition(int position) override;
    void ShowProgressNow() override;
    void CleanFile(const std::wstring& path, wipe::FinishQueue& finishing) override;
    void ShowBusy(bool busy) override;
    void Warn(const std::wstring& text) override;
    void Report(std::vector<wipe::Outcome> outcomes) override;

    // WM_COPYDATA from a second start: the path waits for MessageHandedPaths, the window
    // comes to the front.
    bool TakeHandOver(const COPYDATASTRUCT& record);
    void AddWaitingHandOvers();
    // Paths that join the list, added as AddPaths does, on page 1 when the welcome page shows.
    void AddJoiningPaths(const std::vector<std::wstring>& paths);
    // The free-space cleaning's view of the window (main_form_free_space.cpp).
    class FreeSpaceRun;
    void RunFreeSpace(const std::wstring& folder);
    void ShowFreeSpaceControls(bool shown);

    // The file list's updates: (a) the delete button, then (b) to (e) the rest.
    void UpdateDeleteButton();
    void UpdateListState();
    void WatchListBoxMouse();
    static LRESULT CALLBACK ListBoxMouseSubclass(HWND list, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR id,
                                                 DWORD_PTR form) noexcept;

    void BuildControls();
    void BuildWelcomePage();
    void BuildFileSelectionPage();
    void BuildProgressPage();
    void BuildFinishPage();
    void BuildMenu();
    void SetButtonGlyph(HWND button, int glyph, skin::GlyphPlacement placement);
    void Layout();
    void LayOutFinishPage(int width, int pageHeight);
    void LayOutFinishPage();

    void OnCommand(int id);
    void RunCommand(int id);
    void OnClose();
    void OnActivate(bool active);
    // The window moved to a monitor of another DPI, or the scaling changed: everything that is
    // drawn or placed at the DPI made again.
    void OnDpiChanged(const RECT& suggested);
    // "Далее" when it is enabled, else "Назад", else the list on its page, else the window.
    HWND SensibleFocus() const;

    std::unique_ptr<skin::SkinnedMenu> menu_;
    FileList fileList_;
    FileList notDestroyed_; // the lines of ListBoxNotDestroyed
    ui::ThrottledProgress overallBar_;
    ui::ThrottledProgress fileBar_;
    int activePage_ = PageWelcome;
    HWND focus_ = nullptr; // what gets the keyboard focus with the window
    bool cleaning_ = false;
    bool cleaningFreeSpace_ = false;
    bool stopRequested_ = false;
    bool closeRequested_ = false;
    struct HandOver {
        std::wstring path;
        bool toDestroy;
    };
    std::vector<HandOver> handOvers_; // taken, not yet added
};

} // namespace vexlor::wizard
