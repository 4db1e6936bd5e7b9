#pragma once
// The style classes: the named sections of the skin that controls ask to be drawn from. One
// table gives each its name, for the skin's parser, for its surfaces and for every control that
// asks for one.

#include <optional>
#include <string_view>

namespace vexlor::skin {

enum class StyleClass { Form, Button, CheckBox, Gauge, Edit, StatusBar, AlphaEdit, IcoLine };

struct StyleClassName {
    StyleClass styleClass;
    const wchar_t* name; // the section's name in the skin, and what a control records
};

inline constexpr StyleClassName StyleClassNames[] = {
    {StyleClass::Form, L"FORM"},           {StyleClass::Button, L"BUTTON"},
    {StyleClass::CheckBox, L"CHECKBOX"},   {StyleClass::Gauge, L"GAUGE"},
    {StyleClass::Edit, L"EDIT"},           {StyleClass::StatusBar, L"STATUSBAR"},
    {StyleClass::AlphaEdit, L"ALPHAEDIT"}, {StyleClass::IcoLine, L"ICOLINE"},
};

const wchar_t* NameOf(StyleClass styleClass);
std::optional<StyleClass> StyleClassNamed(std::wstring_view name);

} // namespace vexlor::skin
