// Times the destruction of files as the program does it. Usage:
//   vexlor_wipe_benchmark inprocess PATH   DoCleanFile on each file, no window on screen
//   vexlor_wipe_benchmark window PATH      the main window shown, the files in its list, from
//                                          the click on "Далее" to the finish page drawn
//   vexlor_wipe_benchmark answers PATH     the same, while another thread asks the window for
//                                          an answer every 5 ms
//   vexlor_wipe_benchmark profile PATH     as "window", and where the run's time went: the
//                                          seconds in writes, in flushes on the window thread
//                                          and on helpers, in renames, in deletes (with the
//                                          close), each summed over its calls
//   vexlor_wipe_benchmark choose FOLDER    "Добавить файлы" on the file page, every file of
//                                          the folder chosen at once in the real open-file
//                                          dialog (its names typed, then "Open"), then the run
//   vexlor_wipe_benchmark folder FOLDER    "Добавить папку" on the file page, the dialog
//                                          answering at once with FOLDER; nothing destroyed
//   vexlor_wipe_benchmark freespace FOLDER "Очистить свободное место…" with FOLDER chosen and
//                                          the question answered Yes, to the finish page, with
//                                          the window asked for an answer every 5 ms: prints
//                                          the seconds, the longest answer (ms) and the finish
//                                          page's line. Only ever on a volume image of its own.
// PATH is a file or a folder whose files are all taken. Prints the seconds; for "answers" also
// the longest time the window took to answer during the run, in ms, and how many answers took
// longer than 50 ms. The asking costs the run time of its own, so it is measured apart. For
// "choose": the seconds from "Open" to the list holding the files, from the dialog gone (hidden)
// to the list holding them, from the dialog hidden to its window destroyed, the longest answer of
// the window meanwhile (ms, asked every 5 ms from the dialog gone on), then the seconds of the run
// and the window's longest answer in it (asked all along: the run is then a little slower than
// "window" would time it). For "folder": the seconds from the dialog's answer to the list
// holding every file of the folder, and the window's longest answer meanwhile (ms).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "base/handles.h"
#include "base/product.h"
#include "platform/common_controls.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/seam.h"
#include "platform/message_box.h"
#include "ui/controls.h"
#include "skin/window_skin.h"
#include "ui/application.h"
#include "wizard/main_form.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::wstring> FilesAt(const std::wstring& path) {
    if (!(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY))
        return {path};
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(path + L"\\" + found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(files.begin(), files.end());
    return files;
}

// Asks the window for an answer every few milliseconds and keeps the longest wait; until
// `armed` holds, the answers are not counted.
class ResponseWatch {
public:
    explicit ResponseWatch(
        HWND window, std::function<bool()> armed = [] { return true; })
        : thread_([this, window, armed] {
              while (!stop_) {
                  if (!armed()) {
                      ::Sleep(1);
                      continue;
                  }
                  const auto asked = Clock::now();
                  DWORD_PTR result = 0;
                  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
                  const double waited =
                      std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
                  longest_ = std::max(longest_.load(), waited);
                  if (waited > 50)
                      ++slow_;
                  if (waited > 40 && std::getenv("VEXLOR_BENCHMARK_SLOW_ANSWERS"))
                      std::fprintf(stderr, "answer of %.1f ms asked %.3f s in\n", waited,
                                   std::chrono::duration<double>(asked - started_).count());
                  ::Sleep(5);
              }
              finished_ = true;
          }) {}
    ~ResponseWatch() { Stop(); }
    // Stops asking; the window keeps answering until the last question is answered, so that
    // its wait counts too.
    void Stop() {
        if (!thread_.joinable())
            return;
        stop_ = true;
        while (!finished_) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&message);
            ::Sleep(1);
        }
        thread_.join();
    }
    double Longest() const { return longest_; }
    // How many answers took longer than 50 ms.
    int Slow() const { return slow_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<double> longest_{0};
    std::atomic<int> slow_{0};
    const Clock::time_point started_ = Clock::now();
    std::thread thread_;
};

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

