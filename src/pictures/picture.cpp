#include "pictures/picture.h"

#include <png.h>

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstring>

#include "base/ascii.h"
#include "base/error.h"

#ifdef _MSC_VER
// The functions below that call setjmp hold no object with a destructor (see DecodeJpeg).
#pragma warning(disable : 4611)
#endif

namespace vexlor::pictures {
namespace {

// A well-formed progressive JPEG has about ten scans; thousands only make a decode crawl.
constexpr int MaxJpegScans = 100;
// libjpeg's working memory (coefficient buffers of progressive pictures), pixels aside.
constexpr long MaxJpegWorkingMemory = 512L * 1024 * 1024;

std::uint32_t Premultiplied(unsigned red, unsigned green, unsigned blue, unsigned alpha) {
    const auto scale = [alpha](unsigned channel) { return (channel * alpha + 127) / 255; };
    return alpha << 24 | scale(red) << 16 | scale(green) << 8 | scale(blue);
}

// ---- PNG, through libpng's simplified API, which keeps its longjmp inside libpng ----

// Deflate shrinks data at most about 1032 times, and a PNG row holds at least one filter byte and
// one bit a pixel: a file too short for that is cut off, found so before its pixels are allocated.
bool CouldHoldPixels(std::size_t fileBytes, std::uint64_t width, std::uint64_t height) {
    constexpr std::uint64_t maxDeflateRatio = 1032;
    const std::uint64_t leastRowBytes = 1 + (width + 7) / 8;
    return height * leastRowBytes <= fileBytes * maxDeflateRatio;
}

// png_image_free on every path; it is harmless after libpng has cleaned up by itself.
class PngReader {
public:
    PngReader() {
        image_.version = PNG_IMAGE_VERSION;
        image_.opaque = nullptr;
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
    ~PngReader() { png_image_free(&image_); }
    png_image& Image() { return image_; }

private:
    png_image image_{};
};

std::wstring SizeText(std::int64_t width, std::int64_t height) {
    return std::to_wstring(width) + L" x " + std::to_wstring(height);
}

} // namespace

bool SizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= MaxPictureSide && height <= MaxPictureSide &&
           width * height <= MaxPicturePixels;
}

bool IsWhole(const Picture& picture) {
    // The size is checked first: only then can its product not overflow a 32-bit size_t.
    return SizeAllowed(picture.width, picture.height) &&
           picture.pixels.size() ==
               static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
}

void ThrowUnreadablePicture(const std::wstring& name, const std::wstring& reason) {
    throw Error(L"Cannot read the picture \"" + name + L"\": " + reason);
}

void CheckPictureSize(std::int64_t width, std::int64_t height, const std::wstring& name) {
    if (width <= 0 || height <= 0)
        ThrowUnreadablePicture(name, L"it has no pixels.");
    if (!SizeAllowed(width, height))
        ThrowUnreadablePicture(name, L"it is too large (" + SizeText(width, height) +
                                         L" pixels; at most " + std::to_wstring(MaxPictureSide) +
                                         L" a side and " + std::to_wstring(MaxPicturePixels) +
                                         L" in all).");
}

Picture DecodePng(std::span<const std::uint8_t> data, const std::wstring& name) {
    PngReader reader;
    png_image& image = reader.Image();
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
        ThrowUnreadablePicture(name, WidenAscii(image.message) + L".");
    CheckPictureSize(image.width, image.height, name);
    if (!CouldHoldPixels(data.size(), image.width, image.height))
        ThrowUnreadablePicture(name, L"the file is too short for its size; it is truncated.");
    // 16-bit files without colour-space chunks hold sRGB values in practice, not linear ones.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    image.format = PNG_FORMAT_RGBA;

    Picture picture{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    // libpng writes R, G, B, A bytes into the pixel memory; each pixel is then packed in place.
    auto* bytes = reinterpret_cast<std::uint8_t*>(picture.pixels.data());
    if (!png_image_finish_read(&image, nullptr, bytes, 0, nullptr))
        ThrowUnreadablePicture(name, WidenAscii(image.message) + L".");
    for (std::uint32_t& pixel : picture.pixels) {
        const std::uint8_t* rgba = reinterpret_cast<const std::uint8_t*>(&pixel);
        pixel = Premultiplied(rgba[0], rgba[1], rgba[2], rgba[3]);
    }
    return picture;
}

// ---- JPEG, through libjpeg, whose errors end in a longjmp ----
//
// libjpeg reports errors by calling error_exit, which must not return. It jumps back into the
// function below that called setjmp, skipping only libjpeg's own C frames; the functions that
// call setjmp hold nothing with a destructor. Everything that owns memory lives in DecodeJpeg.

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpBack(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    std::longjmp(errors->jump, 1);
}

[[noreturn]] void OnJpegError(j_common_ptr info) {
    (*info->err->format_message)(info, reinterpret_cast<JpegErrors*>(info->err)->message);
    JumpBack(info);
}

// libjpeg carries on past damage with only a warning (level -1), painting the rest grey; a
// damaged or truncated picture is refused instead.
void OnJpegMessage(j_common_ptr info, int level) {
    if (level < 0)
        OnJpegError(info);
}

void OnJpegProgress(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MaxJpegScans) {
        std::snprintf(reinterpret_cast<JpegErrors*>(info->err)->message, JMSG_LENGTH_MAX,
                      "more than %d scans", MaxJpegScans);
        JumpBack(info);
    }
}

// One decompression; jpeg_destroy_decompress is safe on the zeroed struct too.
class JpegSession {
public:
    JpegSession() {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = OnJpegError;
        errors.manager.emit_message = OnJpegMessage;
        progress.progress_monitor = OnJpegProgress;
    }
    JpegSession(const JpegSession&) = delete;
    JpegSession& operator=(const JpegSession&) = delete;
    ~JpegSession() { jpeg_destroy_decompress(&info); }

