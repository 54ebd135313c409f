// The window facility: one top-level window with a tabbed page area, built from a layout table.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// An open window made by CreateLayoutWindow; null stands for "no window".
using WindowHandle = void*;

enum class ControlKind { kLabel, kEditBox, kButton, kGroupBox };

// One child control on a page of the tab control. Coordinates are pixels from the top-left
// corner of the tab control (its tab strip lies inside that space, above the page area), so a
// control inside a group box carries the group box's offset.
struct ControlLayout {
  ControlKind kind = ControlKind::kLabel;
  int page = 0;  // index into WindowLayout::pages
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::string_view text;       // GBK; the initial text of the control
  std::string_view font_face;  // GBK; empty for the window's interface font
  int font_height = 0;         // character height in pixels when font_face is set
  bool multiline = false;      // edit boxes only: several lines, CR LF between them
  bool read_only = false;      // edit boxes only
};

// The whole window: outer rectangle on the screen, the tab control in the client area, the
// page titles and the controls.
struct WindowLayout {
  std::string_view caption;  // GBK
  int left = 0;
  int top = 0;
  int width = 0;  // outer size, frame and caption included
  int height = 0;
  int tab_left = 0;  // relative to the client area
  int tab_top = 0;
  int tab_width = 0;
  int tab_height = 0;
  std::span<const std::string_view> pages;  // GBK page titles, first page selected
  std::span<const ControlLayout> controls;
};

// What the window reports to its owner. Every function is called on the thread that created
// the window, from inside its message processing; a null pointer means "not interested".
struct WindowEvents {
  // The controls exist and the window is not yet shown.
  void (*created)(WindowHandle window) = nullptr;
  // The button at `control` (an index into WindowLayout::controls) was clicked.
  void (*button_clicked)(WindowHandle window, std::size_t control) = nullptr;
  // A registered hotkey was pressed; `identifier` is what RegisterHotkey returned for it.
  void (*hotkey)(WindowHandle window, int identifier) = nullptr;
  // The window is being destroyed; the handle is invalid once this returns.
  void (*destroyed)(WindowHandle window) = nullptr;
};

inline constexpr unsigned kHotkeyControl = 1;
inline constexpr unsigned kHotkeyAlt = 2;
inline constexpr unsigned kHotkeyShift = 4;

// Creates the window on the calling thread, runs `events.created`, then shows it without
// waiting for anything. `layout` must outlive the window (the module passes static tables).
// Null when the platform has no windows or the system refuses to make one.
[[nodiscard]] WindowHandle CreateLayoutWindow(const WindowLayout& layout,
                                              const WindowEvents& events);

// Destroys `window` if it still exists; afterwards no event of it reaches the module.
void DestroyLayoutWindow(WindowHandle window);

// Releases what the facility registered with the system for its windows. Called when the
// module unloads, after its windows are gone.
void ReleaseWindowFacility();

// Whether `window` still exists; false for null.
bool WindowExists(WindowHandle window);

// The text of the control at `control`; empty for a bad window or index.
std::string ControlText(WindowHandle window, std::size_t control);

// Replaces the text of the control at `control`; a bad window or index does nothing.
void SetControlText(WindowHandle window, std::size_t control, std::string_view text);

// Whether `window` is shown (a minimised window counts as shown); false for null.
bool WindowVisible(WindowHandle window);

// Shows or hides `window`, keeping its position and the contents of its controls.
void SetWindowVisible(WindowHandle window, bool visible);

// Restores `window` if it is minimised, otherwise makes it the active window.
void BringWindowForward(WindowHandle window);

// Shows `text` with an OK button and `caption` in a box without owner window, disabling the
// calling thread's top-level windows meanwhile; returns when the box is closed. Where there
// are no windows, returns at once.
void ShowInformationBox(std::string_view text, std::string_view caption);

// Registers the system-wide hotkey `modifiers` (kHotkey* bits) + function key F`function_key`
// for `window`; its presses reach WindowEvents::hotkey. Yields the nonzero identifier of the
// registration, or 0 when the system refuses the hotkey (already taken, no window).
[[nodiscard]] int RegisterHotkey(WindowHandle window, unsigned modifiers, int function_key);

}  // namespace platform
