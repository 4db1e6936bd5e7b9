// Explorer's verb and "Send to" shortcut, mended at start for the installed copy only.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/shortcut.h"
#include "registry_probe.h"
#include "settings/explorer_menu.h"
#include "settings/file_type.h"

namespace vexlor::settings {
namespace {

using platform::ScopedSeam;
using testing::KeyExists;

// Spelled out here, so that a wrong name in the program fails.
const std::wstring kUninstallKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexlor";
const std::wstring kVerbKeys[] = {L"Software\\Classes\\*\\shell\\Vexlor",
                                  L"Software\\Classes\\Directory\\shell\\Vexlor"};

class ExplorerEntries : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        testing::DeleteKeyTree(kUninstallKey);
        for (const auto& key : kVerbKeys)
            testing::DeleteKeyTree(key);
    }
    static std::wstring Text(const std::wstring& key, const std::wstring& name) {
        const auto value = testing::ReadRawValue(key, name);
        return value && value->type == REG_SZ ? testing::TextOf(*value) : L"<none>";
    }

    std::vector<platform::ShortcutSpec> saved_;
    ScopedSeam<platform::SaveShortcutSignature> shortcuts_{
        platform::SaveShortcutApi,
        [this](const platform::ShortcutSpec& shortcut) { saved_.push_back(shortcut); }};
};

TEST_F(ExplorerEntries, AreWrittenForTheInstalledCopyOnly) {
    const std::wstring program = ExecutablePath();
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    RepairExplorerEntries(); // no entry among the installed programs
    testing::SetRawString(kUninstallKey, L"InstallLocation", folder + L"\\elsewhere");
    RepairExplorerEntries();
    EXPECT_FALSE(KeyExists(kVerbKeys[0]) || KeyExists(kVerbKeys[1]));
    EXPECT_TRUE(saved_.empty());

    // As the installer writes it; the folder's case and final separator do not matter.
    std::wstring location = folder + L"\\";
    location[0] = static_cast<wchar_t>(::towlower(location[0]));
    testing::SetRawString(kUninstallKey, L"InstallLocation", location);
    RepairExplorerEntries();
    for (const auto& key : kVerbKeys) {
        SCOPED_TRACE(key);
        EXPECT_EQ(Text(key, L""), L"Уничтожить с помощью Vexlor");
        EXPECT_EQ(Text(key, L"Icon"), program + L",0");
        EXPECT_EQ(Text(key + L"\\command", L""), L"\"" + program + L"\" /destroy \"%1\"");
    }
    ASSERT_EQ(saved_.size(), 1u);
    wchar_t sendTo[MAX_PATH] = {};
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, 0, sendTo), S_OK);
    EXPECT_EQ(saved_[0].path, std::wstring(sendTo) + L"\\Vexlor (уничтожить).lnk");
    EXPECT_EQ(saved_[0].target, program);
    EXPECT_EQ(saved_[0].arguments, L"/destroy");
    EXPECT_EQ(saved_[0].iconFile, program);
}

} // namespace
} // namespace vexlor::settings
