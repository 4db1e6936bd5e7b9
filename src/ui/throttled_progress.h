#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

#include "platform/clock.h"

namespace vexlor::ui {

// A progress bar that a long operation moves thousands of times a second. Every redraw of the
// bar costs more than a chunk of disk work, so the values are only recorded as they change and
// shown at most once per Interval, about as often as a person can see a change.
class ThrottledProgress {
public:
    static constexpr std::chrono::milliseconds Interval{30};

    // `shown` hears of every position shown, with the maximum.
    explicit ThrottledProgress(HWND bar = nullptr,
                               std::function<void(int position, int maximum)> shown = {})
        : bar_(bar), shown_(std::move(shown)) {}

    // Position 0 and the new maximum.
    void Reset(int maximum);
    void SetPosition(int position);
    // Shows the recorded values when they changed and Interval has passed since the last show.
    void ShowIfDue();
    // Shows the recorded values now.
    void ShowNow();

private:
    HWND bar_;
    std::function<void(int, int)> shown_;
    int maximum_ = 0;
    int position_ = 0;
    int shownMaximum_ = -1;
    bool changed_ = false;
    platform::SteadyTime lastShown_{};
};

} // namespace vexlor::ui
