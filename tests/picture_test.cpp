// Pictures: PNG and JPEG through their libraries, the other formats through the platform, and
// resampling. The fixtures in tests/data were made by other encoders (tests/data/make_fixtures.py).
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/handles.h"
#include "pictures/picture.h"
#include "pictures/picture_files.h"
#include "temp_files.h"

namespace vexlor::pictures {
namespace {

using Pixels = std::vector<std::uint32_t>;
using vexlor::testing::TempFolder;

std::wstring DataFile(const std::wstring& name) {
    return std::wstring(VEXLOR_TEST_DATA_DIR) + L"/" + name;
}

std::vector<std::uint8_t> DataBytes(const std::wstring& name) {
    const std::vector<char> content = vexlor::testing::ReadAll(DataFile(name));
    EXPECT_FALSE(content.empty()) << "missing fixture";
    return {content.begin(), content.end()};
}

void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
}

// The straight RGBA pixels of make_fixtures.py, premultiplied by hand.
const Pixels RgbaPremultiplied = {0xFFFF0000, 0x80008000, 0x00000000, 0xFFFFFFFF,
                                  0xFF000000, 0xC89D4E27, 0x40030508, 0xFFFF8000};
const Pixels GreyAlphaPremultiplied = {0xFF000000, 0x80808080, 0x00000000, 0xFFFFFFFF,
                                       0xFF323232, 0xC89D9D9D, 0x40050505, 0xFF808080};

// Every channel of every pixel within `tolerance`.
void ExpectPixelsNear(const Pixels& actual, const Pixels& expected, int tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            const int got = actual[i] >> shift & 0xFF;
            const int wanted = expected[i] >> shift & 0xFF;
            EXPECT_LE(std::abs(got - wanted), tolerance)
                << "pixel " << i << " channel at bit " << shift << ": " << std::hex << actual[i]
                << " instead of " << expected[i];
        }
    }
}

// The text of the Error `action` throws; fails the test when it throws none.
std::wstring ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.Text();
    }
    ADD_FAILURE() << "no Error thrown";
    return {};
}

void ExpectUnreadable(const std::wstring& text, const std::wstring& name) {
    EXPECT_EQ(text.rfind(L"Cannot read the picture \"" + name + L"\": ", 0), 0u)
        << std::string(text.begin(), text.end());
}

TEST(PngDecoding, EveryColourTypeGivesPremultipliedPixels) {
    struct Case {
        const wchar_t* file;
        const Pixels& expected;
    };
    for (const Case& c : {Case{L"rgba.png", RgbaPremultiplied},
                          {L"palette.png", RgbaPremultiplied},
                          {L"rgba16.png", RgbaPremultiplied},
                          {L"interlaced.png", RgbaPremultiplied},
                          {L"grey_alpha.png", GreyAlphaPremultiplied}}) {
        SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
        const Picture picture = DecodePng(DataBytes(c.file), c.file);
        EXPECT_EQ(picture.width, 4);
        EXPECT_EQ(picture.height, 2);
        EXPECT_EQ(picture.pixels, c.expected);
    }
}

TEST(JpegDecoding, SolidBlocksKeepTheirSizeAndColours) {
    const Pixels blockColours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (const wchar_t* file : {L"blocks.jpg", L"blocks_progressive.jpg", L"blocks_cmyk.jpg"}) {
        SCOPED_TRACE(std::string(file, file + wcslen(file)));
        const Picture picture = DecodeJpeg(DataBytes(file), file);
        ASSERT_EQ(picture.width, 64);
        ASSERT_EQ(picture.height, 16);
        Pixels centres;
        for (int block = 0; block < 4; ++block)
            centres.push_back(picture.pixels[8 * 64 + block * 16 + 8]);
        ExpectPixelsNear(centres, blockColours, 12);
    }
}

TEST(DamagedPictures, TruncatedOrCorruptedDataThrowsAnErrorNamingThePicture) {
    const std::vector<std::uint8_t> png = DataBytes(L"rgba.png");
    const std::vector<std::uint8_t> jpeg = DataBytes(L"blocks.jpg");
    std::vector<std::uint8_t> badCrc = png;
    badCrc[png.size() - 20] ^= 0x55; // inside IDAT: its checksum no longer matches
    std::vector<std::uint8_t> badPrecision = jpeg;
    for (std::size_t i = 0; i + 4 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0)
            badPrecision[i + 4] = 3; // samples of 3 bits: no JPEG has those
    }
    const auto half = [](const std::vector<std::uint8_t>& data) {
        return std::vector<std::uint8_t>(data.begin(), data.begin() + data.size() / 2);
    };
    using Decoder = Picture (*)(std::span<const std::uint8_t>, const std::wstring&);
    const std::vector<std::pair<Decoder, std::vector<std::uint8_t>>> cases = {
        {DecodePng, half(png)}, {DecodePng, badCrc},       {DecodePng, {}},
        {DecodePng, jpeg},      {DecodeJpeg, half(jpeg)},  {DecodeJpeg, {}},
        {DecodeJpeg, png},      {DecodeJpeg, badPrecision}};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectUnreadable(ErrorOf([&] { cases[i].first(cases[i].second, L"damaged"); }), L"damaged");
    }
}

