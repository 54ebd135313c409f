// The pet profile file's path, level-name keys and level-name reads.
#include "pet/pet_record.h"

#include "common/profile_store.h"
#include "common/run_directory.h"

namespace pet {
namespace {

constexpr std::array<const char*, kLevelCount> kLevelNameKeys = {
    "等级1", "等级2", "等级3", "等级4", "等级5", "等级6", "等级7", "等级8", "等级9", "等级10",
};

}  // namespace

std::string_view LevelNameKey(int slot) {
  return kLevelNameKeys[static_cast<std::size_t>(slot - 1)];
}

std::string PetFilePath() { return common::ProfilePath("宠物系统.ini"); }

std::array<std::string, kLevelCount> ReadLevelNames(const std::string& pet_file) {
  std::array<std::string, kLevelCount> names;
  for (int slot = 1; slot <= kLevelCount; ++slot) {
    names[static_cast<std::size_t>(slot - 1)] =
        common::ReadProfileValue(pet_file, kLevelSection, LevelNameKey(slot));
  }
  return names;
}

}  // namespace pet
