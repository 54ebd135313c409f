// The pet profile file: where a user's PetRecord and the ten level names live.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "pet/level_table.h"

namespace pet {

// Keys of a PetRecord, in the section named by the sender's QQ number.
inline constexpr char kFedOnKey[] = "时间";          // DayStamp of the last accepted feed
inline constexpr char kFeedCountKey[] = "喂养次数";  // number of accepted feeds
inline constexpr char kTotalKey[] = "总经验";        // total experience, 10 x the feed count

// The shared section of level names, written by the console window.
inline constexpr char kLevelSection[] = "等级设置";

// The key of level slot 1..kLevelCount in kLevelSection.
std::string_view LevelNameKey(int slot);

// The native path of "宠物系统.ini" in the config directory.
std::string PetFilePath();

// The ten level names, read in slot order without defaults: a missing key gives an empty name.
// Index 0 holds slot 1.
std::array<std::string, kLevelCount> ReadLevelNames(const std::string& pet_file);

}  // namespace pet
