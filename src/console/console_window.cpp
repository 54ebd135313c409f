// The console window: fills the level boxes from the profile, saves the level and title boxes,
// and hides and shows itself on Ctrl+F1.
#include "console/console_window.h"

#include <string_view>

#include "common/profile_store.h"
#include "common/run_directory.h"
#include "console/console_layout.h"
#include "platform/window.h"

namespace console {
namespace {

constexpr std::string_view kPetFile = "宠物系统.ini";
constexpr std::string_view kLevelSection = "等级设置";
constexpr std::string_view kWorkFile = "工作配置.ini";
constexpr std::string_view kTitleSection = "称号配置";
constexpr std::string_view kInformationCaption = "信息：";
constexpr const char* kLevelsSaved = "保存等级配置成功！";
constexpr const char* kTitlesSaved = "保存等级设置成功";

// The one console window of the module, or null while none is open.
platform::WindowHandle open_window = nullptr;
// What the last hotkey registration returned: its identifier, or 0 if it failed. Kept while
// the module is loaded; a window created anew registers again and replaces it.
int hotkey_identifier = 0;

void FillLevelBoxes(platform::WindowHandle window) {
  const std::string path = common::ProfilePath(kPetFile);
  for (const ProfileBinding& binding : LevelBindings()) {
    platform::SetControlText(window, ControlIndex(binding.control),
                             common::ReadProfileValue(path, kLevelSection, binding.key));
  }
}

// Writes every box of a group to its key, changed or not, empty or not.
void SaveBoxes(platform::WindowHandle window, std::string_view file, std::string_view section,
               std::span<const ProfileBinding> bindings) {
  const std::string path = common::ProfilePath(file);
  for (const ProfileBinding& binding : bindings) {
    common::WriteProfileValue(path, section, binding.key,
                              platform::ControlText(window, ControlIndex(binding.control)));
  }
}

void WindowCreated(platform::WindowHandle window) {
  hotkey_identifier = platform::RegisterHotkey(window, platform::kHotkeyControl, 1);
  FillLevelBoxes(window);
}

void ButtonClicked(platform::WindowHandle window, std::size_t control) {
  if (control == ControlIndex("按钮1")) {
    SaveBoxes(window, kPetFile, kLevelSection, LevelBindings());
    platform::ShowInformationBox(kLevelsSaved, kInformationCaption);
  } else if (control == ControlIndex("按钮3")) {
    SaveBoxes(window, kWorkFile, kTitleSection, TitleBindings());
    platform::ShowInformationBox(kTitlesSaved, kInformationCaption);
  }
}

void HotkeyPressed(platform::WindowHandle window, int identifier) {
  // A failed registration leaves 0, which no press may match.
  if (hotkey_identifier == 0 || identifier != hotkey_identifier) return;
  platform::SetWindowVisible(window, !platform::WindowVisible(window));
}

void WindowDestroyed(platform::WindowHandle window) {
  if (window == open_window) open_window = nullptr;
}

constexpr platform::WindowEvents kEvents = {WindowCreated, ButtonClicked, HotkeyPressed,
                                            WindowDestroyed};

}  // namespace

void OpenConsoleWindow() {
  if (platform::WindowExists(open_window)) {
    // Hidden by the hotkey: an operator who asks for the window expects to see it.
    if (!platform::WindowVisible(open_window)) platform::SetWindowVisible(open_window, true);
    platform::BringWindowForward(open_window);
    return;
  }
  open_window = platform::CreateLayoutWindow(ConsoleWindowLayout(), kEvents);
}

void CloseConsoleWindow() {
  platform::DestroyLayoutWindow(open_window);
  open_window = nullptr;
  platform::ReleaseWindowFacility();
}

}  // namespace console
