// The console window as an operator meets it: a host program loads the built plugin, calls
// info, and works the window through user32 under wine64 on an X display: places and texts,
// the level boxes filled from the profile, the two save buttons and their boxes, Ctrl+F1,
// info while open, close and reopen, unload. It also leaves a screenshot, console.png, in the
// build directory.
//
// The module's run directory is the directory of the host's executable, so the program first
// copies itself into a fresh temporary directory with a config directory and runs the copy.
#include <windows.h>
// The common controls header needs the Windows types first.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "module_path.h"
#include "png_file.h"
#include "temp_dir.h"

namespace {

constexpr char kCaption[] = "Morvel系统控制台V2.0";
constexpr char kCopyMarker[] = "CQP_CONSOLE_HOST_COPY";
constexpr char kPetFile[] = "宠物系统.ini";
constexpr char kWorkFile[] = "工作配置.ini";
constexpr char kNotice[] = "有什么问题可以加Q群：36120588\r\n首次登陆请进行设置！";

using InfoExport = const char* (*)();
using CommandExport = const char* (*)(const char*, const char*, const char*, const char*,
                                      const char*);

// ---- The host's side: run directory, message pumping, finding things. ----

std::string ExecutableDirectory() {
  char path[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string full(path, length);
  return full.substr(0, full.rfind('\\'));
}

std::string ConfigPath(const char* file) { return ExecutableDirectory() + "\\config\\" + file; }

// Runs this thread's messages for `milliseconds`, as a host's message loop would.
void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

// Pumps messages until `done` holds or five seconds pass; yields whether it held.
template <typename Condition>
bool PumpUntil(Condition done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 5000) return false;
    Pump(20);
  }
  return true;
}

