// Test support: where the built plugin library is, and how a test survives its error boxes.
#pragma once

#include <string>

namespace test_support {

// The native path of the plugin library built by this preset.
std::string ModulePath();

// Where the platform shows error boxes (Windows), closes every box this process shows from a
// background thread, so a test of the fatal path does not wait for a person. Elsewhere nothing.
void DismissErrorBoxesInBackground();

}  // namespace test_support
