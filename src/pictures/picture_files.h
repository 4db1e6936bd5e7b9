#pragma once
// Pictures from files and from the program's resources, and as bitmaps for drawing.

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/handles.h"
#include "pictures/picture.h"

namespace vexlor::pictures {

// Files larger than this are refused before they are read.
inline constexpr std::uint64_t MaxPictureFileBytes = std::uint64_t{16} * 1024 * 1024;

// Reads a picture file; the extension, in any case, picks the decoder: png; jpg and jpeg; bmp,
// ico, tif and tiff through the Windows Imaging Component (COM must be initialised on the
// calling thread: see ComInitialized); wmf and emf through GDI, opaque on white, at their
// frame size at 96 dpi. Anything else, and any failure, throws an Error naming the file.
Picture LoadPictureFile(const std::wstring& path);

// A PNG carried as an RCDATA resource of the executable.
Picture LoadPictureResource(int id);

// A 32-bpp top-down DIB section holding the picture's premultiplied pixels, for AlphaBlend.
UniqueBitmap ToBitmap(const Picture& picture);

// An empty 32-bpp top-down DIB section in the program's own memory; `bits` receives its pixels.
// Empty (and `bits` null) when the system has no room for it.
UniqueBitmap CreateDib(int width, int height, void** bits);

} // namespace vexlor::pictures
