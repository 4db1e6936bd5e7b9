// Text files as lines: byte-order marks, line breaks, the system's conversions, and reading
// real files with their bound and their share mode.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/handles.h"
#include "base/text_lines.h"
#include "platform/text_file.h"
#include "temp_files.h"

namespace vexlor {
namespace {

using Lines = std::vector<std::wstring>;
using vexlor::testing::TempFolder;

std::span<const std::uint8_t> BytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Widens byte by byte and remembers how it was asked to.
struct RecordingWiden {
    std::wstring operator()(std::span<const std::uint8_t> body, TextEncoding encoding) {
        encodings.push_back(encoding);
        return std::wstring(body.begin(), body.end());
    }
    std::vector<TextEncoding> encodings;
};

TEST(TextLines, ByteOrderMarkPicksTheEncodingAndStaysOutOfTheText) {
    RecordingWiden widen;
    const Widen byBytes = std::ref(widen);
    // "1 Да" and "2" in each encoding; the Cyrillic shows a swapped byte order.
    EXPECT_EQ(DecodeLines(BytesOf({"\xFF\xFE"
                                   "1\0 \0\x14\x04\x30\x04\n\0"
                                   "2\0",
                                   14}),
                          byBytes),
              (Lines{L"1 \u0414\u0430", L"2"}));
    EXPECT_EQ(DecodeLines(BytesOf({"\xFE\xFF\0"
                                   "1\0 \x04\x14\x04\x30\0\n\0"
                                   "2",
                                   14}),
                          byBytes),
              (Lines{L"1 \u0414\u0430", L"2"}));
    EXPECT_TRUE(widen.encodings.empty()) << "UTF-16 is widened without the system";
    EXPECT_EQ(DecodeLines(BytesOf("\xEF\xBB\xBF"
                                  "1 x"),
                          byBytes),
              (Lines{L"1 x"}));
    EXPECT_EQ(DecodeLines(BytesOf("\xEF\xBB"
                                  "1"),
                          byBytes),
              (Lines{L"\xEF\xBB"
                     L"1"}));
    EXPECT_EQ(widen.encodings, (std::vector{TextEncoding::Utf8, TextEncoding::Ansi}));
    // An odd last byte of UTF-16 is dropped.
    EXPECT_EQ(DecodeLines(BytesOf({"\xFF\xFE"
                                   "a\0b",
                                   5}),
                          byBytes),
              (Lines{L"a"}));
}

TEST(TextLines, LinesEndAtEveryKindOfBreakAndTheTextAtNul) {
    const std::pair<std::wstring_view, Lines> cases[] = {
        {L"", {}},
        {L"a\r\nb\nc\rd", {L"a", L"b", L"c", L"d"}},
        {L"a\n\r\n\rb", {L"a", L"", L"", L"b"}},
        {L"a\r\n", {L"a"}},
        {L"a\n\n", {L"a", L""}},
        {L"\r", {L""}},
        {std::wstring_view(L"a\nb\0c\nd", 7), {L"a", L"b"}},
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(SplitLines(text), lines) << "for \"" << std::wstring(text) << '"';
}

TEST(TextLines, SystemWidensUtf8WithReplacementsAndUnmarkedBytesAsAnsi) {
    using platform::WidenWithSystem;
    EXPECT_EQ(WidenWithSystem(BytesOf("\xD0\x94\xFF!"), TextEncoding::Utf8), L"\u0414\uFFFD!");
    const std::string ansi = "\xC3\xA9";
    wchar_t expected[4] = {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), 2, expected, 4);
    EXPECT_EQ(WidenWithSystem(BytesOf(ansi), TextEncoding::Ansi), std::wstring(expected, length));
    if (::GetACP() != CP_UTF8) {
        EXPECT_NE(WidenWithSystem(BytesOf(ansi), TextEncoding::Ansi), L"\u00E9");
    }
}

class TextFile : public ::testing::Test {
protected:
    TempFolder folder_;
};

TEST_F(TextFile, ReadsUpToTheBoundAndRefusesALargerFileByName) {
    const std::wstring path = folder_.MakeFile(L"big.txt", 1024, 'x');
    EXPECT_EQ(platform::ReadTextLines(path, 1024), (Lines{std::wstring(1024, L'x')}));
    try {
        platform::ReadTextLines(path, 1023);
        FAIL() << "a file over the bound was read";
    } catch (const Error& error) {
        EXPECT_EQ(error.Text(), L"The file \"" + path + L"\" is larger than 1023 bytes.");
    }
}

TEST_F(TextFile, MissingFileIsNothingOnlyWhenThatIsAsked) {
    const std::wstring missing = folder_.PathOf(L"none.txt");
    EXPECT_FALSE(platform::ReadTextLinesIfPresent(missing, 100));
    EXPECT_FALSE(platform::ReadTextLinesIfPresent(folder_.PathOf(L"no\\none.txt"), 100));
    EXPECT_THROW(platform::ReadTextLines(missing, 100), Error);
    folder_.MakeFileWith(L"here.txt", "a\r\nb");
    EXPECT_EQ(platform::ReadTextLinesIfPresent(folder_.PathOf(L"here.txt"), 100),
              (Lines{L"a", L"b"}));
}

TEST_F(TextFile, FileBeingWrittenByAnotherIsRefusedOneBeingReadIsNot) {
    const std::wstring path = folder_.MakeFileWith(L"busy.txt", "tip");
    const auto openBy = [&](DWORD access) {
        return UniqueFile(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    {
        const UniqueFile reader = openBy(GENERIC_READ);
        EXPECT_EQ(platform::ReadTextLines(path, 100), (Lines{L"tip"}));
    }
    const UniqueFile writer = openBy(GENERIC_WRITE);
    ASSERT_TRUE(writer);
    try {
        platform::ReadTextLinesIfPresent(path, 100);
        FAIL() << "a file open for writing was read";
    } catch (const Error& error) {
        EXPECT_EQ(error.Text(), L"Cannot read the file \"" + path + L"\": " +
                                    vexlor::testing::SystemText(ERROR_SHARING_VIOLATION));
    }
}

} // namespace
} // namespace vexlor
