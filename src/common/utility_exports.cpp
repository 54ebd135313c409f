// The utility exports: today's DayStamp, stripping blanks and breaks, the text between markers.
#include "common/utility_exports.h"

#include "common/day_stamp.h"
#include "common/text.h"

namespace common {

common::Reply DayStampExport() { return Reply::Owned(DayStamp()); }

// `text` is the export wrapper's private copy, so stripping it in place never reaches the
// caller's text.
common::Reply StripSpacesAndBreaksExport(std::string& text) {
  return Reply::Owned(StripSpacesAndBreaks(text));
}

common::Reply TextBetweenExport(std::string& text, std::string& start, std::string& end) {
  return Reply::Owned(TextBetween(text, start, end));
}

}  // namespace common
