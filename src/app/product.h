#pragma once
// Fixed facts about the product, in one place.

namespace vexlor::app {

inline constexpr wchar_t ApplicationTitle[] = L"Vexlor";
inline constexpr wchar_t ProgramVersion[] = L"1.25";
inline constexpr wchar_t MakerName[] = L"Keltro Software";
inline constexpr wchar_t ProductKeyName[] = L"Vexlor";

} // namespace vexlor::app
