#include "pictures/picture_files.h"

#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "base/error.h"
#include "platform/file_system.h"
#include "platform/resources.h"

namespace vexlor::pictures {
namespace {

using Bytes = std::span<const std::uint8_t>;

// ---- The file's name ----

std::wstring LowerCaseExtension(const std::wstring& path) {
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t separator = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator))
        return {};
    std::wstring extension = path.substr(dot + 1);
    ::CharLowerBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    return extension;
}

// ---- Numbers in the file, little-endian unless told ----

std::uint16_t WordAt(Bytes data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}
std::uint32_t DwordAt(Bytes data, std::size_t at) {
    return WordAt(data, at) | std::uint32_t{WordAt(data, at + 2)} << 16;
}
int ShortAt(Bytes data, std::size_t at) {
    return static_cast<std::int16_t>(WordAt(data, at));
}
std::int32_t LongAt(Bytes data, std::size_t at) {
    return static_cast<std::int32_t>(DwordAt(data, at));
}
std::uint16_t WordAt(Bytes data, std::size_t at, bool bigEndian) {
    const std::uint16_t word = WordAt(data, at);
    return bigEndian ? static_cast<std::uint16_t>(word >> 8 | word << 8) : word;
}
std::uint32_t DwordAt(Bytes data, std::size_t at, bool bigEndian) {
    const std::uint32_t first = WordAt(data, at, bigEndian);
    const std::uint32_t second = WordAt(data, at + 2, bigEndian);
    return bigEndian ? first << 16 | second : second << 16 | first;
}

// ---- Bitmaps ----

UniqueBitmap CreateTopDownDib(int width, int height, void** bits) {
    UniqueBitmap bitmap = CreateDib(width, height, bits);
    if (!bitmap || !*bits)
        ThrowLastError(L"Cannot make a bitmap of " + std::to_wstring(width) + L" x " +
                       std::to_wstring(height) + L" pixels:");
    return bitmap;
}

// ---- Windows Imaging Component: BMP, ICO, TIFF ----

void CheckWic(HRESULT result, const std::wstring& name) {
    if (FAILED(result))
        ThrowUnreadablePicture(name, SystemErrorText(static_cast<unsigned long>(result)));
}

UniqueCom<IWICBitmapFrameDecode> FirstWicFrame(IWICImagingFactory& factory, Bytes data,
                                               const GUID& container, const std::wstring& name) {
    UniqueCom<IWICStream> stream;
    CheckWic(factory.CreateStream(stream.Put()), name);
    // WIC only reads through the stream, although its signature takes writable memory.
    CheckWic(stream->InitializeFromMemory(const_cast<BYTE*>(data.data()),
                                          static_cast<DWORD>(data.size())),
             name);
    // The decoder of the format the extension names, not whichever installed codec claims the
    // bytes: a file is what its name says or it is refused.
    UniqueCom<IWICBitmapDecoder> decoder;
    CheckWic(factory.CreateDecoder(container, nullptr, decoder.Put()), name);
    CheckWic(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand), name);
    UniqueCom<IWICBitmapFrameDecode> frame;
    CheckWic(decoder->GetFrame(0, frame.Put()), name);
    return frame;
}

Picture DecodeWithWic(Bytes data, const GUID& container, const std::wstring& name) {
    UniqueCom<IWICImagingFactory> factory;
    CheckWic(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.Put())),
             name);
    const UniqueCom<IWICBitmapFrameDecode> frame =
        FirstWicFrame(*factory.Get(), data, container, name);
    UINT width = 0;
    UINT height = 0;
    CheckWic(frame->GetSize(&width, &height), name);
    CheckPictureSize(width, height, name);

    UniqueCom<IWICFormatConverter> converter;
    CheckWic(factory->CreateFormatConverter(converter.Put()), name);
    // Premultiplied BGRA is the memory layout of the picture's 0xAARRGGBB pixels.
    CheckWic(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom),
             name);
    Picture picture{static_cast<int>(width), static_cast<int>(height), {}};
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    CheckWic(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(picture.pixels.size() * 4),
                                   reinterpret_cast<BYTE*>(picture.pixels.data())),
             name);
    return picture;
}

