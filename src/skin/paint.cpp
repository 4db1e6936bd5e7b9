#include "skin/paint.h"

#include <algorithm>

#include "pictures/picture_files.h"
#include "skin/skin.h"
#include "ui/controls.h"
#include "ui/dpi_fonts.h"

namespace vexlor::skin {

BufferedPaint::BufferedPaint(HWND window)
    : window_(window), target_(::BeginPaint(window, &paint_)), memory_(target_) {
    ::GetClientRect(window_, &area_);
    bitmap_ = CreateBuffer(area_.right, area_.bottom);
    previous_ = ::SelectObject(memory_.Get(), bitmap_.Get());
    // Text and lines drawn in the buffer take the window's font.
    ::SelectObject(memory_.Get(), FontOf(window_));
    ::SetBkMode(memory_.Get(), TRANSPARENT);
}

BufferedPaint::~BufferedPaint() {
    ::BitBlt(target_, 0, 0, area_.right, area_.bottom, memory_.Get(), 0, 0, SRCCOPY);
    ::SelectObject(memory_.Get(), previous_);
    ::EndPaint(window_, &paint_);
}

UniqueBitmap CreateBuffer(int width, int height) {
    void* bits = nullptr;
    return pictures::CreateDib(std::max(width, 1), std::max(height, 1), &bits);
}

void FillSolid(HDC dc, const RECT& box, COLORREF color) {
    ::FillRect(dc, &box, SkinBrush(color));
}

void FillRounded(HDC dc, const RECT& box, int radius, COLORREF face, COLORREF border,
                 int borderWidth) {
    // A corner never larger than the box: a thin bar is a capsule, not a blot.
    const int corner = std::min({2 * radius, static_cast<int>(box.bottom - box.top),
                                 static_cast<int>(box.right - box.left)});
    const UniquePen none(::CreatePen(PS_NULL, 0, 0));
    SelectedObject pen(dc, none.Get());
    if (borderWidth > 0) {
        const int width = borderWidth;
        // The border is the rounded box in the border's colour, the face a smaller one inside.
        {
            SelectedObject brush(dc, SkinBrush(border));
            ::RoundRect(dc, box.left, box.top, box.right + 1, box.bottom + 1, corner, corner);
        }
        SelectedObject brush(dc, SkinBrush(face));
        const int inner = std::max(corner - 2 * width, 0);
        ::RoundRect(dc, box.left + width, box.top + width, box.right - width + 1,
                    box.bottom - width + 1, inner, inner);
        return;
    }
    SelectedObject brush(dc, SkinBrush(face));
    ::RoundRect(dc, box.left, box.top, box.right + 1, box.bottom + 1, corner, corner);
}

void FrameRounded(HDC dc, const RECT& box, int corner, COLORREF color, int penWidth) {
    const UniquePen pen(::CreatePen(PS_SOLID, penWidth, color));
    SelectedObject selectedPen(dc, pen.Get());
    SelectedObject noFill(dc, ::GetStockObject(NULL_BRUSH));
    if (corner > 0)
        ::RoundRect(dc, box.left, box.top, box.right, box.bottom, corner, corner);
    else
        ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
}

void DrawTextIn(HDC dc, HFONT font, COLORREF color, const std::wstring& text, RECT box,
                UINT flags) {
    const int saved = ::SaveDC(dc);
    ::SelectObject(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, color);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, flags);
    ::RestoreDC(dc, saved);
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
}

void PaintParentBackground(HWND control, HDC dc) {
    const HWND parent = ::GetParent(control);
    POINT origin{0, 0};
    ::MapWindowPoints(control, parent, &origin, 1);
    const int saved = ::SaveDC(dc); // the parent may select its own font and colours
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    ::SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::RestoreDC(dc, saved);
}

std::optional<StyleClass> OwnStyleClass(HWND window) {
    const wchar_t* name = ui::StyleClassOf(window);
    return name ? StyleClassNamed(name) : std::nullopt;
}

StyleClass EffectiveStyleClass(HWND window) {
    for (HWND at = window; at; at = ::GetParent(at)) {
        if (const auto styleClass = OwnStyleClass(at))
            return *styleClass;
        if (!(::GetWindowLongPtrW(at, GWL_STYLE) & WS_CHILD))
            break;
    }
    return StyleClass::Form;
}

} // namespace vexlor::skin