TEST(DamagedPictures, OversizedPicturesAreRefusedBeforeTheirPixelsAreRead) {
    // 10000 x 10000 over 68 bytes: decoding would need 400 MB and then find no data.
    const std::wstring png = ErrorOf([] { DecodePng(DataBytes(L"huge.png"), L"huge.png"); });
    ExpectUnreadable(png, L"huge.png");
    EXPECT_NE(png.find(L"too large"), std::wstring::npos);
    // 4000 x 4000 is allowed, but 68 bytes cannot hold it even at deflate's best.
    const std::wstring shortPng = ErrorOf([] { DecodePng(DataBytes(L"short.png"), L"short.png"); });
    EXPECT_NE(shortPng.find(L"truncated"), std::wstring::npos);

    std::vector<std::uint8_t> wide = DataBytes(L"blocks.jpg");
    for (std::size_t i = 0; i + 9 < wide.size(); ++i) {
        if (wide[i] == 0xFF && wide[i + 1] == 0xC0) {
            wide[i + 7] = 20000 >> 8; // width 20000: above the limit of a side
            wide[i + 8] = 20000 & 0xFF;
        }
    }
    const std::wstring jpeg = ErrorOf([&] { DecodeJpeg(wide, L"wide.jpg"); });
    EXPECT_NE(jpeg.find(L"too large"), std::wstring::npos);
}

class PictureFiles : public ::testing::Test {
protected:
    ComInitialized com_; // as the program's GUI thread has it
    TempFolder folder_;
};

TEST_F(PictureFiles, BmpIcoAndTiffLoadThroughTheImagingComponent) {
    // The BMP keeps the colours, not the alpha.
    ExpectPixelsNear(LoadPictureFile(DataFile(L"opaque.bmp")).pixels,
                     {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFFC86432,
                      0xFF0A141E, 0xFFFF8000},
                     0);
    const std::pair<const wchar_t*, const wchar_t*> copies[] = {
        {L"icon.ico", L"icon.ico"}, {L"picture.tif", L"picture.tif"}, {L"picture.tif", L"B.TIFF"}};
    for (const auto& [fixture, name] : copies) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
        WriteBytes(folder_.PathOf(name), DataBytes(fixture));
        const Picture picture = LoadPictureFile(folder_.PathOf(name));
        EXPECT_EQ(picture.width, 4);
        ExpectPixelsNear(picture.pixels, RgbaPremultiplied, 1);
    }
}

std::vector<std::uint8_t> LittleEndianWords(const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> bytes;
    for (const std::uint16_t word : words)
        bytes.insert(bytes.end(), {std::uint8_t(word), std::uint8_t(word >> 8)});
    return bytes;
}

TEST_F(PictureFiles, IconAndTiffSizesAreCheckedBeforeTheImagingComponentOpensThem) {
    // One icon whose bitmap header declares 30000 x 30000 (the height counts the mask too).
    std::vector<std::uint8_t> icon =
        LittleEndianWords({0, 1, 1, 0, 0, 1, 32, 40, 0, 22, 0, 40, 0, 30000, 0, 60000, 0, 1, 32});
    icon.resize(icon.size() + 24);
    // A 1 x 1 grey TIFF in one tile of 32768 x 32768, its entries of tag, type (3 a short, 4 a
    // long) and one value.
    std::vector<std::uint16_t> words = {0x4949, 42, 8, 0, 9};
    for (const auto [tag, type, value] : {std::array<std::uint16_t, 3>{256, 3, 1},
                                          {257, 3, 1},
                                          {258, 3, 8},
                                          {262, 3, 1},
                                          {277, 3, 1},
                                          {322, 4, 32768},
                                          {323, 4, 32768},
                                          {324, 4, 122},
                                          {325, 4, 1}})
        words.insert(words.end(), {tag, type, 1, 0, value, 0});
    words.insert(words.end(), {0, 0, 0x80});
    const std::vector<std::uint8_t> tiff = LittleEndianWords(words);
    for (const auto& [name, bytes] : {std::pair{L"huge.ico", icon}, {L"huge-tile.tif", tiff}}) {
        const std::wstring path = folder_.PathOf(name);
        WriteBytes(path, bytes);
        const std::wstring text = ErrorOf([&] { LoadPictureFile(path); });
        ExpectUnreadable(text, path);
        EXPECT_NE(text.find(L"too large"), std::wstring::npos)
            << std::string(text.begin(), text.end());
    }
}

