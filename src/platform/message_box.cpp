#include "platform/message_box.h"

namespace vexlor::platform {

Seam<MessageBoxSignature> MessageBoxApi{
    [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    }};

} // namespace vexlor::platform