    jpeg_decompress_struct info{};
    JpegErrors errors{};
    jpeg_progress_mgr progress{};
};

J_COLOR_SPACE OutputSpaceFor(J_COLOR_SPACE stored) {
    switch (stored) {
    case JCS_GRAYSCALE:
        return JCS_GRAYSCALE;
    case JCS_CMYK:
    case JCS_YCCK:
        return JCS_CMYK; // libjpeg converts no CMYK to RGB
    default:
        return JCS_RGB;
    }
}

// Reads the header and settles the output size and colour space. False after a libjpeg error.
bool ReadJpegHeader(JpegSession& session, const std::uint8_t* data, unsigned long size) {
    if (setjmp(session.errors.jump))
        return false;
    jpeg_create_decompress(&session.info);
    session.info.progress = &session.progress;
    session.info.mem->max_memory_to_use = MaxJpegWorkingMemory;
    jpeg_mem_src(&session.info, data, size);
    jpeg_read_header(&session.info, TRUE);
    session.info.out_color_space = OutputSpaceFor(session.info.jpeg_color_space);
    jpeg_calc_output_dimensions(&session.info);
    return true;
}

// Adobe's CMYK JPEGs store the inks inverted: 255 is no ink.
std::uint32_t FromInvertedCmyk(const std::uint8_t* cmyk) {
    const auto channel = [k = cmyk[3]](unsigned ink) { return (ink * k + 127) / 255; };
    return Premultiplied(channel(cmyk[0]), channel(cmyk[1]), channel(cmyk[2]), 255);
}

void PackJpegRow(const std::uint8_t* row, int components, int width, std::uint32_t* out) {
    for (int x = 0; x < width; ++x, row += components) {
        if (components == 1)
            out[x] = Premultiplied(row[0], row[0], row[0], 255);
        else if (components == 3)
            out[x] = Premultiplied(row[0], row[1], row[2], 255);
        else
            out[x] = FromInvertedCmyk(row);
    }
}

// Starts the decompression; a progressive picture is read whole here. False after an error.
bool StartJpeg(JpegSession& session) {
    if (setjmp(session.errors.jump))
        return false;
    jpeg_start_decompress(&session.info);
    return true;
}

// Decodes into `pixels` (output_width x output_height) through the one-row buffer `row`.
bool ReadJpegRows(JpegSession& session, std::uint8_t* row, std::uint32_t* pixels) {
    if (setjmp(session.errors.jump))
        return false;
    jpeg_decompress_struct& info = session.info;
    const int width = static_cast<int>(info.output_width);
    while (info.output_scanline < info.output_height) {
        const auto y = static_cast<std::size_t>(info.output_scanline);
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            return false; // a memory source never suspends; this is damage
        PackJpegRow(row, info.output_components, width, pixels + y * width);
    }
    jpeg_finish_decompress(&info);
    return true;
}

[[noreturn]] void ThrowJpegError(const JpegSession& session, const std::wstring& name) {
    const char* message = session.errors.message;
    ThrowUnreadablePicture(name, message[0] ? WidenAscii(message) + L"." : L"the data is damaged.");
}

} // namespace

Picture DecodeJpeg(std::span<const std::uint8_t> data, const std::wstring& name) {
    if (data.size() > ULONG_MAX)
        ThrowUnreadablePicture(name, L"the file is too large.");
    JpegSession session;
    if (!ReadJpegHeader(session, data.data(), static_cast<unsigned long>(data.size())))
        ThrowJpegError(session, name);
    const jpeg_decompress_struct& info = session.info;
    CheckPictureSize(info.output_width, info.output_height, name);
    if (info.output_components != 1 && info.output_components != 3 && info.output_components != 4)
        ThrowUnreadablePicture(name, L"its colour layout is not supported.");
    if (!StartJpeg(session))
        ThrowJpegError(session, name);

    Picture picture{static_cast<int>(info.output_width), static_cast<int>(info.output_height), {}};
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.width) * info.output_components);
    if (!ReadJpegRows(session, row.data(), picture.pixels.data()))
        ThrowJpegError(session, name);
    return picture;
}

