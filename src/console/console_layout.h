// The console window's layout table: every control with its place, size and text, and the
// profile keys that the level and title boxes are bound to.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "platform/window.h"

namespace console {

inline constexpr std::string_view kCaption = "Morvel系统控制台V2.0";
inline constexpr std::string_view kSettingsPage = "自定义设置";
inline constexpr std::string_view kMoreWorksPage = "更多作品";

// Where the window and its tab control `选择夹1` sit: the window at 50, 50 on the screen with
// an outer size of 526 x 503, the tab control at -6, 0 of the client area, 518 x 472.
inline constexpr int kWindowLeft = 50;
inline constexpr int kWindowTop = 50;
inline constexpr int kWindowWidth = 526;
inline constexpr int kWindowHeight = 503;
inline constexpr int kTabLeft = -6;
inline constexpr int kTabTop = 0;
inline constexpr int kTabWidth = 518;
inline constexpr int kTabHeight = 472;

// One control as the operator's tables give it: its place is relative to its container,
// which is the tab control or, for `container` set, the group box of that name.
struct ConsoleControl {
  std::string_view name;  // e.g. "编辑框1"
  platform::ControlKind kind;
  int page;                    // 0: "自定义设置", 1: "更多作品"
  std::string_view container;  // empty, or the name of the enclosing group box
  int left;
  int top;
  int width;
  int height;
  std::string_view text;
};

// One edit box bound to one key of a profile section. The binding follows the rows on screen,
// not the numbers in the control names.
struct ProfileBinding {
  std::string_view key;
  std::string_view control;
};

// Every control of both pages, in the order of the tables.
std::span<const ConsoleControl> ConsoleControls();

// Keys "等级1".."等级10" of section "等级设置" in "宠物系统.ini", in key order.
std::span<const ProfileBinding> LevelBindings();

// Keys "称号1".."称号5" of section "称号配置" in "工作配置.ini", in key order.
std::span<const ProfileBinding> TitleBindings();

// The index of the control called `name` in ConsoleControls(), or the table's size when there
// is none.
std::size_t ControlIndex(std::string_view name);

// The whole window for the window facility: every control placed relative to the tab control
// (a group box's children carry the group box's offset), the notice box with its own font.
const platform::WindowLayout& ConsoleWindowLayout();

}  // namespace console
