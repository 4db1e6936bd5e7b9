#include "platform/volume_facts.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "base/handles.h"
#include "platform/file_system.h"

namespace vexlor::platform {
namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool IsDriveRoot(std::wstring_view root) {
    return root.size() == 3 && root[1] == L':' && root[2] == L'\\';
}

bool IsUnc(std::wstring_view path) {
    return StartsWith(path, L"\\\\") && !StartsWith(path, L"\\\\?\\") &&
           !StartsWith(path, L"\\\\.\\");
}

// An extended-length path of a drive or a share in its plain form ("\\?\C:\x" as "C:\x",
// "\\?\UNC\server\share" as "\\server\share"); any other path as it is, since a volume's
// "\\?\Volume{GUID}\" name has no other form.
std::wstring PlainForm(const std::wstring& path) {
    const std::wstring_view view = path;
    if (!StartsWith(view, L"\\\\?\\"))
        return path;
    const std::wstring_view rest = view.substr(4);
    if (rest.size() >= 4 && EqualNoCase(rest.substr(0, 4), L"UNC\\"))
        return L"\\\\" + std::wstring(rest.substr(4));
    if (rest.size() >= 2 && rest[1] == L':')
        return std::wstring(rest);
    return path;
}

// The drive or the share a plain path names, for when the system cannot tell its volume;
// empty when the path names neither.
std::wstring RootInText(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':')
        return path.substr(0, 2) + L"\\";
    if (!IsUnc(path))
        return {};
    const std::size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos)
        return {};
    const std::size_t share = path.find(L'\\', server + 1);
    return path.substr(0, share);
}

// ReFS writes changed metadata, and the data of files with integrity streams, beside the old;
// Btrfs and ZFS (through their Windows drivers) and APFS write every change so. The former
// blocks stay on the volume until it reuses them.
bool IsCopyOnWriteFileSystem(const std::wstring& name) {
    constexpr std::array<std::wstring_view, 4> kNames = {L"ReFS", L"Btrfs", L"ZFS", L"APFS"};
    return std::any_of(kNames.begin(), kNames.end(),
                       [&](std::wstring_view known) { return EqualNoCase(name, known); });
}

// The device to ask of the volume's storage: "\\.\C:" for a drive, else the volume's own
// name without its final separator; empty when neither is known.
std::wstring VolumeDevice(const std::wstring& root, const std::wstring& volumeName) {
    if (IsDriveRoot(root))
        return L"\\\\.\\" + root.substr(0, 2);
    if (volumeName.empty())
        return {};
    return volumeName.back() == L'\\' ? volumeName.substr(0, volumeName.size() - 1) : volumeName;
}

// The one-byte flag at `offset` of a device's answer, if the answer reaches it.
std::optional<BYTE> FlagAt(const std::vector<BYTE>& answer, std::size_t offset) {
    if (answer.size() <= offset)
        return std::nullopt;
    return answer[offset];
}

// A drive without a seek penalty has no heads to move: flash, or storage behind a controller
// that places data itself. A drive that takes TRIM frees cells and writes elsewhere. Either
// way a write may land beside the old data instead of on it.
bool RemapsWrites(const std::wstring& device) {
    std::vector<BYTE> answer;
    if (StoragePropertyApi(device, StorageDeviceSeekPenaltyProperty, answer) &&
        FlagAt(answer, offsetof(DEVICE_SEEK_PENALTY_DESCRIPTOR, IncursSeekPenalty)) == FALSE)
        return true;
    answer.clear();
    if (!StoragePropertyApi(device, StorageDeviceTrimProperty, answer))
        return false;
    const std::optional<BYTE> trim = FlagAt(answer, offsetof(DEVICE_TRIM_DESCRIPTOR, TrimEnabled));
    return trim && *trim != FALSE;
}

// Whether System Protection lists the volume: each entry is its "\\?\Volume{GUID}\" name, a
// colon and the drive it was seen on. A listed volume may hold restore points, which are
// shadow copies of the whole volume: blocks of a file as they were when one was taken stay in
// it until it is deleted. The list says nothing of shadow copies taken otherwise (a backup
// program, a server's shadow copies of shared folders), nor whether a restore point exists.
bool IsProtected(const std::wstring& volumeName, const std::vector<std::wstring>& entries) {
    return std::any_of(entries.begin(), entries.end(), [&](const std::wstring& entry) {
        return entry.size() >= volumeName.size() &&
               EqualNoCase(std::wstring_view(entry).substr(0, volumeName.size()), volumeName) &&
               (entry.size() == volumeName.size() || entry[volumeName.size()] == L':');
    });
}

