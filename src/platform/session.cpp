#include "platform/session.h"

namespace vexlor::platform {

ShutdownBlock::ShutdownBlock(HWND window, const std::wstring& reason)
    : window_(window), created_(::ShutdownBlockReasonCreate(window, reason.c_str()) != FALSE) {}

ShutdownBlock::~ShutdownBlock() {
    if (created_ && ::IsWindow(window_))
        ::ShutdownBlockReasonDestroy(window_);
}

} // namespace vexlor::platform
