#pragma once

namespace tavrin {

// Keys reach the forms as the codes Windows gives them (virtual-key codes) and a mask
// of the modifiers held; a view of another toolkit translates its keys into these.
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyShift = 0x10;
inline constexpr int kKeyControl = 0x11;
inline constexpr int kKeyAlt = 0x12;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyDown = 0x28;
inline constexpr int kKeyDelete = 0x2E;
inline constexpr int kKeyX = 0x58;
inline constexpr int kKeyApps = 0x5D;  // the Menu key
inline constexpr int kKeyF1 = 0x70;
inline constexpr int kKeyF10 = 0x79;

// The modifier mask, added together. A modifier key going down counts for itself.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// The mouse button that opens popup menus.
inline constexpr int kRightButton = 2;

}  // namespace tavrin
