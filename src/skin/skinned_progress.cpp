#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "skin/paint.h"
#include "skin/painters.h"
#include "skin/skin.h"
#include "skin/skinned_control.h"
#include "ui/dpi_fonts.h"

namespace vexlor::skin {
namespace {

// The filled share of `width` for a position in a range; an empty or reversed range, or a
// position outside it, never draws outside the track.
int FilledWidth(int width, int low, int high, int position) {
    if (high <= low)
        return 0;
    const double share = std::clamp(
        static_cast<double>(position - low) / (static_cast<double>(high) - low), 0.0, 1.0);
    return static_cast<int>(share * width + 0.5);
}

class SkinnedProgress : public SkinnedControl {
protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT painted = 0;
        if (HandlePainting(message, wParam, painted))
            return painted;
        return Default(message, wParam, lParam);
    }

    void Paint(HDC dc, const RECT& area) override {
        const GaugeStyle& style = ActiveSkin().gauge;
        PBRANGE range{};
        ::SendMessageW(Window(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        const int position = static_cast<int>(::SendMessageW(Window(), PBM_GETPOS, 0, 0));
        PaintParentBackground(Window(), dc);
        const int radius = ui::Scale(Window(), style.radius);
        FillRounded(dc, area, radius, style.track);
        const int filled = FilledWidth(area.right - area.left, range.iLow, range.iHigh, position);
        if (filled > 0)
            FillRounded(dc, {area.left, area.top, area.left + filled, area.bottom}, radius,
                        style.bar);
    }
};

} // namespace

void SkinProgressBar(HWND bar) {
    SkinnedControl::Attach(bar, std::make_unique<SkinnedProgress>());
}

} // namespace vexlor::skin
