// The window's layout as one table: every frame and control with its name,
// index, kind, container, caption or initial text, geometry in twips, colours,
// flags and tooltip. Both the control objects and the Qt widgets are built
// from it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace delaysub::window {

inline constexpr int kTwipsPerPixel = 15;  // at 96 dpi
inline constexpr std::string_view kWindowCaption = "Quelp 延时计算";
inline constexpr int kClientWidthTwips = 6930;
inline constexpr int kClientHeightTwips = 4200;
// The reload caption (Label2 index 2) for the 8051 cores and for AVR.
inline constexpr std::string_view kTh1Caption = "TH1 初装值：";
inline constexpr std::string_view kUbrrCaption = "UBBR初装值：";

enum class Kind { Frame, Label, TextBox, ComboBox, OptionButton };

// A colour: an (r, g, b) triple or one of the platform's system colours
// that the layout uses, by name.
struct Colour {
  enum class Type { Default, Rgb, System } type = Type::Default;
  std::uint8_t r = 0, g = 0, b = 0;
  // System colour 13, the colour of highlighted (selected) items, and system
  // colour 9, the colour of the text in a window's title bar.
  enum class System { Highlight, CaptionText } system = System::Highlight;

  static constexpr Colour none() { return {}; }
  static constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {Type::Rgb, r, g, b, System::Highlight};
  }
  static constexpr Colour highlight() { return {Type::System, 0, 0, 0, System::Highlight}; }
  static constexpr Colour captionText() { return {Type::System, 0, 0, 0, System::CaptionText}; }
};

enum Flag : unsigned {
  kNoFlags = 0,
  kAutoSize = 1u << 0,    // label fits its caption, growing to the right
  kCentred = 1u << 1,     // text box text centred
  kReadOnly = 1u << 2,    // text box shows, selects and copies, but takes no typing
  kMultiLine = 1u << 3,   // text box wraps, no scroll bars
  kSunken = 1u << 4,      // label with a text box's sunken border
  kRightAlign = 1u << 5,  // label text at the right edge
  kWordWrap = 1u << 6,    // label not auto-sized, caption wraps inside its box
};

struct ControlSpec {
  std::string_view name;  // "Text1", "Frame2", "Combo0", ...
  std::int16_t index;     // member index in its array, -1 for single controls
  Kind kind;
  std::string_view container;    // "" for the window's client area, else a frame's name
  std::string_view text;         // caption or initial text (UTF-8)
  int left, top, width, height;  // twips, relative to the container
  Colour foreground;
  Colour background;
  unsigned flags;
  std::string_view tooltip;
  int tabOrder;  // position in the tab chain (0 first), -1 for no focus
  // For a label that names a box: the box ("" for none) and its index.
  std::string_view buddy = "";
  std::int16_t buddyIndex = -1;
};

// Every frame and control, frames before what they hold.
std::span<const ControlSpec> layoutTable();
// The entry for name and index (-1 for single controls), if there is one.
std::optional<ControlSpec> findControl(std::string_view name, std::int16_t index = -1);
// Where the window reports a run-time error: a label of its own, not one of
// the controls above, that takes no focus and raises nothing.
const ControlSpec& errorReportSpec();

}  // namespace delaysub::window
