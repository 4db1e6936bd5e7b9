// Text files as lines: byte-order marks, line breaks, the system's conversions, and reading
// real files with their bound and their share mode.
#include <windows.h>

#include <gmock/gmock.h>
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
using ::testing::Property;
using ::testing::Throws;
using vexlor::testing::TempFolder;

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

std::span<const std::uint8_t> BytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// `text` as a UTF-16 file in the given byte order, with its byte-order mark.
std::string Utf16File(std::wstring_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// Widens byte by byte and remembers the encodings it was asked for.
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
    for (const bool bigEndian : {false, true})
        EXPECT_EQ(DecodeLines(BytesOf(Utf16File(L"1 Да\r\n2", bigEndian)), byBytes),
                  (Lines{L"1 Да", L"2"}));
    EXPECT_EQ(DecodeLines(BytesOf(Utf16File(L"ab", false) + 'c'), byBytes), Lines{L"ab"});
    EXPECT_TRUE(widen.encodings.empty()) << "UTF-16 is widened without the system";
    EXPECT_EQ(DecodeLines(BytesOf(std::string(Utf8Mark) + "1 x"), byBytes), Lines{L"1 x"});
    EXPECT_EQ(DecodeLines(BytesOf("\xEF\xBB!"), byBytes), Lines{L"\u00EF\u00BB!"});
    EXPECT_EQ(widen.encodings, (std::vector{TextEncoding::Utf8, TextEncoding::Ansi}));
}

TEST(TextLines, LinesEndAtEveryKindOfBreakAndTheTextAtNul) {
    const std::pair<std::wstring_view, Lines> cases[] = {
        {L"", {}},
        {L"a\r\nb\nc\rd", {L"a", L"b", L"c", L"d"}},
        {L"a\n\r\n\rb", {L"a", L"", L"", L"b"}},
        {L"a\r\n", {L"a"}},
        {L"a\n\n", {L"a", L""}},
        {std::wstring_view(L"a\nb\0c\nd", 7), {L"a", L"b"}},
    };
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(SplitLines(text), lines) << "for \"" << std::wstring(text) << '"';
}

TEST(TextLines, SystemWidensUtf8WithReplacementsAndUnmarkedBytesAsAnsi) {
    using platform::WidenWithSystem;
    EXPECT_EQ(WidenWithSystem(BytesOf("\xD0\x94\xFF!"), TextEncoding::Utf8), L"Д\uFFFD!");
    // Read as ANSI, these two bytes are not the one UTF-8 character they would be.
    const std::string ansi = "\xC3\xA9";
    wchar_t expected[4] = {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), 2, expected, 4);
    EXPECT_EQ(WidenWithSystem(BytesOf(ansi), TextEncoding::Ansi), std::wstring(expected, length));
    EXPECT_TRUE(::GetACP() == CP_UTF8 || length == 2);
}

class TextFile : public ::testing::Test {
protected:
    TempFolder folder_;
};

TEST_F(TextFile, ReadsUpToTheBoundAndRefusesALargerFileByName) {
    const std::wstring path = folder_.MakeFile(L"big.txt", 1024, 'x');
    EXPECT_EQ(platform::ReadTextLines(path, 1024), Lines{std::wstring(1024, L'x')});
    EXPECT_THAT([&] { platform::ReadTextLines(path, 1023); },
                Throws<Error>(Property(&Error::Text,
                                       L"The file \"" + path + L"\" is larger than 1023 bytes.")));
}

TEST_F(TextFile, MissingFileIsNothingOnlyWhenThatIsAsked) {
    const std::wstring missing = folder_.PathOf(L"none.txt");
    EXPECT_FALSE(platform::ReadTextLinesIfPresent(missing, 100));
    EXPECT_FALSE(platform::ReadTextLinesIfPresent(folder_.PathOf(L"no\\none.txt"), 100));
    EXPECT_THROW(platform::ReadTextLines(missing, 100), Error);
    const std::wstring present = folder_.MakeFileWith(L"here.txt", "a\r\nb");
    EXPECT_EQ(platform::ReadTextLinesIfPresent(present, 100), (Lines{L"a", L"b"}));
}

TEST_F(TextFile, FileBeingWrittenByAnotherIsRefusedOneBeingReadIsNot) {
    const std::wstring path = folder_.MakeFileWith(L"busy.txt", "tip");
    const auto openBy = [&](DWORD access) {
        return UniqueFile(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    {
        const UniqueFile reader = openBy(GENERIC_READ);
        EXPECT_EQ(platform::ReadTextLines(path, 100), Lines{L"tip"});
    }
    const UniqueFile writer = openBy(GENERIC_WRITE);
    ASSERT_TRUE(writer);
    const std::wstring refused = L"Cannot read the file \"" + path + L"\": " +
                                 vexlor::testing::SystemText(ERROR_SHARING_VIOLATION);
    EXPECT_THAT([&] { platform::ReadTextLinesIfPresent(path, 100); },
                Throws<Error>(Property(&Error::Text, refused)));
}

} // namespace
} // namespace vexlor