// Left half red, right half white, at width x height 96-dpi pixels.
void ExpectRedLeftHalf(const Picture& picture, int width, int height) {
    ASSERT_EQ(picture.width, width);
    ASSERT_EQ(picture.height, height);
    const std::size_t middleRow = std::size_t(height / 2) * width;
    EXPECT_EQ(picture.pixels[middleRow + width / 8], 0xFFFF0000u);
    EXPECT_EQ(picture.pixels[middleRow + width * 7 / 8], 0xFFFFFFFFu);
    for (const std::uint32_t pixel : picture.pixels)
        ASSERT_EQ(pixel >> 24, 0xFFu) << "metafiles give opaque pictures";
}

void PaintRedLeftHalf(HDC dc, int width, int height) {
    const UniqueBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
    const RECT left{0, 0, width / 2, height};
    ::FillRect(dc, &left, red.Get());
}

TEST_F(PictureFiles, EmfPlaysAtItsFrameSize) {
    const std::wstring path = folder_.PathOf(L"drawing.emf");
    const RECT frame{0, 0, 2540, 1270}; // 1 x 0.5 inch in hundredths of a millimetre
    const HDC recorder = ::CreateEnhMetaFileW(nullptr, path.c_str(), &frame, nullptr);
    ASSERT_NE(recorder, nullptr);
    // The recording is in the screen's pixels; playing maps the frame onto 96 x 48.
    const int dpi = ::GetDeviceCaps(recorder, LOGPIXELSX);
    PaintRedLeftHalf(recorder, dpi, dpi / 2);
    ::DeleteEnhMetaFile(::CloseEnhMetaFile(recorder));
    ExpectRedLeftHalf(LoadPictureFile(path), 96, 48);
}

TEST_F(PictureFiles, WmfPlaysAtItsPlaceableBoxOrItsWindowExtent) {
    const std::wstring plain = folder_.PathOf(L"plain.wmf");
    const HDC recorder = ::CreateMetaFileW(plain.c_str());
    ASSERT_NE(recorder, nullptr);
    ::SetWindowExtEx(recorder, 200, 100, nullptr);
    PaintRedLeftHalf(recorder, 200, 100);
    ::DeleteMetaFile(::CloseMetaFile(recorder));
    ExpectRedLeftHalf(LoadPictureFile(plain), 200, 100);

    // The same records behind a placeable header: a box of 200 x 100 units, 192 to the inch.
    const std::uint16_t header[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 200, 100, 192, 0, 0};
    std::uint16_t checksum = 0;
    for (const std::uint16_t word : header)
        checksum ^= word;
    std::vector<std::uint8_t> placeable;
    for (const std::uint16_t word : header)
        placeable.insert(placeable.end(), {std::uint8_t(word), std::uint8_t(word >> 8)});
    placeable.insert(placeable.end(), {std::uint8_t(checksum), std::uint8_t(checksum >> 8)});
    const std::vector<char> records = vexlor::testing::ReadAll(plain);
    placeable.insert(placeable.end(), records.begin(), records.end());
    WriteBytes(folder_.PathOf(L"placeable.WMF"), placeable);
    ExpectRedLeftHalf(LoadPictureFile(folder_.PathOf(L"placeable.WMF")), 100, 50);
}

TEST_F(PictureFiles, ExtensionPicksTheDecoderAndBadFilesAreRefused) {
    const std::vector<std::uint8_t> png = DataBytes(L"rgba.png");
    WriteBytes(folder_.PathOf(L"UPPER.PNG"), png);
    EXPECT_EQ(LoadPictureFile(folder_.PathOf(L"UPPER.PNG")).pixels, RgbaPremultiplied);
    WriteBytes(folder_.PathOf(L"photo.JPEG"), DataBytes(L"blocks.jpg"));
    EXPECT_EQ(LoadPictureFile(folder_.PathOf(L"photo.JPEG")).width, 64);

    ASSERT_TRUE(::CreateDirectoryW(folder_.PathOf(L"png.d").c_str(), nullptr));
    for (const wchar_t* name : {L"picture.gif", L"picture", L"png.d\\picture"}) {
        const std::wstring path = folder_.PathOf(name);
        WriteBytes(path, png);
        ExpectUnreadable(ErrorOf([&] { LoadPictureFile(path); }), path);
    }
    const std::wstring missing = folder_.PathOf(L"missing.png");
    EXPECT_EQ(ErrorOf([&] { LoadPictureFile(missing); }),
              L"Cannot read the file \"" + missing + L"\": " +
                  vexlor::testing::SystemText(ERROR_FILE_NOT_FOUND));
    const std::wstring big = folder_.MakeFile(L"big.png", MaxPictureFileBytes + 1);
    const std::wstring text = ErrorOf([&] { LoadPictureFile(big); });
    EXPECT_NE(text.find(L"larger than 16 MiB"), std::wstring::npos);
    const std::wstring wrongContent = folder_.PathOf(L"really-a-png.bmp");
    WriteBytes(wrongContent, DataBytes(L"blocks.jpg"));
    ExpectUnreadable(ErrorOf([&] { LoadPictureFile(wrongContent); }), wrongContent);
}

