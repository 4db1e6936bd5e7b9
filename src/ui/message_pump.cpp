#include "ui/message_pump.h"

#include <windows.h>

namespace vexlor::ui {
namespace {

bool quitPending = false;
int pendingExitCode = 0;

// Keyboard navigation (Tab, arrows, Enter, mnemonics) for whichever top-level window the
// message is for, so that every window can be operated without a mouse.
void Deliver(MSG& message) {
    const HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && ::IsDialogMessageW(root, &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void KeepQuit(WPARAM exitCode) {
    // The first request wins, as it would have in the main loop.
    if (!quitPending)
        pendingExitCode = static_cast<int>(exitCode);
    quitPending = true;
}

} // namespace

void ProcessMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            KeepQuit(message.wParam);
        else
            Deliver(message);
    }
}

bool QuitPending() {
    return quitPending;
}

int RunMessageLoop() {
    MSG message;
    for (;;) {
        if (quitPending) {
            quitPending = false;
            return pendingExitCode;
        }
        const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
        if (result == 0)
            return static_cast<int>(message.wParam);
        if (result == -1)
            return 1;
        Deliver(message);
    }
}

void RunModalLoop(const std::function<bool()>& ended) {
    MSG message;
    while (!ended()) {
        const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
        if (result == -1)
            return;
        if (result == 0)
            KeepQuit(message.wParam);
        else
            Deliver(message);
    }
}

} // namespace vexlor::ui
