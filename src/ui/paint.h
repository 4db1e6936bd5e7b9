#pragma once
// Helpers shared by the painting of the program's controls.

#include <windows.h>

#include "base/handles.h"

namespace vexlor::ui {

// Painting into a memory bitmap that is copied to the target in one step when the object ends,
// so that nothing flickers: a control's WM_PAINT (BeginPaint/EndPaint included) or WM_PRINTCLIENT.
class BufferedPaint {
public:
    // WM_PAINT of `window`.
    explicit BufferedPaint(HWND window);
    // WM_PRINTCLIENT: into `target`, which already belongs to the caller.
    BufferedPaint(HWND window, HDC target);
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    ~BufferedPaint();

    HDC Dc() const { return memory_.Get(); }
    // The client rectangle of the window.
    const RECT& Area() const { return area_; }

private:
    void Prepare();

    HWND window_;
    PAINTSTRUCT paint_{};
    HDC target_;
    bool ownsPaint_;
    RECT area_{};
    MemoryDc memory_;
    UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
};

// A 32-bpp bitmap in the program's own memory, to draw in before it goes to the screen: the
// system draws in it without a round trip to the display (as a screen-compatible bitmap needs).
UniqueBitmap CreateBuffer(int width, int height);

// Fills `box` with `face`, rounded by `radius` (96-dpi pixels), with a border of `borderWidth`
// in `border` when the width is not 0.
void FillRounded(HDC dc, const RECT& box, int radius, COLORREF face, COLORREF border = 0,
                 int borderWidth = 0);
void FillSolid(HDC dc, const RECT& box, COLORREF color);

// Paints what lies under `control` in its parent, so that the control looks transparent: the
// parent draws its client area into `dc` shifted by the control's position.
void PaintParentBackground(HWND control, HDC dc);

// The style class `window` asks for, or that of the nearest window around it that asks for one.
const wchar_t* EffectiveStyleClass(HWND window);

} // namespace vexlor::ui
