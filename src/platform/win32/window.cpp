// The window facility on Windows: user32 windows and a comctl32 tab control made in code with
// the ANSI functions, so GBK texts show as Chinese on a code page 936 system.
#include <windows.h>
// The common controls header needs the Windows types first.
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {
namespace {

constexpr char kWindowClass[] = "CqpLayoutWindow";
// Applications choose hotkey identifiers from 0x0000..0xBFFF; 0 is kept for "not registered".
constexpr int kHotkeyIdentifier = 0x4D46;
// Control identifiers are the layout index plus this, clear of the system's IDOK and friends.
constexpr int kFirstControlId = 1000;
// The interface font: a GBK face the font mapper replaces by any GB2312 font it has.
constexpr char kInterfaceFontFace[] = "宋体";
constexpr int kInterfaceFontHeight = 12;

struct WindowState {
  const WindowLayout* layout = nullptr;
  WindowEvents events;
  HWND window = nullptr;
  HWND tab = nullptr;
  WNDPROC tab_procedure = nullptr;  // the tab control's own procedure, below ours
  std::vector<HWND> controls;       // in the order of layout->controls; null where not created
  std::vector<HFONT> fonts;         // made for this window, deleted with it
  bool* adopted = nullptr;          // set when the window takes the state over
};

// Any object inside this module: its address finds the module's instance handle.
const char module_anchor = 0;
bool classes_registered = false;

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          &module_anchor, &module)) {
    return nullptr;
  }
  return module;
}

WindowState* StateOf(HWND window) {
  return reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

HMENU ControlId(std::size_t index) {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(index)));
}

// The layout index of the control with window handle `control`, or the size when unknown.
std::size_t IndexOfControl(const WindowState& state, HWND control) {
  for (std::size_t i = 0; i < state.controls.size(); ++i) {
    if (state.controls[i] == control) return i;
  }
  return state.controls.size();
}

HFONT MakeFont(WindowState& state, std::string_view face, int height) {
  const std::string face_name(face);
  HFONT font = CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face_name.c_str());
  if (font == nullptr) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  state.fonts.push_back(font);
  return font;
}

void SetFont(HWND control, HFONT font) {
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

HWND CreateControl(const ControlLayout& control, std::size_t index, HWND parent) {
  const char* class_name = "STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD extended_style = 0;
  switch (control.kind) {
    case ControlKind::kLabel:
      style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
      break;
    case ControlKind::kEditBox:
      class_name = "EDIT";
      style |= WS_TABSTOP;
      style |= control.multiline ? ES_MULTILINE | ES_AUTOVSCROLL : ES_AUTOHSCROLL;
      if (control.read_only) style |= ES_READONLY;
      extended_style = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::kButton:
      class_name = "BUTTON";
      style |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::kGroupBox:
      class_name = "BUTTON";
      style |= BS_GROUPBOX;
      break;
  }
  const std::string text(control.text);
  return CreateWindowExA(extended_style, class_name, text.c_str(), style, control.left, control.top,
                         control.width, control.height, parent, ControlId(index), ModuleInstance(),
                         nullptr);
}

// Shows the controls of page `selected` and hides those of the other pages.
void ShowPage(const WindowState& state, int selected) {
  for (std::size_t i = 0; i < state.controls.size(); ++i) {
    if (state.controls[i] == nullptr) continue;
    ShowWindow(state.controls[i], state.layout->controls[i].page == selected ? SW_SHOW : SW_HIDE);
  }
}

LRESULT CALLBACK TabProcedure(HWND tab, UINT message, WPARAM wparam, LPARAM lparam);

// Makes the tab control and the controls of every page as children of the tab control, at
// the layout's coordinates from the tab control's top-left corner; the tab strip lies inside
// that space, above the page area.
bool BuildControls(WindowState& state) {
  const WindowLayout& layout = *state.layout;
  const HFONT interface_font = MakeFont(state, kInterfaceFontFace, kInterfaceFontHeight);

  // No WS_CLIPCHILDREN: the tab control paints the page background under its children, so a
  // label only needs to draw its text.
  state.tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                              layout.tab_left, layout.tab_top, layout.tab_width, layout.tab_height,
                              state.window, nullptr, ModuleInstance(), nullptr);
  if (state.tab == nullptr) return false;
  SetFont(state.tab, interface_font);
  for (std::size_t i = 0; i < layout.pages.size(); ++i) {
    std::string title(layout.pages[i]);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageA(state.tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  // The buttons report their clicks to their parent, the tab control: listen there.
  SetWindowLongPtrA(state.tab, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  state.tab_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(state.tab, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TabProcedure)));

  // Child windows are stacked in creation order, the first on top. Edit boxes and buttons go
  // first so that no label or group box rectangle that overlaps them is drawn over them.
  state.controls.assign(layout.controls.size(), nullptr);
  const auto stacking_rank = [](ControlKind kind) {
    switch (kind) {
      case ControlKind::kEditBox:
      case ControlKind::kButton:
        return 0;
      case ControlKind::kLabel:
        return 1;
      case ControlKind::kGroupBox:
        return 2;
    }
    return 2;
  };
  for (int rank = 0; rank <= 2; ++rank) {
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
      const ControlLayout& control = layout.controls[i];
      if (stacking_rank(control.kind) != rank) continue;
      HWND created = CreateControl(control, i, state.tab);
      if (created == nullptr) return false;
      SetFont(created, control.font_face.empty()
                           ? interface_font
                           : MakeFont(state, control.font_face, control.font_height));
      state.controls[i] = created;
    }
  }
  ShowPage(state, 0);
  return true;
}

