// The settings store against the registry of the test's Wine prefix.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "base/error.h"
#include "registry_probe.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace vexlor::settings {
namespace {

using testing::Bytes;
using testing::FixedClock;
using testing::kSettingsKey;
using testing::MakeTime;
using testing::ReadRawValue;
using testing::RecordedRegistryWrites;
using testing::SetRawValue;

double DoubleFromLittleEndian(const Bytes& bytes) {
    unsigned long long bits = 0;
    for (size_t i = bytes.size(); i-- > 0;)
        bits = (bits << 8) | bytes[i];
    double value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteKeyTree(kSettingsKey); }
    void TearDown() override { testing::DeleteKeyTree(kSettingsKey); }

    static void ExpectStored(const std::wstring& name, DWORD type, const Bytes& data) {
        const auto value = ReadRawValue(kSettingsKey, name);
        ASSERT_TRUE(value.has_value()) << "no value";
        EXPECT_EQ(value->type, type);
        EXPECT_EQ(value->data, data);
    }
    static void SetDword(const std::wstring& name, const Bytes& data) {
        SetRawValue(kSettingsKey, name, REG_DWORD, data);
    }
};

TEST_F(SettingsStore, KeyIsCreatedBelowCurrentUser) {
    Registry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(OpenSettingsKey(&registry));
    EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
    EXPECT_TRUE(registry.HasCurrentKey());
    EXPECT_TRUE(testing::KeyExists(kSettingsKey));
    EXPECT_FALSE(OpenSettingsKey(nullptr));
}

TEST_F(SettingsStore, BooleansAreStoredAsFourByteDwordsAndFalseIsKept) {
    EXPECT_TRUE(WriteSettingBool(L"ShowHelpStart", true));
    ExpectStored(L"ShowHelpStart", REG_DWORD, {1, 0, 0, 0});
    EXPECT_TRUE(ReadSettingBool(L"ShowHelpStart"));

    EXPECT_TRUE(WriteSettingBool(L"ShowHelpStart", false));
    ExpectStored(L"ShowHelpStart", REG_DWORD, {0, 0, 0, 0});
    EXPECT_FALSE(ReadSettingBool(L"ShowHelpStart"));
}

