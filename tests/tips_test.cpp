// The tips: lines parsed into text and picture, picture names kept inside their folder, the
// random order, the tips file read from the program's folder, and the file that ships.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "base/error.h"
#include "dialogs/tips.h"
#include "pictures/picture_files.h"
#include "platform/file_system.h"
#include "temp_files.h"

namespace vexlor::dialogs {
namespace {

using ::testing::Property;
using ::testing::Throws;
using vexlor::testing::TempFolder;

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

TEST(Tips, LineGivesTextPictureFlagAndNameOnlyAsWritten) {
    const struct {
        std::wstring_view line;
        std::wstring_view text;
        bool hasPicture;
        std::optional<std::wstring> name;
    } cases[] = {
        {L"1 Ctrl adds more.<IMAGE>multi.png", L"Ctrl adds more.", true, L"multi.png"},
        {L"0\t  spaced  <IMAGE>x.png", L"  spaced  ", false, std::nullopt},
        {L"1 a<image>x.png", L"a<image>x.png", true, std::nullopt},
        {L"1 at the end<IMAGE>", L"at the end<IMAGE>", true, std::nullopt},
        {L"1 A<IMAGE>b<IMAGE>c", L"A", true, L"b<IMAGE>c"},
        {L"1<IMAGE>p", L"", true, L"p"},
        {L"1 plain", L"plain", true, std::nullopt},
        {L"x plain", L"plain", false, std::nullopt},
        {L"1 ", L"", true, std::nullopt},
        {L"", L"", false, std::nullopt},
    };
    for (const auto& expected : cases) {
        const Tip tip = ParseTip(expected.line);
        SCOPED_TRACE(std::wstring(expected.line));
        EXPECT_EQ(tip.text, expected.text);
        EXPECT_EQ(tip.hasPicture, expected.hasPicture);
        EXPECT_EQ(tip.pictureName, expected.name);
    }
}

// Each of `names` is refused by name, and no path is made of it. Both are checked: on some
// systems the full path already hides a device name, on others it does not.
template <typename... Names> void ExpectOutside(const std::wstring& program, Names... names) {
    for (const std::wstring& name : {std::wstring(names)...}) {
        EXPECT_FALSE(IsSafePictureName(name)) << "for \"" << name << '"';
        EXPECT_EQ(TipPicturePath(program, name), std::nullopt) << "for \"" << name << '"';
    }
}

TEST(Tips, PicturePathStaysInsideTheHelpFolder) {
    const std::wstring program = L"C:\\Program Files\\Vexlor\\";
    for (const std::wstring name : {L"ssd.jpg", L"sub\\deep\\x.png", L"console.png", L"com10.png"})
        EXPECT_EQ(TipPicturePath(program, name), program + L"Resourse\\Help\\" + name);
    ExpectOutside(program, L"", L"..", L"..\\x.png", L"sub\\..\\..\\x.png", L"sub/../../x.png");
    ExpectOutside(program, L"\\x.png", L"/x.png", L"\\\\server\\x.png", L"C:x.png", L"D:\\x.png");
    ExpectOutside(program, L"x.png:hidden", L"CON", L"nul.png", L"sub\\Lpt1.jpg", L"COM9",
                  L"aux .txt", L"LPT\u00B9");
    ExpectOutside(program, L"*.png", L"x?.png", L"x\x01.png", L"sub\\", L"x.png.", L"... ");
}

TEST(Tips, DrawCoversEveryTipButNeverTheLastOneShown) {
    std::mt19937 generator(7);
    EXPECT_EQ(DrawTip(0, -1, generator), -1);
    EXPECT_EQ(DrawTip(1, 0, generator), 0);
    EXPECT_EQ(DrawTip(2, 0, generator), 1);
    std::set<int> first;
    for (int i = 0; i < 100; ++i)
        first.insert(DrawTip(3, -1, generator));
    EXPECT_EQ(first, (std::set{0, 1, 2})) << "the first tip may be any, the last line too";
    std::map<int, int> drawn;
    int last = -1;
    for (int i = 0; i < 4000; ++i) {
        const int next = DrawTip(5, last, generator);
        ASSERT_NE(next, last);
        ++drawn[next];
        last = next;
    }
    ASSERT_EQ(drawn.size(), 5u);
    EXPECT_EQ(drawn.rbegin()->first, 4) << "the last line is drawn too";
    for (const auto& [tip, times] : drawn)
        EXPECT_NEAR(times, 800, 120) << "tip " << tip;
}

class TipsFile : public ::testing::Test {
protected:
    TempFolder folder_;
    std::wstring program_ = folder_.Path() + L"\\";
};

TEST_F(TipsFile, ReadsTheProgramsFileAndNothingWhenThereIsNone) {
    EXPECT_TRUE(LoadTips(program_).empty());
    folder_.MakeFileWith(L"Answers.dat", std::string(Utf8Mark) + "1 a<IMAGE>b.png\r\n0 c\r\n");
    const std::vector<std::wstring> lines = LoadTips(program_);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(ParseTip(lines[0]).pictureName, L"b.png");
}

TEST_F(TipsFile, RefusesAFileOverOneMebibyteByName) {
    folder_.MakeFile(L"Answers.dat", MaxTipsFileBytes, 'x');
    EXPECT_EQ(LoadTips(program_).size(), 1u);
    const std::wstring path = folder_.MakeFile(L"Answers.dat", MaxTipsFileBytes + 1, 'x');
    EXPECT_THAT(
        [&] { LoadTips(program_); },
        Throws<Error>(Property(&Error::Text, L"The file \"" + path + L"\" is larger than 1 MiB.")));
}

// The tips file and a tip's picture are read alike: cut short while they are read, or failing
// to read, neither is taken in part, and the error names the file and the system's reason.
TEST_F(TipsFile, TextAndPictureCutShortOrUnreadableAreRefusedAlike) {
    const std::wstring tips = folder_.MakeFileWith(L"Answers.dat", "1 first\r\n0 second\r\n");
    const std::vector<char> png =
        vexlor::testing::ReadAll(std::wstring(VEXLOR_TEST_DATA_DIR) + L"/rgba.png");
    const std::wstring picture = folder_.MakeFileWith(L"b.png", {png.data(), png.size()});
    ASSERT_EQ(LoadTips(program_).size(), 2u);
    ASSERT_EQ(pictures::LoadPictureFile(picture).pixels.size(), 8u);
    const auto expectRefused = [&](const std::wstring& reason) {
        for (const auto& [path, read] :
             {std::pair<std::wstring, std::function<void()>>{tips, [&] { LoadTips(program_); }},
              {picture, [&] { pictures::LoadPictureFile(picture); }}})
            EXPECT_THAT(read, Throws<Error>(Property(&Error::Text, L"Cannot read the file \"" +
                                                                       path + L"\": " + reason)));
    };
    {
        // Each file ends after its first 8 bytes, whatever its size said.
        platform::ScopedSeam<platform::ReadFileSignature> cut(
            platform::ReadFileApi, [](HANDLE file, void* data, DWORD size, DWORD& read) {
                LARGE_INTEGER at{};
                ::SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT);
                const auto left = static_cast<DWORD>(std::max<LONGLONG>(8 - at.QuadPart, 0));
                return ::ReadFile(file, data, std::min(size, left), &read, nullptr) != FALSE;
            });
        expectRefused(L"it became shorter while it was read.");
    }
    platform::ScopedSeam<platform::ReadFileSignature> locked(
        platform::ReadFileApi, [](HANDLE, void*, DWORD, DWORD& read) {
            read = 0;
            ::SetLastError(ERROR_LOCK_VIOLATION);
            return false;
        });
    expectRefused(vexlor::testing::SystemText(ERROR_LOCK_VIOLATION));
}

// The file that ships: UTF-8 with a byte-order mark, CR LF, and pictures that exist.
TEST(ShippedTips, AreManyAndShowPicturesOfBothKindsThatExist) {
    const std::wstring assets = VEXLOR_ASSETS_DIR;
    const std::vector<char> bytes = vexlor::testing::ReadAll(assets + L"\\tips\\Answers.dat");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(0, 3), Utf8Mark);
    for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', lf + 1))
        ASSERT_EQ(text[lf - 1], '\r') << "a line ending in a bare LF at byte " << lf;
    const std::vector<std::wstring> lines = LoadTips(assets + L"\\tips\\");
    EXPECT_GE(lines.size(), 15u);
    std::set<std::wstring> extensions;
    for (const std::wstring& line : lines) {
        const Tip tip = ParseTip(line);
        EXPECT_FALSE(tip.text.empty()) << line;
        EXPECT_EQ(tip.hasPicture, tip.pictureName.has_value()) << line;
        if (!tip.pictureName)
            continue;
        EXPECT_TRUE(IsSafePictureName(*tip.pictureName)) << line;
        // The pictures lie in art\help here, in Resourse\Help beside the program.
        EXPECT_TRUE(vexlor::testing::Exists(assets + L"\\art\\help\\" + *tip.pictureName)) << line;
        extensions.insert(tip.pictureName->substr(tip.pictureName->rfind(L'.')));
    }
    EXPECT_EQ(extensions, (std::set<std::wstring>{L".jpg", L".png"}));
}

} // namespace
} // namespace vexlor::dialogs