// An export of the plugin; void (*)() is the one function type any other may be cast from.
template <typename Function>
Function Export(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

HWND FindConsole() { return FindWindowA(nullptr, kCaption); }

int CountConsoles() {
  int count = 0;
  EnumWindows(
      [](HWND window, LPARAM counter) -> BOOL {
        char caption[64] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (std::strcmp(caption, kCaption) == 0) ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

// A rectangle in the client coordinates of `reference`.
RECT RectIn(HWND window, HWND reference) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HWND FindTab(HWND console) { return FindWindowExA(console, nullptr, WC_TABCONTROLA, nullptr); }

// The descendant of `console` of class `class_name` whose rectangle, measured from the tab
// control's top-left corner, is `left`, `top`, `width` x `height`; null if there is none.
HWND ControlAt(HWND console, const char* class_name, int left, int top, int width, int height) {
  struct Search {
    HWND tab;
    std::string class_name;
    RECT wanted;
    HWND found;
  } search{FindTab(console), class_name, {left, top, left + width, top + height}, nullptr};
  for (char& c : search.class_name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  EnumChildWindows(
      console,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        const RECT rect = RectIn(child, s->tab);
        if (ClassOf(child) == s->class_name && std::memcmp(&rect, &s->wanted, sizeof rect) == 0) {
          s->found = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// ---- The tables the window must follow, measured from the tab control's corner. ----

constexpr int kTitleGroupLeft = 232;
constexpr int kTitleGroupTop = 18;
constexpr int kNoticeGroupLeft = 230;
constexpr int kNoticeGroupTop = 329;

struct Expected {
  const char* class_name;
  int left;
  int top;
  int width;
  int height;
  const char* text;
};

// Page "自定义设置" with empty level and title boxes; the group boxes' children carry the
// group box's offset.
const Expected kSettingsPage[] = {
    {"Static", 7, 21, 224, 8, "--------------------------------------"},
    {"Static", 15, 28, 88, 16, "等级设置："},
    {"Static", 15, 42, 64, 30, "等级1："},
    {"Edit", 64, 48, 152, 23, ""},
    {"Static", 15, 77, 64, 32, "等级2："},
    {"Edit", 64, 84, 152, 23, ""},
    {"Static", 15, 114, 64, 32, "等级3："},
    {"Edit", 64, 120, 152, 23, ""},
    {"Static", 15, 151, 64, 32, "等级4："},
    {"Edit", 64, 156, 152, 23, ""},
    {"Static", 15, 188, 64, 32, "等级5："},
    {"Edit", 64, 193, 152, 23, ""},
    {"Static", 15, 225, 64, 32, "等级6："},
    {"Edit", 64, 228, 152, 23, ""},
    {"Static", 15, 262, 64, 32, "等级7："},
    {"Edit", 64, 264, 152, 23, ""},
    {"Static", 15, 299, 64, 32, "等级8："},
    {"Edit", 64, 300, 152, 23, ""},
    {"Static", 15, 336, 64, 32, "等级9："},
    {"Edit", 64, 336, 152, 23, ""},
    {"Static", 15, 375, 64, 32, "等级10："},
    {"Edit", 64, 375, 152, 23, ""},
    {"Button", 8, 410, 214, 55, "保存等级设置"},
    {"Button", kTitleGroupLeft, kTitleGroupTop, 286, 303, "称号设置"},
    {"Button", kNoticeGroupLeft, kNoticeGroupTop, 288, 136, "公告"},
    {"Static", kTitleGroupLeft + 8, kTitleGroupTop + 26, 64, 32, "称号1："},
    {"Edit", kTitleGroupLeft + 57, kTitleGroupTop + 28, 221, 23, ""},
    {"Static", kTitleGroupLeft + 8, kTitleGroupTop + 75, 64, 32, "称号2："},
    {"Edit", kTitleGroupLeft + 57, kTitleGroupTop + 78, 221, 23, ""},
    {"Static", kTitleGroupLeft + 8, kTitleGroupTop + 124, 64, 32, "称号3："},
    {"Edit", kTitleGroupLeft + 57, kTitleGroupTop + 128, 221, 23, ""},
    {"Static", kTitleGroupLeft + 8, kTitleGroupTop + 173, 64, 32, "称号4："},
    {"Edit", kTitleGroupLeft + 57, kTitleGroupTop + 178, 221, 23, ""},
    {"Static", kTitleGroupLeft + 8, kTitleGroupTop + 225, 64, 32, "称号5："},
    {"Edit", kTitleGroupLeft + 57, kTitleGroupTop + 228, 221, 23, ""},
    {"Button", kTitleGroupLeft + 7, kTitleGroupTop + 263, 272, 32, "保存称号设置"},
    {"Edit", kNoticeGroupLeft + 8, kNoticeGroupTop + 22, 272, 104, kNotice},
};

const Expected kMoreWorksPage[] = {
    {"Static", 14, 131, 496, 128, "更多作品！敬请期待~~"},
    {"Static", 18, 235, 448, 112, nullptr},  // the thanks line: any text
};

// The box of each level and title row on screen, with the key it is bound to.
struct Row {
  const char* key;
  int left;
  int top;
  int width;
};
const Row kLevelRows[] = {
    {"等级1", 64, 48, 152},   {"等级2", 64, 84, 152},  {"等级3", 64, 120, 152},
    {"等级4", 64, 156, 152},  {"等级5", 64, 193, 152}, {"等级6", 64, 228, 152},
    {"等级7", 64, 264, 152},  {"等级8", 64, 300, 152}, {"等级9", 64, 336, 152},
    {"等级10", 64, 375, 152},
};
const Row kTitleRows[] = {
    {"称号1", kTitleGroupLeft + 57, kTitleGroupTop + 28, 221},
    {"称号2", kTitleGroupLeft + 57, kTitleGroupTop + 78, 221},
    {"称号3", kTitleGroupLeft + 57, kTitleGroupTop + 128, 221},
    {"称号4", kTitleGroupLeft + 57, kTitleGroupTop + 178, 221},
    {"称号5", kTitleGroupLeft + 57, kTitleGroupTop + 228, 221},
};

HWND BoxOf(HWND console, const Row& row) {
  return ControlAt(console, "Edit", row.left, row.top, row.width, 23);
}
HWND SaveLevelsButton(HWND console) { return ControlAt(console, "Button", 8, 410, 214, 55); }
HWND SaveTitlesButton(HWND console) {
  return ControlAt(console, "Button", kTitleGroupLeft + 7, kTitleGroupTop + 263, 272, 32);
}

// A profile value as the platform reads it, "<missing>" when the key is absent.
std::string StoredValue(const char* file, const char* section, const char* key) {
  char value[512] = {};
  GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value,
                           ConfigPath(file).c_str());
  return value;
}

// Level names 1..10 as a profile file holds them.
std::string LevelFile(const std::string& prefix) {
  std::string text = "[等级设置]\r\n";
  for (int level = 1; level <= 10; ++level) {
    text += "等级" + std::to_string(level) + "=" + prefix + std::to_string(level) + "\r\n";
  }
  return text;
}

// The Ctrl+F1 keystroke as the keyboard delivers it.
void PressControlF1() {
  INPUT keys[4] = {};
  const WORD codes[4] = {VK_CONTROL, VK_F1, VK_F1, VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = codes[i];
    keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  SendInput(4, keys, sizeof(INPUT));
}

// Closes every message box this process shows, from a second thread, and notes what it saw:
// text, caption, owner, and whether the console was disabled while the box was up.
class MessageBoxCloser {
 public:
  struct Seen {
    std::string text;
    std::string caption;
    HWND owner;
    bool console_enabled;
  };

  explicit MessageBoxCloser(HWND console)
      : thread_([this, console] {
          while (!stop_) {
            HWND box = FindWindowA("#32770", nullptr);
            DWORD process = 0;
            if (box != nullptr && GetWindowThreadProcessId(box, &process) != 0 &&
                process == GetCurrentProcessId() && IsWindowVisible(box)) {
              char text[256] = {};
              GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
              {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back({text, TextOf(box), GetWindow(box, GW_OWNER),
                                 IsWindowEnabled(console) != FALSE});
              }
              PostMessageA(box, WM_COMMAND, IDOK, 0);
              while (!stop_ && IsWindow(box)) Sleep(10);
            }
            Sleep(20);
          }
        }) {}
  ~MessageBoxCloser() {
    stop_ = true;
    thread_.join();
  }

  std::vector<Seen> seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Seen> seen_;
  std::thread thread_;
};

// The console's pixels as the screen shows them, written as a PNG file.
bool SaveScreenshot(HWND console, const std::string& path) {
  RECT rect;
  GetWindowRect(console, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  std::vector<std::uint8_t> rgb;
  rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  for (std::size_t i = 0;
       copied && i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height); ++i) {
    rgb.push_back(pixels[i * 4 + 2]);
    rgb.push_back(pixels[i * 4 + 1]);
    rgb.push_back(pixels[i * 4]);
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied && test_support::WritePng(path, width, height, rgb);
}

// The build directory's native path: CTest passes the Unix path, which Wine shows on drive Z:.
std::string BuildDirectory() {
  char value[MAX_PATH] = {};
  if (GetEnvironmentVariableA("CQP_BUILD_DIR", value, sizeof value) == 0) return {};
  std::string path = std::string("Z:") + value;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// ---- The fixture: a freshly loaded plugin with an empty config directory per test. ----

class ConsoleWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char display[256] = {};
    if (GetEnvironmentVariableA("DISPLAY", display, sizeof display) == 0) {
      GTEST_SKIP() << "no X display: run the Windows tests under xvfb-run";
    }
    DeleteFileA(ConfigPath(kPetFile).c_str());
    DeleteFileA(ConfigPath(kWorkFile).c_str());
    library_ = LoadLibraryA(test_support::ModulePath().c_str());
    ASSERT_NE(library_, nullptr) << test_support::ModulePath();
    info_ = Export<InfoExport>(library_, "info");
    ASSERT_NE(info_, nullptr);
  }

  void TearDown() override {
    if (library_ != nullptr) FreeLibrary(library_);
    Pump(50);
  }

  // Calls info as the host does and waits until the window is on screen.
  HWND OpenConsole() {
    EXPECT_NE(info_(), nullptr);
    HWND console = nullptr;
    EXPECT_TRUE(PumpUntil([&] {
      console = FindConsole();
      return console != nullptr && IsWindowVisible(console);
    }));
    Pump(100);
    return console;
  }

  CommandExport Command(const char* name) { return Export<CommandExport>(library_, name); }

  HMODULE library_ = nullptr;
  InfoExport info_ = nullptr;
};

TEST_F(ConsoleWindowTest, WindowFollowsTheLayoutTables) {
  HWND console = OpenConsole();
  ASSERT_NE(console, nullptr);
  RECT outer;
  GetWindowRect(console, &outer);
  EXPECT_EQ(outer.left, 50);
  EXPECT_EQ(outer.top, 50);
  EXPECT_EQ(outer.right - outer.left, 526);
  EXPECT_EQ(outer.bottom - outer.top, 503);
  EXPECT_EQ(GetWindow(console, GW_OWNER), nullptr);

  HWND tab = FindTab(console);
  ASSERT_NE(tab, nullptr);
  const RECT tab_rect = RectIn(tab, console);
  EXPECT_EQ(tab_rect.left, -6);
  EXPECT_EQ(tab_rect.top, 0);
  EXPECT_EQ(tab_rect.right - tab_rect.left, 518);
  EXPECT_EQ(tab_rect.bottom - tab_rect.top, 472);
  ASSERT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2);
  const char* pages[] = {"自定义设置", "更多作品"};
  for (int page = 0; page < 2; ++page) {
    char title[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = title;
    item.cchTextMax = sizeof title;
    SendMessageA(tab, TCM_GETITEMA, page, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(title, pages[page]);
  }

  // With no profile file every box is empty; the notice holds its two lines.
  for (const Expected& control : kSettingsPage) {
    HWND found = ControlAt(console, control.class_name, control.left, control.top, control.width,
                           control.height);
    ASSERT_NE(found, nullptr) << control.text << " at " << control.left << "," << control.top;
    EXPECT_EQ(TextOf(found), control.text);
    EXPECT_TRUE(IsWindowVisible(found)) << control.text;
  }
  HWND notice = ControlAt(console, "Edit", kNoticeGroupLeft + 8, kNoticeGroupTop + 22, 272, 104);
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(notice, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -21);
  EXPECT_STREQ(font.lfFaceName, "宋体");

  // A click on the second tab shows its page and hides the first.
  for (const Expected& control : kMoreWorksPage) {
    HWND found = ControlAt(console, control.class_name, control.left, control.top, control.width,
                           control.height);
    ASSERT_NE(found, nullptr) << control.left << "," << control.top;
    if (control.text != nullptr) {
      EXPECT_EQ(TextOf(found), control.text);
    }
    EXPECT_FALSE(IsWindowVisible(found));
  }
  RECT second_tab;
  SendMessageA(tab, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second_tab));
  const LPARAM point = MAKELPARAM((second_tab.left + second_tab.right) / 2,
                                  (second_tab.top + second_tab.bottom) / 2);
  SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageA(tab, WM_LBUTTONUP, 0, point);
  Pump(100);
  const Expected& more = kMoreWorksPage[0];
  EXPECT_TRUE(IsWindowVisible(
      ControlAt(console, more.class_name, more.left, more.top, more.width, more.height)));
  EXPECT_FALSE(IsWindowVisible(SaveLevelsButton(console)));
}

TEST_F(ConsoleWindowTest, LevelBoxesAreFilledFromTheProfileByRowAndTitleBoxesStayEmpty) {
  const char* levels[] = {"宠物蛋", "幼崽", "小可爱", "成长期", "少年期",
                          "青年期", "成熟期", "完全体", "究极体", "神兽"};
  std::string profile = "[等级设置]\r\n";
  for (int level = 10; level >= 1; --level) {  // the order in the file does not matter
    profile += "等级" + std::to_string(level) + "=" + levels[level - 1] + "\r\n";
  }
  test_support::WriteFile(ConfigPath(kPetFile), profile);
  test_support::WriteFile(ConfigPath(kWorkFile), "[称号配置]\r\n称号1=已存称号\r\n");
  HWND console = OpenConsole();
  ASSERT_NE(console, nullptr);
  for (int level = 1; level <= 10; ++level) {
    HWND box = BoxOf(console, kLevelRows[level - 1]);
    ASSERT_NE(box, nullptr) << level;
    EXPECT_EQ(TextOf(box), levels[level - 1]) << kLevelRows[level - 1].key;
  }
  for (const Row& row : kTitleRows) EXPECT_EQ(TextOf(BoxOf(console, row)), "") << row.key;

  // The picture for the record: typed titles beside the loaded levels.
  const char* titles[] = {"打工新手", "勤劳小蜜蜂", "职场达人", "金牌员工", "劳模"};
  for (int i = 0; i < 5; ++i) SetWindowTextA(BoxOf(console, kTitleRows[i]), titles[i]);
  RedrawWindow(console, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump(300);
  const std::string build = BuildDirectory();
  if (!build.empty()) {
    EXPECT_TRUE(SaveScreenshot(console, build + "\\console.png"));
  }
}

TEST_F(ConsoleWindowTest, SavingLevelsWritesAllTenKeysAndReports) {
  test_support::WriteFile(ConfigPath(kPetFile), LevelFile("旧"));
  HWND console = OpenConsole();
  ASSERT_NE(console, nullptr);
  SetWindowTextA(BoxOf(console, kLevelRows[7]), "新八级");  // the box named 编辑框5
  SetWindowTextA(BoxOf(console, kLevelRows[2]), "");
  {
    MessageBoxCloser closer(console);
    SendMessageA(SaveLevelsButton(console), BM_CLICK, 0, 0);
    const auto seen = closer.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "保存等级配置成功！");
    EXPECT_EQ(seen[0].caption, "信息：");
    EXPECT_EQ(seen[0].owner, nullptr);
    EXPECT_FALSE(seen[0].console_enabled);
  }
  EXPECT_TRUE(IsWindowEnabled(console));
  for (int level = 1; level <= 10; ++level) {
    const std::string expected = level == 8   ? "新八级"
                                 : level == 3 ? ""
                                              : "旧" + std::to_string(level);
    EXPECT_EQ(StoredValue(kPetFile, "等级设置", kLevelRows[level - 1].key), expected) << level;
  }
  EXPECT_NE(test_support::ReadFile(ConfigPath(kPetFile)).find("等级3=\r\n"), std::string::npos);

  // The next pet query reads the saved name: a total of 580 is level 8.
  test_support::WriteFile(ConfigPath(kPetFile),
                          test_support::ReadFile(ConfigPath(kPetFile)) +
                              "[10001]\r\n总经验=580\r\n喂养次数=58\r\n时间=2000/1/1\r\n");
  const std::string reply = Command("信息查询")("", "", "20002", "10001", "");
  EXPECT_NE(reply.find("新八级"), std::string::npos) << reply;
}

TEST_F(ConsoleWindowTest, SavingTitlesStoresEveryBoxEvenWhenEmpty) {
  HWND console = OpenConsole();
  ASSERT_NE(console, nullptr);
  MessageBoxCloser closer(console);
  SendMessageA(SaveTitlesButton(console), BM_CLICK, 0, 0);
  for (const Row& row : kTitleRows) EXPECT_EQ(StoredValue(kWorkFile, "称号配置", row.key), "");

  SetWindowTextA(BoxOf(console, kTitleRows[0]), "新人");
  SetWindowTextA(BoxOf(console, kTitleRows[1]), "熟练工");  // the box named 编辑框17
  SendMessageA(SaveTitlesButton(console), BM_CLICK, 0, 0);
  EXPECT_EQ(StoredValue(kWorkFile, "称号配置", "称号1"), "新人");
  EXPECT_EQ(StoredValue(kWorkFile, "称号配置", "称号2"), "熟练工");
  EXPECT_EQ(StoredValue(kWorkFile, "称号配置", "称号3"), "");
  const auto seen = closer.seen();
  ASSERT_EQ(seen.size(), 2u);
  for (const auto& box : seen) {
    EXPECT_EQ(box.text, "保存等级设置成功");
    EXPECT_EQ(box.caption, "信息：");
  }

  // The next work command reads the saved title: a first work earns title 1.
  const std::string reply = Command("打工")("", "", "20002", "10002", "");
  EXPECT_NE(reply.find("新人"), std::string::npos) << reply;
}

TEST_F(ConsoleWindowTest, ControlF1HidesAndShowsTheWindowWithItsTexts) {
  HWND console = OpenConsole();
  ASSERT_NE(console, nullptr);
  // While the module holds Ctrl+F1 nobody else can register it.
  EXPECT_FALSE(RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_F1));
  SetWindowTextA(BoxOf(console, kLevelRows[0]), "未保存的等级");
  SetWindowTextA(BoxOf(console, kTitleRows[4]), "未保存的称号");

  PressControlF1();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(console); }));
  PressControlF1();
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(console) != FALSE; }));
  EXPECT_EQ(TextOf(BoxOf(console, kLevelRows[0])), "未保存的等级");
  EXPECT_EQ(TextOf(BoxOf(console, kTitleRows[4])), "未保存的称号");

  // A hotkey notification with another identifier changes nothing.
  PostMessageA(console, WM_HOTKEY, 0x1234, MAKELPARAM(MOD_CONTROL, VK_F1));
  Pump(200);
  EXPECT_TRUE(IsWindowVisible(console));
}

TEST_F(ConsoleWindowTest, InfoWhileOpenBringsTheSameWindowBackWithoutReloading) {
  test_support::WriteFile(ConfigPath(kPetFile), LevelFile("初"));
  HWND console = OpenConsole();
  ASSERT_NE(console, nullptr);
  SetWindowTextA(BoxOf(console, kLevelRows[4]), "改过");
  test_support::WriteFile(ConfigPath(kPetFile), LevelFile("盘上"));

  EXPECT_NE(info_(), nullptr);
  Pump(100);
  EXPECT_EQ(FindConsole(), console);
  EXPECT_EQ(CountConsoles(), 1);
  EXPECT_EQ(TextOf(BoxOf(console, kLevelRows[4])), "改过");
  EXPECT_EQ(TextOf(BoxOf(console, kLevelRows[5])), "初6");

  ShowWindow(console, SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(console) != FALSE; }));
  EXPECT_NE(info_(), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return !IsIconic(console); }));

  // Hidden by the hotkey, the window comes back on the next info.
  PressControlF1();
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(console); }));
  EXPECT_NE(info_(), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(console) != FALSE; }));
  EXPECT_EQ(TextOf(BoxOf(console, kLevelRows[4])), "改过");
}

