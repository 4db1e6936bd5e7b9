#pragma once

namespace vexlor::ui {

// The one skin the program draws with, from start to end; its name is saved on close.
inline constexpr wchar_t SkinName[] = L"iOS dark (internal)";

} // namespace vexlor::ui
