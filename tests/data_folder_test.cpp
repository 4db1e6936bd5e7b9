// The data folder and the ".DRVK" association, against the test prefix's files and registry.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/error.h"
#include "registry_probe.h"
#include "settings/data_folder.h"
#include "settings/file_type.h"

namespace vexlor::settings {
namespace {

using testing::kExtensionKey;
using testing::ReadRawValue;

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ShellAppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    EXPECT_EQ(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path), S_OK);
    return path;
}

TEST(DataFolder, SpecialFolderIsTheShellsPathOrEmpty) {
    const std::wstring appData = GetSpecialFolder(CSIDL_APPDATA);
    ASSERT_FALSE(appData.empty());
    EXPECT_EQ(appData, ShellAppDataFolder());
    EXPECT_NE(appData.back(), L'\\');
    EXPECT_EQ(GetSpecialFolder(0x7E), L""); // no such CSIDL
}

TEST(DataFolder, IsMakerAndProductBelowAppDataWithFinalBackslash) {
    EXPECT_EQ(GetDataFolder(), ShellAppDataFolder() + L"\\Keltro Software\\Vexlor\\");
}

class FolderCreation : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        base_ = std::wstring(temp) + L"vexlor-folder-test-" + std::to_wstring(::GetTickCount());
        std::filesystem::remove_all(base_);
    }
    void TearDown() override { std::filesystem::remove_all(base_); }
    std::wstring base_;
};

TEST_F(FolderCreation, CreatesEveryMissingLevel) {
    CreateFolderPath(base_ + L"\\one\\two three\\four\\");
    EXPECT_TRUE(IsFolder(base_ + L"\\one"));
    EXPECT_TRUE(IsFolder(base_ + L"\\one\\two three"));
    EXPECT_TRUE(IsFolder(base_ + L"\\one\\two three\\four"));

    // Without a final backslash the last name is a level as well; what exists stays.
    CreateFolderPath(base_ + L"\\one\\two three\\five");
    EXPECT_TRUE(IsFolder(base_ + L"\\one\\two three\\five"));
    EXPECT_TRUE(IsFolder(base_ + L"\\one\\two three\\four"));
}

class ProjectFileType : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteKeyTree(kExtensionKey); }
    void TearDown() override { testing::DeleteKeyTree(kExtensionKey); }

    static std::wstring DefaultText(const std::wstring& key) {
        const auto value = ReadRawValue(key, L"");
        if (!value) {
            ADD_FAILURE() << "no default value";
            return {};
        }
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value->data.size() % 2, 0u);
        EXPECT_EQ(value->data.end()[-1] | value->data.end()[-2], 0) << "no NUL at the end";
        EXPECT_EQ(testing::ValueCount(key), 1u) << "the key holds more than its default value";
        return testing::TextOf(*value);
    }

    static std::wstring ThisExecutable() {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        return path;
    }
};

TEST_F(ProjectFileType, WritesTheThreeDefaultValues) {
    RegisterProjectFileType();
    const std::wstring executable = ThisExecutable();
    const std::wstring folder = std::filesystem::path(executable).parent_path().wstring() + L"\\";

    EXPECT_EQ(DefaultText(kExtensionKey), L"Drovik Project");
    EXPECT_EQ(DefaultText(kExtensionKey + L"\\shell\\open\\command"),
              L"\"" + executable + L"\" \"%1\"");
    EXPECT_EQ(DefaultText(kExtensionKey + L"\\DefaultIcon"), folder + L"drovikproject.ico");
    EXPECT_EQ(ExecutablePath(), executable);
}

TEST_F(ProjectFileType, ShellSplitsTheCommandIntoProgramAndDocument) {
    RegisterProjectFileType();
    const std::wstring command = DefaultText(kExtensionKey + L"\\shell\\open\\command");
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(command.c_str(), &count);
    ASSERT_NE(arguments, nullptr);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(std::wstring(arguments[0]), ThisExecutable());
    EXPECT_EQ(std::wstring(arguments[1]), L"%1");
    ::LocalFree(arguments);
}

TEST_F(ProjectFileType, KeyThatCannotBeOpenedIsAnErrorAndStopsTheWrites) {
    {
        testing::CurrentUserUnavailable unavailable;
        ASSERT_TRUE(unavailable.Active());
        testing::RecordedRegistryWrites writes;
        try {
            RegisterProjectFileType();
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_NE(error.Text().find(L".DRVK"), std::wstring::npos);
        }
        EXPECT_TRUE(writes.writes.empty());
    }
    EXPECT_FALSE(testing::KeyExists(kExtensionKey));
}

} // namespace
} // namespace vexlor::settings
