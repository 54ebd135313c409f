// The utility exports offered to the robot host: today's date, stripping, text between markers.
#pragma once

#include <string>

#include "common/command.h"
#include "common/reply.h"

namespace common {

// 时间格式化: today's DayStamp.
common::Reply DayStampExport();

// 去空格换行: StripSpacesAndBreaks of the wrapper's private copy of the text.
common::Reply StripSpacesAndBreaksExport(std::string& text);

// 取文本之间: TextBetween(text, start, end).
common::Reply TextBetweenExport(std::string& text, std::string& start, std::string& end);

}  // namespace common
