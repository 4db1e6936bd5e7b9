#pragma once
// The background side of the update check: one worker thread per check.

#include <windows.h>

#include <functional>
#include <string>

#include "base/handles.h"
#include "update/update_check.h"

namespace vexlor::update {

// Records the moment of the check, fetches the version file, then has its completion handler
// run on the GUI thread and waits for it, and ends. Errors stay with the thread: the handler
// runs all the same and finds what the file then holds.
class TDownLoader {
public:
    // Made suspended: fill in the fields, then Start.
    TDownLoader();
    TDownLoader(const TDownLoader&) = delete;
    TDownLoader& operator=(const TDownLoader&) = delete;
    ~TDownLoader();

    // The full path of the file to write (a file, despite its name) and the address to fetch.
    std::wstring FToFolder;
    std::wstring FURL;
    // Deletes itself when it has finished; otherwise its owner must wait for it.
    bool FreeOnTerminate = false;
    std::function<void()> OnTerminate;
    // Runs OnTerminate on the GUI thread and waits for it; without one it runs on the worker.
    std::function<void(const std::function<void()>&)> Synchronize;

    void Start();
    HANDLE Thread() const { return thread_.Get(); }

private:
    static DWORD WINAPI Run(void* self) noexcept;
    void Execute();

    UniqueHandleNull thread_;
};

// Starts the check in the background and returns at once. Its end runs through `synchronize`
// on the GUI thread, where `ask` puts the question.
void StartUpdateCheck(std::function<void(const std::function<void()>&)> synchronize, AskYesNo ask);

} // namespace vexlor::update
