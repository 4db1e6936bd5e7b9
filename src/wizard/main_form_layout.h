#pragma once
// The label plans of the main window's panels, which the window lays out for the screen and
// the tests check at other resolutions.

#include <vector>

#include "ui/label_layout.h"

namespace vexlor::wizard {

// The text card of the welcome page (sPanel1): sLabel6 ... sLabel11, in that order.
inline constexpr int WelcomeCardWidth = 570;
inline constexpr int WelcomeCardHeight = 94;
std::vector<ui::LabelPlan> WelcomeCardPlan();

// The hint over the empty file list (PanelAddFilesHint): sLabel1, then the link LabelAddFiles.
inline constexpr int AddFilesHintWidth = 233;
inline constexpr int AddFilesHintHeight = 57;
std::vector<ui::LabelPlan> AddFilesHintPlan();

} // namespace vexlor::wizard
