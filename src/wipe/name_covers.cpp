#include "wipe/name_covers.h"

#include <windows.h>

#include "platform/file_system.h"
#include "wipe/overwrite.h"

namespace vexlor::wipe {
namespace {

// A name taken meanwhile is drawn again, a few times.
constexpr int kCoverAttempts = 8;
// A destroyed file leaves two free places of its name's size: where its name was, and where the
// random name of its rename went. Two covers fill both, whichever comes first in the folder.
constexpr int kCoversPerName = 2;

UniqueFile MakeCover(const std::wstring& folder, std::size_t nameLength) {
    for (int attempt = 0; attempt < kCoverAttempts; ++attempt) {
        UniqueFile cover(
            platform::CreateFileApi(folder + RandomFileName(nameLength), DELETE, 0, CREATE_NEW,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE));
        const DWORD error = ::GetLastError();
        if (cover || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS))
            return cover;
    }
    return {};
}

} // namespace

void NameCovers::Cover(const std::wstring& path) {
    const std::wstring folder = FolderOf(path);
    if (folder.empty() || folder.size() == path.size())
        return;
    std::vector<UniqueFile> left; // let go outside the lock: each close deletes a file
    {
        const std::lock_guard lock(mutex_);
        if (folder != folder_) {
            left.swap(covers_);
            folder_ = folder;
        }
        if (covers_.size() + kCoversPerName > MostHeld)
            return;
    }
    for (int made = 0; made < kCoversPerName; ++made) {
        UniqueFile cover = MakeCover(folder, path.size() - folder.size());
        const std::lock_guard lock(mutex_);
        if (!cover || folder != folder_)
            return;
        covers_.push_back(std::move(cover));
    }
}

void NameCovers::LetGo() {
    std::vector<UniqueFile> left; // closed outside the lock: each close deletes a file
    const std::lock_guard lock(mutex_);
    left.swap(covers_);
    folder_.clear();
}

std::size_t NameCovers::Count() const {
    const std::lock_guard lock(mutex_);
    return covers_.size();
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

} // namespace vexlor::wipe
