#pragma once

#include <windows.h>

#include <string>

namespace vexlor::ui {

// Takes part in every message of every Window, before and after its handler. The base knows
// nothing of how windows look: the skin attaches itself as the filter.
class MessageFilter {
public:
    // True when the filter answered `message` (with `result`); the window's handler then does
    // not see it.
    virtual bool Before(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result) = 0;
    // After the window's handler, for what is drawn over the system's work.
    virtual void After(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~MessageFilter() = default;
};

// Base of every top-level window of the program. It knows its window's DPI from the creation on
// and follows WM_DPICHANGED. One window procedure serves all of them: it
// finds the object through the pointer stored at WM_NCCREATE and runs the filter and
// HandleMessage under Guard, so no exception ever crosses into the system. A derived window
// destroys its handle in its own destructor (DestroyHandle), so that the messages of its
// destruction still reach the whole object.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return handle_; }

    // The filter of every window from now on; null for none. It must outlive the windows.
    static void SetMessageFilter(MessageFilter* filter) { filter_ = filter; }

protected:
    // Registers a window class served by this base; harmless when already registered.
    static void RegisterWindowClass(const wchar_t* className, HICON icon, HBRUSH background,
                                    HICON smallIcon = nullptr);

    // Creates the window; HandleMessage already sees WM_CREATE.
    void CreateWindowHandle(const wchar_t* className, const std::wstring& title, DWORD style,
                            DWORD exStyle, const RECT& bounds, HWND owner, HMENU menu);

    // Messages not handled go to DefaultHandling.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    // Destroys the window, if it still exists; for the most derived class's destructor.
    void DestroyHandle();
    // For WM_DPICHANGED, which comes after the window has taken on its new DPI (DpiOf): the
    // suggested rectangle applied, and every control made again at the new DPI.
    void ApplyDpiChange(const RECT& suggested);

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept;

    HWND handle_ = nullptr;
    static MessageFilter* filter_;
};

} // namespace vexlor::ui
