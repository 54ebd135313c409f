// The second export of the host API library: how a host front-end takes over api_kick_group.
#pragma once

extern "C" {

// Receives the two GBK texts of each api_kick_group call (never null), with the context given
// at registration. Runs on the thread that called the plugin.
using robothost_kick_handler = void (*)(void* context, const char* group, const char* member);

// Makes every later api_kick_group call go to `function` instead of the terminal report; null
// restores the report. Looked up by name in the loaded cqapi library.
void robothost_set_kick_handler(robothost_kick_handler function, void* context);
}
