// The daily work command: once a day per user, raise the count, pay the wage, show the title.
#include "work/work_command.h"

#include <string>
#include <utility>

#include "common/day_stamp.h"
#include "common/numbers.h"
#include "common/profile_store.h"
#include "work/title_table.h"
#include "work/work_record.h"

namespace work {
namespace {

constexpr char kAlreadyWorkedReply[] =
    "Oh! Sorry! [enter]今天的工作机会已经用完了！请明天再进行工作吧";

// The wage of one work. The reply names it as fixed text ("30W").
constexpr double kWagePerWork = 30;

}  // namespace

common::Reply Work(common::CommandArgs& args) {
  const std::string work_file = WorkFilePath();
  const std::string& user = args.sender;

  if (common::ReadProfileValue(work_file, user, kWorkedOnKey) == common::DayStamp()) {
    return common::Reply::Constant(kAlreadyWorkedReply);
  }

  // The count and the wage total are held in double precision and written as whole-number
  // texts. A 32-bit wage total would wrap to a wrong, even negative, stored total once the
  // count passes 71,582,788; as a double it stays exact, and below that count its text is the
  // same as the 32-bit one.
  const double count =
      common::TextToInteger(common::ReadProfileValue(work_file, user, kWorkCountKey, "0"));
  const double new_count = count + 1;
  const std::string new_count_text = common::RealToText(new_count);
  const std::string wage_total_text = common::RealToText(new_count * kWagePerWork);

  common::WriteProfileValue(work_file, user, kWageTotalKey, wage_total_text);
  common::WriteProfileValue(work_file, user, kWorkCountKey, new_count_text);
  // The stamp is taken again here, so a work that runs across midnight counts for the new day.
  common::WriteProfileValue(work_file, user, kWorkedOnKey, common::DayStamp());

  const auto titles = ReadTitles(work_file);
  const std::optional<int> slot = TitleSlot(common::TextToInteger(
      common::ReadProfileValue(WorkInfoFilePath(), user, kWorkCountKey, new_count_text)));
  if (!slot) return {};

  std::string reply = "[name]，工作成功！[enter]本次工作获得工资30W！[enter]总资产为：";
  reply += wage_total_text;
  reply += "W！[enter]工作次数为：";
  reply += new_count_text;
  reply += "次[enter]当前称号：";
  reply += titles[static_cast<std::size_t>(*slot - 1)];
  return common::Reply::Owned(std::move(reply));
}

}  // namespace work
