#pragma once
// Placing labels so that, whatever the font, none is cut off and none overlaps another. Kept
// apart from the windows: the same plan is laid out for the screen and checked by the tests at
// any resolution.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/dpi_fonts.h"

namespace vexlor::ui {

struct LabelPlan {
    std::wstring text;
    FontSpec font;
    int x = 0; // 96-dpi pixels inside the panel
    int y = 0;
    // The label it follows on the same line, by its index in the plan; -1 for none. A label
    // that would reach into the one it follows moves right, to one space after it.
    int follows = -1;
};

// The size of `text` in `font` at `dpi`, on one line, or wrapped to `wrapWidth` when that is
// not 0 (device pixels).
using TextMeasure =
    std::function<SIZE(const std::wstring& text, const FontSpec& font, int dpi, int wrapWidth)>;

struct LabelLayout {
    std::vector<RECT> boxes; // device pixels, one per label of the plan
    int extraHeight = 0;     // what the panel must grow by for labels that wrap
};

// Lays the plan out in a panel `panelWidth` device pixels wide at `dpi`. A label wider than the
// room left to the panel's right edge (less a small margin) wraps inside it, and the lines
// below move down by what it grew.
LabelLayout LayOutLabels(const std::vector<LabelPlan>& plan, int panelWidth, int dpi,
                         const TextMeasure& measure);

// Measures with the real font at that resolution.
SIZE MeasureWithFont(const std::wstring& text, const FontSpec& font, int dpi, int wrapWidth);

} // namespace vexlor::ui
