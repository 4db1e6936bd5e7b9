#include "platform/dropped_files.h"

namespace vexlor::platform {
namespace {

// DragFinish on every path out.
class FinishedDrop {
public:
    explicit FinishedDrop(HDROP drop) : drop_(drop) {}
    FinishedDrop(const FinishedDrop&) = delete;
    FinishedDrop& operator=(const FinishedDrop&) = delete;
    ~FinishedDrop() { ::DragFinish(drop_); }

private:
    HDROP drop_;
};

} // namespace

std::vector<std::wstring> TakeDroppedPaths(HDROP drop) {
    const FinishedDrop finished(drop);
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> paths;
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, i, path.data(), length + 1));
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace vexlor::platform
