// Saves a picture of each wizard page, as the real main window shows it, to page-N.bmp in the
// folder given as the first argument. The progress page is captured in the middle of a real
// deletion run of a large scratch file, from a timer that the run's message processing fires.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/product.h"
#include "platform/common_controls.h"
#include <cderr.h>

#include "base/handles.h"
#include "dialogs/dlg_answers.h"
#include "dialogs/tips.h"
#include "platform/disk_space.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/volume_facts.h"
#include "platform/message_box.h"
#include "skin/window_skin.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "wizard/main_form.h"

namespace {

std::wstring outputFolder;
vexlor::wizard::TMainForm* form = nullptr;
bool progressCaptured = false;

void Flush() {
    ::RedrawWindow(form->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    ::GdiFlush();
}

bool SaveScreenPicture(const RECT& frame, const std::wstring& path) {
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    vexlor::WindowDc screen(nullptr);
    vexlor::MemoryDc memory(screen.Get());
    vexlor::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), width, height));
    {
        vexlor::SelectedObject selected(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), frame.left, frame.top, SRCCOPY);
    }
    BITMAPINFOHEADER header{sizeof(header), width, height, 1, 24, BI_RGB};
    const DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
    std::vector<char> pixels(rowBytes * height);
    ::GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{
        0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(header) + pixels.size()), 0, 0,
        sizeof(BITMAPFILEHEADER) + sizeof(header)};
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out)
        return false;
    fwrite(&file, sizeof(file), 1, out);
    fwrite(&header, sizeof(header), 1, out);
    fwrite(pixels.data(), 1, pixels.size(), out);
    fclose(out);
    return true;
}

void CaptureAs(const std::wstring& name) {
    Flush();
    ::Sleep(300);
    Flush();
    RECT frame;
    ::GetWindowRect(form->Handle(), &frame);
    SaveScreenPicture(frame, outputFolder + L"\\" + name + L".bmp");
}

void Capture(int page) {
    CaptureAs(L"page-" + std::to_wstring(page));
}

bool menuCaptured = false;

// Runs inside the menu's own loop: the window and its open drop-down in one picture.
void CALLBACK CaptureMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    RECT frame;
    ::GetWindowRect(form->Handle(), &frame);
    if (const HWND popup = ::FindWindowW(L"#32768", nullptr)) {
        RECT drop;
        ::GetWindowRect(popup, &drop);
        ::UnionRect(&frame, &frame, &drop);
        menuCaptured = SaveScreenPicture(frame, outputFolder + L"\\menu.bmp");
    }
    ::EndMenu();
}

// Opens the "Файл" menu with a click, as a user would.
void OpenFileMenu() {
    RECT item{};
    ::GetMenuItemRect(form->Handle(), ::GetMenu(form->Handle()), 0, &item);
    ::SetForegroundWindow(form->Handle());
    ::SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    INPUT click[2]{};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SetTimer(nullptr, 0, 700, &CaptureMenu);
    ::SendInput(2, click, sizeof(INPUT));
    const DWORD start = ::GetTickCount();
    MSG message;
    while (!menuCaptured && ::GetTickCount() - start < 3000) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(10);
    }
}

void CALLBACK CaptureDuringRun(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (form->ActivePage() == vexlor::wizard::PageProgress) {
        Capture(2);
        progressCaptured = true;
    }
}

std::wstring MakeScratchFile() {
    const std::wstring path = outputFolder + L"\\scratch.bin";
    vexlor::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<char> block(1 << 20, 'x');
    for (int i = 0; i < 1024; ++i) { // large enough that the run lasts past the capture
        DWORD written = 0;
        ::WriteFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
    }
    return path;
}

// The window of `className` once it shows, saved as `name`.bmp, then closed with Esc.
std::wstring dialogClass;
std::wstring dialogPicture;
bool dialogCaptured = false;

void CALLBACK CaptureDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const HWND dialog = ::FindWindowW(dialogClass.c_str(), nullptr);
    if (!dialog)
        return;
    ::RedrawWindow(dialog, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    ::Sleep(300);
    // The client area: on a display without a window manager no title bar is drawn.
    RECT client;
    ::GetClientRect(dialog, &client);
    ::MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    dialogCaptured = SaveScreenPicture(client, outputFolder + L"\\" + dialogPicture + L".bmp");
    ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
}

bool fileDialogCaptured = false;

