// The work profile files: a user's WorkRecord, the five titles, and the read-only work info file.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "work/title_table.h"

namespace work {

// Keys of a WorkRecord, in the section named by the sender's QQ number.
inline constexpr char kWorkedOnKey[] = "打工时间";  // DayStamp of the last accepted work
inline constexpr char kWorkCountKey[] = "打工次数";  // number of accepted works
inline constexpr char kWageTotalKey[] = "总奖励";    // 30 x the work count; written, never read

// The shared section of titles, written by the console window.
inline constexpr char kTitleSection[] = "称号配置";

// The key of title slot 1..kTitleCount in kTitleSection.
std::string_view TitleKey(int slot);

// The native path of "工作配置.ini" in the config directory.
std::string WorkFilePath();

// The native path of "工作信息.ini", which the operator may provide and the module only reads:
// a user's "打工次数" there decides the user's title in place of the user's own count.
std::string WorkInfoFilePath();

// The five titles, read in slot order without defaults: a missing key gives an empty title.
// Index 0 holds slot 1.
std::array<std::string, kTitleCount> ReadTitles(const std::string& work_file);

}  // namespace work