TEST_F(ConsoleWindowTest, ClosingDestroysTheWindowAndTheNextInfoBuildsItAnew) {
  test_support::WriteFile(ConfigPath(kPetFile), LevelFile("甲"));
  HWND console = OpenConsole();
  ASSERT_NE(console, nullptr);
  SetWindowTextA(BoxOf(console, kLevelRows[0]), "丢掉的");
  SendMessageA(console, WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil([] { return FindConsole() == nullptr; }));

  test_support::WriteFile(ConfigPath(kPetFile), LevelFile("乙"));
  HWND reopened = OpenConsole();
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(TextOf(BoxOf(reopened, kLevelRows[0])), "乙1");
  // The new window registered the hotkey again.
  PressControlF1();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(reopened); }));
}

TEST_F(ConsoleWindowTest, UnloadingThePluginTakesItsWindowAlong) {
  HWND console = OpenConsole();
  ASSERT_NE(console, nullptr);
  FreeLibrary(library_);
  library_ = nullptr;
  EXPECT_FALSE(IsWindow(console));
  // Keyboard and window messages after the unload reach no freed code.
  PressControlF1();
  Pump(200);
  EXPECT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_F1));
  UnregisterHotKey(nullptr, 1);

  // Loaded again, the plugin opens its window as before.
  library_ = LoadLibraryA(test_support::ModulePath().c_str());
  ASSERT_NE(library_, nullptr);
  info_ = Export<InfoExport>(library_, "info");
  EXPECT_NE(OpenConsole(), nullptr);
}