LRESULT CALLBACK TabProcedure(HWND tab, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto* state = reinterpret_cast<const WindowState*>(GetWindowLongPtrA(tab, GWLP_USERDATA));
  if (state == nullptr) return DefWindowProcA(tab, message, wparam, lparam);
  switch (message) {
    case WM_COMMAND: {
      const std::size_t index = IndexOfControl(*state, reinterpret_cast<HWND>(lparam));
      if (HIWORD(wparam) == BN_CLICKED && index < state->controls.size() &&
          state->layout->controls[index].kind == ControlKind::kButton &&
          state->events.button_clicked != nullptr) {
        state->events.button_clicked(state->window, index);
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      // Labels draw only their text, so overlapping label rectangles hide nothing; a
      // read-only edit box keeps the look of an edit box.
      const std::size_t index = IndexOfControl(*state, reinterpret_cast<HWND>(lparam));
      if (index < state->controls.size()) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        switch (state->layout->controls[index].kind) {
          case ControlKind::kLabel:
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
          case ControlKind::kEditBox:
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
          default:
            break;
        }
      }
      break;
    }
    default:
      break;
  }
  return CallWindowProcA(state->tab_procedure, tab, message, wparam, lparam);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* state =
        static_cast<WindowState*>(reinterpret_cast<const CREATESTRUCTA*>(lparam)->lpCreateParams);
    state->window = window;
    *state->adopted = true;
    state->adopted = nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return DefWindowProcA(window, message, wparam, lparam);
  }
  WindowState* state = StateOf(window);
  if (state == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  switch (message) {
    case WM_CREATE:
      if (!BuildControls(*state)) return -1;
      if (state->events.created != nullptr) state->events.created(window);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->hwndFrom == state->tab && header->code == TCN_SELCHANGE) {
        const LRESULT selected = SendMessageA(state->tab, TCM_GETCURSEL, 0, 0);
        if (selected >= 0) ShowPage(*state, static_cast<int>(selected));
      }
      return 0;
    }
    case WM_HOTKEY:
      if (state->events.hotkey != nullptr) state->events.hotkey(window, static_cast<int>(wparam));
      return 0;
    case WM_DESTROY:
      if (state->events.destroyed != nullptr) state->events.destroyed(window);
      return 0;
    case WM_NCDESTROY:
      // The children are gone by now; the fonts they used can go too.
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      for (HFONT font : state->fonts) DeleteObject(font);
      delete state;
      return DefWindowProcA(window, message, wparam, lparam);
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool RegisterClasses() {
  if (classes_registered) return true;
  INITCOMMONCONTROLSEX common_controls{sizeof common_controls, ICC_TAB_CLASSES};
  InitCommonControlsEx(&common_controls);

  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = ModuleInstance();
  window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kWindowClass;
  if (RegisterClassExA(&window_class) == 0) return false;
  classes_registered = true;
  return true;
}

}  // namespace