// Opening an icon decodes its picture whole, and opening a TIFF takes a buffer for one strip or
// tile, at the sizes their headers declare and before the frame's size can be asked: under Wine
// a 62-byte icon takes 3.6 GB. Those sizes are read from the file and checked first; what is
// missing, zero or cut off is left for the imaging component to refuse.

void CheckDeclaredSize(std::int64_t width, std::int64_t height, const std::wstring& name) {
    CheckPictureSize(std::max<std::int64_t>(width, 1), std::max<std::int64_t>(height, 1), name);
}

// A PNG's size is in its header chunk; a bitmap's height counts the mask below the colours.
void CheckIconImageSize(Bytes image, const std::wstring& name) {
    static constexpr std::uint8_t pngSignature[] = {0x89, 'P', 'N', 'G'};
    constexpr std::uint32_t coreHeaderSize = 12;
    if (std::equal(std::begin(pngSignature), std::end(pngSignature), image.begin()))
        CheckDeclaredSize(DwordAt(image, 16, true), DwordAt(image, 20, true), name);
    else if (DwordAt(image, 0) == coreHeaderSize)
        CheckDeclaredSize(WordAt(image, 4), WordAt(image, 6) / 2, name);
    else
        CheckDeclaredSize(std::abs(std::int64_t{LongAt(image, 4)}),
                          std::abs(std::int64_t{LongAt(image, 8)}) / 2, name);
}

// Every picture of the icon's directory: a header of 6 bytes, then an entry of 16 for each.
void CheckIconSizes(Bytes data, const std::wstring& name) {
    constexpr std::size_t directorySize = 6;
    constexpr std::size_t entrySize = 16;
    constexpr std::size_t leastImageHeader = 24;
    if (data.size() < directorySize)
        return;
    const std::size_t entriesEnd = directorySize + WordAt(data, 4) * entrySize;
    for (std::size_t entry = directorySize; entry < entriesEnd && entry + entrySize <= data.size();
         entry += entrySize) {
        const std::size_t image = DwordAt(data, entry + 12);
        if (image <= data.size() && data.size() - image >= leastImageHeader)
            CheckIconImageSize(data.subspan(image), name);
    }
}

// The first directory's picture and tile sizes: a count of 12-byte entries of tag, type, count
// and value, a short value in the value's first two bytes.
void CheckTiffSizes(Bytes data, const std::wstring& name) {
    constexpr std::uint16_t bigTiff = 43;
    constexpr std::uint16_t shortType = 3;
    constexpr std::uint16_t longType = 4;
    constexpr std::uint16_t tags[] = {256, 257, 322, 323}; // width, length, tile width, length
    if (data.size() < 8)
        return;
    const bool bigEndian = data[0] == 'M';
    if (WordAt(data, 2, bigEndian) == bigTiff) // not read by the imaging component of Windows
        ThrowUnreadablePicture(name, L"BigTIFF files are not supported.");
    const std::size_t directory = DwordAt(data, 4, bigEndian);
    if (directory > data.size() - 2)
        return;
    std::int64_t sizes[std::size(tags)] = {};
    const std::size_t count = WordAt(data, directory, bigEndian);
    for (std::size_t i = 0, at = directory + 2; i < count && at + 12 <= data.size();
         ++i, at += 12) {
        const std::uint16_t* tag =
            std::find(std::begin(tags), std::end(tags), WordAt(data, at, bigEndian));
        const std::uint16_t type = WordAt(data, at + 2, bigEndian);
        if (tag != std::end(tags) && (type == shortType || type == longType))
            sizes[tag - tags] = type == shortType ? WordAt(data, at + 8, bigEndian)
                                                  : DwordAt(data, at + 8, bigEndian);
    }
    CheckDeclaredSize(sizes[0], sizes[1], name);
    if (!SizeAllowed(std::max<std::int64_t>(sizes[2], 1), std::max<std::int64_t>(sizes[3], 1)))
        ThrowUnreadablePicture(name, L"its tiles are too large (" + std::to_wstring(sizes[2]) +
                                         L" x " + std::to_wstring(sizes[3]) + L" pixels).");
}