TEST(PictureResources, ResourcePngBecomesATopDownBitmap) {
    const Picture picture = LoadPictureResource(201);
    EXPECT_EQ(picture.pixels, RgbaPremultiplied);
    ExpectUnreadable(ErrorOf([] { LoadPictureResource(9999); }), L"resource 9999");

    const UniqueBitmap bitmap = ToBitmap(picture);
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectW(bitmap.Get(), sizeof(dib), &dib), int(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    const auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    EXPECT_EQ(Pixels(bits, bits + 8), RgbaPremultiplied);
    // Top-down: the first row in memory is the top row on the screen.
    const MemoryDc dc;
    const SelectedObject selected(dc.Get(), bitmap.Get());
    EXPECT_EQ(::GetPixel(dc.Get(), 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(dc.Get(), 0, 1), RGB(0, 0, 0));
    EXPECT_THROW(ToBitmap(Picture{2, 2, {1, 2, 3}}), Error);
}

TEST(ScalePicture, ShrinksByAreaAverageOfPremultipliedPixels) {
    // 2 x 2 blocks: opaque red beside transparent, and blue above green.
    const Picture blocks{
        4, 2, {0xFFFF0000, 0, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000, 0, 0xFF00FF00, 0xFF00FF00}};
    EXPECT_EQ(ScalePicture(blocks, 2, 1).pixels, (Pixels{0x80800000, 0xFF008080}));
    // Three to two: each target pixel takes one source pixel whole and half of the middle one.
    const Picture row{3, 1, {0xFFFFFFFF, 0xFF000000, 0xFF000000}};
    EXPECT_EQ(ScalePicture(row, 2, 1).pixels, (Pixels{0xFFAAAAAA, 0xFF000000}));
}

TEST(ScalePicture, GrowsBilinearlyBetweenPixelCentres) {
    const Picture row{2, 1, {0xFF000000, 0xFFFFFFFF}};
    EXPECT_EQ(ScalePicture(row, 4, 1).pixels,
              (Pixels{0xFF000000, 0xFF404040, 0xFFBFBFBF, 0xFFFFFFFF}));
    const Picture column{1, 2, {0xFF0000FF, 0x00000000}};
    EXPECT_EQ(ScalePicture(column, 1, 4).pixels,
              (Pixels{0xFF0000FF, 0xBF0000BF, 0x40000040, 0x00000000}));
}

TEST(ScalePicture, SameSizeKeepsThePixelsAndBadSizesThrow) {
    const Picture picture{4, 2, RgbaPremultiplied};
    EXPECT_EQ(ScalePicture(picture, 4, 2).pixels, RgbaPremultiplied);
    EXPECT_THROW(ScalePicture(picture, 0, 5), Error);
    EXPECT_THROW(ScalePicture(picture, MaxPictureSide + 1, 1), Error);
    EXPECT_THROW(ScalePicture(Picture{4, 2, {1, 2}}, 2, 2), Error);
}

TEST(ScalePicture, TheTargetAndTheFirstPassStayWithinThePictureBounds) {
    // Both pictures are in bounds, but the first pass would hold 16384 x 16384 pixels (4 GB).
    const Picture tall{2048, 16384, Pixels(std::size_t{2048} * 16384)};
    const std::wstring text = ErrorOf([&] { ScalePicture(tall, 16384, 2048); });
    EXPECT_EQ(text, L"Cannot scale a picture of 2048 x 16384 pixels to 16384 x 2048.");
    // Each side of the target allowed, their product not.
    EXPECT_THROW(ScalePicture(Picture{4, 2, RgbaPremultiplied}, 8192, 8192), Error);
}

} // namespace
} // namespace vexlor::pictures
