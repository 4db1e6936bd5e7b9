#include "skin/skin.h"

#include <charconv>
#include <map>
#include <set>
#include <stdexcept>

#include "base/ascii.h"
#include "base/error.h"
#include "base/handles.h"
#include "base/resource_ids.h"
#include "platform/resources.h"

namespace vexlor::skin {
namespace {

// The section's name as it stands in the skin's (ASCII) text.
std::string SectionName(StyleClass styleClass) {
    std::string name;
    for (const wchar_t* c = NameOf(styleClass); *c; ++c)
        name += static_cast<char>(*c);
    return name;
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The text split into its sections, each a map of key to value, before anything is typed.
struct SkinText {
    std::string name;
    std::map<std::string, std::map<std::string, std::string>, std::less<>> sections;
};

SkinText Split(std::string_view text) {
    SkinText result;
    std::map<std::string, std::string>* section = nullptr;
    int lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == ';')
            continue;
        const auto where = L" (line " + std::to_wstring(lineNumber) + L")";
        if (line.front() == '[' && line.back() == ']') {
            const std::string name(Trim(line.substr(1, line.size() - 2)));
            if (!result.sections.emplace(name, std::map<std::string, std::string>()).second)
                throw Error(L"The skin has the section [" + WidenAscii(name) + L"] twice" + where);
            section = &result.sections[name];
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            throw Error(L"The skin has a line that is not \"name = value\"" + where);
        const std::string key(Trim(line.substr(0, equals)));
        const std::string value(Trim(line.substr(equals + 1)));
        if (!section) {
            if (key != "Name" || !result.name.empty())
                throw Error(L"The skin has \"" + WidenAscii(key) + L"\" before its first section" +
                            where);
            result.name = value;
        } else if (!section->emplace(key, value).second) {
            throw Error(L"The skin has the value " + WidenAscii(key) + L" twice" + where);
        }
    }
    if (result.name.empty())
        throw Error(L"The skin has no name.");
    return result;
}

// Takes the typed values out of one section; whatever the section holds besides them is an
// error too, so that a misspelt key never goes unnoticed.
class SectionReader {
public:
    SectionReader(const SkinText& text, StyleClass styleClass) : name_(SectionName(styleClass)) {
        const auto found = text.sections.find(name_);
        if (found == text.sections.end())
            throw Error(L"The skin has no section [" + WidenAscii(name_) + L"].");
        values_ = &found->second;
    }

    COLORREF Color(const std::string& key) {
        const std::string& value = Value(key);
        unsigned rgb = 0;
        const auto* first = value.data() + 1;
        const auto* last = value.data() + value.size();
        if (value.size() != 7 || value[0] != '#' ||
            std::from_chars(first, last, rgb, 16).ptr != last)
            throw Invalid(key, L"a colour #RRGGBB");
        return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
    }

    int Number(const std::string& key) {
        const std::string& value = Value(key);
        int number = 0;
        const auto* last = value.data() + value.size();
        if (value.empty() || std::from_chars(value.data(), last, number).ptr != last ||
            number < 0 || number > 64)
            throw Invalid(key, L"a size from 0 to 64");
        return number;
    }

    Surface TakeSurface() { return {Color("Background"), Color("Text")}; }
    StateLook State(const std::string& state) {
        return {Color(state + ".Face"), Color(state + ".Border"), Color(state + ".Text")};
    }
    StatefulLook States() {
        return {State("Normal"),         State("Hot"),     State("Pressed"),     State("Disabled"),
                Color("Focused.Border"), Number("Radius"), Number("BorderWidth")};
    }

    // Every value of the section has been taken.
    void Finish() const {
        for (const auto& [key, value] : *values_)
            if (!used_.count(key))
                throw Error(L"The skin's section [" + WidenAscii(name_) +
                            L"] has an unknown value " + WidenAscii(key) + L".");
    }

private:
    const std::string& Value(const std::string& key) {
        const auto found = values_->find(key);
        if (found == values_->end())
            throw Error(L"The skin's section [" + WidenAscii(name_) + L"] has no value " +
                        WidenAscii(key) + L".");
        used_.insert(key);
        return found->second;
    }
    Error Invalid(const std::string& key, const wchar_t* expected) const {
        return Error(L"The skin's value " + WidenAscii(key) + L" in [" + WidenAscii(name_) +
                     L"] is not " + expected + L".");
    }

