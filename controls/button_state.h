#pragma once
// The decisions of the owner-drawn buttons that do not need a window: which
// mode a button style gives, which visual-style state and which colour set a
// paint uses, and when a mouse move may start hover tracking. Kept free of
// <windows.h> so that the host tests cover them.
#include <cstdint>

namespace button_state {

// Button style bits (BS_*).
constexpr uint32_t kStyleTypeMask = 0x0F;     // BS_TYPEMASK
constexpr uint32_t kStylePushButton = 0x00;   // BS_PUSHBUTTON
constexpr uint32_t kStyleDefPushButton = 0x01;  // BS_DEFPUSHBUTTON
constexpr uint32_t kStyleCheckBoxBit = 0x02;  // set in BS_CHECKBOX, BS_AUTOCHECKBOX
constexpr uint32_t kStyleOwnerDraw = 0x0B;    // BS_OWNERDRAW

// Check states (BST_*): BM_SETCHECK treats checked and indeterminate as set.
constexpr uintptr_t kUnchecked = 0;
constexpr uintptr_t kChecked = 1;
constexpr uintptr_t kIndeterminate = 2;

// Visual-style push-button part and states (BP_PUSHBUTTON, PBS_*).
constexpr int kPartPushButton = 1;
constexpr int kStateNormal = 1;
constexpr int kStateHot = 2;
constexpr int kStatePressed = 3;
constexpr int kStateDisabled = 4;
constexpr int kStateDefaulted = 5;

struct Mode {
  bool checkBoxMode = false;
  bool isDefault = false;
};

// The mode a button gets when it is subclassed, from its style as created.
inline Mode ModeFromStyle(uint32_t style) {
  const uint32_t type = style & kStyleTypeMask;
  Mode mode;
  mode.checkBoxMode = (type & kStyleCheckBoxBit) != 0;
  mode.isDefault = type == kStyleDefPushButton;
  return mode;
}

// The style with its type replaced by owner-draw.
inline uint32_t OwnerDrawStyle(uint32_t style) {
  return (style & ~kStyleTypeMask) | kStyleOwnerDraw;
}

// BM_SETSTYLE (sent by the dialog manager as the default button moves):
// whether the request makes the button the default one.
inline bool RequestsDefault(uint32_t requestedStyle) {
  return (requestedStyle & kStyleTypeMask) == kStyleDefPushButton;
}

inline bool CheckRequestSets(uintptr_t checkState) {
  return checkState == kChecked || checkState == kIndeterminate;
}

struct PaintState {
  bool disabled = false;
  bool pressed = false;
  bool hover = false;
  bool isDefault = false;
  bool focused = false;
  bool toolbarStyle = false;
  bool drawPressedBorder = true;
};

// State of the push-button part, first match wins.
inline int ThemedState(const PaintState& s) {
  if (s.disabled) return kStateDisabled;
  if (s.pressed) return kStatePressed;
  if (s.hover) return kStateHot;
  const bool showDefault = s.toolbarStyle ? s.drawPressedBorder : true;
  if (s.isDefault && showDefault) return kStateDefaulted;
  return kStateNormal;
}

enum class ColourSet { In, Focus, Out };

// Colour set of the classic fill and of an enabled caption.
inline ColourSet ColoursFor(const PaintState& s) {
  if (s.hover || s.pressed) return ColourSet::In;
  if (s.focused) return ColourSet::Focus;
  return ColourSet::Out;
}

// A press that started elsewhere and was dragged onto the button does not
// make it hot.
inline bool MouseMoveMayTrack(bool leftButtonDown, bool hovering) {
  return !(leftButtonDown && !hovering);
}

}  // namespace button_state
