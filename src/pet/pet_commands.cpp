// The pet game's chat commands: the once-a-day feed and the read-only pet query.
#include "pet/pet_commands.h"

#include <cstdint>
#include <string>
#include <utility>

#include "common/day_stamp.h"
#include "common/numbers.h"
#include "common/profile_store.h"
#include "pet/level_table.h"
#include "pet/pet_record.h"

namespace pet {
namespace {

constexpr char kAlreadyFedReply[] =
    "[name],今天你已经喂养过自己的宠物了。不要重复喂养！明天再来吧！";
constexpr char kTopLevelReply[] = "[name].恭喜你！[enter]你已经到达了等级的巅峰！不需要再喂养了！";

// Every accepted feed gains this much experience; the reply names the gain as fixed text.
constexpr double kExperiencePerFeed = 10;
constexpr char kExperiencePerFeedText[] = "10";

}  // namespace

common::Reply FeedPet(common::CommandArgs& args) {
  const std::string pet_file = PetFilePath();
  const std::string& user = args.sender;

  if (common::ReadProfileValue(pet_file, user, kFedOnKey) == common::DayStamp()) {
    return common::Reply::Constant(kAlreadyFedReply);
  }

  // Counts are held in double precision so that no stored count, however large, overflows
  // when it is raised or multiplied; the texts are whole numbers without decimals.
  const double count = common::TextToInteger(common::ReadProfileValue(pet_file, user, kFeedCountKey));
  const double new_count = count + 1;
  const double new_total = new_count * kExperiencePerFeed;
  const std::string new_count_text = common::RealToText(new_count);
  const std::string new_total_text = common::RealToText(new_total);

  common::WriteProfileValue(pet_file, user, kTotalKey, new_total_text);
  // The stamp is taken again here, so a feed that runs across midnight counts for the new day.
  common::WriteProfileValue(pet_file, user, kFedOnKey, common::DayStamp());
  common::WriteProfileValue(pet_file, user, kFeedCountKey, new_count_text);

  const auto level_names = ReadLevelNames(pet_file);
  // The level follows what the record holds now; if the writes did not take effect the stored
  // total decides, and only a missing one falls back to the total just computed.
  const std::string stored_total = common::ReadProfileValue(pet_file, user, kTotalKey, new_total_text);
  const LevelEntry level = LookUpFeedLevel(stored_total);
  switch (level.kind) {
    case LevelEntry::Kind::kNone:
      return {};
    case LevelEntry::Kind::kTop:
      return common::Reply::Constant(kTopLevelReply);
    case LevelEntry::Kind::kSlot:
      break;
  }
  std::string reply = "[name]，恭喜你，喂养成功！[enter]喂养次数：";
  reply += new_count_text;
  reply += "次[enter]获得经验：";
  reply += kExperiencePerFeedText;
  reply += "点！[enter]总经验：";
  reply += new_total_text;
  reply += "点[enter]当前等级：";
  reply += level_names[static_cast<std::size_t>(level.slot - 1)];
  return common::Reply::Owned(std::move(reply));
}

common::Reply PetInfo(common::CommandArgs& args) {
  const std::string pet_file = PetFilePath();
  const std::string& user = args.sender;

  const std::int32_t count =
      common::TextToInteger(common::ReadProfileValue(pet_file, user, kFeedCountKey));
  const std::string total = common::ReadProfileValue(pet_file, user, kTotalKey);
  const auto level_names = ReadLevelNames(pet_file);
  const LevelEntry level = LookUpQueryLevel(total);
  if (level.kind != LevelEntry::Kind::kSlot) return {};

  std::string reply = level_names[static_cast<std::size_t>(level.slot - 1)];
  reply += "[enter][name]，查询成功！[enter]喂养总经验：";
  reply += total;
  reply += "点！[enter]喂养次数：";
  reply += common::IntegerToText(count);
  reply += "次";
  return common::Reply::Owned(std::move(reply));
}

}  // namespace pet
