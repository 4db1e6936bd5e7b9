// The facts of the volume a file lies on, asked of volumes the tests play through the seams,
// and once of the real system.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/volume_facts.h"
#include "temp_files.h"

namespace vexlor::platform {
namespace {

using vexlor::testing::TempFolder;

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() &&
           ::CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                  static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

struct FakeVolume {
    UINT driveType = DRIVE_FIXED;
    std::wstring fileSystem = L"NTFS";
    std::wstring name;                  // "\\?\Volume{...}\"; empty: the system cannot tell
    std::optional<BOOLEAN> seekPenalty; // nothing: the query fails
    std::optional<BOOLEAN> trim;
    std::size_t answerBytes = 64; // how much of its answers the device gives
};

template <typename Descriptor>
std::vector<BYTE> Answer(BOOLEAN Descriptor::*flag, BOOLEAN value, std::size_t bytes) {
    Descriptor descriptor{};
    descriptor.Version = descriptor.Size = sizeof(descriptor);
    descriptor.*flag = value;
    std::vector<BYTE> answer(sizeof(descriptor));
    std::memcpy(answer.data(), &descriptor, sizeof(descriptor));
    answer.resize(std::min(bytes, answer.size()));
    return answer;
}

// Volumes by their root as the system gives it, each file on the volume whose root begins its
// path; every question asked of them but the root of a file is recorded.
class FakeVolumes {
public:
    std::map<std::wstring, FakeVolume> byRoot;
    std::vector<std::wstring> protectedEntries;
    std::vector<std::wstring> asked;
    int rootsAsked = 0;

private:
    const FakeVolume* At(const std::wstring& root) const {
        const auto found = byRoot.find(root);
        return found == byRoot.end() ? nullptr : &found->second;
    }
    // "\\.\D:" is the volume at "D:\"; any other device is a volume's own name.
    const FakeVolume* OfDevice(const std::wstring& device) const {
        if (device.starts_with(L"\\\\.\\"))
            return At(device.substr(4) + L"\\");
        for (const auto& [root, volume] : byRoot)
            if (!volume.name.empty() && volume.name == device + L"\\")
                return &volume;
        return nullptr;
    }

    // The longest root that begins the path, as the path spells it.
    std::wstring VolumePath(const std::wstring& path) {
        ++rootsAsked;
        std::size_t longest = 0;
        for (const auto& [root, volume] : byRoot)
            if (StartsWithNoCase(path, root))
                longest = std::max(longest, root.size());
        return path.substr(0, longest);
    }
    UINT DriveType(const std::wstring& root) {
        asked.push_back(L"type " + root);
        const FakeVolume* volume = At(root);
        return volume ? volume->driveType : DRIVE_UNKNOWN;
    }
    std::wstring FileSystemName(const std::wstring& root) {
        asked.push_back(L"file system " + root);
        const FakeVolume* volume = At(root);
        return volume ? volume->fileSystem : std::wstring();
    }
    std::wstring VolumeName(const std::wstring& root) {
        asked.push_back(L"name " + root);
        const FakeVolume* volume = At(root);
        return volume ? volume->name : std::wstring();
    }
    // A failing query still fills the answer, as a flash drive's would read.
    bool StorageProperty(const std::wstring& device, STORAGE_PROPERTY_ID property,
                         std::vector<BYTE>& answer) {
        asked.push_back(L"storage " + device + L" " + std::to_wstring(property));
        const FakeVolume* volume = OfDevice(device);
        const bool seek = property == StorageDeviceSeekPenaltyProperty;
        std::optional<BOOLEAN> flag;
        if (volume)
            flag = seek ? volume->seekPenalty : volume->trim;
        const std::size_t bytes = flag ? volume->answerBytes : 64;
        if (seek)
            answer = Answer(&DEVICE_SEEK_PENALTY_DESCRIPTOR::IncursSeekPenalty,
                            flag.value_or(FALSE), bytes);
        else
            answer = Answer(&DEVICE_TRIM_DESCRIPTOR::TrimEnabled, flag.value_or(TRUE), bytes);
        return flag.has_value();
    }
    std::vector<std::wstring> ProtectedVolumes() {
        asked.push_back(L"protected");
        return protectedEntries;
    }

