// The cleaning of a drive's free space, driven from the main window; the work itself is in
// wipe/free_space.
#include "wizard/main_form.h"

#include "base/error.h"
#include "platform/clock.h"
#include "platform/disk_space.h"
#include "platform/file_dialog.h"
#include "platform/session.h"
#include "platform/taskbar.h"
#include "platform/volume_facts.h"
#include "settings/settings.h"
#include "ui/app_message.h"
#include "ui/controls.h"
#include "wizard/free_space_page.h"

namespace vexlor::wizard {
namespace {

// The overall bar goes over the phases in steps this fine, so that it and the taskbar button
// move during the long first phase too.
constexpr int kStepsPerPhase = 1000;
// The estimate of the time left changes at most this often, so that it can be read.
constexpr auto kTimeLeftInterval = std::chrono::seconds(1);

std::wstring FreeSpaceFolderIn(const std::wstring& folder) {
    const bool separated = !folder.empty() && folder.back() == L'\\';
    return folder + (separated ? L"" : L"\\") + wipe::FreeSpaceFolderName;
}

} // namespace

// The bars, the phase's line, the time left and the stop, as the cleaning sees them.
class TMainForm::FreeSpaceRun final : public wipe::FreeSpaceView {
public:
    explicit FreeSpaceRun(TMainForm& form) : form_(form) {
        form_.overallBar_.Reset(wipe::FreeSpacePhaseCount * kStepsPerPhase);
    }

    void ShowPhase(wipe::FreeSpacePhase phase) override {
        phase_ = static_cast<int>(phase);
        form_.overallBar_.SetPosition(phase_ * kStepsPerPhase);
        ::SetWindowTextW(form_.sLabel3, PhaseText(phase).c_str());
        ui::SetLabelText(form_.LabelTimeLeft, L"");
        if (phase == wipe::FreeSpacePhase::Removal)
            ::EnableWindow(form_.BtnStop, FALSE); // its files go now whatever is pressed
        form_.ShowProgressNow();
    }
    bool StopRequested() const override { return form_.stopRequested_; }

    void ResetFileBar(int maximum) override {
        maximum_ = maximum;
        position_ = 0;
        form_.fileBar_.Reset(maximum);
        timeLeft_.Start(platform::SteadyNowApi());
        timeLeftShown_ = {};
    }
    void SetFileBarPosition(int position) override {
        position_ = position;
        form_.fileBar_.SetPosition(position);
        const long long within =
            maximum_ > 0
                ? std::min<long long>(kStepsPerPhase, 1LL * kStepsPerPhase * position / maximum_)
                : 0;
        form_.overallBar_.SetPosition(phase_ * kStepsPerPhase + static_cast<int>(within));
    }
    void ProcessMessages() override {
        if (phase_ == static_cast<int>(wipe::FreeSpacePhase::Clusters))
            ShowTimeLeftIfDue();
        form_.ProcessMessages();
    }

private:
    void ShowTimeLeftIfDue() {
        const platform::SteadyTime now = platform::SteadyNowApi();
        if (now - timeLeftShown_ < kTimeLeftInterval)
            return;
        timeLeftShown_ = now;
        ui::SetLabelText(form_.LabelTimeLeft,
                         timeLeft_.Text(now, static_cast<std::uint64_t>(position_),
                                        static_cast<std::uint64_t>(maximum_)));
    }

