#include "skin/style_classes.h"

namespace vexlor::skin {

const wchar_t* NameOf(StyleClass styleClass) {
    for (const StyleClassName& entry : StyleClassNames)
        if (entry.styleClass == styleClass)
            return entry.name;
    return StyleClassNames[0].name;
}

std::optional<StyleClass> StyleClassNamed(std::wstring_view name) {
    for (const StyleClassName& entry : StyleClassNames)
        if (name == entry.name)
            return entry.styleClass;
    return std::nullopt;
}

} // namespace vexlor::skin