    ScopedSeam<VolumePathSignature> path_{VolumePathApi,
                                          [this](const auto& path) { return VolumePath(path); }};
    ScopedSeam<DriveTypeSignature> type_{DriveTypeApi,
                                         [this](const auto& root) { return DriveType(root); }};
    ScopedSeam<FileSystemNameSignature> fileSystem_{
        FileSystemNameApi, [this](const auto& root) { return FileSystemName(root); }};
    ScopedSeam<VolumeNameSignature> name_{VolumeNameApi,
                                          [this](const auto& root) { return VolumeName(root); }};
    ScopedSeam<StoragePropertySignature> storage_{
        StoragePropertyApi, [this](const auto& device, auto property, auto& answer) {
            return StorageProperty(device, property, answer);
        }};
    ScopedSeam<ProtectedVolumesSignature> protected_{ProtectedVolumesApi,
                                                     [this] { return ProtectedVolumes(); }};
};

std::wstring Describe(const VolumeFacts& facts) {
    return std::wstring(facts.solidState ? L"solid-state " : L"") +
           (facts.network ? L"network " : L"") + (facts.copyOnWrite ? L"copy-on-write " : L"") +
           (facts.restorePoints ? L"restore-points " : L"");
}

TEST(VolumeFacts, EachFactIsTheVolumesTheFileLiesOn) {
    FakeVolumes system;
    system.byRoot[L"C:\\"] = {.name = L"\\\\?\\Volume{c}\\", .seekPenalty = TRUE, .trim = FALSE};
    system.byRoot[L"D:\\"] = {.seekPenalty = FALSE};
    system.byRoot[L"E:\\"] = {.trim = TRUE}; // no seek-penalty answer, but TRIM
    system.byRoot[L"F:\\"] = {.fileSystem = L"ReFS", .seekPenalty = TRUE};
    system.byRoot[L"G:\\"] = {
        .driveType = DRIVE_REMOTE, .name = L"\\\\?\\Volume{g}\\", .seekPenalty = FALSE};
    system.byRoot[L"\\\\srv\\share\\"] = {.fileSystem = L"btrfs"};
    system.byRoot[L"H:\\"] = {.name = L"\\\\?\\Volume{h}\\", .seekPenalty = TRUE};
    system.byRoot[L"C:\\Mount\\"] = {.name = L"\\\\?\\Volume{m}\\", .seekPenalty = FALSE};
    system.byRoot[L"J:\\"] = {.seekPenalty = FALSE, .answerBytes = 8}; // cut before the flag
    system.byRoot[L"K:\\"] = {.name = L"\\\\?\\Volume{k}\\"};          // both queries fail
    system.protectedEntries = {L"\\\\?\\Volume{h}\\:(H%3A)", L"\\\\?\\Volume{g}\\:(G%3A)"};

    const std::map<std::wstring, std::wstring> expected = {
        {L"C:\\Users\\a.txt", L""},
        {L"D:\\a.txt", L"solid-state "},
        {L"E:\\a.txt", L"solid-state "},
        {L"F:\\a.txt", L"copy-on-write "},
        {L"G:\\a.txt", L"network "},
        {L"\\\\srv\\share\\dir\\a.txt", L"network copy-on-write "},
        {L"H:\\a.txt", L"restore-points "},
        {L"C:\\Mount\\a.txt", L"solid-state "},
        {L"J:\\a.txt", L""},
        {L"K:\\a.txt", L""},
    };
    for (const auto& [path, facts] : expected)
        EXPECT_EQ(Describe(FactsOfVolume(path)), facts) << path;
}

TEST(VolumeFacts, FailingQueriesTellNothing) {
    FakeVolumes system; // knows no volume: every query fails
    system.protectedEntries = {L"", L":(C%3A)"};
    EXPECT_EQ(Describe(FactsOfVolume(L"C:\\a.txt")), L"");
    EXPECT_FALSE(system.asked.empty());
}

TEST(VolumeFacts, CacheAsksEachVolumeOnce) {
    FakeVolumes system;
    system.byRoot[L"C:\\"] = {.name = L"\\\\?\\Volume{c}\\", .seekPenalty = TRUE, .trim = FALSE};
    system.byRoot[L"D:\\"] = {.seekPenalty = FALSE};
    FactsOfVolume(L"C:\\a.txt");
    FactsOfVolume(L"D:\\a.txt");
    const std::vector<std::wstring> askedOnce = std::exchange(system.asked, {});
    system.rootsAsked = 0;

    VolumeFactsCache cache;
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(cache.For(L"C:\\dir\\" + std::to_wstring(i)).second.solidState);
        EXPECT_TRUE(cache.For(L"D:\\" + std::to_wstring(i)).second.solidState);
        EXPECT_TRUE(
            cache.For(L"d:\\" + std::to_wstring(i)).second.solidState); // the root as written
    }
    EXPECT_EQ(system.asked, askedOnce);
    EXPECT_EQ(system.rootsAsked, 60);
}

TEST(VolumeFacts, RootInPlainForm) {
    std::vector<std::wstring> given;
    std::wstring answer;
    ScopedSeam<VolumePathSignature> seam(VolumePathApi, [&](const std::wstring& path) {
        given.push_back(path);
        return answer;
    });
    const auto root = [&](const std::wstring& system, const std::wstring& path) {
        answer = system;
        return VolumeRoot(path);
    };
    EXPECT_EQ(root(L"C:\\", L"C:\\dir\\a.txt"), L"C:\\");
    EXPECT_EQ(root(L"\\\\?\\C:\\", L"\\\\?\\C:\\dir\\a.txt"), L"C:\\");
    EXPECT_EQ(root(L"\\\\?\\C:\\Mount", L"\\\\?\\C:\\Mount\\a.txt"), L"C:\\Mount\\");
    EXPECT_EQ(root(L"\\\\?\\UNC\\srv\\share\\", L"\\\\srv\\share\\a.txt"), L"\\\\srv\\share\\");
    EXPECT_EQ(root(L"\\\\?\\Volume{x}\\", L"\\\\?\\Volume{x}\\a"), L"\\\\?\\Volume{x}\\");
    EXPECT_EQ(given.front(), L"C:\\dir\\a.txt"); // the path as the user chose it
    // When the system cannot tell, the drive or the share the path names.
    EXPECT_EQ(root(L"", L"D:\\dir\\..\\a.txt"), L"D:\\");
    EXPECT_EQ(root(L"", L"\\\\?\\E:\\a.txt"), L"E:\\");
    EXPECT_EQ(root(L"", L"\\\\srv\\share\\dir\\a.txt"), L"\\\\srv\\share\\");
    EXPECT_EQ(root(L"", L"\\\\?\\UNC\\srv\\share\\a.txt"), L"\\\\srv\\share\\");
    EXPECT_EQ(root(L"", L"\\\\srv\\share"), L"\\\\srv\\share\\");
}

// Under Wine most of these questions go unanswered; whatever the answers, they come back.
TEST(VolumeFacts, RealSystemAnswersForATempFile) {
    TempFolder folder;
    const std::wstring path = folder.MakeFile(L"a.txt", 16);
    const std::wstring root = VolumeRoot(path);
    EXPECT_TRUE(StartsWithNoCase(path, root)) << root;
    EXPECT_FALSE(FileSystemNameApi(root).empty());
    const VolumeFacts facts = FactsOfVolume(path);
    EXPECT_FALSE(facts.network);
    std::vector<BYTE> answer;
    const bool seekAnswered = StoragePropertyApi(L"\\\\.\\" + root.substr(0, 2),
                                                 StorageDeviceSeekPenaltyProperty, answer);
    std::wcout << L"root " << root << L" (" << FileSystemNameApi(root) << L", "
               << VolumeNameApi(root) << L", seek penalty " << (seekAnswered ? L"" : L"not ")
               << L"answered): " << Describe(facts) << std::endl;
}

// System Protection's list as the system keeps it, written into Wine's registry only: on
// Windows the list is the machine's own.
TEST(VolumeFacts, RealListOfProtectedVolumes) {
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "only under Wine";
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SPP\\Clients";
    const wchar_t* value = L"{09F7EDC5-294E-4180-AF6A-FB0E6A0E9513}";
    ASSERT_TRUE(ProtectedVolumesApi().empty());
    TempFolder folder;
    const std::wstring path = folder.MakeFile(L"a.txt", 16);
    const std::wstring volume = VolumeNameApi(VolumeRoot(path));
    ASSERT_FALSE(volume.empty());
    const auto list = [&](const std::wstring& entries) {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, value, REG_MULTI_SZ, entries.c_str(),
                                    static_cast<DWORD>(entries.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    };
    const std::wstring other = L"\\\\?\\Volume{0}\\:(Q%3A)";
    list(other + L'\0' + volume + L":(C%3A)" + L'\0' + L'\0');
    EXPECT_EQ(ProtectedVolumesApi(), (std::vector<std::wstring>{other, volume + L":(C%3A)"}));
    EXPECT_TRUE(FactsOfVolume(path).restorePoints);
    list(other + L'\0' + L'\0');
    EXPECT_FALSE(FactsOfVolume(path).restorePoints);
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, value);
}

} // namespace
} // namespace vexlor::platform
