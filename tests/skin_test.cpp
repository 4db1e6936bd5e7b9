// The skin's data, and its painting as read back from real controls.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "base/resource_ids.h"
#include "platform/resources.h"
#include "ui/controls.h"
#include "ui/skin.h"
#include "wizard/main_form.h"

namespace vexlor::ui {
namespace {

std::string EmbeddedSkinText() {
    const auto data = platform::ResourceData(ResourceSkin);
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// The text with the first line that starts with `start` taken out.
std::string Without(std::string text, const std::string& start) {
    const auto at = text.find("\n" + start);
    EXPECT_NE(at, std::string::npos) << start;
    return text.erase(at + 1, text.find('\n', at + 1) - at);
}

std::wstring ParseError(const std::string& text) {
    try {
        ParseSkin(text);
    } catch (const Error& error) {
        return error.Text();
    }
    return L"(no error)";
}

// Perceived lightness, 0 to 255.
int Lightness(COLORREF c) {
    return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
}

TEST(Skin, EmbeddedSkinGivesEveryStyleClassAReadableSurface) {
    const Skin skin = LoadEmbeddedSkin();
    EXPECT_EQ(skin.name, L"iOS dark (internal)");
    for (const wchar_t* styleClass : {StyleForm, StyleButton, StyleCheckBox, StyleGauge, StyleEdit,
                                      StyleStatusBar, StyleAlphaEdit, StyleIcoLine}) {
        const Surface& surface = skin.SurfaceOf(styleClass);
        EXPECT_GE(std::abs(Lightness(surface.text) - Lightness(surface.background)), 100)
            << "labels on " << std::string(styleClass, styleClass + wcslen(styleClass))
            << " would be hard to read";
    }
    EXPECT_LT(Lightness(skin.form.surface.background), 64) << "a dark skin";
}

TEST(Skin, MissingRepeatedOrWrongSectionsAndValuesAreErrorsNamingThem) {
    const std::string text = EmbeddedSkinText();
    std::string noGauge = text;
    noGauge.erase(noGauge.find("[GAUGE]"), noGauge.find("[EDIT]") - noGauge.find("[GAUGE]"));
    EXPECT_NE(ParseError(noGauge).find(L"[GAUGE]"), std::wstring::npos);
    EXPECT_NE(ParseError(Without(text, "Hot.Face")).find(L"Hot.Face"), std::wstring::npos);
    EXPECT_NE(ParseError(text + "\n[FORM]\n").find(L"twice"), std::wstring::npos);
    EXPECT_NE(ParseError(text + "\nBorderColour = #000000\n").find(L"BorderColour"),
              std::wstring::npos);
    std::string badColour = text;
    badColour.replace(badColour.find("#0A84FF"), 7, "#0A84F");
    EXPECT_NE(ParseError(badColour).find(L"colour"), std::wstring::npos);
    EXPECT_NE(ParseError(Without(text, "Name =")).find(L"name"), std::wstring::npos);
}

// What the screen shows at (x, y) of the window's client area, once it has painted.
COLORREF PixelOf(HWND window, int x, int y) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HDC dc = ::GetDC(window);
    const COLORREF pixel = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return pixel;
}

RECT ClientOf(HWND window) {
    RECT area;
    ::GetClientRect(window, &area);
    return area;
}

class SkinPaint : public ::testing::Test {
protected:
    void SetUp() override {
        form_.Create();
        form_.Show(SW_SHOWNORMAL);
    }
    const Skin& skin_ = ActiveSkin();
    wizard::TMainForm form_;
};

TEST_F(SkinPaint, PanelsButtonsListAndMenuBarAreDrawnInTheSkin) {
    const RECT header = ClientOf(form_.PanelHearer);
    EXPECT_EQ(PixelOf(form_.PanelHearer, header.right - 5, 5), skin_.checkBox.surface.background);
    const RECT card = ClientOf(form_.sPanel1);
    EXPECT_EQ(PixelOf(form_.sPanel1, card.right - 6, card.bottom / 2),
              skin_.gauge.surface.background);
    const RECT next = ClientOf(form_.BtnNext);
    EXPECT_EQ(PixelOf(form_.BtnNext, Scale(8), next.bottom / 2), skin_.button.states.normal.face);
    EXPECT_EQ(PixelOf(form_.BtnBack, Scale(8), next.bottom / 2),
              skin_.button.states.disabled.face);

    form_.BtnNextClick(); // the file page, with its empty list
    const RECT list = ClientOf(form_.ListBoxFiles);
    EXPECT_EQ(PixelOf(form_.ListBoxFiles, list.right - 10, list.bottom - 10),
              skin_.edit.surface.background);

    MENUBARINFO bar{sizeof(bar)};
    ASSERT_TRUE(::GetMenuBarInfo(form_.Handle(), OBJID_MENU, 0, &bar));
    RECT frame;
    ::GetWindowRect(form_.Handle(), &frame);
    const HDC dc = ::GetWindowDC(form_.Handle());
    const COLORREF beside = ::GetPixel(dc, bar.rcBar.right - frame.left - 5,
                                       (bar.rcBar.top + bar.rcBar.bottom) / 2 - frame.top);
    ::ReleaseDC(form_.Handle(), dc);
    EXPECT_EQ(beside, skin_.icoLine.bar.face) << "the menu bar beside its items";
}

TEST_F(SkinPaint, ProgressBarFillsItsShareAndAnEmptyRangeNothing) {
    const HWND bar = form_.ProgressBar;
    form_.BtnNextClick();
    ::ShowWindow(form_.TabSelectFiles, SW_HIDE);
    ::ShowWindow(form_.TabProgress, SW_SHOW);
    const RECT area = ClientOf(bar);
    const int middle = area.bottom / 2;
    ::SendMessageW(bar, PBM_SETRANGE32, 0, 0);
    ::SendMessageW(bar, PBM_SETPOS, 0, 0);
    EXPECT_EQ(PixelOf(bar, area.right / 2, middle), skin_.gauge.track) << "empty range";
    ::SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    ::SendMessageW(bar, PBM_SETPOS, 50, 0);
    EXPECT_EQ(PixelOf(bar, area.right / 4, middle), skin_.gauge.bar);
    EXPECT_EQ(PixelOf(bar, area.right * 3 / 4, middle), skin_.gauge.track);
}

// How many pixels of the window's client area show `color`.
int PixelsOf(HWND window, COLORREF color) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT area = ClientOf(window);
    const HDC dc = ::GetDC(window);
    int count = 0;
    for (int y = 0; y < area.bottom; ++y)
        for (int x = 0; x < area.right; ++x)
            count += ::GetPixel(dc, x, y) == color;
    ::ReleaseDC(window, dc);
    return count;
}

TEST_F(SkinPaint, FixedColourLabelKeepsItsColourOthersTakeTheSkins) {
    const COLORREF fixed = RGB(200, 30, 30);
    const COLORREF skinned = skin_.checkBox.surface.text;
    const HWND panel = CreatePanel(form_.TabWelcome, 0, {10, 10, 300, 80}, StyleCheckBox);
    const FontSpec large{.height = 24, .bold = true};
    const HWND own = CreateLabel(panel, 0, L"ЖЖЖЖ", {10, 5}, large, 0, fixed);
    const HWND other = CreateLabel(panel, 0, L"ЖЖЖЖ", {10, 40}, large);
    EXPECT_GT(PixelsOf(own, fixed), 20);
    EXPECT_EQ(PixelsOf(own, skinned), 0) << "the skin repainted a label of fixed colour";
    EXPECT_GT(PixelsOf(other, skinned), 20);
    EXPECT_EQ(PixelsOf(other, fixed), 0);
}

} // namespace
} // namespace vexlor::ui
