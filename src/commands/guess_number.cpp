// Number guessing (猜大小): every call is a whole game against a freshly drawn number.
#include "commands/guess_number.h"

#include <cstdint>

#include "common/numbers.h"
#include "common/text.h"
#include "platform/random.h"

namespace commands {

common::Reply GuessNumber(common::CommandArgs& args) {
  // The stripped text replaces the parameter; the returned copy is not needed.
  common::StripSpacesAndBreaks(args.parameter);
  if (args.parameter.empty()) return common::Reply::Constant("请输入你要猜的数字");

  platform::RandomSource& random = platform::CurrentRandomSource();
  random.SeedFromClock();
  const int secret = random.Draw(1, 100);

  // Not a number reads as 0, which is below every secret; there is no range check.
  const std::int32_t guess = common::TextToInteger(args.parameter);
  if (guess > secret) return common::Reply::Constant("你猜的数字太大了");
  if (guess < secret) return common::Reply::Constant("你猜的数字太小了");
  return common::Reply::Constant("恭喜你，猜中了！");
}

}  // namespace commands
