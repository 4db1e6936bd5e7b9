#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"

namespace vexlor::settings {

// A registry accessor: a root key and at most one key open below it, closed when the accessor
// is destroyed or another key is opened. Values are read and written by kind:
//   boolean, integer  REG_DWORD, 4 bytes little-endian (read: at most 4 bytes)
//   text              REG_SZ, UTF-16LE with its NUL counted in the size
//   date              REG_BINARY, exactly 8 bytes: a little-endian double, an OLE date
class Registry {
public:
    Registry() = default;
    Registry(Registry&&) noexcept = default;
    Registry& operator=(Registry&&) noexcept = default;

    HKEY RootKey() const { return root_; }
    // Closes the open key, if any.
    void SetRootKey(HKEY root);
    // Opens `path` below the root with full access, creating it (non-volatile) when it is
    // missing and `canCreate`; the key open before is closed first. False when it cannot open.
    bool OpenKey(const std::wstring& path, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const { return static_cast<bool>(key_); }

    bool ValueExists(const std::wstring& name) const;
    // Empty when no key is open, the value is missing, or it is of another type or size.
    std::optional<bool> ReadBool(const std::wstring& name) const;
    std::optional<int> ReadInteger(const std::wstring& name) const;
    std::optional<double> ReadDate(const std::wstring& name) const;
    // A text of at most a path's length (32,767 characters).
    std::optional<std::wstring> ReadString(const std::wstring& name) const;

    // Each replaces a value of any type. Throw vexlor::Error naming the value when no key is
    // open or the write fails.
    void WriteString(const std::wstring& name, const std::wstring& text);
    void WriteBool(const std::wstring& name, bool value);
    void WriteInteger(const std::wstring& name, int value);
    void WriteDate(const std::wstring& name, double value);

private:
    std::optional<std::vector<BYTE>> ReadData(const std::wstring& name, DWORD type,
                                              DWORD capacity) const;
    void WriteData(const std::wstring& name, DWORD type, const std::vector<BYTE>& data);
    [[noreturn]] void ThrowWriteError(const std::wstring& name, LSTATUS status) const;

    HKEY root_ = HKEY_CURRENT_USER;
    UniqueKey key_;
    std::wstring path_;
    // Why the last OpenKey failed; a write without an open key reports it.
    LSTATUS openStatus_ = ERROR_INVALID_HANDLE;
};

} // namespace vexlor::settings
