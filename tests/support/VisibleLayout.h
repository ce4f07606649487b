#pragma once

#include <gtest/gtest.h>

class QScrollArea;
class QWidget;

// What a person would see cut off in a window, found by walking its widget tree: a control
// that reaches past an edge of the area it is shown in, or whose text is wider or taller than
// the control itself. Each finding is one readable line; none means nothing is clipped.
namespace VisibleLayout {

// The visible buttons, text fields, choices and labels under `root` against `area` (`root`
// itself, or a widget that holds `root`, such as a viewport); the failure lists each finding.
::testing::AssertionResult nothingClipped(QWidget* root, QWidget* area);

// A scrolling page: its content no wider than the pane, and nothing clipped by the pane's
// sides (the page scrolls up and down).
::testing::AssertionResult fitsItsPane(QScrollArea* scrollArea);

}  // namespace VisibleLayout