TEST_F(SettingsStore, BooleanReadsOnlyDwordsOfAtMostFourBytes) {
    struct Case {
        const char* what;
        DWORD type;
        Bytes data;
        bool expected;
    };
    const Case cases[] = {
        {"dword 5", REG_DWORD, {5, 0, 0, 0}, true},
        {"dword 0", REG_DWORD, {0, 0, 0, 0}, false},
        {"dword, high byte only", REG_DWORD, {0, 0, 0, 1}, true},
        {"two-byte dword", REG_DWORD, {1, 0}, true},
        {"eight-byte dword", REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0}, false},
        {"binary 1", REG_BINARY, {1, 0, 0, 0}, false},
        {"text", REG_SZ, {'1', 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        SetRawValue(kSettingsKey, L"ShowHelpStart", c.type, c.data);
        EXPECT_EQ(ReadSettingBool(L"ShowHelpStart"), c.expected) << c.what;
    }
    EXPECT_FALSE(ReadSettingBool(L"NoSuchValue"));
}

TEST_F(SettingsStore, TextIsNulTerminatedUtf16ReplacingAnyType) {
    SetDword(L"Skin", {7, 0, 0, 0});
    EXPECT_TRUE(WriteSettingString(L"Skin", L"Aж"));
    ExpectStored(L"Skin", REG_SZ, {0x41, 0x00, 0x36, 0x04, 0x00, 0x00});

    EXPECT_TRUE(WriteSettingString(L"Skin", L""));
    ExpectStored(L"Skin", REG_SZ, {0x00, 0x00});
}

TEST_F(SettingsStore, DatesAreEightByteLittleEndianDoubles) {
    EXPECT_TRUE(WriteSettingDate(L"LastUpdate", 2.75)); // 1 January 1900, 18:00
    ExpectStored(L"LastUpdate", REG_BINARY, {0, 0, 0, 0, 0, 0, 0x06, 0x40});
    EXPECT_EQ(ReadSettingDate(L"LastUpdate"), 2.75);

    SetRawValue(kSettingsKey, L"LastUpdate", REG_BINARY, {0, 0, 0, 0, 0xA0, 0xA3, 0xE6, 0x40});
    EXPECT_EQ(ReadSettingDate(L"LastUpdate"), 46365.0); // 9 December 2026
}

TEST_F(SettingsStore, MissingDateIsStoredAsLocalNowToTheMillisecond) {
    const SYSTEMTIME now = MakeTime(2026, 12, 9, 12, 0, 0, 1);
    FixedClock clock(now);
    const double read = ReadSettingDate(L"LastUpdate");
    EXPECT_NEAR(read, testing::OleDateThroughFileTime(now), 0.0005 / 86'400'000.0);

    const auto stored = ReadRawValue(kSettingsKey, L"LastUpdate");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(stored->data.size(), 8u);
    EXPECT_EQ(DoubleFromLittleEndian(stored->data), read);

    // Once stored, the value is what later reads give, not the clock.
    clock.Set(MakeTime(2027, 1, 1));
    EXPECT_EQ(ReadSettingDate(L"LastUpdate"), read);
}

TEST_F(SettingsStore, UnreadableDateReadsAsNowAndIsNeverRepaired) {
    const SYSTEMTIME now = MakeTime(2026, 12, 9, 12);
    FixedClock clock(now);
    struct Case {
        const char* what;
        DWORD type;
        Bytes data;
    };
    const Case cases[] = {
        {"four bytes", REG_BINARY, {1, 2, 3, 4}},
        {"nine bytes", REG_BINARY, {0, 0, 0, 0, 0, 0, 0x06, 0x40, 0}},
        {"dword", REG_DWORD, {1, 0, 0, 0}},
        {"eight-byte text", REG_SZ, {'1', 0, '2', 0, '3', 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SetRawValue(kSettingsKey, L"LastUpdate", c.type, c.data);
        EXPECT_EQ(ReadSettingDate(L"LastUpdate"), 46365.5) << c.what;
        ExpectStored(L"LastUpdate", c.type, c.data);
    }
}

TEST_F(SettingsStore, RunCountStartsAtOneAndCountsUp) {
    EXPECT_EQ(ReadRunCount(), 1);
    IncrementRunCount();
    ExpectStored(L"CountRuns", REG_DWORD, {2, 0, 0, 0});
    EXPECT_EQ(ReadRunCount(), 2);
    IncrementRunCount();
    EXPECT_EQ(ReadRunCount(), 3);

    SetDword(L"CountRuns", {0x00, 0x01, 0, 0}); // 256
    EXPECT_EQ(ReadRunCount(), 256);
    IncrementRunCount();
    ExpectStored(L"CountRuns", REG_DWORD, {0x01, 0x01, 0, 0});
}

TEST_F(SettingsStore, RunCountStaysAtItsLargestValue) {
    SetDword(L"CountRuns", {0xFF, 0xFF, 0xFF, 0x7F});
    IncrementRunCount();
    ExpectStored(L"CountRuns", REG_DWORD, {0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_EQ(ReadRunCount(), 0x7FFFFFFF);
}

TEST_F(SettingsStore, UnreadableRunCountReadsAsOneAndIsNeverIncremented) {
    struct Case {
        const char* what;
        DWORD type;
        Bytes data;
    };
    const Case cases[] = {
        {"text", REG_SZ, {'5', 0, 0, 0}},
        {"eight-byte dword", REG_DWORD, {5, 0, 0, 0, 0, 0, 0, 0}},
        {"binary", REG_BINARY, {5, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SetRawValue(kSettingsKey, L"CountRuns", c.type, c.data);
        EXPECT_EQ(ReadRunCount(), 1) << c.what;
        IncrementRunCount();
        ExpectStored(L"CountRuns", c.type, c.data);
    }
}

TEST_F(SettingsStore, KeyThatCannotBeOpenedGivesDefaultsAndWritesNothing) {
    const SYSTEMTIME now = MakeTime(2026, 12, 9, 12);
    FixedClock clock(now);
    {
        testing::CurrentUserUnavailable unavailable;
        ASSERT_TRUE(unavailable.Active());
        Registry registry;
        EXPECT_FALSE(OpenSettingsKey(&registry));
        EXPECT_FALSE(registry.HasCurrentKey());
        EXPECT_FALSE(WriteSettingBool(L"ShowHelpStart", true));
        EXPECT_FALSE(WriteSettingString(L"Skin", L"x"));
        EXPECT_FALSE(WriteSettingDate(L"LastUpdate", 1.0));
        EXPECT_FALSE(ReadSettingBool(L"ShowHelpStart"));
        EXPECT_EQ(ReadSettingDate(L"LastUpdate"), 46365.5);
        EXPECT_EQ(ReadRunCount(), 1);
        EXPECT_NO_THROW(IncrementRunCount());
    }
    EXPECT_FALSE(testing::KeyExists(kSettingsKey));
}

TEST_F(SettingsStore, FailedWriteOfAnOpenKeyThrowsNamingTheValue) {
    RecordedRegistryWrites registry(
        [](const testing::RegistryWrite& write) { return write.name == L"ShowHelpStart"; });
    try {
        WriteSettingBool(L"ShowHelpStart", true);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(error.Text().find(L"\"ShowHelpStart\""), std::wstring::npos);
    }
    EXPECT_THROW(WriteSettingString(L"ShowHelpStart", L"x"), Error);
    EXPECT_THROW(WriteSettingDate(L"ShowHelpStart", 1.0), Error);
    // Reads swallow it: a missing date that cannot be stored still reads as now.
    FixedClock clock(MakeTime(2026, 12, 9, 12));
    RecordedRegistryWrites failingDates(
        [](const testing::RegistryWrite& write) { return write.name == L"LastUpdate"; });
    EXPECT_EQ(ReadSettingDate(L"LastUpdate"), 46365.5);
    EXPECT_FALSE(ReadRawValue(kSettingsKey, L"LastUpdate").has_value());
}

TEST_F(SettingsStore, FirstRunDefaultsAreWrittenOnceInOrder) {
    RecordedRegistryWrites first;
    WriteFirstRunDefaults();
    EXPECT_EQ(first.Names(),
              (std::vector<std::wstring>{L"NotFirstRun", L"NeedNewFormat", L"NeedNewSize",
                                         L"ShowHelpStart", L"HideTray", L"SaveBackUp"}));
    for (const auto& write : first.writes)
        EXPECT_EQ(write.type, static_cast<DWORD>(REG_DWORD)) << write.name;

    SetDword(L"ShowHelpStart", {0, 0, 0, 0});
    RecordedRegistryWrites second;
    WriteFirstRunDefaults();
    EXPECT_TRUE(second.writes.empty());
    ExpectStored(L"ShowHelpStart", REG_DWORD, {0, 0, 0, 0});
}

TEST_F(SettingsStore, FailedFirstRunDefaultStopsTheRest) {
    RecordedRegistryWrites registry(
        [](const testing::RegistryWrite& write) { return write.name == L"NeedNewSize"; });
    EXPECT_THROW(WriteFirstRunDefaults(), Error);
    EXPECT_EQ(registry.Names().back(), L"NeedNewSize");
    EXPECT_FALSE(ReadRawValue(kSettingsKey, L"ShowHelpStart").has_value());
}

TEST(Clock, NowIsTheLocalTimeToTheMillisecond) {
    SYSTEMTIME local{}, universal{};
    ::GetLocalTime(&local);
    ::GetSystemTime(&universal);
    const double now = CurrentDateTime();
    const double oneSecond = 1.0 / 86'400;
    EXPECT_NEAR(now, testing::OleDateThroughFileTime(local), 2 * oneSecond);
    // Only where the prefix's zone is not UTC can local and universal time be told apart.
    const double offset =
        testing::OleDateThroughFileTime(local) - testing::OleDateThroughFileTime(universal);
    if (offset > 60 * oneSecond || offset < -60 * oneSecond) {
        EXPECT_GT(std::abs(now - testing::OleDateThroughFileTime(universal)), 30 * oneSecond);
    }
    // The clock's milliseconds are kept, not cut to whole seconds.
    FixedClock clock(MakeTime(2026, 12, 9, 12, 0, 0, 999));
    EXPECT_NEAR(CurrentDateTime(), 46365.5 + 999 / 86'400'000.0, 0.0005 / 86'400'000.0);
}

TEST(RegistryAccessor, IsMoveOnlyAndTakesTheOpenKeyAlong) {
    static_assert(!std::is_copy_constructible_v<Registry>);
    static_assert(!std::is_copy_assignable_v<Registry>);
    testing::DeleteKeyTree(kSettingsKey);
    Registry first;
    ASSERT_TRUE(first.OpenKey(kSettingsKey, true));
    Registry second = std::move(first);
    EXPECT_FALSE(first.HasCurrentKey());
    ASSERT_TRUE(second.HasCurrentKey());
    second.WriteInteger(L"CountRuns", -2);
    EXPECT_EQ(ReadRawValue(kSettingsKey, L"CountRuns")->data, (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(second.ReadInteger(L"CountRuns"), -2);
    testing::DeleteKeyTree(kSettingsKey);
}

TEST(RegistryAccessor, WriteWithoutAnOpenKeyOrToADeletedKeyThrowsNamingTheValue) {
    Registry registry;
    try {
        registry.WriteString(L"Skin", L"x");
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(error.Text().find(L"\"Skin\""), std::wstring::npos);
    }
    // A key deleted while open: the real registry refuses the write.
    const std::wstring doomed = kSettingsKey + L"\\Doomed";
    ASSERT_TRUE(registry.OpenKey(doomed, true));
    testing::DeleteKeyTree(doomed);
    try {
        registry.WriteBool(L"HideTray", false);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(error.Text().find(L"\"HideTray\""), std::wstring::npos);
    }
    testing::DeleteKeyTree(kSettingsKey);
}

} // namespace
} // namespace vexlor::settings
