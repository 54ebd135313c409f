// The command descriptor that info returns: nine entries of ten lines each.
#pragma once

#include <string>

#include "common/reply.h"

namespace plugin {

// The descriptor text, GBK, every line ending in CR LF, entries separated by "\r\n-----\r\n".
std::string DescriptorText();

// info: builds the descriptor anew, opens the console window, returns the text.
common::Reply Info();

}  // namespace plugin
