#pragma once

#include <windows.h>

#include <chrono>

namespace vexlor::ui {

// A progress bar that a long operation moves thousands of times a second. Every redraw of the
// bar costs more than a chunk of disk work, so the values are only recorded as they change and
// shown at most once per Interval, about as often as a person can see a change.
class ThrottledProgress {
public:
    static constexpr std::chrono::milliseconds Interval{30};

    explicit ThrottledProgress(HWND bar = nullptr) : bar_(bar) {}

    // Position 0 and the new maximum.
    void Reset(int maximum);
    void SetPosition(int position);
    // Shows the recorded values when they changed and Interval has passed since the last show.
    void ShowIfDue();
    // Shows the recorded values now.
    void ShowNow();

private:
    HWND bar_;
    int maximum_ = 0;
    int position_ = 0;
    int shownMaximum_ = -1;
    bool changed_ = false;
    std::chrono::steady_clock::time_point lastShown_{};
};

} // namespace vexlor::ui
