#include "process.h"

#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

namespace vexlor::testing {

std::wstring VexlorExePath() {
    return WindowsPathOf(VEXLOR_EXE);
}

std::wstring ShellRecordPath() {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"vexlor-shell-" + std::to_wstring(::GetCurrentProcessId()) +
           L".txt";
}

std::wstring WindowsPathOf(const char* built) {
    std::wstring path(built, built + std::strlen(built));
    // Built on Linux for Wine: the Unix path is reachable through drive Z:.
    if (!path.empty() && path.front() == L'/')
        path = L"Z:" + path;
    for (auto& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

namespace {

// Every started program belongs to this job, which ends them all when the test process ends,
// even when it is killed for taking too long: a leftover Vexlor would turn the next test's
// start into a second start.
HANDLE KillOnExitJob() {
    static const HANDLE job = [] {
        const HANDLE created = ::CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created)
            ::SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                      sizeof(limits));
        return created;
    }();
    return job;
}

} // namespace

Process Process::Start(const std::wstring& commandLine) {
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        throw std::runtime_error("CreateProcessW failed: " + std::to_string(::GetLastError()));
    if (const HANDLE job = KillOnExitJob())
        ::AssignProcessToJobObject(job, info.hProcess);
    ::CloseHandle(info.hThread);
    return Process(UniqueHandleNull(info.hProcess), info.dwProcessId);
}

Process::~Process() {
    if (handle_ && Running()) {
        ::TerminateProcess(handle_.Get(), 99);
        ::WaitForSingleObject(handle_.Get(), 5000);
    }
}

bool Process::Running() const {
    return ::WaitForSingleObject(handle_.Get(), 0) == WAIT_TIMEOUT;
}

DWORD Process::WaitForExit(DWORD milliseconds, bool* showedWindow) {
    const DWORD start = ::GetTickCount();
    HANDLE process = handle_.Get();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= milliseconds)
            break;
        if (showedWindow && FindProcessWindow(id_, nullptr, true)) {
            *showedWindow = true;
            break;
        }
        // Short waits while watching, so that a window shown only briefly is still seen.
        const DWORD wait = showedWindow ? 5 : milliseconds - elapsed;
        const DWORD result = ::MsgWaitForMultipleObjects(1, &process, FALSE, wait, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0)
            break;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process, &code);
    return code;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly) {
    struct Search {
        DWORD processId;
        const wchar_t* className;
        bool visibleOnly;
        HWND found = nullptr;
    } search{processId, className, visibleOnly};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[256] = {};
            ::GetClassNameW(window, name, 256);
            if (owner == s->processId && (!s->className || wcscmp(name, s->className) == 0) &&
                (!s->visibleOnly || ::IsWindowVisible(window))) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        if (condition())
            return true;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        ::Sleep(50);
    } while (::GetTickCount() - start < milliseconds);
    return condition();
}

HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindProcessWindow(processId, className, true);
            wchar_t text[256] = {};
            if (found)
                ::GetWindowTextW(found, text, 256);
            return found && (!caption || wcscmp(text, caption) == 0);
        },
        milliseconds);
    return found;
}

} // namespace vexlor::testing
