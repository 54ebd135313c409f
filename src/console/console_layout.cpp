// The console window's layout table and the profile bindings of its level and title boxes.
#include "console/console_layout.h"

#include <array>

namespace console {
namespace {

using platform::ControlKind;
constexpr ControlKind kLabel = ControlKind::kLabel;
constexpr ControlKind kEdit = ControlKind::kEditBox;
constexpr ControlKind kButton = ControlKind::kButton;
constexpr ControlKind kGroup = ControlKind::kGroupBox;

// The notice box: two lines, the second asking the operator to make the settings first.
constexpr std::string_view kNoticeName = "编辑框15";
constexpr std::string_view kNoticeFontFace = "宋体";
constexpr int kNoticeFontHeight = 21;

constexpr std::array kControls = {
    // Page "自定义设置": the ten level rows on the left.
    ConsoleControl{"标签4", kLabel, 0, "", 7, 21, 224, 8, "--------------------------------------"},
    ConsoleControl{"标签3", kLabel, 0, "", 15, 28, 88, 16, "等级设置："},
    ConsoleControl{"标签10", kLabel, 0, "", 15, 42, 64, 30, "等级1："},
    ConsoleControl{"编辑框1", kEdit, 0, "", 64, 48, 152, 23, ""},
    ConsoleControl{"标签11", kLabel, 0, "", 15, 77, 64, 32, "等级2："},
    ConsoleControl{"编辑框10", kEdit, 0, "", 64, 84, 152, 23, ""},
    ConsoleControl{"标签1", kLabel, 0, "", 15, 114, 64, 32, "等级3："},
    ConsoleControl{"编辑框9", kEdit, 0, "", 64, 120, 152, 23, ""},
    ConsoleControl{"标签13", kLabel, 0, "", 15, 151, 64, 32, "等级4："},
    ConsoleControl{"编辑框8", kEdit, 0, "", 64, 156, 152, 23, ""},
    ConsoleControl{"标签12", kLabel, 0, "", 15, 188, 64, 32, "等级5："},
    ConsoleControl{"编辑框7", kEdit, 0, "", 64, 193, 152, 23, ""},
    ConsoleControl{"标签9", kLabel, 0, "", 15, 225, 64, 32, "等级6："},
    ConsoleControl{"编辑框6", kEdit, 0, "", 64, 228, 152, 23, ""},
    ConsoleControl{"标签8", kLabel, 0, "", 15, 262, 64, 32, "等级7："},
    ConsoleControl{"编辑框4", kEdit, 0, "", 64, 264, 152, 23, ""},
    ConsoleControl{"标签7", kLabel, 0, "", 15, 299, 64, 32, "等级8："},
    ConsoleControl{"编辑框5", kEdit, 0, "", 64, 300, 152, 23, ""},
    ConsoleControl{"标签6", kLabel, 0, "", 15, 336, 64, 32, "等级9："},
    ConsoleControl{"编辑框3", kEdit, 0, "", 64, 336, 152, 23, ""},
    ConsoleControl{"标签5", kLabel, 0, "", 15, 375, 64, 32, "等级10："},
    ConsoleControl{"编辑框2", kEdit, 0, "", 64, 375, 152, 23, ""},
    ConsoleControl{"按钮1", kButton, 0, "", 8, 410, 214, 55, "保存等级设置"},
    ConsoleControl{"分组框1", kGroup, 0, "", 232, 18, 286, 303, "称号设置"},
    ConsoleControl{"分组框2", kGroup, 0, "", 230, 329, 288, 136, "公告"},
    // Inside "称号设置": the five title rows.
    ConsoleControl{"标签18", kLabel, 0, "分组框1", 8, 26, 64, 32, "称号1："},
    ConsoleControl{"编辑框20", kEdit, 0, "分组框1", 57, 28, 221, 23, ""},
    ConsoleControl{"标签14", kLabel, 0, "分组框1", 8, 75, 64, 32, "称号2："},
    ConsoleControl{"编辑框17", kEdit, 0, "分组框1", 57, 78, 221, 23, ""},
    ConsoleControl{"标签19", kLabel, 0, "分组框1", 8, 124, 64, 32, "称号3："},
    ConsoleControl{"编辑框16", kEdit, 0, "分组框1", 57, 128, 221, 23, ""},
    ConsoleControl{"标签15", kLabel, 0, "分组框1", 8, 173, 64, 32, "称号4："},
    ConsoleControl{"编辑框18", kEdit, 0, "分组框1", 57, 178, 221, 23, ""},
    ConsoleControl{"标签16", kLabel, 0, "分组框1", 8, 225, 64, 32, "称号5："},
    ConsoleControl{"编辑框19", kEdit, 0, "分组框1", 57, 228, 221, 23, ""},
    ConsoleControl{"按钮3", kButton, 0, "分组框1", 7, 263, 272, 32, "保存称号设置"},
    // Inside "公告": the notice with the contact group.
    ConsoleControl{kNoticeName, kEdit, 0, "分组框2", 8, 22, 272, 104,
                   "有什么问题可以加Q群：36120588\r\n首次登陆请进行设置！"},
    // Page "更多作品".
    ConsoleControl{"标签2", kLabel, 1, "", 14, 131, 496, 128, "更多作品！敬请期待~~"},
    ConsoleControl{"标签23", kLabel, 1, "", 18, 235, 448, 112,
                   "感谢 Quessa 为本插件的测试和建议所付出的辛劳！"},
};

constexpr std::array kLevelBindings = {
    ProfileBinding{"等级1", "编辑框1"}, ProfileBinding{"等级2", "编辑框10"},
    ProfileBinding{"等级3", "编辑框9"}, ProfileBinding{"等级4", "编辑框8"},
    ProfileBinding{"等级5", "编辑框7"}, ProfileBinding{"等级6", "编辑框6"},
    ProfileBinding{"等级7", "编辑框4"}, ProfileBinding{"等级8", "编辑框5"},
    ProfileBinding{"等级9", "编辑框3"}, ProfileBinding{"等级10", "编辑框2"},
};

constexpr std::array kTitleBindings = {
    ProfileBinding{"称号1", "编辑框20"}, ProfileBinding{"称号2", "编辑框17"},
    ProfileBinding{"称号3", "编辑框16"}, ProfileBinding{"称号4", "编辑框18"},
    ProfileBinding{"称号5", "编辑框19"},
};

constexpr const ConsoleControl* FindControl(std::string_view name) {
  for (const ConsoleControl& control : kControls) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

// The table as the window facility takes it: group box children moved by their group box's
// place, so every control is placed relative to the tab control.
constexpr std::array<platform::ControlLayout, kControls.size()> PlaceControls() {
  std::array<platform::ControlLayout, kControls.size()> placed{};
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const ConsoleControl& control = kControls[i];
    int left = control.left;
    int top = control.top;
    if (!control.container.empty()) {
      const ConsoleControl* group = FindControl(control.container);
      left += group->left;
      top += group->top;
    }
    platform::ControlLayout& out = placed[i];
    out.kind = control.kind;
    out.page = control.page;
    out.left = left;
    out.top = top;
    out.width = control.width;
    out.height = control.height;
    out.text = control.text;
    if (control.name == kNoticeName) {
      out.font_face = kNoticeFontFace;
      out.font_height = kNoticeFontHeight;
      out.multiline = true;
      out.read_only = true;
    }
  }
  return placed;
}

constexpr std::array kPlacedControls = PlaceControls();
constexpr std::array kPages = {kSettingsPage, kMoreWorksPage};

constexpr platform::WindowLayout kWindowLayout = {
    kCaption, kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight,
    kTabLeft, kTabTop,     kTabWidth,  kTabHeight,   kPages,
    kPlacedControls,
};

}  // namespace

std::span<const ConsoleControl> ConsoleControls() { return kControls; }

std::span<const ProfileBinding> LevelBindings() { return kLevelBindings; }

std::span<const ProfileBinding> TitleBindings() { return kTitleBindings; }

std::size_t ControlIndex(std::string_view name) {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (kControls[i].name == name) return i;
  }
  return kControls.size();
}

const platform::WindowLayout& ConsoleWindowLayout() { return kWindowLayout; }

}  // namespace console
