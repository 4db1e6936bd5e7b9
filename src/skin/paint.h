#pragma once
// Helpers shared by the painting of the program's controls.

#include <windows.h>

#include <string>

#include "base/handles.h"
#include "skin/style_classes.h"

namespace vexlor::skin {

// Painting into a memory bitmap that is copied to the window in one step when the object ends,
// so that nothing flickers: a control's WM_PAINT, BeginPaint and EndPaint included.
class BufferedPaint {
public:
    explicit BufferedPaint(HWND window);
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    ~BufferedPaint();

    HDC Dc() const { return memory_.Get(); }
    // The client rectangle of the window.
    const RECT& Area() const { return area_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC target_;
    RECT area_{};
    MemoryDc memory_;
    UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
};

// A 32-bpp bitmap in the program's own memory, to draw in before it goes to the screen: the
// system draws in it without a round trip to the display (as a screen-compatible bitmap needs).
UniqueBitmap CreateBuffer(int width, int height);

// Fills `box` with `face`, rounded by `radius`, with a border of `borderWidth` in `border` when
// the width is not 0 (device pixels both).
void FillRounded(HDC dc, const RECT& box, int radius, COLORREF face, COLORREF border = 0,
                 int borderWidth = 0);
void FillSolid(HDC dc, const RECT& box, COLORREF color);
// The outline of `box` in a pen of `penWidth` device pixels, its corners rounded by `corner`
// (device pixels, 0 for square ones): a keyboard focus ring, say.
void FrameRounded(HDC dc, const RECT& box, int corner, COLORREF color, int penWidth = 1);
// Draws `text` in `font` and `color`, transparent on what is there, leaving the DC as it was.
void DrawTextIn(HDC dc, HFONT font, COLORREF color, const std::wstring& text, RECT box, UINT flags);
// The font a control draws its text in.
HFONT FontOf(HWND control);

// Paints what lies under `control` in its parent, so that the control looks transparent: the
// parent draws its client area into `dc` shifted by the control's position.
void PaintParentBackground(HWND control, HDC dc);

// The style class `window` asks for, or that of the nearest window around it that asks for one;
// the form's when none does.
StyleClass EffectiveStyleClass(HWND window);
// The style class `window` itself asks for, if any.
std::optional<StyleClass> OwnStyleClass(HWND window);

} // namespace vexlor::skin
