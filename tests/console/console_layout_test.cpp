// The console's layout table: each bound box sits on the row of the label that names its key,
// every control fits its container, and the window facility gets group boxes' offsets added.
#include "console/console_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using console::ConsoleControl;
using console::ControlIndex;
using console::ProfileBinding;
using platform::ControlKind;

const ConsoleControl& Control(std::string_view name) {
  return console::ConsoleControls()[ControlIndex(name)];
}

// The label in the same container whose rectangle holds the vertical middle of `box` and
// ends to the right of the box's left edge (labels and boxes overlap on screen).
const ConsoleControl* LabelBeside(const ConsoleControl& box) {
  const int middle = box.top + box.height / 2;
  for (const ConsoleControl& control : console::ConsoleControls()) {
    if (control.kind != ControlKind::kLabel || control.container != box.container ||
        control.page != box.page) {
      continue;
    }
    if (control.top <= middle && middle < control.top + control.height && control.left < box.left) {
      return &control;
    }
  }
  return nullptr;
}

TEST(ConsoleLayoutTest, EveryBoundBoxSitsBesideTheLabelOfItsKey) {
  struct Group {
    std::span<const ProfileBinding> bindings;
    std::string_view key_word;  // "等级" or "称号"
  };
  const Group groups[] = {{console::LevelBindings(), "等级"}, {console::TitleBindings(), "称号"}};
  std::set<std::string_view> boxes;
  for (const Group& group : groups) {
    int number = 0;
    for (const ProfileBinding& binding : group.bindings) {
      ++number;
      const std::string key = std::string(group.key_word) + std::to_string(number);
      EXPECT_EQ(binding.key, key);
      ASSERT_LT(ControlIndex(binding.control), console::ConsoleControls().size()) << key;
      const ConsoleControl& box = Control(binding.control);
      EXPECT_EQ(box.kind, ControlKind::kEditBox) << key;
      EXPECT_EQ(box.text, "") << key;
      const ConsoleControl* label = LabelBeside(box);
      ASSERT_NE(label, nullptr) << key;
      EXPECT_EQ(label->text, key + "：");
      EXPECT_TRUE(boxes.insert(binding.control).second) << "bound twice: " << key;
    }
  }
  EXPECT_EQ(boxes.size(), 15u);
}

TEST(ConsoleLayoutTest, ControlsFitTheirContainersAndGroupChildrenCarryTheGroupOffset) {
  const auto controls = console::ConsoleControls();
  const auto& layout = console::ConsoleWindowLayout();
  ASSERT_EQ(layout.controls.size(), controls.size());
  EXPECT_EQ(layout.caption, "Morvel系统控制台V2.0");
  ASSERT_EQ(layout.pages.size(), 2u);
  EXPECT_EQ(layout.pages[0], "自定义设置");
  EXPECT_EQ(layout.pages[1], "更多作品");
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ConsoleControl& control = controls[i];
    int container_width = layout.tab_width;
    int container_height = layout.tab_height;
    int left = control.left;
    int top = control.top;
    if (!control.container.empty()) {
      const ConsoleControl& group = Control(control.container);
      ASSERT_EQ(group.kind, ControlKind::kGroupBox) << control.name;
      container_width = group.width;
      container_height = group.height;
      left += group.left;
      top += group.top;
    }
    EXPECT_LE(control.left + control.width, container_width) << control.name;
    EXPECT_LE(control.top + control.height, container_height) << control.name;
    EXPECT_EQ(layout.controls[i].left, left) << control.name;
    EXPECT_EQ(layout.controls[i].top, top) << control.name;
    EXPECT_EQ(layout.controls[i].text, control.text) << control.name;
  }
  const auto& notice = layout.controls[ControlIndex("编辑框15")];
  EXPECT_EQ(notice.font_face, "宋体");
  EXPECT_EQ(notice.font_height, 21);
  EXPECT_TRUE(notice.multiline);
}

}  // namespace
