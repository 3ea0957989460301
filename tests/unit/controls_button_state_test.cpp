#include <gtest/gtest.h>

#include "controls/button_state.h"

namespace {

using button_state::ColourSet;
using button_state::PaintState;

PaintState State(bool disabled, bool pressed, bool hover, bool isDefault) {
  PaintState s;
  s.disabled = disabled;
  s.pressed = pressed;
  s.hover = hover;
  s.isDefault = isDefault;
  return s;
}

struct ThemedCase {
  const char* name;
  PaintState state;
  int expected;
};

class ThemedStateTest : public ::testing::TestWithParam<ThemedCase> {};

TEST_P(ThemedStateTest, FirstMatchingConditionWins) {
  EXPECT_EQ(button_state::ThemedState(GetParam().state), GetParam().expected);
}

PaintState Toolbar(PaintState s, bool drawPressedBorder) {
  s.toolbarStyle = true;
  s.drawPressedBorder = drawPressedBorder;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Priorities, ThemedStateTest,
    ::testing::Values(
        ThemedCase{"Normal", State(false, false, false, false), button_state::kStateNormal},
        ThemedCase{"DisabledBeatsEverything", State(true, true, true, true), button_state::kStateDisabled},
        ThemedCase{"PressedBeatsHover", State(false, true, true, true), button_state::kStatePressed},
        ThemedCase{"HoverBeatsDefault", State(false, false, true, true), button_state::kStateHot},
        ThemedCase{"Default", State(false, false, false, true), button_state::kStateDefaulted},
        ThemedCase{"ToolbarDefaultWithPressedBorder", Toolbar(State(false, false, false, true), true),
                   button_state::kStateDefaulted},
        ThemedCase{"ToolbarDefaultWithoutPressedBorder", Toolbar(State(false, false, false, true), false),
                   button_state::kStateNormal},
        ThemedCase{"PushDefaultIgnoresPressedBorder",
                   [] { PaintState s = State(false, false, false, true); s.drawPressedBorder = false; return s; }(),
                   button_state::kStateDefaulted}),
    [](const ::testing::TestParamInfo<ThemedCase>& info) { return std::string(info.param.name); });

struct StyleCase {
  uint32_t style;
  bool checkBoxMode;
  bool isDefault;
};

class ModeFromStyleTest : public ::testing::TestWithParam<StyleCase> {};

// Only the type nibble decides; window-style bits above it do not.
TEST_P(ModeFromStyleTest, TypeNibbleDecidesTheMode) {
  constexpr uint32_t kUnrelatedStyleBits = 0x50010000;  // WS_CHILD | WS_VISIBLE | WS_TABSTOP
  const button_state::Mode mode =
      button_state::ModeFromStyle(GetParam().style | kUnrelatedStyleBits);
  EXPECT_EQ(mode.checkBoxMode, GetParam().checkBoxMode);
  EXPECT_EQ(mode.isDefault, GetParam().isDefault);
}

INSTANTIATE_TEST_SUITE_P(ButtonTypes, ModeFromStyleTest,
                         ::testing::Values(StyleCase{0x0, false, false},   // push button
                                           StyleCase{0x1, false, true},    // default push button
                                           StyleCase{0x2, true, false},    // check box
                                           StyleCase{0x3, true, false},    // auto check box
                                           StyleCase{0x4, false, false},   // radio button
                                           StyleCase{0x6, true, false}));  // auto three-state

TEST(OwnerDrawStyleTest, ReplacesOnlyTheType) {
  constexpr uint32_t kCentredDefaultButton = 0x50010301;  // visible tab stop, BS_CENTER | BS_VCENTER
  EXPECT_EQ(button_state::OwnerDrawStyle(kCentredDefaultButton), 0x5001030Bu);
  EXPECT_EQ(button_state::OwnerDrawStyle(button_state::kStyleOwnerDraw),
            button_state::kStyleOwnerDraw);
}

TEST(SetStyleRequestTest, OnlyTheDefaultPushTypeMakesTheButtonDefault) {
  EXPECT_TRUE(button_state::RequestsDefault(button_state::kStyleDefPushButton));
  EXPECT_TRUE(button_state::RequestsDefault(0x00010001));
  EXPECT_FALSE(button_state::RequestsDefault(button_state::kStylePushButton));
  EXPECT_FALSE(button_state::RequestsDefault(button_state::kStyleOwnerDraw));
}

TEST(SetCheckRequestTest, CheckedAndIndeterminateBothSet) {
  EXPECT_FALSE(button_state::CheckRequestSets(button_state::kUnchecked));
  EXPECT_TRUE(button_state::CheckRequestSets(button_state::kChecked));
  EXPECT_TRUE(button_state::CheckRequestSets(button_state::kIndeterminate));
  EXPECT_FALSE(button_state::CheckRequestSets(3));
}

TEST(ColoursForTest, HoverOrPressedThenFocusThenOut) {
  PaintState focusedHover = State(false, false, true, false);
  focusedHover.focused = true;
  EXPECT_EQ(button_state::ColoursFor(focusedHover), ColourSet::In);
  EXPECT_EQ(button_state::ColoursFor(State(false, true, false, false)), ColourSet::In);
  PaintState focused;
  focused.focused = true;
  EXPECT_EQ(button_state::ColoursFor(focused), ColourSet::Focus);
  EXPECT_EQ(button_state::ColoursFor(PaintState{}), ColourSet::Out);
}

TEST(MouseMoveMayTrackTest, APressDraggedOntoTheButtonDoesNotMakeItHot) {
  EXPECT_TRUE(button_state::MouseMoveMayTrack(false, false));
  EXPECT_TRUE(button_state::MouseMoveMayTrack(false, true));
  EXPECT_TRUE(button_state::MouseMoveMayTrack(true, true));
  EXPECT_FALSE(button_state::MouseMoveMayTrack(true, false));
}

}  // namespace
