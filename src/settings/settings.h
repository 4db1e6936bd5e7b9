#pragma once
// The per-user settings: named values directly in one key below HKEY_CURRENT_USER. Each
// operation opens and closes the key itself; the registry is the only copy of a setting.

#include <string>

#include "settings/registry.h"

namespace vexlor::settings {

// "Software\<maker>\<product>", below HKEY_CURRENT_USER.
std::wstring SettingsKeyPath();

// Sets the root of `registry` to HKEY_CURRENT_USER and opens the settings key on it, creating
// it when missing. False when `registry` is null or the key cannot be opened. Never throws.
bool OpenSettingsKey(Registry* registry);

// The writes return false when the key cannot be opened; a failed write of the value itself
// throws vexlor::Error naming the value.
bool WriteSettingString(const std::wstring& name, const std::wstring& text);
bool WriteSettingBool(const std::wstring& name, bool value);
bool WriteSettingDate(const std::wstring& name, double value);

// The reads never throw; a missing or unreadable value gives the default.
bool ReadSettingBool(const std::wstring& name);
// Empty when the value is missing or unreadable.
std::wstring ReadSettingString(const std::wstring& name);
// Now when the value cannot be read; a missing value is stored as now.
double ReadSettingDate(const std::wstring& name);
// "CountRuns", or 1.
int ReadRunCount();
// Stores "CountRuns" plus one; any failure leaves it as it was.
void IncrementRunCount();

// On the first start: "NotFirstRun" and the other values later starts expect.
void WriteFirstRunDefaults();

// The local date and time as an OLE date, to the millisecond.
double CurrentDateTime();

} // namespace vexlor::settings
