#include "ui/throttled_progress.h"

#include <commctrl.h>

#include "platform/clock.h"

namespace vexlor::ui {

void ThrottledProgress::Reset(int maximum) {
    maximum_ = maximum;
    position_ = 0;
    changed_ = true;
}

void ThrottledProgress::SetPosition(int position) {
    if (position != position_)
        changed_ = true;
    position_ = position;
}

void ThrottledProgress::ShowIfDue() {
    if (changed_ && platform::SteadyNowApi() - lastShown_ >= Interval)
        ShowNow();
}

void ThrottledProgress::ShowNow() {
    if (!changed_)
        return;
    if (maximum_ != shownMaximum_) {
        ::SendMessageW(bar_, PBM_SETRANGE32, 0, maximum_);
        shownMaximum_ = maximum_;
    }
    ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    if (shown_)
        shown_(position_, maximum_);
    changed_ = false;
    lastShown_ = platform::SteadyNowApi();
}

} // namespace vexlor::ui
