// Labels placed so that none is cut off and none overlaps another, whatever font and resolution.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/label_layout.h"
#include "wizard/main_form_layout.h"

namespace vexlor::ui {
namespace {

bool Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return ::IntersectRect(&both, &a, &b) != FALSE;
}

// Every label as large as its text, inside the panel, apart from every other.
void ExpectFits(const std::vector<LabelPlan>& plan, int width96, int height96, int dpi) {
    const int width = ::MulDiv(width96, dpi, 96);
    const LabelLayout layout = LayOutLabels(plan, width, dpi, MeasureWithFont);
    const int height = ::MulDiv(height96, dpi, 96) + layout.extraHeight;
    ASSERT_EQ(layout.boxes.size(), plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        SCOPED_TRACE(plan[i].text);
        const RECT& box = layout.boxes[i];
        const SIZE text = MeasureWithFont(plan[i].text, plan[i].font, dpi, box.right - box.left);
        EXPECT_GE(box.right - box.left, text.cx - 1);
        EXPECT_GE(box.bottom - box.top, text.cy) << "cut off below";
        EXPECT_LE(box.right, width);
        EXPECT_LE(box.bottom, height);
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(Overlap(box, layout.boxes[j])) << "overlaps " << j;
    }
}

TEST(LabelLayout, MainWindowPanelsFitInTahomaAt96And144Dpi) {
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        ExpectFits(wizard::WelcomeCardPlan(), wizard::WelcomeCardWidth, wizard::WelcomeCardHeight,
                   dpi);
        ExpectFits(wizard::AddFilesHintPlan(), wizard::AddFilesHintWidth,
                   wizard::AddFilesHintHeight, dpi);
    }
    // A label never moves left of or above its planned place; the first of each line, which
    // nothing pushes, keeps its place exactly.
    const auto plan = wizard::WelcomeCardPlan();
    const auto layout = LayOutLabels(plan, wizard::WelcomeCardWidth, 96, MeasureWithFont);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        EXPECT_GE(layout.boxes[i].left, plan[i].x);
        EXPECT_GE(layout.boxes[i].top, plan[i].y);
        if (plan[i].follows < 0) {
            EXPECT_EQ(layout.boxes[i].left, plan[i].x);
        }
    }
}

TEST(LabelLayout, WiderFontMovesTheFollowingLabelAndWrapsWhatDoesNotFit) {
    // A font three times as wide as it is planned for.
    const TextMeasure wide = [](const std::wstring& text, const FontSpec& font, int dpi, int wrap) {
        SIZE size = MeasureWithFont(text, font, dpi, 0);
        size.cx *= 3;
        if (wrap && size.cx > wrap) {
            size.cy *= (size.cx + wrap - 1) / wrap;
            size.cx = wrap;
        }
        return size;
    };
    const std::vector<LabelPlan> plan{
        {L"ВАЖНО:", {.bold = true}, 16, 50},
        {L"выбранные файлы после завершения операции не удастся восстановить!", {}, 76, 50, 0},
        {L"Перед началом работы", {}, 16, 72}};
    const LabelLayout layout = LayOutLabels(plan, 570, 96, wide);
    const int space = wide(L" ", {}, 96, 0).cx;
    EXPECT_EQ(layout.boxes[1].left, layout.boxes[0].right + space);
    EXPECT_LE(layout.boxes[1].right, 570) << "wrapped inside the panel";
    EXPECT_GT(layout.boxes[1].bottom - layout.boxes[1].top, layout.boxes[0].bottom - 50);
    EXPECT_GE(layout.boxes[2].top, layout.boxes[1].bottom) << "the next line moved down";
    EXPECT_GT(layout.extraHeight, 0);
}

} // namespace
} // namespace vexlor::ui
