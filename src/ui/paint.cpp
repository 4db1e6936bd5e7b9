#include "ui/paint.h"

#include <algorithm>

#include "ui/controls.h"
#include "ui/skin.h"

namespace vexlor::ui {

BufferedPaint::BufferedPaint(HWND window)
    : window_(window), target_(::BeginPaint(window, &paint_)), ownsPaint_(true), memory_(target_) {
    Prepare();
}

BufferedPaint::BufferedPaint(HWND window, HDC target)
    : window_(window), target_(target), ownsPaint_(false), memory_(target) {
    Prepare();
}

void BufferedPaint::Prepare() {
    ::GetClientRect(window_, &area_);
    bitmap_ = CreateBuffer(area_.right, area_.bottom);
    previous_ = ::SelectObject(memory_.Get(), bitmap_.Get());
    // Text and lines drawn in the buffer take the window's font.
    ::SelectObject(memory_.Get(),
                   reinterpret_cast<HGDIOBJ>(::SendMessageW(window_, WM_GETFONT, 0, 0)));
    ::SetBkMode(memory_.Get(), TRANSPARENT);
}

BufferedPaint::~BufferedPaint() {
    ::BitBlt(target_, 0, 0, area_.right, area_.bottom, memory_.Get(), 0, 0, SRCCOPY);
    ::SelectObject(memory_.Get(), previous_);
    if (ownsPaint_)
        ::EndPaint(window_, &paint_);
}

UniqueBitmap CreateBuffer(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), std::max(width, 1), -std::max(height, 1), 1, 32,
                      BI_RGB};
    void* bits = nullptr;
    return UniqueBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

void FillSolid(HDC dc, const RECT& box, COLORREF color) {
    ::FillRect(dc, &box, SkinBrush(color));
}

void FillRounded(HDC dc, const RECT& box, int radius, COLORREF face, COLORREF border,
                 int borderWidth) {
    // A corner never larger than the box: a thin bar is a capsule, not a blot.
    const int corner = std::min({2 * Scale(radius), static_cast<int>(box.bottom - box.top),
                                 static_cast<int>(box.right - box.left)});
    if (borderWidth > 0) {
        const int width = Scale(borderWidth);
        // The border is the rounded box in the border's colour, the face a smaller one inside.
        const UniquePen none(::CreatePen(PS_NULL, 0, 0));
        SelectedObject pen(dc, none.Get());
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
    const UniquePen none(::CreatePen(PS_NULL, 0, 0));
    SelectedObject pen(dc, none.Get());
    SelectedObject brush(dc, SkinBrush(face));
    ::RoundRect(dc, box.left, box.top, box.right + 1, box.bottom + 1, corner, corner);
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

const wchar_t* EffectiveStyleClass(HWND window) {
    for (HWND at = window; at; at = ::GetParent(at)) {
        if (const wchar_t* styleClass = StyleClassOf(at))
            return styleClass;
        if (!(::GetWindowLongPtrW(at, GWL_STYLE) & WS_CHILD))
            break;
    }
    return StyleForm;
}

} // namespace vexlor::ui
