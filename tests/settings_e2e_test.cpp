// Two starts of the real program in the test prefix: what the first start leaves in the
// registry and the file system, what the second one writes again, and what a close saves.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/single_instance.h"
#include "process.h"
#include "registry_probe.h"

namespace vexlor::testing {
namespace {

const Bytes kOne{1, 0, 0, 0};
const Bytes kZero{0, 0, 0, 0};

std::wstring AppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return path;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The executable file of a running process, as the system names it.
std::wstring ImagePath(const Process& process) {
    wchar_t path[32768] = {};
    DWORD size = 32768;
    EXPECT_TRUE(::QueryFullProcessImageNameW(process.Handle(), 0, path, &size));
    return std::wstring(path, size);
}

std::wstring DefaultText(const std::wstring& key) {
    const auto value = ReadRawValue(key, L"");
    if (!value || value->type != REG_SZ)
        return L"<no text value>";
    return TextOf(*value);
}

void ExpectDword(const std::wstring& name, const Bytes& data) {
    const auto value = ReadRawValue(kSettingsKey, name);
    ASSERT_TRUE(value.has_value()) << "missing";
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value->data, data);
}

void ExpectSkinSaved() {
    const auto skin = ReadRawValue(kSettingsKey, L"Skin");
    ASSERT_TRUE(skin.has_value()) << "no Skin after the close";
    EXPECT_EQ(skin->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(skin->data.size(), 40u);
    EXPECT_EQ(TextOf(*skin), L"iOS dark (internal)");
}

class SettingsStart : public ::testing::Test {
protected:
    void SetUp() override {
        // With another instance alive every start would only hand over and end.
        UniqueHandleNull running(::OpenMutexW(SYNCHRONIZE, FALSE, app::SingleInstanceMutexName));
        ASSERT_FALSE(running) << "another Vexlor is running in this prefix";
        DeleteKeyTree(kSettingsKey);
        DeleteKeyTree(kExtensionKey);
        std::filesystem::remove_all(makerFolder_);
    }
    void TearDown() override {
        DeleteKeyTree(kSettingsKey);
        DeleteKeyTree(kExtensionKey);
    }

    // Starts the program and waits until its main window shows: creation is over by then.
    Process StartProgram(HWND* mainWindow) {
        Process process = Process::Start(L"\"" + VexlorExePath() + L"\"");
        *mainWindow = WaitForWindow(process.Id(), L"TMainForm", L"Vexlor", 30000);
        return process;
    }

    static void CloseProgram(Process& process, HWND mainWindow) {
        ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        EXPECT_EQ(process.WaitForExit(30000), 0u) << "the program did not end on close";
    }

    void ExpectAssociation(const std::wstring& executable) {
        const std::wstring folder =
            std::filesystem::path(executable).parent_path().wstring() + L"\\";
        EXPECT_EQ(DefaultText(kExtensionKey), L"Drovik Project");
        EXPECT_EQ(DefaultText(kExtensionKey + L"\\shell\\open\\command"),
                  L"\"" + executable + L"\" \"%1\"");
        EXPECT_EQ(DefaultText(kExtensionKey + L"\\DefaultIcon"), folder + L"drovikproject.ico");
    }

    const std::wstring makerFolder_ = AppDataFolder() + L"\\Keltro Software";
};

TEST_F(SettingsStart, FirstStartSetsUpAndSecondStartOnlyRewritesTheAssociation) {
    // First start: a real first run.
    HWND window = nullptr;
    Process first = StartProgram(&window);
    ASSERT_NE(window, nullptr) << "the first start did not show its main window";
    const std::wstring executable = ImagePath(first);

    EXPECT_TRUE(IsFolder(makerFolder_));
    EXPECT_TRUE(IsFolder(makerFolder_ + L"\\Vexlor"));
    ExpectAssociation(executable);
    ExpectDword(L"NotFirstRun", kOne);
    ExpectDword(L"NeedNewFormat", kZero);
    ExpectDword(L"NeedNewSize", kZero);
    ExpectDword(L"ShowHelpStart", kOne);
    ExpectDword(L"HideTray", kZero);
    ExpectDword(L"SaveBackUp", kZero);
    EXPECT_FALSE(ReadRawValue(kSettingsKey, L"Skin").has_value()) << "Skin before the close";

    CloseProgram(first, window);
    ExpectSkinSaved();

    // By hand between the starts: another association, a changed default, a Skin of another
    // type.
    SetRawString(kExtensionKey + L"\\shell\\open\\command", L"", L"notepad.exe \"%1\"");
    SetRawString(kExtensionKey, L"", L"Drovik Project ");
    SetRawValue(kSettingsKey, L"ShowHelpStart", REG_DWORD, kZero);
    SetRawValue(kSettingsKey, L"Skin", REG_DWORD, {7, 0, 0, 0});

    Process second = StartProgram(&window);
    ASSERT_NE(window, nullptr) << "the second start did not show its main window";
    ExpectAssociation(executable);
    ExpectDword(L"ShowHelpStart", kZero);
    ExpectDword(L"NotFirstRun", kOne);
    EXPECT_TRUE(IsFolder(makerFolder_ + L"\\Vexlor"));

    CloseProgram(second, window);
    ExpectSkinSaved();
}

} // namespace
} // namespace vexlor::testing
