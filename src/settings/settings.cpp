#include "settings/settings.h"

#include <limits>

#include "base/product.h"
#include "platform/clock.h"
#include "settings/ole_date.h"

namespace vexlor::settings {
namespace {

constexpr wchar_t kRunCount[] = L"CountRuns";

// Opens the settings key on a new accessor and runs `write` on it.
template <typename Write> bool WriteSetting(Write&& write) {
    Registry registry;
    if (!OpenSettingsKey(&registry))
        return false;
    write(registry);
    return true;
}

} // namespace

std::wstring SettingsKeyPath() {
    return std::wstring(L"Software\\") + MakerName + L"\\" + ProductKeyName;
}

bool OpenSettingsKey(Registry* registry) {
    if (!registry)
        return false;
    try {
        registry->SetRootKey(HKEY_CURRENT_USER);
        return registry->OpenKey(SettingsKeyPath(), true);
    } catch (...) {
        return false;
    }
}

bool WriteSettingString(const std::wstring& name, const std::wstring& text) {
    return WriteSetting([&](Registry& registry) { registry.WriteString(name, text); });
}

bool WriteSettingBool(const std::wstring& name, bool value) {
    return WriteSetting([&](Registry& registry) { registry.WriteBool(name, value); });
}

bool WriteSettingDate(const std::wstring& name, double value) {
    return WriteSetting([&](Registry& registry) { registry.WriteDate(name, value); });
}

bool ReadSettingBool(const std::wstring& name) {
    try {
        Registry registry;
        return OpenSettingsKey(&registry) && registry.ReadBool(name).value_or(false);
    } catch (...) {
        return false;
    }
}

std::wstring ReadSettingString(const std::wstring& name) {
    try {
        Registry registry;
        return OpenSettingsKey(&registry) ? registry.ReadString(name).value_or(L"") : L"";
    } catch (...) {
        return {};
    }
}

double ReadSettingDate(const std::wstring& name) {
    try {
        {
            Registry registry;
            if (!OpenSettingsKey(&registry))
                return CurrentDateTime();
            // A value of the wrong type or size is left alone: only a missing one is stored.
            if (registry.ValueExists(name))
                return registry.ReadDate(name).value_or(CurrentDateTime());
        }
        // Stored through a separate open, as any other write; a failure here gives now too.
        const double now = CurrentDateTime();
        WriteSettingDate(name, now);
        return now;
    } catch (...) {
        return CurrentDateTime();
    }
}

int ReadRunCount() {
    try {
        Registry registry;
        if (!OpenSettingsKey(&registry))
            return 1;
        return registry.ReadInteger(kRunCount).value_or(1);
    } catch (...) {
        return 1;
    }
}

void IncrementRunCount() {
    try {
        Registry registry;
        if (!OpenSettingsKey(&registry))
            return;
        int count = 1;
        if (registry.ValueExists(kRunCount)) {
            const auto stored = registry.ReadInteger(kRunCount);
            if (!stored)
                return; // unreadable: left as it is
            count = *stored;
        }
        // At the largest count the counter stays put instead of wrapping to a negative one.
        if (count < std::numeric_limits<int>::max())
            ++count;
        registry.WriteInteger(kRunCount, count);
    } catch (...) {
    }
}

void WriteFirstRunDefaults() {
    if (ReadSettingBool(L"NotFirstRun"))
        return;
    WriteSettingBool(L"NotFirstRun", true);
    WriteSettingBool(L"NeedNewFormat", false);
    WriteSettingBool(L"NeedNewSize", false);
    WriteSettingBool(L"ShowHelpStart", true);
    WriteSettingBool(L"HideTray", false);
    WriteSettingBool(L"SaveBackUp", false);
}

double CurrentDateTime() {
    return SystemTimeToOleDate(platform::LocalTimeApi());
}

} // namespace vexlor::settings
