// The skin's data, and its painting as read back from real controls.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/resource_ids.h"
#include "pictures/picture_files.h"
#include "platform/resources.h"
#include "skin/skin.h"
#include "ui/controls.h"
#include "wizard/main_form.h"

namespace vexlor::skin {
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
    for (const auto& [styleClass, name] : StyleClassNames) {
        const Surface& surface = skin.SurfaceOf(styleClass);
        EXPECT_GE(std::abs(Lightness(surface.text) - Lightness(surface.background)), 100)
            << "labels on " << std::string(name, name + wcslen(name)) << " would be hard to read";
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

TEST(CarriedPictures, EveryGlyphAndPictureDecodesAtItsSizeTwiceAsLargeToo) {
    const auto expectSize = [](int id, int width, int height) {
        SCOPED_TRACE("resource " + std::to_string(id));
        const pictures::Picture small = pictures::LoadPictureResource(id);
        EXPECT_EQ(small.width, width);
        EXPECT_EQ(small.height, height);
        return small;
    };
    for (int i = 0; i < 16; ++i) {
        expectSize(ResourceGlyphs + i, 24, 24);
        expectSize(ResourceGlyphs2x + i, 48, 48);
    }
    const struct {
        int id, width, height;
        bool transparent;
    } pictures[] = {{ResourceWelcome, 128, 128, true},
                    {ResourceProgress, 128, 128, true},
                    {ResourceFinish, 205, 264, true},
                    {ResourceAbout, 565, 380, false},
                    {ResourceTips, 157, 199, true}};
    for (const auto& picture : pictures) {
        const pictures::Picture decoded = expectSize(picture.id, picture.width, picture.height);
        expectSize(picture.id + DoubleSize, 2 * picture.width, 2 * picture.height);
        const bool anyClear = std::any_of(decoded.pixels.begin(), decoded.pixels.end(),
                                          [](std::uint32_t p) { return p >> 24 == 0; });
        EXPECT_EQ(anyClear, picture.transparent) << "resource " << picture.id;
    }
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
    EXPECT_EQ(PixelOf(form_.BtnNext, ui::ScaleAt(ui::ScreenDpi(), 8), next.bottom / 2),
              skin_.button.defaultButton.face)
        << "the default button";
    EXPECT_EQ(PixelOf(form_.BtnBack, ui::ScaleAt(ui::ScreenDpi(), 8), next.bottom / 2),
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

TEST_F(SkinPaint, ListScrollBarsAreTheSkinsStripsThatFollowAndScrollTheList) {
    form_.BtnNextClick();
    std::vector<std::wstring> many;
    for (int i = 0; i < 60; ++i)
        many.push_back(L"C:\\files\\file-" + std::to_wstring(i) + L".bin");
    form_.AddFiles(many);
    const HWND list = form_.ListBoxFiles;
    const HWND strip =
        ::FindWindowExW(form_.TabSelectFiles, nullptr, L"VexlorScrollStrip", nullptr);
    ASSERT_TRUE(strip) << "the vertical strip is made first";
    ASSERT_TRUE(::IsWindowVisible(strip));
    SCROLLBARINFO bar{sizeof(bar)};
    ::GetScrollBarInfo(list, OBJID_VSCROLL, &bar);
    RECT over;
    ::GetWindowRect(strip, &over);
    EXPECT_TRUE(::EqualRect(&over, &bar.rcScrollBar)) << "the strip covers the system's bar";
    const RECT area = ClientOf(strip);
    EXPECT_EQ(PixelOf(strip, 1, area.bottom - 2), skin_.edit.scrollTrack);

    const LRESULT top = ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    ::SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, area.bottom - 2));
    ::SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(2, area.bottom - 2));
    EXPECT_GT(::SendMessageW(list, LB_GETTOPINDEX, 0, 0), top) << "a click below the thumb";

    form_.BtnCleanFilesClick();
    EXPECT_FALSE(::IsWindowVisible(strip)) << "no bar, no strip";
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
    const HWND panel = CreatePanel(form_.TabWelcome, 0, {10, 10, 300, 80}, StyleClass::CheckBox);
    const ui::FontSpec large{.height = 24, .bold = true};
    const HWND own = CreateLabel(panel, 0, L"ЖЖЖЖ", {10, 5}, large, 0, fixed);
    const HWND other = CreateLabel(panel, 0, L"ЖЖЖЖ", {10, 40}, large);
    EXPECT_GT(PixelsOf(own, fixed), 20);
    EXPECT_EQ(PixelsOf(own, skinned), 0) << "the skin repainted a label of fixed colour";
    EXPECT_GT(PixelsOf(other, skinned), 20);
    EXPECT_EQ(PixelsOf(other, fixed), 0);
}

} // namespace
} // namespace vexlor::skin