// The system's open-file dialog over the window, as "Добавить файлы" opens it; then cancelled.
void CALLBACK CaptureFileDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const HWND dialog = ::GetActiveWindow();
    wchar_t className[16] = {};
    ::GetClassNameW(dialog, className, 16);
    if (std::wstring(className) != L"#32770")
        return;
    ::RedrawWindow(dialog, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    ::Sleep(300);
    RECT frame;
    ::GetWindowRect(form->Handle(), &frame);
    RECT over;
    ::GetWindowRect(dialog, &over);
    ::UnionRect(&frame, &frame, &over);
    fileDialogCaptured = SaveScreenPicture(frame, outputFolder + L"\\file-dialog.bmp");
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void CaptureNextDialog(const wchar_t* className, const wchar_t* picture) {
    dialogClass = className;
    dialogPicture = picture;
    dialogCaptured = false;
    ::SetTimer(nullptr, 0, 500, &CaptureDialog);
}

// The tips dialog showing the first tip of the tips file that has a picture, or none.
bool CaptureTip(const std::wstring& programFolder, bool withPicture, const wchar_t* picture) {
    vexlor::dialogs::TFormUserAnswer tips(form->Handle(), programFolder);
    const std::vector<std::wstring> all = tips.Answers;
    for (const std::wstring& line : all) {
        if (vexlor::dialogs::ParseTip(line).pictureName.has_value() != withPicture)
            continue;
        tips.Answers = {line};
        tips.LastLoad = -1;
        tips.ShowRandomAnswer();
        CaptureNextDialog(L"TFormUserAnswer", picture);
        tips.ShowModal();
        return dialogCaptured;
    }
    return false;
}

// The list after "Добавить папку" took a folder of photos with subfolders, on page 1.
void CaptureFolderAdded() {
    const std::filesystem::path sample = std::filesystem::path(outputFolder) / L"folder-sample";
    const std::filesystem::path photos = sample / L"Фотографии 2026";
    for (const wchar_t* trip : {L"Отпуск в Сочи", L"Отпуск в Сочи\\Море", L"Дача"})
        std::filesystem::create_directories(photos / trip);
    for (int i = 1; i <= 30; ++i) {
        const wchar_t* trip = i % 3 == 0   ? L"Дача"
                              : i % 3 == 1 ? L"Отпуск в Сочи"
                                           : L"Отпуск в Сочи\\Море";
        std::ofstream(photos / trip / (L"IMG_" + std::to_wstring(2000 + i) + L".jpg")) << "x";
    }
    std::ofstream(photos / L"список.txt") << "x";
    vexlor::platform::ShowOpenDialogApi.Replace([&](const vexlor::platform::OpenDialogRequest&) {
        return std::optional<std::vector<std::wstring>>({photos.wstring()});
    });
    form->sLabel5Click(); // back to the file page
    form->BtnCleanFilesClick();
    form->BtnAddFolderClick();
    CaptureAs(L"page-1-folder");
    form->BtnCleanFilesClick();
    std::filesystem::remove_all(sample);
}

// The free-space cleaning as the user meets it: the question (the system's message box, shown
// for real and answered "Да" from a timer), the progress page in the middle of the run and the
// finish page. The volume, named "D:\\" on the page, is played through the seams: the
// cleaning's files in the output folder stay empty, their writes only take a little time, so
// nothing fills a real disk.
std::uint64_t freeBytes = std::uint64_t{4} << 30;
bool questionCaptured = false;
bool freeSpaceProgressCaptured = false;

void CALLBACK CaptureQuestion(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const HWND box = ::GetActiveWindow();
    if (!box || !::GetDlgItem(box, IDYES))
        return;
    ::RedrawWindow(box, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    ::Sleep(300);
    RECT frame;
    ::GetWindowRect(form->Handle(), &frame);
    RECT over;
    ::GetWindowRect(box, &over);
    ::UnionRect(&frame, &frame, &over);
    questionCaptured = SaveScreenPicture(frame, outputFolder + L"\\free-space-question.bmp");
    ::PostMessageW(box, WM_COMMAND, IDYES, 0);
}

void CALLBACK CaptureFreeSpaceProgress(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (form->CleaningFreeSpace()) {
        CaptureAs(L"free-space-progress");
        freeSpaceProgressCaptured = true;
    }
}

bool CaptureFreeSpaceCleaning(
    vexlor::platform::Seam<vexlor::platform::MessageBoxSignature>::Function realBox) {
    using namespace vexlor::platform;
    const ScopedSeam<ShowOpenDialogSignature> folder(
        ShowOpenDialogApi, [](const OpenDialogRequest&) {
            return std::optional(std::vector<std::wstring>{outputFolder});
        });
    const ScopedSeam<VolumePathSignature> root(VolumePathApi,
                                               [](const std::wstring&) { return L"D:\\"; });
    const ScopedSeam<DiskSpaceSignature> space(DiskSpaceApi, [](const std::wstring&) {
        return std::optional(DiskSpace{freeBytes, std::uint64_t{64} << 30});
    });
    const ScopedSeam<WriteFileSignature> write(
        WriteFileApi, [](HANDLE, std::uint64_t, const void*, DWORD size, DWORD& written) {
            written = static_cast<DWORD>(std::min<std::uint64_t>(size, freeBytes));
            freeBytes -= written;
            ::Sleep(3);
            if (written == 0)
                ::SetLastError(ERROR_DISK_FULL);
            return written > 0;
        });
    const ScopedSeam<MessageBoxSignature> box(MessageBoxApi, std::move(realBox));
    ::SetTimer(nullptr, 0, 1000, &CaptureQuestion);
    ::SetTimer(nullptr, 0, 8000, &CaptureFreeSpaceProgress);
    form->MainItemFreeSpaceClick();
    CaptureAs(L"free-space-finish");
    return questionCaptured && freeSpaceProgressCaptured;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: vexlor_page_screens OUTPUT_FOLDER PROGRAM_FOLDER\n", stderr);
        return 2;
    }
    outputFolder = argv[1];
    const std::wstring programFolder = argv[2]; // with the tips file and its pictures
    const vexlor::ComInitialized com;           // for the open-file dialog
    vexlor::platform::InitCommonControls(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES);
    vexlor::ui::Application::Get().Initialize(::GetModuleHandleW(nullptr),
                                              vexlor::ApplicationTitle);
    vexlor::skin::SkinEveryWindow();
    int unexpectedBoxes = 0;
    auto realBox = vexlor::platform::MessageBoxApi.Replace(
        [&](HWND, const std::wstring&, const std::wstring&, UINT) { return ++unexpectedBoxes, 1; });

    vexlor::wizard::TMainForm mainForm;
    form = &mainForm;
    mainForm.Create();
    // No start-up dialogs or welcome page: the pictures are of the pages themselves.
    ::KillTimer(mainForm.Handle(), vexlor::wizard::TMainForm::IdTimerDialogs);
    mainForm.Show(SW_SHOWNORMAL);
    ::SetForegroundWindow(mainForm.Handle());
    // The keyboard focus shown, as after the first key pressed.
    ::SendMessageW(mainForm.Handle(), WM_CHANGEUISTATE,
                   MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    Capture(0);

    ::SetTimer(nullptr, 0, 1500, &CaptureFileDialog);
    mainForm.BtnAddFilesClick(); // the real dialog, cancelled from the timer
    CaptureAs(L"page-1-empty");

    // Files come in through the file list's own handler, as if chosen in the open-file dialog.
    const std::wstring scratch = MakeScratchFile();
    vexlor::platform::ShowOpenDialogApi.Replace([&](const vexlor::platform::OpenDialogRequest&) {
        // Enough names, one of them long, for the list to scroll both ways.
        std::vector<std::wstring> chosen{
            outputFolder + L"\\report-2026.docx", outputFolder + L"\\scratch.bin",
            outputFolder + L"\\Договор аренды офиса на Садовой, окончательная "
                           L"редакция для подписания обеими сторонами (копия "
                           L"от юриста).docx"};
        for (int i = 1; i <= 24; ++i)
            chosen.push_back(outputFolder + L"\\photo-" + std::to_wstring(1000 + i) + L".jpg");
        return std::optional<std::vector<std::wstring>>(chosen);
    });
    mainForm.BtnAddFilesClick(); // from the welcome page: moves on to the file page first
    Capture(1);

    ::SetTimer(nullptr, 0, 100, &CaptureDuringRun);
    mainForm.BtnNextClick(); // the real run: destroys the scratch file, lands on page 3
    Capture(3);
    // What a run on this computer's drives could leave behind, as the finish page lists it.
    using vexlor::wipe::Reason;
    const std::wstring documents = L"C:\\Users\\Анна\\Documents\\";
    mainForm.ShowNotDestroyed({
        {documents + L"Договор аренды офиса на Садовой, окончательная редакция для подписания "
                     L"обеими сторонами (копия от юриста).docx",
         {Reason::OtherNames}},
        {documents + L"Отчёт за 2026 год.xlsx", {Reason::NotDeleted}},
        {L"C:\\Users\\Анна\\OneDrive\\Фото\\IMG_1001.jpg", {Reason::Cloud}},
        {documents + L"Архив.zip", {Reason::NotInPlace, Reason::SpaceRefused}},
        {L"C:\\", {Reason::SolidState, Reason::RestorePoints}},
        {L"\\\\server\\share\\", {Reason::Network}},
        {documents + L"Проекты", {Reason::FolderKept}},
    });
    CaptureAs(L"page-3-report");
    CaptureFolderAdded();

    OpenFileMenu();

    CaptureNextDialog(L"TFormAbout", L"about");
    mainForm.MainItemAboutClick();
    const bool aboutCaptured = dialogCaptured;
    const bool tipsCaptured = CaptureTip(programFolder, true, L"tips-picture") &&
                              CaptureTip(programFolder, false, L"tips-text");

    mainForm.sLabel5Click(); // back to the file page, where a user may well start it
    const bool freeSpaceCaptured = CaptureFreeSpaceCleaning(std::move(realBox));

    std::fprintf(stdout,
                 "file dialog: %s, progress page: %s, menu: %s, about: %s, tips: %s, free space: "
                 "%s, message boxes: %d\n",
                 fileDialogCaptured ? "yes" : "no", progressCaptured ? "yes" : "no",
                 menuCaptured ? "yes" : "no", aboutCaptured ? "yes" : "no",
                 tipsCaptured ? "yes" : "no", freeSpaceCaptured ? "yes" : "no", unexpectedBoxes);
    return fileDialogCaptured && progressCaptured && menuCaptured && aboutCaptured &&
                   tipsCaptured && freeSpaceCaptured
               ? 0
               : 1;
}
