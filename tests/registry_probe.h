#pragma once
// Registry access for the settings tests that goes straight to the system, apart from the
// program's own accessor, plus stand-ins for the registry-write and clock seams.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/registry.h"

namespace vexlor::testing {

// Spelled out here rather than taken from the program, so a wrong name in the program fails.
inline const std::wstring kSettingsKey = L"Software\\Keltro Software\\Vexlor";
inline const std::wstring kExtensionKey = L"Software\\Classes\\.DRVK";

using Bytes = std::vector<BYTE>;

struct RawValue {
    DWORD type = REG_NONE;
    Bytes data;
};

inline std::optional<RawValue> ReadRawValue(const std::wstring& key, const std::wstring& name) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(opened, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = ::RegQueryValueExW(opened, name.c_str(), nullptr, &value.type, value.data.data(),
                                    &size);
        value.data.resize(size);
    }
    ::RegCloseKey(opened);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline void SetRawValue(const std::wstring& key, const std::wstring& name, DWORD type,
                        const Bytes& data) {
    HKEY created = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &created, nullptr);
    ::RegSetValueExW(created, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    ::RegCloseKey(created);
}

inline void SetRawString(const std::wstring& key, const std::wstring& name,
                         const std::wstring& text) {
    const auto* first = reinterpret_cast<const BYTE*>(text.c_str());
    SetRawValue(key, name, REG_SZ, Bytes(first, first + (text.size() + 1) * sizeof(wchar_t)));
}

inline bool KeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(opened);
    return true;
}

inline DWORD ValueCount(const std::wstring& key) {
    HKEY opened = nullptr;
    DWORD count = 0;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return 0;
    ::RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(opened);
    return count;
}

inline void DeleteKeyTree(const std::wstring& key) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

// The text of a REG_SZ value without its NUL; empty when the value is not NUL-terminated.
inline std::wstring TextOf(const RawValue& value) {
    if (value.data.size() < 2 || value.data.size() % 2 != 0)
        return {};
    std::wstring text(value.data.size() / 2 - 1, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(value.data[2 * i] | (value.data[2 * i + 1] << 8));
    return text;
}

struct RegistryWrite {
    std::wstring name;
    DWORD type;
    Bytes data;
};

// Records every value the program writes, in order, and passes the write on to the real
// registry unless `fails` says that this write is to fail (with ERROR_ACCESS_DENIED).
class RecordedRegistryWrites {
public:
    using Predicate = std::function<bool(const RegistryWrite&)>;
    explicit RecordedRegistryWrites(Predicate fails = {})
        : fails_(std::move(fails)),
          seam_(
              platform::SetRegistryValueApi,
              [this](HKEY key, const std::wstring& name, DWORD type, const Bytes& data) -> LSTATUS {
                  writes.push_back({name, type, data});
                  if (onWrite)
                      onWrite(writes.back());
                  if (fails_ && fails_(writes.back()))
                      return ERROR_ACCESS_DENIED;
                  return platform::SetRegistryValueDirect(key, name, type, data);
              }) {}

    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (const auto& write : writes)
            names.push_back(write.name);
        return names;
    }

    std::vector<RegistryWrite> writes;
    std::function<void(const RegistryWrite&)> onWrite;

private:
    Predicate fails_;
    platform::ScopedSeam<platform::SetRegistryValueSignature> seam_;
};

// Fixes the local clock at `now` for the length of a scope.
class FixedClock {
public:
    explicit FixedClock(const SYSTEMTIME& now)
        : now_(now), seam_(platform::LocalTimeApi, [this] { return now_; }) {}
    void Set(const SYSTEMTIME& now) { now_ = now; }

private:
    SYSTEMTIME now_;
    platform::ScopedSeam<platform::LocalTimeSignature> seam_;
};

inline SYSTEMTIME MakeTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0,
                           WORD second = 0, WORD millisecond = 0) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = millisecond;
    return time;
}

// The OLE date of `time` worked out through the system's FILETIME (100 ns since 1601), with one
// rounding only: an independent check of the program's own arithmetic.
inline double OleDateThroughFileTime(const SYSTEMTIME& time) {
    // 30 December 1899 00:00 as a FILETIME.
    constexpr long long kOleEpochFileTime = 94'353'120'000'000'000LL;
    FILETIME fileTime{};
    ::SystemTimeToFileTime(&time, &fileTime);
    const long long ticks =
        (static_cast<long long>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    return static_cast<double>((ticks - kOleEpochFileTime) / 10'000) / 86'400'000.0;
}

// Points HKEY_CURRENT_USER of this process at a key that has been deleted, so that no key can
// be opened or created below it; put back on scope exit.
class CurrentUserUnavailable {
public:
    CurrentUserUnavailable() {
        const wchar_t* doomed = L"Software\\VexlorTestDeletedRoot";
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, doomed, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, doomed);
        overridden_ = ::RegOverridePredefKey(HKEY_CURRENT_USER, key) == ERROR_SUCCESS;
        ::RegCloseKey(key);
    }
    CurrentUserUnavailable(const CurrentUserUnavailable&) = delete;
    CurrentUserUnavailable& operator=(const CurrentUserUnavailable&) = delete;
    ~CurrentUserUnavailable() { ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr); }
    bool Active() const { return overridden_; }

private:
    bool overridden_ = false;
};

} // namespace vexlor::testing
