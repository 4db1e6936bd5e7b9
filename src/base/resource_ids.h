#pragma once
// Identifiers of the data carried inside the executable. The resource compiler reads this file
// too, so the identifiers are plain definitions.

#define VEXLOR_RESOURCE_SKIN 200
// The 16 glyphs of the buttons and menus at 24 x 24, then the same at 48 x 48.
#define VEXLOR_RESOURCE_GLYPHS 300
#define VEXLOR_RESOURCE_GLYPHS_2X 320
// Pictures, each followed by the same at twice the size.
#define VEXLOR_RESOURCE_WELCOME 400
#define VEXLOR_RESOURCE_PROGRESS 402
#define VEXLOR_RESOURCE_FINISH 404
#define VEXLOR_RESOURCE_ABOUT 406
#define VEXLOR_RESOURCE_TIPS 408

#ifndef RC_INVOKED
namespace vexlor {
inline constexpr int ResourceSkin = VEXLOR_RESOURCE_SKIN;
inline constexpr int ResourceGlyphs = VEXLOR_RESOURCE_GLYPHS;
inline constexpr int ResourceGlyphs2x = VEXLOR_RESOURCE_GLYPHS_2X;
inline constexpr int ResourceWelcome = VEXLOR_RESOURCE_WELCOME;
inline constexpr int ResourceProgress = VEXLOR_RESOURCE_PROGRESS;
inline constexpr int ResourceFinish = VEXLOR_RESOURCE_FINISH;
inline constexpr int ResourceAbout = VEXLOR_RESOURCE_ABOUT;
inline constexpr int ResourceTips = VEXLOR_RESOURCE_TIPS;
// A picture's copy at twice its size.
inline constexpr int DoubleSize = 1;
} // namespace vexlor
#endif
