// The work profile files' paths, title keys and title reads.
#include "work/work_record.h"

#include "common/profile_store.h"
#include "common/run_directory.h"

namespace work {
namespace {

constexpr std::array<const char*, kTitleCount> kTitleKeys = {"称号1", "称号2", "称号3", "称号4",
                                                             "称号5"};

}  // namespace

std::string_view TitleKey(int slot) { return kTitleKeys[static_cast<std::size_t>(slot - 1)]; }

std::string WorkFilePath() { return common::ProfilePath("工作配置.ini"); }

std::string WorkInfoFilePath() { return common::ProfilePath("工作信息.ini"); }

std::array<std::string, kTitleCount> ReadTitles(const std::string& work_file) {
  std::array<std::string, kTitleCount> titles;
  for (int slot = 1; slot <= kTitleCount; ++slot) {
    titles[static_cast<std::size_t>(slot - 1)] =
        common::ReadProfileValue(work_file, kTitleSection, TitleKey(slot));
  }
  return titles;
}

}  // namespace work
