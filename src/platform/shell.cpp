#include "platform/shell.h"

#include <shellapi.h>

namespace vexlor::platform {
namespace {

const wchar_t* OrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

} // namespace

Seam<ShellExecuteSignature> ShellExecuteApi{[](const ShellRequest& request) {
    const HINSTANCE result =
        ::ShellExecuteW(request.owner, OrNull(request.operation), request.file.c_str(),
                        OrNull(request.parameters), OrNull(request.directory), request.show);
    return reinterpret_cast<std::intptr_t>(result);
}};

} // namespace vexlor::platform
