// What the main window's creation and close do to the settings, the association and the data
// folder, with the real registry and file system of the test prefix.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes.h"
#include "registry_probe.h"
#include "wizard/main_form.h"

namespace vexlor::wizard {
namespace {

using testing::Bytes;
using testing::kExtensionKey;
using testing::kSettingsKey;
using testing::ReadRawValue;
using testing::RecordedMessageBoxes;
using testing::RecordedRegistryWrites;

std::wstring MakerFolder() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path);
    return std::wstring(path) + L"\\Keltro Software";
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Closing the window posts the end of the message loop; tests run no loop, so drop it.
void DropQuitMessage() {
    MSG message;
    ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

class MainFormSettings : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteKeyTree(kSettingsKey);
        testing::DeleteKeyTree(kExtensionKey);
        std::filesystem::remove_all(MakerFolder());
    }
    void TearDown() override {
        testing::DeleteKeyTree(kSettingsKey);
        testing::DeleteKeyTree(kExtensionKey);
        DropQuitMessage();
    }
    RecordedMessageBoxes boxes_; // an unexpected error box fails the test
};

TEST_F(MainFormSettings, FirstCreationMakesFolderThenAssociationThenDefaults) {
    RecordedRegistryWrites registry;
    bool folderBeforeFirstWrite = false;
    registry.onWrite = [&](const testing::RegistryWrite&) {
        if (registry.writes.size() == 1)
            folderBeforeFirstWrite = IsFolder(MakerFolder() + L"\\Vexlor");
    };
    {
        TMainForm form;
        form.Create();
        ASSERT_NE(form.Handle(), nullptr);
    }
    EXPECT_TRUE(folderBeforeFirstWrite) << "the data folder was not there before the registry";
    EXPECT_EQ(registry.Names(), (std::vector<std::wstring>{
                                    L"", L"", L"", L"NotFirstRun", L"NeedNewFormat", L"NeedNewSize",
                                    L"ShowHelpStart", L"HideTray", L"SaveBackUp"}));
    ASSERT_EQ(registry.writes.size(), 9u);
    EXPECT_EQ(testing::TextOf({REG_SZ, registry.writes[0].data}), L"Drovik Project");
    const Bytes one{1, 0, 0, 0}, zero{0, 0, 0, 0};
    const std::vector<Bytes> defaults{one, zero, zero, one, zero, zero};
    for (size_t i = 0; i < defaults.size(); ++i) {
        EXPECT_EQ(registry.writes[3 + i].type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(registry.writes[3 + i].data, defaults[i]) << registry.writes[3 + i].name;
    }
    EXPECT_EQ(ReadRawValue(kSettingsKey, L"NotFirstRun")->data, one);
}

TEST_F(MainFormSettings, FailedAssociationEndsCreationBeforeTheDefaults) {
    RecordedRegistryWrites registry([](const testing::RegistryWrite&) { return true; });
    TMainForm form;
    form.Create();
    EXPECT_TRUE(::IsWindow(form.Handle())) << "the window must still be created";
    EXPECT_EQ(registry.writes.size(), 1u) << "writes went on after the failed one";
    ASSERT_EQ(boxes_.calls.size(), 1u);
    EXPECT_NE(boxes_.calls[0].text.find(L".DRVK"), std::wstring::npos) << "no key named";
    EXPECT_FALSE(ReadRawValue(kSettingsKey, L"NotFirstRun").has_value());
    boxes_.calls.clear();
}

TEST_F(MainFormSettings, CloseWritesTheSkinNameAsTextOverAnyOtherType) {
    testing::SetRawValue(kSettingsKey, L"Skin", REG_DWORD, {7, 0, 0, 0});
    TMainForm form;
    form.Create();
    ::SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(form.Handle()));
    const auto skin = ReadRawValue(kSettingsKey, L"Skin");
    ASSERT_TRUE(skin.has_value());
    EXPECT_EQ(skin->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(testing::TextOf(*skin), L"iOS dark (internal)");
    EXPECT_EQ(skin->data.size(), 40u); // 19 characters and the NUL
}

TEST_F(MainFormSettings, FailedSkinWriteKeepsTheWindowOpen) {
    TMainForm form;
    form.Create();
    RecordedRegistryWrites registry(
        [](const testing::RegistryWrite& write) { return write.name == L"Skin"; });
    ::SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(form.Handle()));
    ASSERT_EQ(boxes_.calls.size(), 1u);
    EXPECT_NE(boxes_.calls[0].text.find(L"\"Skin\""), std::wstring::npos);
    boxes_.calls.clear();
}

} // namespace
} // namespace vexlor::wizard
