// The window facility where the module has no windows: nothing is created, nothing is shown.
#include "platform/window.h"

namespace platform {

WindowHandle CreateLayoutWindow(const WindowLayout&, const WindowEvents&) { return nullptr; }

void DestroyLayoutWindow(WindowHandle) {}

void ReleaseWindowFacility() {}

bool WindowExists(WindowHandle) { return false; }

std::string ControlText(WindowHandle, std::size_t) { return {}; }

void SetControlText(WindowHandle, std::size_t, std::string_view) {}

bool WindowVisible(WindowHandle) { return false; }

void SetWindowVisible(WindowHandle, bool) {}

void BringWindowForward(WindowHandle) {}

void ShowInformationBox(std::string_view, std::string_view) {}

int RegisterHotkey(WindowHandle, unsigned, int) { return 0; }

}  // namespace platform
