#include "wipe/run_report.h"

#include <algorithm>
#include <iterator>

namespace vexlor::wipe {

bool IsDriveReason(Reason reason) {
    return reason >= Reason::SolidState;
}

Outcome& RunReport::At(const std::wstring& path) {
    const auto [place, added] = places_.try_emplace(path, outcomes_.size());
    if (added)
        outcomes_.push_back({path, {}});
    return outcomes_[place->second];
}

void RunReport::Place(const std::wstring& path) {
    const std::lock_guard lock(mutex_);
    At(path);
}

void RunReport::Note(const std::wstring& path, Reason reason) {
    const std::lock_guard lock(mutex_);
    std::vector<Reason>& reasons = At(path).reasons;
    if (std::find(reasons.begin(), reasons.end(), reason) == reasons.end())
        reasons.push_back(reason);
}

std::vector<Outcome> RunReport::Outcomes() const {
    const std::lock_guard lock(mutex_);
    std::vector<Outcome> noted;
    std::copy_if(outcomes_.begin(), outcomes_.end(), std::back_inserter(noted),
                 [](const Outcome& outcome) { return !outcome.reasons.empty(); });
    return noted;
}

bool RunReport::AllDestroyed() const {
    const std::lock_guard lock(mutex_);
    return std::none_of(outcomes_.begin(), outcomes_.end(), [](const Outcome& outcome) {
        return std::any_of(outcome.reasons.begin(), outcome.reasons.end(),
                           [](Reason reason) { return !IsDriveReason(reason); });
    });
}

std::vector<Reason> DriveReasons(const platform::VolumeFacts& facts) {
    std::vector<Reason> reasons;
    const std::pair<bool, Reason> kinds[] = {{facts.solidState, Reason::SolidState},
                                             {facts.network, Reason::Network},
                                             {facts.copyOnWrite, Reason::CopyOnWrite},
                                             {facts.restorePoints, Reason::RestorePoints}};
    for (const auto& [holds, reason] : kinds)
        if (holds)
            reasons.push_back(reason);
    return reasons;
}

} // namespace vexlor::wipe
