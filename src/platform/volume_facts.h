#pragma once
// What the volume a file lies on may do with the data written over it. An overwrite that
// succeeds reaches the file's data as the file system sees it; the medium or the system may
// still keep the former data elsewhere: a solid-state drive writes to fresh cells, a server
// keeps its own copies, a copy-on-write file system writes beside the old blocks, and a
// shadow copy keeps the blocks as they were. Each question goes through its own seam, so that
// tests play such volumes; every fact is false when the system cannot tell.

#include <windows.h>
#include <winioctl.h>

#include <map>
#include <string>
#include <vector>

#include "platform/seam.h"

namespace vexlor::platform {

struct VolumeFacts {
    bool solidState = false;    // flash or a drive that remaps what is written
    bool network = false;       // a share on another computer
    bool copyOnWrite = false;   // a file system that may write new data beside the old
    bool restorePoints = false; // restore points (shadow copies) may keep earlier versions
};

// GetVolumePathNameW for `path` as the user chose it: the root of its volume, in whatever
// form the system gives it ("C:\", "\\?\C:\", "\\?\UNC\server\share\"); empty on failure.
using VolumePathSignature = std::wstring(const std::wstring& path);
extern Seam<VolumePathSignature> VolumePathApi;

// GetDriveTypeW of a volume root ("C:\", "\\server\share\").
using DriveTypeSignature = UINT(const std::wstring& root);
extern Seam<DriveTypeSignature> DriveTypeApi;

// The name of the file system at a volume root ("NTFS", "ReFS"); empty on failure.
using FileSystemNameSignature = std::wstring(const std::wstring& root);
extern Seam<FileSystemNameSignature> FileSystemNameApi;

// The volume's "\\?\Volume{GUID}\" name (GetVolumeNameForVolumeMountPointW); empty on failure.
using VolumeNameSignature = std::wstring(const std::wstring& root);
extern Seam<VolumeNameSignature> VolumeNameApi;

// IOCTL_STORAGE_QUERY_PROPERTY for `property` on a volume device ("\\.\C:"), opened without
// access rights; `answer` receives the bytes the device gave. False when it gave none.
using StoragePropertySignature = bool(const std::wstring& device, STORAGE_PROPERTY_ID property,
                                      std::vector<BYTE>& answer);
extern Seam<StoragePropertySignature> StoragePropertyApi;

// The entries of the volumes System Protection keeps restore points for, as the system lists
// them ("\\?\Volume{GUID}\:(C%3A)"); none when it lists none or cannot be read.
using ProtectedVolumesSignature = std::vector<std::wstring>();
extern Seam<ProtectedVolumesSignature> ProtectedVolumesApi;

// The root of the volume `path` lies on, in the plain form ("C:\", "\\server\share\",
// "C:\Mounted\" for a volume mounted in a folder), ending in a separator.
std::wstring VolumeRoot(const std::wstring& path);

// The facts of the volume `path` lies on.
VolumeFacts FactsOfVolume(const std::wstring& path);

// The facts of each volume, asked of the system once per volume however many of its files a
// run destroys. Not shared between threads.
class VolumeFactsCache {
    struct RootLess {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };

public:
    // A volume's root, as first met, and its facts.
    using Volume = std::pair<const std::wstring, VolumeFacts>;
    const Volume& For(const std::wstring& path);

private:
    std::map<std::wstring, VolumeFacts, RootLess> byRoot_;
};

} // namespace vexlor::platform