int InProcess(vexlor::wizard::TMainForm& form, const std::vector<std::wstring>& files) {
    const auto start = Clock::now();
    bool deleted = true;
    for (const auto& file : files)
        deleted = form.DoCleanFile(file) && deleted;
    std::printf("%.3f\n", std::chrono::duration<double>(Clock::now() - start).count());
    return deleted ? 0 : 1;
}

// The run as the user starts it, from "Далее" to the finish page drawn; with `watchAnswers`,
// the window is asked for an answer all along.
struct RunTimes {
    double seconds = 0;
    double longestAnswer = 0;
    int slowAnswers = 0;
};
RunTimes TimeTheRun(vexlor::wizard::TMainForm& form, bool watchAnswers) {
    RunTimes times;
    std::optional<ResponseWatch> watch;
    if (watchAnswers)
        watch.emplace(form.Handle());
    const auto start = Clock::now();
    form.BtnNextClick(); // "Далее": the run, then the finish page
    ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    times.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (watch) {
        watch->Stop();
        times.longestAnswer = watch->Longest();
        times.slowAnswers = watch->Slow();
    }
    return times;
}

int InWindow(vexlor::wizard::TMainForm& form, const std::vector<std::wstring>& files,
             bool watchAnswers) {
    form.Show(SW_SHOWNORMAL);
    form.BtnNextClick(); // to the file page
    form.AddFiles(files);
    ::UpdateWindow(form.Handle());
    Pump();
    const RunTimes run = TimeTheRun(form, watchAnswers);
    if (watchAnswers)
        std::printf("%.3f %.1f %d\n", run.seconds, run.longestAnswer, run.slowAnswers);
    else
        std::printf("%.3f\n", run.seconds);
    return form.ActivePage() == vexlor::wizard::PageFinish ? 0 : 1;
}

// Sums the time spent in each kind of system call of the run, by whichever thread.
class CallTimes {
public:
    CallTimes()
        : write_(vexlor::platform::WriteFileApi,
                 [this](HANDLE file, std::uint64_t offset, const void* data, DWORD bytes,
                        DWORD& done) {
                     return Timed(writes_, [&] {
                         return vexlor::platform::WriteFileAtDirect(file, offset, data, bytes,
                                                                    done);
                     });
                 }),
          flush_(vexlor::platform::FlushFileBuffersApi,
                 [this](HANDLE file) {
                     auto& sum =
                         ::GetCurrentThreadId() == window_ ? windowFlushes_ : helperFlushes_;
                     return Timed(sum, [&] { return ::FlushFileBuffers(file) != FALSE; });
                 }),
          rename_(vexlor::platform::RenameOpenFileApi,
                  [this](HANDLE file, const std::wstring& from, const std::wstring& to) {
                      return Timed(renames_, [&] {
                          return vexlor::platform::RenameOpenFileDirect(file, from, to);
                      });
                  }),
          delete_(
              vexlor::platform::DeleteOpenFileApi, [this](HANDLE file, const std::wstring& path) {
                  return Timed(deletes_,
                               [&] { return vexlor::platform::DeleteOpenFileDirect(file, path); });
              }) {}

    void Print(double total) const {
        std::printf("%.3f writes %.3f window-flushes %.3f helper-flushes %.3f renames %.3f "
                    "deletes %.3f\n",
                    total, writes_.load(), windowFlushes_.load(), helperFlushes_.load(),
                    renames_.load(), deletes_.load());
    }

private:
    template <typename Call> bool Timed(std::atomic<double>& sum, Call call) {
        const auto start = Clock::now();
        const bool result = call();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        double seen = sum.load();
        while (!sum.compare_exchange_weak(seen, seen + seconds)) {
        }
        return result;
    }

    const DWORD window_ = ::GetCurrentThreadId();
    std::atomic<double> writes_{0}, windowFlushes_{0}, helperFlushes_{0}, renames_{0}, deletes_{0};
    vexlor::platform::ScopedSeam<vexlor::platform::WriteFileSignature> write_;
    vexlor::platform::ScopedSeam<vexlor::platform::FlushFileBuffersSignature> flush_;
    vexlor::platform::ScopedSeam<vexlor::platform::RenameOpenFileSignature> rename_;
    vexlor::platform::ScopedSeam<vexlor::platform::DeleteOpenFileSignature> delete_;
};

