// The utility exports (not built yet: answers with the empty text).
#include "common/utility_exports.h"

namespace common {

common::Reply DayStampExport() { return {}; }
common::Reply StripSpacesAndBreaksExport(std::string&) { return {}; }
common::Reply TextBetweenExport(std::string&, std::string&, std::string&) { return {}; }

}  // namespace common