Picture DecodeBmp(Bytes data, const std::wstring& name) {
    return DecodeWithWic(data, GUID_ContainerFormatBmp, name);
}
Picture DecodeIco(Bytes data, const std::wstring& name) {
    CheckIconSizes(data, name);
    return DecodeWithWic(data, GUID_ContainerFormatIco, name);
}
Picture DecodeTiff(Bytes data, const std::wstring& name) {
    CheckTiffSizes(data, name);
    return DecodeWithWic(data, GUID_ContainerFormatTiff, name);
}

// ---- GDI: EMF and WMF ----

// Plays the metafile onto white at width x height; metafiles have no transparency.
Picture RenderMetaFile(HENHMETAFILE metafile, int width, int height, const std::wstring& name) {
    CheckPictureSize(width, height, name);
    void* bits = nullptr;
    const UniqueBitmap target = CreateTopDownDib(width, height, &bits);
    const MemoryDc dc;
    if (!dc.Get())
        ThrowLastError(L"Cannot draw the picture \"" + name + L"\":");
    {
        const SelectedObject selected(dc.Get(), target.Get());
        RECT area{0, 0, width, height};
        ::FillRect(dc.Get(), &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        if (!::PlayEnhMetaFile(dc.Get(), metafile, &area))
            ThrowUnreadablePicture(name, L"its drawing could not be played.");
        ::GdiFlush();
    }
    Picture picture{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
    std::memcpy(picture.pixels.data(), bits, picture.pixels.size() * 4);
    // GDI leaves the alpha byte at zero where it draws.
    for (std::uint32_t& pixel : picture.pixels)
        pixel |= 0xFF000000u;
    return picture;
}

// Hundredths of a millimetre to pixels at 96 dpi, and back.
int PixelsOf(double hundredthsOfMm) {
    return static_cast<int>(std::lround(hundredthsOfMm * 96.0 / 2540.0));
}
LONG HundredthsOfMmOf(int pixels) {
    return ::MulDiv(pixels, 2540, 96);
}

Picture DecodeEmf(Bytes data, const std::wstring& name) {
    const UniqueEnhMetaFile metafile(
        ::SetEnhMetaFileBits(static_cast<UINT>(data.size()), data.data()));
    ENHMETAHEADER header{};
    if (!metafile || !::GetEnhMetaFileHeader(metafile.Get(), sizeof(header), &header))
        ThrowUnreadablePicture(name, L"it is not an enhanced metafile.");
    const RECTL& frame = header.rclFrame;
    return RenderMetaFile(metafile.Get(), PixelsOf(double(frame.right) - frame.left),
                          PixelsOf(double(frame.bottom) - frame.top), name);
}

// Where a WMF's records start and its size in pixels at 96 dpi (zero when it tells none).
struct WmfLayout {
    Bytes records;
    int width = 0;
    int height = 0;
};

// A placeable WMF starts with a header of its own that GDI does not take: its bounding box, in
// units of which `inch` make an inch.
std::optional<WmfLayout> PlaceableLayout(Bytes data) {
    constexpr std::uint32_t placeableKey = 0x9AC6CDD7;
    constexpr std::size_t headerSize = 22;
    if (data.size() < headerSize || DwordAt(data, 0) != placeableKey)
        return std::nullopt;
    const int inch = WordAt(data, 14);
    const auto pixels = [inch](int from, int to) {
        return inch ? ::MulDiv(std::abs(to - from), 96, inch) : 0;
    };
    return WmfLayout{data.subspan(headerSize), pixels(ShortAt(data, 6), ShortAt(data, 10)),
                     pixels(ShortAt(data, 8), ShortAt(data, 12))};
}

// A plain WMF tells its size only through the window extent its records set, taken as pixels.
WmfLayout PlainLayout(Bytes data) {
    constexpr std::uint16_t endOfFile = 0x0000;
    constexpr std::uint16_t setWindowExtent = 0x020C;
    constexpr std::size_t metaHeaderSize = 18;
    if (data.size() < metaHeaderSize)
        return {data};
    // Records: size in 16-bit words (4 bytes), function (2 bytes), parameters.
    for (std::size_t at = std::size_t{WordAt(data, 2)} * 2; at + 6 <= data.size();) {
        const std::uint32_t words = DwordAt(data, at);
        const std::uint16_t function = WordAt(data, at + 4);
        if (function == endOfFile || words < 3)
            break;
        if (function == setWindowExtent && at + 10 <= data.size())
            return {data, std::abs(ShortAt(data, at + 8)), std::abs(ShortAt(data, at + 6))};
        at += std::size_t{words} * 2;
    }
    return {data};
}

Picture DecodeWmf(Bytes data, const std::wstring& name) {
    const std::optional<WmfLayout> placeable = PlaceableLayout(data);
    const WmfLayout layout = placeable ? *placeable : PlainLayout(data);
    CheckPictureSize(layout.width, layout.height, name);
    const METAFILEPICT frame{MM_ANISOTROPIC, HundredthsOfMmOf(layout.width),
                             HundredthsOfMmOf(layout.height), nullptr};
    const WindowDc screen(nullptr);
    const UniqueEnhMetaFile metafile(::SetWinMetaFileBits(
        static_cast<UINT>(layout.records.size()), layout.records.data(), screen.Get(), &frame));
    if (!metafile)
        ThrowUnreadablePicture(name, L"it is not a Windows metafile.");
    return RenderMetaFile(metafile.Get(), layout.width, layout.height, name);
}

using Decoder = Picture (*)(Bytes data, const std::wstring& name);

Decoder DecoderFor(const std::wstring& extension) {
    static const std::pair<const wchar_t*, Decoder> decoders[] = {
        {L"png", DecodePng},   {L"jpg", DecodeJpeg}, {L"jpeg", DecodeJpeg},
        {L"bmp", DecodeBmp},   {L"ico", DecodeIco},  {L"tif", DecodeTiff},
        {L"tiff", DecodeTiff}, {L"emf", DecodeEmf},  {L"wmf", DecodeWmf},
    };
    for (const auto& [known, decoder] : decoders) {
        if (extension == known)
            return decoder;
    }
    return nullptr;
}

} // namespace

Picture LoadPictureFile(const std::wstring& path) {
    const Decoder decoder = DecoderFor(LowerCaseExtension(path));
    if (!decoder)
        ThrowUnreadablePicture(path, L"only PNG, JPEG, BMP, ICO, TIFF, EMF and WMF pictures are "
                                     L"supported.");
    const std::vector<std::uint8_t> bytes = platform::ReadWholeFile(path, MaxPictureFileBytes);
    return decoder(bytes, path);
}

Picture LoadPictureResource(int id) {
    const std::wstring name = L"resource " + std::to_wstring(id);
    const auto data = platform::FindResourceData(id);
    if (!data)
        ThrowUnreadablePicture(name, L"the program carries no such picture.");
    return DecodePng(*data, name);
}

UniqueBitmap CreateDib(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    return UniqueBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

UniqueBitmap ToBitmap(const Picture& picture) {
    if (!IsWhole(picture))
        throw Error(L"Cannot make a bitmap of an empty, incomplete or oversized picture.");
    void* bits = nullptr;
    UniqueBitmap bitmap = CreateTopDownDib(picture.width, picture.height, &bits);
    std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * 4);
    return bitmap;
}

} // namespace vexlor::pictures
