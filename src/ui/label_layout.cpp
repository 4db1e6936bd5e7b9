#include "ui/label_layout.h"

#include <algorithm>
#include <map>

#include "base/handles.h"

namespace vexlor::ui {
namespace {

// Room kept free at the panel's right edge, 96-dpi pixels.
constexpr int kRightMargin = 8;

int AtDpi(int pixels, int dpi) {
    return ::MulDiv(pixels, dpi, 96);
}

} // namespace

LabelLayout LayOutLabels(const std::vector<LabelPlan>& plan, int panelWidth, int dpi,
                         const TextMeasure& measure) {
    LabelLayout layout;
    if (plan.empty())
        return layout;
    const int right = panelWidth - AtDpi(kRightMargin, dpi);
    // How far the lines below each line have moved down, by their planned top.
    std::map<int, int> grownAbove;
    for (const LabelPlan& label : plan) {
        int shift = 0;
        for (const auto& [top, grown] : grownAbove)
            if (top < label.y)
                shift += grown;
        int x = AtDpi(label.x, dpi);
        if (label.follows >= 0) {
            const SIZE space = measure(L" ", label.font, dpi, 0);
            x = std::max<int>(x, layout.boxes[static_cast<std::size_t>(label.follows)].right +
                                     space.cx);
        }
        const SIZE line = measure(label.text, label.font, dpi, 0);
        SIZE size = line;
        if (x + line.cx > right) {
            size = measure(label.text, label.font, dpi, std::max(right - x, 1));
            grownAbove[label.y] = std::max(grownAbove[label.y], int(size.cy - line.cy));
        }
        const int top = AtDpi(label.y, dpi) + shift;
        layout.boxes.push_back({x, top, x + size.cx, top + size.cy});
    }
    for (const auto& [top, grown] : grownAbove)
        layout.extraHeight += grown;
    return layout;
}

SIZE MeasureWithFont(const std::wstring& text, const FontSpec& font, int dpi, int wrapWidth) {
    const UniqueFont made(CreateFontAt(font, dpi));
    const SIZE size = MeasureText(made.Get(), text, wrapWidth);
    // One pixel more than the ink: a label exactly as wide as its text may lose its last one.
    return {size.cx + 1, size.cy};
}

} // namespace vexlor::ui
