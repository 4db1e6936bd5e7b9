#pragma once
// Pictures decoded to memory, ready for AlphaBlend. No Windows headers here: the decoders also
// build natively, for fuzzing (fuzz/picture_fuzzer.cpp).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexlor::pictures {

// Rows top-down; each pixel 0xAARRGGBB with premultiplied alpha, as a 32-bpp top-down DIB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Bounds on what the program decodes, checked before any pixel memory is taken.
inline constexpr int MaxPictureSide = 16384;
inline constexpr std::int64_t MaxPicturePixels = std::int64_t{32} * 1024 * 1024;

// True when width x height is positive and within those bounds.
bool SizeAllowed(std::int64_t width, std::int64_t height);
// True when the picture's size is allowed and its pixels fill it exactly.
bool IsWhole(const Picture& picture);

// Throws Error "Cannot read the picture "<name>": <reason>".
[[noreturn]] void ThrowUnreadablePicture(const std::wstring& name, const std::wstring& reason);

// Throws an Error naming the picture `name` unless width x height is positive and in bounds.
void CheckPictureSize(std::int64_t width, std::int64_t height, const std::wstring& name);

// Decode a whole file's bytes; `name` only names the picture in errors. Any damaged, truncated
// or oversized picture throws an Error "Cannot read the picture "<name>": <reason>".
Picture DecodePng(std::span<const std::uint8_t> data, const std::wstring& name);
Picture DecodeJpeg(std::span<const std::uint8_t> data, const std::wstring& name);

// The picture resampled to width x height: area average where it shrinks, bilinear where it
// grows, on premultiplied pixels so that transparent pixels lend no colour.
Picture ScalePicture(const Picture& source, int width, int height);

} // namespace vexlor::pictures
