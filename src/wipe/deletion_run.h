#pragma once
// The deletion run: every file of the list, one after the other.

#include <optional>
#include <string>

#include "wipe/overwrite.h"

namespace vexlor::wipe {

// What the run needs of the window: the list, the overall bar and the destruction of one file.
class RunView : public FileProgress {
public:
    virtual int EntryCount() const = 0;
    // Entry `index` of the list as it is now; nothing when the list has become shorter.
    virtual std::optional<std::wstring> EntryAt(int index) const = 0;
    // Position 0, then the new maximum.
    virtual void ResetOverallBar(int maximum) = 0;
    virtual void SetOverallBarPosition(int position) = 0;
    // Destroys one existing file; false when it could not be deleted.
    virtual bool CleanFile(const std::wstring& path) = 0;

protected:
    ~RunView() = default;
};

inline constexpr wchar_t NotAllDeletedWarning[] =
    L"Некоторые файлы могли быть удалены не окончательно или не удалены. Возможно недостаточно "
    L"прав для совершения операции. ";

// Destroys the file of every entry the list has when the run starts, skipping entries whose
// file is gone, under the hourglass, and warns once at the end when some file stayed. An error
// of one file ends the run there and is passed on.
void RunDeletion(RunView& view);

} // namespace vexlor::wipe