    std::string name_;
    const std::map<std::string, std::string>* values_ = nullptr;
    std::set<std::string> used_;
};

FormStyle ReadForm(const SkinText& text) {
    SectionReader read(text, StyleClass::Form);
    FormStyle style{read.TakeSurface(), read.Color("Border"), read.Color("Caption"),
                    read.Color("CaptionText")};
    read.Finish();
    return style;
}

ButtonStyle ReadButton(const SkinText& text) {
    SectionReader read(text, StyleClass::Button);
    ButtonStyle style{read.TakeSurface(), read.States(), read.State("Default")};
    read.Finish();
    return style;
}

CheckBoxStyle ReadCheckBox(const SkinText& text) {
    SectionReader read(text, StyleClass::CheckBox);
    CheckBoxStyle style{read.TakeSurface(), read.States(), read.Color("Checked.Face"),
                        read.Color("Checked.Border"), read.Color("Tick")};
    read.Finish();
    return style;
}

GaugeStyle ReadGauge(const SkinText& text) {
    SectionReader read(text, StyleClass::Gauge);
    GaugeStyle style{read.TakeSurface(), read.Color("Border"), read.Number("Radius"),
                     read.Color("Track"), read.Color("Bar")};
    read.Finish();
    return style;
}

EditStyle ReadEdit(const SkinText& text) {
    SectionReader read(text, StyleClass::Edit);
    EditStyle style{
        read.TakeSurface(),
        read.Color("Border"),
        read.Number("BorderWidth"),
        read.Color("Focused.Border"),
        {read.Color("Selected.Face"), read.Color("Selected.Face"), read.Color("Selected.Text")},
        {read.Color("Inactive.Face"), read.Color("Inactive.Face"), read.Color("Inactive.Text")},
        read.Color("ScrollTrack"),
        read.Color("ScrollThumb"),
        read.Color("ScrollThumbHot")};
    read.Finish();
    return style;
}

PanelStyle ReadPanel(const SkinText& text, StyleClass styleClass, bool rounded) {
    SectionReader read(text, styleClass);
    PanelStyle style{read.TakeSurface(), read.Color("Border"), rounded ? read.Number("Radius") : 0};
    read.Finish();
    return style;
}

MenuStyle ReadMenu(const SkinText& text) {
    SectionReader read(text, StyleClass::IcoLine);
    const Surface surface = read.TakeSurface();
    const COLORREF barFace = read.Color("Bar.Face");
    MenuStyle style{surface,
                    {barFace, barFace, read.Color("Bar.Text")},
                    read.Color("Menu.Face"),
                    read.Color("Menu.Border"),
                    {read.Color("Hot.Face"), read.Color("Hot.Face"), read.Color("Hot.Text")},
                    read.Color("Disabled.Text"),
                    read.Color("Separator")};
    read.Finish();
    return style;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty())
        return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        throw Error(L"The skin's name is not UTF-8 text.");
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
}

} // namespace

const StateLook& StatefulLook::In(ControlState state) const {
    switch (state) {
    case ControlState::Hot:
        return hot;
    case ControlState::Pressed:
        return pressed;
    case ControlState::Disabled:
        return disabled;
    case ControlState::Normal:
        break;
    }
    return normal;
}

const Surface& Skin::SurfaceOf(StyleClass styleClass) const {
    switch (styleClass) {
    case StyleClass::Button:
        return button.surface;
    case StyleClass::CheckBox:
        return checkBox.surface;
    case StyleClass::Gauge:
        return gauge.surface;
    case StyleClass::Edit:
        return edit.surface;
    case StyleClass::StatusBar:
        return statusBar.surface;
    case StyleClass::AlphaEdit:
        return alphaEdit.surface;
    case StyleClass::IcoLine:
        return icoLine.surface;
    case StyleClass::Form:
        break;
    }
    return form.surface;
}

Skin ParseSkin(std::string_view text) {
    const SkinText split = Split(text);
    for (const auto& [name, values] : split.sections)
        if (!StyleClassNamed(WidenAscii(name)))
            throw Error(L"The skin has an unknown section [" + WidenAscii(name) + L"].");
    return {FromUtf8(split.name),
            ReadForm(split),
            ReadButton(split),
            ReadCheckBox(split),
            ReadGauge(split),
            ReadEdit(split),
            ReadPanel(split, StyleClass::StatusBar, false),
            ReadPanel(split, StyleClass::AlphaEdit, true),
            ReadMenu(split)};
}

Skin LoadEmbeddedSkin() {
    const auto data = platform::ResourceData(ResourceSkin);
    return ParseSkin(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

const SkinSet* SkinSet::default_ = nullptr;

SkinSet::SkinSet(std::vector<Skin> skins, const std::wstring& active) : skins_(std::move(skins)) {
    while (active_ < skins_.size() && skins_[active_].name != active)
        ++active_;
    if (active_ == skins_.size())
        throw Error(L"The skin \"" + active + L"\" is not among the program's skins.");
    if (!default_)
        default_ = this;
}

SkinSet::~SkinSet() {
    if (default_ == this)
        default_ = nullptr;
}

const Skin& ActiveSkin() {
    if (const SkinSet* set = SkinSet::Default())
        return set->Active();
    static const Skin embedded = LoadEmbeddedSkin();
    return embedded;
}

HBRUSH SkinBrush(COLORREF color) {
    static std::map<COLORREF, UniqueBrush> brushes;
    auto found = brushes.find(color);
    if (found == brushes.end())
        found = brushes.emplace(color, UniqueBrush(::CreateSolidBrush(color))).first;
    return found->second.Get();
}

} // namespace vexlor::skin
