// The update check of the real program, started with a check due, against a server of the
// test on this machine that the program's build names as its product site.
#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <string>
#include <vector>

#include "app/single_instance.h"
#include "loopback_server.h"
#include "process.h"
#include "registry_probe.h"
#include "settings/ole_date.h"

namespace vexlor::testing {
namespace {

constexpr std::uint16_t kSitePort = VEXLOR_TEST_SITE_PORT;
const Bytes kZero{0, 0, 0, 0};

std::wstring VersionFile() {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    return std::wstring(folder) + L"\\Keltro Software\\Vexlor\\updates.txt";
}

std::string Contents(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

Bytes DateBytes(double date) {
    Bytes bytes(sizeof(date));
    std::memcpy(bytes.data(), &date, sizeof(date));
    return bytes;
}

double Now() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return settings::SystemTimeToOleDate(now);
}

// The threads of `processId` now running, but `except`, opened for waiting.
std::vector<UniqueHandleNull> OpenThreads(DWORD processId, DWORD except) {
    std::vector<UniqueHandleNull> threads;
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more;
         more = ::Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID != processId || entry.th32ThreadID == except)
            continue;
        UniqueHandleNull thread(::OpenThread(SYNCHRONIZE, FALSE, entry.th32ThreadID));
        if (thread) // else it has ended since the snapshot
            threads.push_back(std::move(thread));
    }
    return threads;
}

bool AllEnded(const std::vector<UniqueHandleNull>& threads) {
    return std::all_of(threads.begin(), threads.end(), [](const UniqueHandleNull& thread) {
        return ::WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
    });
}

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        UniqueHandleNull running(::OpenMutexW(SYNCHRONIZE, FALSE, app::SingleInstanceMutexName));
        ASSERT_FALSE(running) << "another Vexlor is running in this prefix";
        DeleteKeyTree(kSettingsKey);
        std::filesystem::remove(std::filesystem::path(VersionFile()));
        // Not a first run, no tips: one second after start only the check, which is due.
        SetRawValue(kSettingsKey, L"NotFirstRun", REG_DWORD, {1, 0, 0, 0});
        SetRawValue(kSettingsKey, L"ShowHelpStart", REG_DWORD, kZero);
        SetRawValue(kSettingsKey, L"CountRuns", REG_DWORD, {5, 0, 0, 0});
        SetRawValue(kSettingsKey, L"LastUpdate", REG_BINARY, DateBytes(Now() - 7));
    }
    void TearDown() override { DeleteKeyTree(kSettingsKey); }

    Process Start(HWND* window) {
        Process process = Process::Start(L"\"" + WindowsPathOf(VEXLOR_LOOPBACK_EXE) + L"\"");
        *window = WaitForWindow(process.Id(), L"TMainForm", L"Vexlor", 30000);
        return process;
    }

    static void Close(Process& process, HWND window) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(process.WaitForExit(30000), 0u);
    }

    // The time of the last check, as the program stored it.
    static double LastUpdate() {
        const auto value = ReadRawValue(kSettingsKey, L"LastUpdate");
        double date = 0;
        if (value && value->data.size() == sizeof(date))
            std::memcpy(&date, value->data.data(), sizeof(date));
        return date;
    }
};

TEST_F(UpdateCheck, NewerVersionOnTheSiteEndsWithThePromptAndTheFileDownloaded) {
    const std::string body = "\xEF\xBB\xBF"
                             "9.9\r\nБыстрее\r\nНадёжнее\r\nКрасивее\r\nСовременнее\r\n";
    LoopbackServer site({"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body},
                        LoopbackServer::Ending::Close, kSitePort);
    HWND window = nullptr;
    Process program = Start(&window);
    ASSERT_TRUE(window);

    HWND prompt = nullptr;
    WaitUntil(
        [&] {
            prompt = FindProcessWindow(program.Id(), L"#32770", true);
            return prompt != nullptr;
        },
        20000);
    ASSERT_TRUE(prompt) << "no prompt";
    wchar_t caption[64] = {};
    ::GetWindowTextW(prompt, caption, 64);
    EXPECT_STREQ(caption, L"Обновление");
    site.Stop();
    EXPECT_EQ(site.Request(),
              "GET /upd/updates.txt HTTP/1.1\r\n"
              "Host: 127.0.0.1:" +
                  std::to_string(kSitePort) +
                  "\r\n"
                  "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
                  "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n");
    EXPECT_EQ(Contents(VersionFile()), body);
    EXPECT_NEAR(LastUpdate(), Now(), 1.0 / 24) << "the check was recorded";

    ::PostMessageW(prompt, WM_COMMAND, IDNO, 0); // "No": the program goes on
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(prompt); }, 10000));
    EXPECT_TRUE(program.Running());
    Close(program, window);
}

TEST_F(UpdateCheck, SiteThatCannotBeReachedShowsNothingAndLeavesTheFileEmpty) {
    HWND window = nullptr;
    Process program = Start(&window); // nothing listens on the site's port
    ASSERT_TRUE(window);
    ASSERT_TRUE(WaitUntil([] { return std::filesystem::exists(VersionFile()); }, 20000));
    // The check's worker made the file and is among these, unless it has ended already; it
    // ends only after its handler has run on the window's thread.
    const auto threads = OpenThreads(program.Id(), ::GetWindowThreadProcessId(window, nullptr));
    const auto prompt = [&] { return FindProcessWindow(program.Id(), L"#32770", true); };
    ASSERT_TRUE(WaitUntil([&] { return prompt() || AllEnded(threads); }, 20000))
        << "the check has not ended";
    EXPECT_FALSE(prompt()) << "a message came up";
    EXPECT_EQ(Contents(VersionFile()), "");
    EXPECT_NEAR(LastUpdate(), Now(), 1.0 / 24);
    Close(program, window);
}

} // namespace
} // namespace vexlor::testing