WindowHandle CreateLayoutWindow(const WindowLayout& layout, const WindowEvents& events) {
  if (!RegisterClasses()) return nullptr;
  bool adopted = false;
  auto* state = new WindowState;
  state->layout = &layout;
  state->events = events;
  state->adopted = &adopted;
  const std::string caption(layout.caption);
  HWND window = CreateWindowExA(
      0, kWindowClass, caption.c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, layout.left,
      layout.top, layout.width, layout.height, nullptr, nullptr, ModuleInstance(), state);
  // Once the window has taken the state over, its destruction deletes it, also when the
  // creation failed half way.
  if (!adopted) delete state;
  if (window == nullptr) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  return window;
}

void DestroyLayoutWindow(WindowHandle handle) {
  HWND window = static_cast<HWND>(handle);
  if (!IsWindow(window)) return;
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    DestroyWindow(window);
    return;
  }
  // Only the window's own thread may destroy it. Cut it off from this module instead, so a
  // message arriving after the module is gone finds the system's procedure, not freed code.
  if (const WindowState* state = StateOf(window); state != nullptr && state->tab != nullptr) {
    SetWindowLongPtrA(state->tab, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state->tab_procedure));
    SetWindowLongPtrA(state->tab, GWLP_USERDATA, 0);
  }
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
  ShowWindowAsync(window, SW_HIDE);
}

void ReleaseWindowFacility() {
  if (!classes_registered) return;
  // Classes a DLL registers outlive it unless it removes them; a later load would otherwise
  // find the class still pointing into the unloaded copy.
  UnregisterClassA(kWindowClass, ModuleInstance());
  classes_registered = false;
}

bool WindowExists(WindowHandle window) {
  return window != nullptr && IsWindow(static_cast<HWND>(window)) != FALSE;
}

std::string ControlText(WindowHandle window, std::size_t control) {
  if (!WindowExists(window)) return {};
  const WindowState* state = StateOf(static_cast<HWND>(window));
  if (state == nullptr || control >= state->controls.size() ||
      state->controls[control] == nullptr) {
    return {};
  }
  HWND box = state->controls[control];
  const int length = GetWindowTextLengthA(box);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(box, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void SetControlText(WindowHandle window, std::size_t control, std::string_view text) {
  if (!WindowExists(window)) return;
  const WindowState* state = StateOf(static_cast<HWND>(window));
  if (state == nullptr || control >= state->controls.size() ||
      state->controls[control] == nullptr) {
    return;
  }
  const std::string value(text);
  SetWindowTextA(state->controls[control], value.c_str());
}

bool WindowVisible(WindowHandle window) {
  return WindowExists(window) && IsWindowVisible(static_cast<HWND>(window)) != FALSE;
}

void SetWindowVisible(WindowHandle window, bool visible) {
  if (!WindowExists(window)) return;
  ShowWindow(static_cast<HWND>(window), visible ? SW_SHOW : SW_HIDE);
}

void BringWindowForward(WindowHandle handle) {
  if (!WindowExists(handle)) return;
  HWND window = static_cast<HWND>(handle);
  if (IsIconic(window)) {
    ShowWindow(window, SW_RESTORE);
    return;
  }
  SetForegroundWindow(window);
  SetActiveWindow(window);
}

void ShowInformationBox(std::string_view text, std::string_view caption) {
  const std::string message(text);
  const std::string title(caption);
  // Task-modal without owner: every top-level window of this thread is disabled meanwhile.
  MessageBoxA(nullptr, message.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}

int RegisterHotkey(WindowHandle window, unsigned modifiers, int function_key) {
  if (!WindowExists(window) || function_key < 1 || function_key > 24) return 0;
  UINT system_modifiers = 0;
  if ((modifiers & kHotkeyControl) != 0) system_modifiers |= MOD_CONTROL;
  if ((modifiers & kHotkeyAlt) != 0) system_modifiers |= MOD_ALT;
  if ((modifiers & kHotkeyShift) != 0) system_modifiers |= MOD_SHIFT;
  const UINT key = static_cast<UINT>(VK_F1 + function_key - 1);
  if (!RegisterHotKey(static_cast<HWND>(window), kHotkeyIdentifier, system_modifiers, key)) {
    return 0;
  }
  return kHotkeyIdentifier;
}

}  // namespace platform