    TMainForm& form_;
    int phase_ = 0;
    int maximum_ = 0;
    int position_ = 0;
    TimeLeft timeLeft_;
    platform::SteadyTime timeLeftShown_{};
};

void TMainForm::MainItemFreeSpaceClick() {
    if (cleaning_)
        return; // the item is disabled meanwhile; a command sent anyway is not a second run
    const std::optional<std::wstring> folder = platform::ChooseFolder(Handle());
    if (!folder)
        return;
    const std::wstring question =
        FreeSpaceQuestion(platform::VolumeRoot(*folder), platform::DiskSpaceApi(*folder),
                          wipe::DriveReasons(platform::FactsOfVolume(*folder)));
    if (ui::ShowAppMessage(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    CleanFreeSpace(*folder);
}

void TMainForm::BtnStopClick() {
    stopRequested_ = true;
    ::EnableWindow(BtnStop, FALSE);
}

void TMainForm::CleanFreeSpace(const std::wstring& folder) {
    SetNextEnabled(false);
    SetBackEnabled(false);
    SetTitle(TitleFreeSpace);
    ShowPage(PageProgress);
    try {
        RunFreeSpace(folder);
    } catch (...) {
        ShowFinished(*this);
        throw;
    }
    ShowFinished(*this);
}

void TMainForm::RunFreeSpace(const std::wstring& folder) {
    struct Running {
        TMainForm& form;
        explicit Running(TMainForm& f) : form(f) {
            form.cleaning_ = form.cleaningFreeSpace_ = true;
            form.stopRequested_ = false;
            form.ShowFreeSpaceControls(true);
            form.focus_ = form.BtnStop;
            if (::GetActiveWindow() == form.Handle())
                ::SetFocus(form.BtnStop);
        }
        ~Running() {
            form.ShowProgressNow();
            form.cleaning_ = form.cleaningFreeSpace_ = false;
            form.ShowFreeSpaceControls(false);
            platform::TaskbarProgressApi(form.Handle(), platform::TaskbarState::None, 0, 0);
            if (::GetForegroundWindow() != form.Handle())
                platform::FlashWindowApi(form.Handle());
        }
    } running(*this);
    const platform::ShutdownBlock noLogOff(Handle(), L"Идет очистка свободного места");
    RemoveFreeSpaceLeftovers(); // of an earlier cleaning elsewhere, before its record goes
    // Kept until the cleaning's folder is gone: if the program ends before, the next start
    // finds the folder by it.
    settings::WriteSettingString(FreeSpaceFolderSetting, folder);
    ui::SetLabelText(sLabel4, L"Операция завершена.");
    FreeSpaceRun view(*this);
    wipe::FreeSpaceOutcome outcome;
    try {
        outcome = wipe::CleanFreeSpace(folder, view);
    } catch (...) {
        RemoveFreeSpaceLeftovers();
        throw;
    }
    if (outcome.removed)
        settings::WriteSettingString(FreeSpaceFolderSetting, L"");
    ui::SetLabelText(sLabel4, FreeSpaceResultText(outcome));
    std::vector<wipe::Outcome> report;
    if (!outcome.removed)
        report.push_back({FreeSpaceFolderIn(folder), {wipe::Reason::NotDeleted}});
    const std::vector<wipe::Reason> drive = wipe::DriveReasons(platform::FactsOfVolume(folder));
    if (!drive.empty())
        report.push_back({platform::VolumeRoot(folder), drive});
    ShowNotDestroyed(report);
}

void TMainForm::RemoveFreeSpaceLeftovers() {
    const std::wstring folder = settings::ReadSettingString(FreeSpaceFolderSetting);
    if (folder.empty() || !wipe::RemoveFreeSpaceLeftovers(folder))
        return; // a drive not there now is looked at again at the next start
    try {
        settings::WriteSettingString(FreeSpaceFolderSetting, L"");
    } catch (const Error&) {
        // The folder is gone; looking for it again at the next start does no harm.
    }
}

void TMainForm::ShowFreeSpaceControls(bool shown) {
    for (const HWND control : {LabelTimeLeft, BtnStop})
        ::ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    ::EnableWindow(BtnStop, shown);
    ::EnableMenuItem(MainMenu1, IdMenuFreeSpace, MF_BYCOMMAND | (shown ? MF_GRAYED : MF_ENABLED));
    if (!shown)
        ::SetWindowTextW(sLabel3, DeletionNote);
}

} // namespace vexlor::wizard
