// libFuzzer target: the picture decoders and the resampling, on any bytes. Damaged input must
// end in a vexlor::Error; anything else (a crash, a sanitizer report, a hang) is a finding.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/error.h"
#include "pictures/picture.h"

namespace {

// Small targets keep each run fast; the input's length picks them, so both directions occur.
void Resample(const vexlor::pictures::Picture& picture, std::size_t seed) {
    const int width = 1 + static_cast<int>(seed % 23);
    const int height = 1 + static_cast<int>(seed / 23 % 19);
    const vexlor::pictures::Picture scaled = vexlor::pictures::ScalePicture(picture, width, height);
    for (const std::uint32_t pixel : scaled.pixels) {
        const std::uint32_t alpha = pixel >> 24;
        if ((pixel >> 16 & 0xFF) > alpha || (pixel >> 8 & 0xFF) > alpha || (pixel & 0xFF) > alpha)
            __builtin_trap(); // premultiplied colour above its alpha
    }
}

template <typename Decode> void Try(Decode decode, std::span<const std::uint8_t> data) {
    try {
        const vexlor::pictures::Picture picture = decode(data, L"fuzz");
        if (picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height)
            __builtin_trap();
        if (picture.pixels.size() <= 1024 * 1024)
            Resample(picture, data.size());
    } catch (const vexlor::Error&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    Try(vexlor::pictures::DecodePng, bytes);
    Try(vexlor::pictures::DecodeJpeg, bytes);
    return 0;
}