// ---- Resampling ----

namespace {

// The source pixels that make up one target pixel along one axis, with their weights.
struct Footprint {
    int first = 0;
    std::vector<float> weights;
};

// Area average: each target pixel covers `ratio` source pixels, partly at either end.
Footprint ShrinkFootprint(int target, double ratio, int sourceLength) {
    const double start = target * ratio;
    const double end = std::min(start + ratio, static_cast<double>(sourceLength));
    Footprint footprint{static_cast<int>(start), {}};
    for (int i = footprint.first; i < end; ++i) {
        const double covered = std::min(end, i + 1.0) - std::max(start, static_cast<double>(i));
        footprint.weights.push_back(static_cast<float>(covered / ratio));
    }
    return footprint;
}

// Bilinear between the two source pixels nearest the target pixel's centre.
Footprint GrowFootprint(int target, double ratio, int sourceLength) {
    const double centre = std::clamp((target + 0.5) * ratio - 0.5, 0.0, sourceLength - 1.0);
    const int first = std::min(static_cast<int>(centre), sourceLength - 1);
    const auto fraction = static_cast<float>(centre - first);
    if (first + 1 >= sourceLength)
        return {first, {1.0f}};
    return {first, {1.0f - fraction, fraction}};
}

std::vector<Footprint> Footprints(int sourceLength, int targetLength) {
    const double ratio = static_cast<double>(sourceLength) / targetLength;
    std::vector<Footprint> footprints;
    footprints.reserve(targetLength);
    for (int target = 0; target < targetLength; ++target)
        footprints.push_back(targetLength < sourceLength
                                 ? ShrinkFootprint(target, ratio, sourceLength)
                                 : GrowFootprint(target, ratio, sourceLength));
    return footprints;
}

// Four premultiplied channels in [0, 255], kept as floats between the two passes.
struct Channels {
    float alpha = 0, red = 0, green = 0, blue = 0;

    static Channels Of(std::uint32_t pixel) {
        return {static_cast<float>(pixel >> 24), static_cast<float>(pixel >> 16 & 0xFF),
                static_cast<float>(pixel >> 8 & 0xFF), static_cast<float>(pixel & 0xFF)};
    }
    void Add(const Channels& other, float weight) {
        alpha += other.alpha * weight;
        red += other.red * weight;
        green += other.green * weight;
        blue += other.blue * weight;
    }
    std::uint32_t Packed() const {
        const auto byte = [](float value, unsigned limit) {
            return std::min(static_cast<unsigned>(std::lround(std::clamp(value, 0.0f, 255.0f))),
                            limit);
        };
        const unsigned a = byte(alpha, 255);
        // Premultiplied colour never exceeds its alpha; rounding must not make it so.
        return a << 24 | byte(red, a) << 16 | byte(green, a) << 8 | byte(blue, a);
    }
};

} // namespace

Picture ScalePicture(const Picture& source, int width, int height) {
    // The first pass holds every source row at the target width, four floats a pixel: it is
    // bounded like a picture of its own, or a tall picture made wide would take gigabytes.
    if (!IsWhole(source) || !SizeAllowed(width, height) || !SizeAllowed(width, source.height))
        throw Error(L"Cannot scale a picture of " + SizeText(source.width, source.height) +
                    L" pixels to " + SizeText(width, height) + L".");
    const std::vector<Footprint> columns = Footprints(source.width, width);
    const std::vector<Footprint> rows = Footprints(source.height, height);

    // Across first: every source row to the target width.
    std::vector<Channels> across(static_cast<std::size_t>(width) * source.height);
    for (int y = 0; y < source.height; ++y) {
        const std::uint32_t* sourceRow = &source.pixels[static_cast<std::size_t>(y) * source.width];
        for (int x = 0; x < width; ++x) {
            Channels& sum = across[static_cast<std::size_t>(y) * width + x];
            const Footprint& footprint = columns[x];
            for (std::size_t i = 0; i < footprint.weights.size(); ++i)
                sum.Add(Channels::Of(sourceRow[footprint.first + i]), footprint.weights[i]);
        }
    }
    // Then down: every target column to the target height.
    Picture target{width, height,
                   std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        const Footprint& footprint = rows[y];
        for (int x = 0; x < width; ++x) {
            Channels sum;
            for (std::size_t i = 0; i < footprint.weights.size(); ++i)
                sum.Add(across[(footprint.first + i) * width + x], footprint.weights[i]);
            target.pixels[static_cast<std::size_t>(y) * width + x] = sum.Packed();
        }
    }
    return target;
}

} // namespace vexlor::pictures
