#pragma once
// The skin's part in every window of the program: their backgrounds, the colouring and
// drawing of their children, their menu bars and title bars.

namespace vexlor::skin {

// Attaches the skin to every window made from now on; call once, before the first.
void SkinEveryWindow();

} // namespace vexlor::skin