int Profile(vexlor::wizard::TMainForm& form, const std::vector<std::wstring>& files) {
    form.Show(SW_SHOWNORMAL);
    form.BtnNextClick();
    form.AddFiles(files);
    ::UpdateWindow(form.Handle());
    Pump();
    const CallTimes times;
    times.Print(TimeTheRun(form, false).seconds);
    return form.ActivePage() == vexlor::wizard::PageFinish ? 0 : 1;
}

// This process's visible open-file dialog, if it is up.
HWND OpenDialog() {
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
                std::wstring(name) == L"#32770") {
                reinterpret_cast<Search*>(context)->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FileNameBox(HWND dialog) {
    HWND found = nullptr;
    ::EnumChildWindows(
        dialog,
        [](HWND window, LPARAM context) -> BOOL {
            if (::GetDlgCtrlID(window) != 1152)
                return TRUE;
            *reinterpret_cast<HWND*>(context) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int ItemsShown(HWND dialog) {
    HWND view = nullptr;
    ::EnumChildWindows(
        dialog,
        [](HWND window, LPARAM context) -> BOOL {
            wchar_t name[32] = {};
            ::GetClassNameW(window, name, 32);
            if (std::wstring(name) != L"SysListView32")
                return TRUE;
            *reinterpret_cast<HWND*>(context) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&view));
    return view ? static_cast<int>(::SendMessageW(view, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

// Types into the dialog's file-name box and presses "Open", as the user would.
void TypeAndOpen(HWND dialog, const std::wstring& text) {
    ::SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

// The user's part in the dialog: to the folder, then every file's name at once. Stamps the
// click on "Open" and the moment the dialog is gone.
class DialogUser {
public:
    DialogUser(const std::wstring& folder, const std::vector<std::wstring>& files)
        : thread_([this, folder, files] {
              HWND dialog = nullptr;
              while (!(dialog = OpenDialog()))
                  ::Sleep(5);
              TypeAndOpen(dialog, folder);
              while (ItemsShown(dialog) < static_cast<int>(files.size()))
                  ::Sleep(5);
              std::wstring names;
              for (const std::wstring& file : files)
                  names += L"\"" + file.substr(file.find_last_of(L'\\') + 1) + L"\" ";
              opened = Clock::now();
              TypeAndOpen(dialog, names);
              while (::IsWindow(dialog) && ::IsWindowVisible(dialog))
                  ::Sleep(1);
              closed = Clock::now();
              gone = true;
              while (::IsWindow(dialog))
                  ::Sleep(1);
              destroyed = Clock::now();
          }) {}
    ~DialogUser() { Finish(); }
    void Finish() {
        if (thread_.joinable())
            thread_.join();
    }

    Clock::time_point opened;
    Clock::time_point closed;
    Clock::time_point destroyed; // the system's dialog, hidden first, then torn down
    std::atomic<bool> gone{false};

private:
    std::thread thread_;
};

int ChooseThenRun(vexlor::wizard::TMainForm& form, const std::wstring& folder,
                  const std::vector<std::wstring>& files) {
    form.Show(SW_SHOWNORMAL);
    form.BtnNextClick(); // to the file page
    Pump();
    double fromOpen = 0;
    double fromClosed = 0;
    double torndown = 0;
    double longest = 0;
    {
        DialogUser user(folder, files);
        ResponseWatch watch(form.Handle(), [&user] { return user.gone.load(); });
        form.BtnAddFilesClick();
        ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        const auto filled = Clock::now();
        fromOpen = std::chrono::duration<double>(filled - user.opened).count();
        fromClosed = std::chrono::duration<double>(filled - user.closed).count();
        watch.Stop();
        longest = watch.Longest();
        user.Finish();
        torndown = std::chrono::duration<double>(user.destroyed - user.closed).count();
    }
    const auto listed = ::SendMessageW(form.ListBoxFiles, LB_GETCOUNT, 0, 0);
    if (listed != static_cast<LRESULT>(files.size())) {
        std::fwprintf(stderr, L"the list holds %d of %d files\n", static_cast<int>(listed),
                      static_cast<int>(files.size()));
        return 1;
    }
    const RunTimes run = TimeTheRun(form, true);
    std::printf("%.3f %.3f %.3f %.1f %.3f %.1f\n", fromOpen, fromClosed, torndown, longest,
                run.seconds, run.longestAnswer);
    return form.ActivePage() == vexlor::wizard::PageFinish ? 0 : 1;
}

int AddFolder(vexlor::wizard::TMainForm& form, const std::wstring& folder,
              const std::vector<std::wstring>& files) {
    form.Show(SW_SHOWNORMAL);
    form.BtnNextClick(); // to the file page
    Pump();
    std::atomic<bool> answered{false};
    Clock::time_point closed;
    vexlor::platform::ShowOpenDialogApi.Replace([&](const vexlor::platform::OpenDialogRequest&) {
        closed = Clock::now();
        answered = true;
        return std::optional<std::vector<std::wstring>>({folder});
    });
    ResponseWatch watch(form.Handle(), [&answered] { return answered.load(); });
    form.BtnAddFolderClick();
    ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double seconds = std::chrono::duration<double>(Clock::now() - closed).count();
    watch.Stop();
    const auto listed = ::SendMessageW(form.ListBoxFiles, LB_GETCOUNT, 0, 0);
    std::printf("%.3f %.1f\n", seconds, watch.Longest());
    return listed == static_cast<LRESULT>(files.size()) ? 0 : 1;
}

// The cleaning of a folder's free space, the folder and the answer given through the seams.
int FreeSpace(vexlor::wizard::TMainForm& form, const std::wstring& folder) {
    form.Show(SW_SHOWNORMAL);
    Pump();
    vexlor::platform::ShowOpenDialogApi.Replace([&](const vexlor::platform::OpenDialogRequest&) {
        return std::optional<std::vector<std::wstring>>(std::vector<std::wstring>{folder});
    });
    vexlor::platform::MessageBoxApi.Replace(
        [](HWND, const std::wstring&, const std::wstring&, UINT) { return IDYES; });
    ResponseWatch watch(form.Handle());
    const auto start = Clock::now();
    form.MainItemFreeSpaceClick();
    ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    watch.Stop();
    const std::wstring line = vexlor::ui::TextOf(form.sLabel4);
    std::string utf8(line.size() * 3, '\0');
    utf8.resize(static_cast<std::size_t>(
        ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(),
                              static_cast<int>(utf8.size()), nullptr, nullptr)));
    std::printf("%.3f %.1f %s\n", seconds, watch.Longest(), utf8.c_str());
    return form.ActivePage() == vexlor::wizard::PageFinish ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc == 3 ? argv[1] : L"";
    if (mode != L"inprocess" && mode != L"window" && mode != L"answers" && mode != L"choose" &&
        mode != L"profile" && mode != L"folder" && mode != L"freespace") {
        std::fwprintf(stderr, L"usage: vexlor_wipe_benchmark "
                              L"inprocess|window|answers|profile|choose|folder|freespace PATH\n");
        return 2;
    }
    const vexlor::ComInitialized com; // the open-file dialog is a COM object
    vexlor::platform::InitCommonControls(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES);
    vexlor::ui::Application::Get().Initialize(::GetModuleHandleW(nullptr),
                                              vexlor::ApplicationTitle);
    vexlor::skin::SkinEveryWindow();
    vexlor::wizard::TMainForm form;
    form.Create();
    // No start-up dialogs in the middle of what is measured.
    ::KillTimer(form.Handle(), vexlor::wizard::TMainForm::IdTimerDialogs);
    try {
        const auto files = FilesAt(argv[2]);
        if (mode == L"inprocess")
            return InProcess(form, files);
        if (mode == L"profile")
            return Profile(form, files);
        if (mode == L"freespace")
            return FreeSpace(form, argv[2]);
        if (mode == L"choose")
            return ChooseThenRun(form, argv[2], files);
        if (mode == L"folder")
            return AddFolder(form, argv[2], files);
        return InWindow(form, files, mode == L"answers");
    } catch (const vexlor::Error& error) {
        std::fwprintf(stderr, L"%ls\n", error.Text().c_str());
        return 1;
    }
}
