// The windows at other resolutions, as after a move to a monitor of another DPI: every part
// measured and drawn again, and no caption cut off at 96, 144 and 192 dpi.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/handles.h"
#include "dialogs/dlg_about.h"
#include "dialogs/dlg_answers.h"
#include "fakes.h"
#include "temp_files.h"
#include "ui/controls.h"
#include "ui/label_layout.h"
#include "wizard/main_form.h"
#include "wizard/main_form_layout.h"

namespace vexlor::wizard {
namespace {

// WM_DPICHANGED as the system sends it: the new DPI, and the window's rectangle scaled to it.
void ChangeDpi(HWND window, int dpi) {
    RECT now;
    ::GetWindowRect(window, &now);
    const int before = ui::DpiOf(window);
    const RECT suggested{now.left, now.top, now.left + ::MulDiv(now.right - now.left, dpi, before),
                         now.top + ::MulDiv(now.bottom - now.top, dpi, before)};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
}

int FontHeight(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
                 &font);
    return font.lfHeight;
}

SIZE ClientSize(HWND control) {
    RECT client;
    ::GetClientRect(control, &client);
    return {client.right, client.bottom};
}

std::vector<HWND> VisibleControls(HWND root) {
    std::vector<HWND> controls;
    ::EnumChildWindows(
        root,
        [](HWND child, LPARAM list) {
            if (::IsWindowVisible(child))
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    return controls;
}

// How far the ink of `text` reaches, drawn as the controls draw it (wrapped at `wrapWidth`
// unless that is 0), whatever the font's metrics say: black on white, the last inked column
// and row.
SIZE InkOf(HFONT font, const std::wstring& text, int wrapWidth) {
    const int width = 2000;
    const int height = 400;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    const UniqueBitmap canvas(
        ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const MemoryDc dc;
    const SelectedObject selectedCanvas(dc.Get(), canvas.Get());
    const SelectedObject selectedFont(dc.Get(), font);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill_n(pixels, width * height, 0xFFFFFFu);
    ::SetBkMode(dc.Get(), TRANSPARENT);
    RECT box{0, 0, wrapWidth ? wrapWidth : width, height};
    ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &box,
                DT_NOPREFIX | DT_NOCLIP | (wrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
    ::GdiFlush();
    SIZE ink{0, 0};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[y * width + x] & 0xFFFFFFu) != 0xFFFFFFu)
                ink = {std::max<LONG>(ink.cx, x + 1), std::max<LONG>(ink.cy, y + 1)};
    return ink;
}

// Every caption of `root` that is drawn has room for all of its ink: labels (wrapped where
// they wrap), check boxes beside their box, buttons beside their glyph.
void ExpectNoCaptionCutOff(HWND root, const std::set<HWND>& glyphOnly) {
    for (const HWND control : VisibleControls(root)) {
        const std::wstring text = ui::TextOf(control);
        wchar_t kind[32] = {};
        ::GetClassNameW(control, kind, 32);
        if (text.empty() || glyphOnly.count(control))
            continue;
        SCOPED_TRACE(std::string(text.begin(), text.end()).substr(0, 40));
        const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
        const SIZE room = ClientSize(control);
        const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
        if (std::wstring(kind) == L"Static") {
            const SIZE ink = InkOf(font, text, style & SS_CENTERIMAGE ? 0 : room.cx);
            EXPECT_LE(ink.cx, room.cx) << "cut off on the right";
            EXPECT_LE(ink.cy, room.cy) << "cut off below";
        } else if (std::wstring(kind) == L"Button") {
            const SIZE ink = InkOf(font, text, 0);
            const bool checkBox = (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
            // The check box's box and gap, a push button's glyph, gap and rounded edges.
            const int beside = ui::Scale(control, checkBox ? 16 + 6 : 24 + 6 + 2 * 4);
            EXPECT_LE(ink.cx + beside, room.cx) << "cut off on the right";
            EXPECT_LE(ink.cy, room.cy) << "cut off below";
        }
    }
}

TEST(Dpi, MainWindowIsMadeAgainAfterAChangeFrom96To144) {
    TMainForm form;
    form.Create();
    ASSERT_EQ(ui::DpiOf(form.Handle()), 96) << "the tests run at 96 dpi";
    const int itemHeight =
        static_cast<int>(::SendMessageW(form.ListBoxFiles, LB_GETITEMHEIGHT, 0, 0));

    ChangeDpi(form.Handle(), 144);

    EXPECT_EQ(ui::DpiOf(form.sLabel7), 144);
    RECT next;
    ::GetWindowRect(form.BtnNext, &next);
    EXPECT_EQ(next.right - next.left, 188) << "125 pixels at 144 dpi";
    EXPECT_EQ(FontHeight(form.BtnNext), -20) << "13 pixels at 144 dpi";
    EXPECT_EQ(form.ImageList24.Size(), 36);
    EXPECT_GT(::SendMessageW(form.ListBoxFiles, LB_GETITEMHEIGHT, 0, 0), itemHeight);
    // The welcome card laid out as for 144 dpi.
    const ui::LabelLayout layout = ui::LayOutLabels(
        WelcomeCardPlan(), ::MulDiv(WelcomeCardWidth, 3, 2), 144, ui::MeasureWithFont);
    const HWND labels[] = {form.sLabel6, form.sLabel7,  form.sLabel8,
                           form.sLabel9, form.sLabel10, form.sLabel11};
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        RECT box;
        ::GetWindowRect(labels[i], &box);
        ::MapWindowPoints(nullptr, form.sPanel1, reinterpret_cast<POINT*>(&box), 2);
        EXPECT_TRUE(::EqualRect(&box, &layout.boxes[i])) << "label " << i;
    }
    // The menu measured again: its items grew with the font.
    MEASUREITEMSTRUCT item{ODT_MENU};
    MENUITEMINFOW entry{sizeof(entry), MIIM_DATA};
    ::GetMenuItemInfoW(form.MainMenu1, 0, TRUE, &entry);
    item.itemData = entry.dwItemData;
    ::SendMessageW(form.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_GE(item.itemHeight, static_cast<UINT>(::MulDiv(16, 3, 2))) << "\"Файл\" at 144 dpi";
}

TEST(Dpi, NoCaptionIsCutOffAt96And144And192InAnyWindow) {
    testing::RecordedMessageBoxes boxes;
    testing::TempFolder folder;
    std::ofstream(std::filesystem::path(folder.PathOf(L"Answers.dat")), std::ios::binary)
        << "\xEF\xBB\xBF"
        << "0 Совет для проверки того, что текст помещается в свою рамку\r\n";
    for (const int dpi : {96, 144, 192}) {
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        TMainForm form;
        form.Create();
        form.Show(SW_SHOWNOACTIVATE);
        ChangeDpi(form.Handle(), dpi);
        const std::set<HWND> glyphOnly{form.BtnAddFiles, form.BtnAddFolder, form.BtnDelete,
                                       form.BtnCleanFiles};
        // The welcome page, the file page, and the finish page after a run over no files.
        for (int page = 0; page < 3; ++page) {
            ExpectNoCaptionCutOff(form.Handle(), glyphOnly);
            form.BtnNextClick();
        }
        dialogs::TFormUserAnswer tips(form.Handle(), folder.Path() + L"\\");
        ::ShowWindow(tips.Handle(), SW_SHOWNOACTIVATE);
        ChangeDpi(tips.Handle(), dpi);
        ExpectNoCaptionCutOff(tips.Handle(), {});
        dialogs::TFormAbout about(form.Handle());
        ::ShowWindow(about.Handle(), SW_SHOWNOACTIVATE);
        ChangeDpi(about.Handle(), dpi);
        ExpectNoCaptionCutOff(about.Handle(), {});
        MSG quit; // the window's end asks the main loop to quit
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

} // namespace
} // namespace vexlor::wizard