VolumeFacts FactsOfRoot(const std::wstring& root) {
    VolumeFacts facts;
    if (root.empty())
        return facts;
    facts.network = IsUnc(root) || DriveTypeApi(root) == DRIVE_REMOTE;
    facts.copyOnWrite = IsCopyOnWriteFileSystem(FileSystemNameApi(root));
    // A share's disks and shadow copies are the server's, out of this computer's sight.
    if (facts.network)
        return facts;
    const std::wstring volumeName = VolumeNameApi(root);
    const std::wstring device = VolumeDevice(root, volumeName);
    facts.solidState = !device.empty() && RemapsWrites(device);
    facts.restorePoints = !volumeName.empty() && IsProtected(volumeName, ProtectedVolumesApi());
    return facts;
}

std::wstring VolumePath(const std::wstring& path) {
    const std::wstring extended = ExtendedLengthPath(path);
    std::vector<wchar_t> root(std::max<std::size_t>(extended.size() + 2, MAX_PATH + 1));
    if (!::GetVolumePathNameW(extended.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return {};
    return root.data();
}

UINT DriveType(const std::wstring& root) {
    return ::GetDriveTypeW(root.c_str());
}

std::wstring FileSystemName(const std::wstring& root) {
    std::array<wchar_t, MAX_PATH + 1> name{};
    if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name.data(),
                                 static_cast<DWORD>(name.size())))
        return {};
    return name.data();
}

std::wstring VolumeName(const std::wstring& root) {
    std::array<wchar_t, MAX_PATH + 1> name{};
    if (!::GetVolumeNameForVolumeMountPointW(root.c_str(), name.data(),
                                             static_cast<DWORD>(name.size())))
        return {};
    return name.data();
}

// Asking a device for its properties needs no access rights, and so no administrator.
bool StorageProperty(const std::wstring& device, STORAGE_PROPERTY_ID property,
                     std::vector<BYTE>& answer) {
    const UniqueFile volume(::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    if (!volume)
        return false;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = property;
    query.QueryType = PropertyStandardQuery;
    answer.assign(64, 0); // more than either descriptor asked for
    DWORD bytes = 0;
    if (!::DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query),
                           answer.data(), static_cast<DWORD>(answer.size()), &bytes, nullptr))
        return false;
    answer.resize(bytes);
    return bytes > 0;
}

// System Protection keeps its list in the registry, readable without administrator rights;
// the documented interface (WMI's SystemRestore) answers only administrators.
std::vector<std::wstring> ProtectedVolumes() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\SPP\\Clients", 0,
                        KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return {};
    const UniqueKey key(opened);
    constexpr const wchar_t* kSystemRestore = L"{09F7EDC5-294E-4180-AF6A-FB0E6A0E9513}";
    DWORD type = 0;
    DWORD bytes = 0;
    std::vector<wchar_t> text;
    LSTATUS status = ERROR_MORE_DATA;
    while (status == ERROR_MORE_DATA) {
        if (::RegQueryValueExW(key.Get(), kSystemRestore, nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS)
            return {};
        text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        status = ::RegQueryValueExW(key.Get(), kSystemRestore, nullptr, &type,
                                    reinterpret_cast<BYTE*>(text.data()), &bytes);
    }
    if (status != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return {};
    text.resize(bytes / sizeof(wchar_t));
    std::vector<std::wstring> entries;
    for (auto start = text.begin(); start != text.end();) {
        const auto end = std::find(start, text.end(), L'\0');
        if (end != start)
            entries.emplace_back(start, end);
        start = end == text.end() ? end : end + 1;
    }
    return entries;
}

} // namespace

Seam<VolumePathSignature> VolumePathApi{&VolumePath};
Seam<DriveTypeSignature> DriveTypeApi{&DriveType};
Seam<FileSystemNameSignature> FileSystemNameApi{&FileSystemName};
Seam<VolumeNameSignature> VolumeNameApi{&VolumeName};
Seam<StoragePropertySignature> StoragePropertyApi{&StorageProperty};
Seam<ProtectedVolumesSignature> ProtectedVolumesApi{&ProtectedVolumes};

std::wstring VolumeRoot(const std::wstring& path) {
    std::wstring root = PlainForm(VolumePathApi(path));
    if (root.empty())
        root = RootInText(PlainForm(ExtendedLengthPath(path)));
    if (!root.empty() && root.back() != L'\\')
        root += L'\\';
    return root;
}

VolumeFacts FactsOfVolume(const std::wstring& path) {
    return FactsOfRoot(VolumeRoot(path));
}

bool VolumeFactsCache::RootLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
}

const VolumeFactsCache::Volume& VolumeFactsCache::For(const std::wstring& path) {
    const std::wstring root = VolumeRoot(path);
    const auto known = byRoot_.find(root);
    if (known != byRoot_.end())
        return *known;
    return *byRoot_.emplace(root, FactsOfRoot(root)).first;
}

} // namespace vexlor::platform
