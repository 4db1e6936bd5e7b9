#include "settings/registry.h"

#include <bit>
#include <cstdint>

#include "base/error.h"
#include "platform/registry.h"

namespace vexlor::settings {
namespace {

constexpr DWORD kDwordSize = 4;
constexpr DWORD kDateSize = 8;

// Byte order is spelled out rather than taken from memory, so the stored layout does not
// depend on the machine the program runs on.
std::uint64_t FromLittleEndian(const std::vector<BYTE>& bytes) {
    std::uint64_t value = 0;
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte)
        value = (value << 8) | *byte;
    return value;
}

std::vector<BYTE> ToLittleEndian(std::uint64_t value, size_t size) {
    std::vector<BYTE> bytes(size);
    for (auto& byte : bytes) {
        byte = static_cast<BYTE>(value & 0xFF);
        value >>= 8;
    }
    return bytes;
}

std::vector<BYTE> NulTerminatedUtf16(const std::wstring& text) {
    std::vector<BYTE> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (const wchar_t unit : text) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>((unit >> 8) & 0xFF));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

} // namespace

void Registry::SetRootKey(HKEY root) {
    CloseKey();
    root_ = root;
}

bool Registry::OpenKey(const std::wstring& path, bool canCreate) {
    CloseKey();
    path_ = path;
    HKEY key = nullptr;
    openStatus_ = canCreate
                      ? ::RegCreateKeyExW(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          KEY_ALL_ACCESS, nullptr, &key, nullptr)
                      : ::RegOpenKeyExW(root_, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (openStatus_ != ERROR_SUCCESS)
        return false;
    key_.Reset(key);
    return true;
}

void Registry::CloseKey() {
    key_.Reset();
    openStatus_ = ERROR_INVALID_HANDLE;
}

bool Registry::ValueExists(const std::wstring& name) const {
    return key_ && ::RegQueryValueExW(key_.Get(), name.c_str(), nullptr, nullptr, nullptr,
                                      nullptr) == ERROR_SUCCESS;
}

std::optional<std::vector<BYTE>> Registry::ReadData(const std::wstring& name, DWORD type,
                                                    DWORD capacity) const {
    if (!key_)
        return std::nullopt;
    std::vector<BYTE> data(capacity);
    DWORD storedType = REG_NONE;
    DWORD size = capacity;
    // A value larger than `capacity` fails with ERROR_MORE_DATA and so reads as unreadable.
    if (::RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &storedType, data.data(), &size) !=
            ERROR_SUCCESS ||
        storedType != type)
        return std::nullopt;
    data.resize(size);
    return data;
}

std::optional<bool> Registry::ReadBool(const std::wstring& name) const {
    const auto value = ReadInteger(name);
    if (!value)
        return std::nullopt;
    return *value != 0;
}

std::optional<int> Registry::ReadInteger(const std::wstring& name) const {
    const auto data = ReadData(name, REG_DWORD, kDwordSize);
    if (!data)
        return std::nullopt;
    return static_cast<int>(static_cast<std::uint32_t>(FromLittleEndian(*data)));
}

std::optional<double> Registry::ReadDate(const std::wstring& name) const {
    const auto data = ReadData(name, REG_BINARY, kDateSize);
    if (!data || data->size() != kDateSize)
        return std::nullopt;
    return std::bit_cast<double>(FromLittleEndian(*data));
}

std::optional<std::wstring> Registry::ReadString(const std::wstring& name) const {
    constexpr DWORD kMostBytes = 32768 * sizeof(wchar_t);
    const auto data = ReadData(name, REG_SZ, kMostBytes);
    if (!data)
        return std::nullopt;
    std::wstring text;
    for (std::size_t i = 0; i + 1 < data->size(); i += 2)
        text += static_cast<wchar_t>((*data)[i] | ((*data)[i + 1] << 8));
    // The terminating NUL is stored with the text, though a writer may have left it out.
    if (const std::size_t end = text.find(L'\0'); end != std::wstring::npos)
        text.resize(end);
    return text;
}

void Registry::WriteString(const std::wstring& name, const std::wstring& text) {
    WriteData(name, REG_SZ, NulTerminatedUtf16(text));
}

void Registry::WriteBool(const std::wstring& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void Registry::WriteInteger(const std::wstring& name, int value) {
    WriteData(name, REG_DWORD, ToLittleEndian(static_cast<std::uint32_t>(value), kDwordSize));
}

void Registry::WriteDate(const std::wstring& name, double value) {
    WriteData(name, REG_BINARY, ToLittleEndian(std::bit_cast<std::uint64_t>(value), kDateSize));
}

void Registry::WriteData(const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
    if (!key_)
        ThrowWriteError(name, openStatus_);
    const LSTATUS status = platform::SetRegistryValueApi(key_.Get(), name, type, data);
    if (status != ERROR_SUCCESS)
        ThrowWriteError(name, status);
}

void Registry::ThrowWriteError(const std::wstring& name, LSTATUS status) const {
    const std::wstring shownName = name.empty() ? L"(Default)" : name;
    throw Error(L"Cannot write the registry value \"" + shownName + L"\" of the key \"" + path_ +
                L"\". " + SystemErrorText(static_cast<unsigned long>(status)));
}

} // namespace vexlor::settings
