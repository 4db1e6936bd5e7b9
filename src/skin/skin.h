#pragma once
// The skin: the colours and shapes every control of the program is drawn with, one section per
// style class. It is data carried inside the executable, read once into the typed values below.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "skin/style_classes.h"

namespace vexlor::skin {

// What a control stands on: a panel's fill and the colour of the labels on it.
struct Surface {
    COLORREF background;
    COLORREF text;
};

struct StateLook {
    COLORREF face;
    COLORREF border;
    COLORREF text;
};

enum class ControlState { Normal, Hot, Pressed, Disabled };

struct StatefulLook {
    StateLook normal;
    StateLook hot;
    StateLook pressed;
    StateLook disabled;
    COLORREF focusBorder; // the keyboard focus ring
    int radius;
    int borderWidth;

    const StateLook& In(ControlState state) const;
};

struct FormStyle {
    Surface surface;
    COLORREF border;
    COLORREF caption; // the title bar, where the system lets the program colour it
    COLORREF captionText;
};

struct ButtonStyle {
    Surface surface;
    StatefulLook states;
    StateLook defaultButton; // the button that Enter presses
};

struct CheckBoxStyle {
    Surface surface; // also the panels and bars of the windows
    StatefulLook states;
    COLORREF checkedFace;
    COLORREF checkedBorder;
    COLORREF tick;
};

struct GaugeStyle {
    Surface surface;
    COLORREF border;
    int radius;
    COLORREF track;
    COLORREF bar;
};

struct EditStyle {
    Surface surface;
    COLORREF border;
    int borderWidth;
    COLORREF focusedBorder;
    StateLook selected; // face and text of the selected entry
    StateLook inactive; // the same while the list does not have the focus
    COLORREF scrollTrack;
    COLORREF scrollThumb;
    COLORREF scrollThumbHot;
};

struct PanelStyle {
    Surface surface;
    COLORREF border;
    int radius;
};

struct MenuStyle {
    Surface surface; // the column the glyphs stand in, and the items' text
    StateLook bar;   // the menu bar's face and text
    COLORREF menuFace;
    COLORREF menuBorder;
    StateLook hot;
    COLORREF disabledText;
    COLORREF separator;
};

struct Skin {
    std::wstring name;
    FormStyle form;
    ButtonStyle button;
    CheckBoxStyle checkBox;
    GaugeStyle gauge;
    EditStyle edit;
    PanelStyle statusBar;
    PanelStyle alphaEdit;
    MenuStyle icoLine;

    // The surface of a style class.
    const Surface& SurfaceOf(StyleClass styleClass) const;
};

// Reads a skin from its text (UTF-8). A missing, repeated or unknown section or value, or a
// value that is not a colour or a number, is an Error naming it.
Skin ParseSkin(std::string_view text);

// The skin carried inside the executable.
Skin LoadEmbeddedSkin();

// The skins of the program and the one in use. The first set created is the program's default
// set, which every skinned control of every window follows while it lives.
class SkinSet {
public:
    SkinSet(std::vector<Skin> skins, const std::wstring& active);
    SkinSet(const SkinSet&) = delete;
    SkinSet& operator=(const SkinSet&) = delete;
    ~SkinSet();

    const Skin& Active() const { return skins_[active_]; }
    const std::wstring& ActiveName() const { return Active().name; }
    static const SkinSet* Default() { return default_; }

private:
    std::vector<Skin> skins_;
    std::size_t active_ = 0;
    static const SkinSet* default_;
};

// The skin every control is drawn with: the default set's, or the embedded one while no set
// exists (a window made on its own, in a test).
const Skin& ActiveSkin();

// One brush per colour, kept for the life of the program.
HBRUSH SkinBrush(COLORREF color);

} // namespace vexlor::skin