// Under Wine on Xvfb: Xvfb runs no window manager, so Wine is told to frame the host's window
// itself (otherwise the screenshot has no caption, and every hide waits for a manager that never
// answers); the frame's caption buttons need Wine's Marlett font, which Debian's fonts-wine
// installs outside the prefix. On Windows neither the key nor the file has any effect.
void PrepareWineDisplay() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER,
                      "Software\\Wine\\AppDefaults\\console_host.exe\\X11 Driver", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
  }
  char fonts[MAX_PATH] = {};
  if (GetWindowsDirectoryA(fonts, sizeof fonts) != 0) {
    CopyFileA("Z:\\usr\\share\\wine\\fonts\\marlett.ttf",
              (std::string(fonts) + "\\Fonts\\marlett.ttf").c_str(), TRUE);
  }
}

// Copies this program into a fresh run directory with a config directory, runs the copy with
// the same arguments, and hands back its exit code.
int RunFromTemporaryRunDirectory() {
  test_support::TempDir run_directory;
  char self[MAX_PATH * 2];
  GetModuleFileNameA(nullptr, self, sizeof self);
  const std::string directory = run_directory.string();
  const std::string copy = directory + "\\console_host.exe";
  if (!CopyFileA(self, copy.c_str(), FALSE) ||
      !CreateDirectoryA((directory + "\\config").c_str(), nullptr)) {
    std::fprintf(stderr, "cannot prepare the run directory %s\n", directory.c_str());
    return 1;
  }
  // The arguments after the program's own name, as they came.
  const char* arguments = GetCommandLineA();
  const bool quoted = *arguments == '"';
  for (++arguments; *arguments != '\0' && (quoted ? *arguments != '"' : *arguments != ' ');) {
    ++arguments;
  }
  if (quoted && *arguments == '"') ++arguments;
  std::string command_line = "\"" + copy + "\"" + arguments;

  PrepareWineDisplay();
  SetEnvironmentVariableA(kCopyMarker, "1");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(copy.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      directory.c_str(), &startup, &process)) {
    std::fprintf(stderr, "cannot start %s\n", copy.c_str());
    return 1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exit_code = 1;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(exit_code);
}

}  // namespace

int main(int argc, char** argv) {
  char marker[8] = {};
  if (GetEnvironmentVariableA(kCopyMarker, marker, sizeof marker) == 0) {
    return RunFromTemporaryRunDirectory();
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
