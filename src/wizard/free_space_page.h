#pragma once
// What the window says about a free-space cleaning: the question before it, the phases and the
// time left while it runs, and what it did at its end. Kept apart from the window so that the
// texts and the estimate can be checked on their own.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/disk_space.h"
#include "platform/volume_facts.h"
#include "wipe/free_space.h"
#include "wipe/run_report.h"

namespace vexlor::wizard {

inline constexpr wchar_t TitleFreeSpace[] = L"Очистка свободного места";
inline constexpr wchar_t StopCaption[] = L"Стоп";
// The settings value that names the folder of a cleaning under way, empty when none is.
inline constexpr wchar_t FreeSpaceFolderSetting[] = L"FreeSpaceFolder";

// "512 байт", "12 КБ", "1,5 ГБ".
std::wstring ByteCountText(std::uint64_t bytes);

// The Yes/No question before a cleaning of the drive at `root`, with its free space (nothing
// when the system does not tell) and what the drive may keep anyway.
std::wstring FreeSpaceQuestion(const std::wstring& root,
                               const std::optional<platform::DiskSpace>& space,
                               const std::vector<wipe::Reason>& driveReasons);

// The line above the bars during a phase.
std::wstring PhaseText(wipe::FreeSpacePhase phase);

// The finish page's line after a cleaning.
std::wstring FreeSpaceResultText(const wipe::FreeSpaceOutcome& outcome);

// "Осталось около 5 мин": the time a phase still needs at the pace it has kept since it began,
// `done` of `total` (in any unit); no guess while too little is done to tell.
class TimeLeft {
public:
    void Start(platform::SteadyTime now) { start_ = now; }
    std::wstring Text(platform::SteadyTime now, std::uint64_t done, std::uint64_t total) const;

private:
    platform::SteadyTime start_{};
};

} // namespace vexlor::wizard
