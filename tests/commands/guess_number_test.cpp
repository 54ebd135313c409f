// Number guessing: the stripped guess against a draw fixed by a fake generator, and the real
// generator's spread over 1..100 when it is reseeded for every draw.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "commands/guess_number.h"
#include "common/command.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace {

constexpr const char* kEmpty = "请输入你要猜的数字";
constexpr const char* kTooLarge = "你猜的数字太大了";
constexpr const char* kTooSmall = "你猜的数字太小了";
constexpr const char* kRight = "恭喜你，猜中了！";

// A generator whose draw the test fixes; it logs every seeding and draw in order.
class FixedDraw final : public platform::RandomSource {
 public:
  explicit FixedDraw(int value) : value_(value) { platform::SetRandomSourceForTesting(this); }
  ~FixedDraw() override { platform::SetRandomSourceForTesting(nullptr); }
  FixedDraw(const FixedDraw&) = delete;
  FixedDraw& operator=(const FixedDraw&) = delete;

  void SeedFromClock() override { log_.push_back("seed"); }
  int Draw(int low, int high) override {
    log_.push_back("draw " + std::to_string(low) + ".." + std::to_string(high));
    return value_;
  }
  const std::vector<std::string>& log() const { return log_; }

 private:
  int value_;
  std::vector<std::string> log_;
};

// A clock whose tick count stands still: every seeding falls into the same millisecond.
class FrozenClock final : public platform::Clock {
 public:
  FrozenClock() { platform::SetClockForTesting(this); }
  ~FrozenClock() override { platform::SetClockForTesting(nullptr); }
  platform::CalendarDate LocalDate() override { return {2014, 3, 1}; }
  std::uint32_t TickCountMs() override { return 123'456; }
};

std::string Guess(const std::string& parameter) {
  // The other arguments carry noise: the handler reads argument 1 only.
  common::CommandArgs args{parameter, "2", "3", "4", "5"};
  const common::Reply reply = commands::GuessNumber(args);
  EXPECT_TRUE(reply.is_constant());
  return reply.c_str();
}

TEST(GuessNumberTest, ComparesTheStrippedGuessWithTheDraw) {
  struct Case {
    std::string parameter;
    int draw;
    const char* reply;
  };
  const Case cases[] = {
      {"50", 50, kRight},
      {"50", 49, kTooLarge},
      {"50", 51, kTooSmall},
      {" 5 0 ", 50, kRight},
      {"\r\n5\r\n0\\r", 50, kRight},
      {"1", 1, kRight},
      {"1", 2, kTooSmall},
      {"100", 100, kRight},
      {"100", 99, kTooLarge},
      {"101", 100, kTooLarge},
      {"2147483647", 100, kTooLarge},
      {"0", 1, kTooSmall},
      {"-5", 1, kTooSmall},
      {"-2147483648", 1, kTooSmall},
      {"abc", 1, kTooSmall},
      {"12abc", 12, kRight},
      {"１２", 12, kRight},
      {"５０", 50, kRight},
      // Beyond 32 bits the digits wrap: 2^32 + 1 reads as 1.
      {"4294967297", 1, kRight},
      // A lone line feed or carriage return is not stripped; it reads as 0.
      {"\n", 1, kTooSmall},
      {"\r", 1, kTooSmall},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.parameter << "\" draw " << c.draw);
    FixedDraw random(c.draw);
    EXPECT_STREQ(Guess(c.parameter).c_str(), c.reply);
    EXPECT_EQ(random.log(), (std::vector<std::string>{"seed", "draw 1..100"}));
  }
}

TEST(GuessNumberTest, NothingLeftAfterStrippingAsksForANumberWithoutDrawing) {
  for (const std::string parameter : {"", " ", "   ", "\r\n", " \r\n \r\n ", "\\r", " \\r\\r "}) {
    SCOPED_TRACE(parameter);
    FixedDraw random(50);
    EXPECT_STREQ(Guess(parameter).c_str(), kEmpty);
    EXPECT_TRUE(random.log().empty());
  }
}

TEST(GuessNumberTest, StrippedTextReplacesTheParameter) {
  FixedDraw random(7);
  common::CommandArgs args{" 1 2\r\n", "", "", "", ""};
  commands::GuessNumber(args);
  EXPECT_EQ(args.parameter, "12");
}

// The real generator, reseeded before every draw as the handler does, with the clock standing
// still: the growing seeding counter alone must spread the draws over 1..100.
TEST(GuessNumberTest, RealGeneratorDrawsEveryValueRoughlyEvenly) {
  FrozenClock clock;
  platform::RandomSource& random = platform::CurrentRandomSource();
  constexpr int kDraws = 100'000;
  std::array<int, 101> counts{};
  for (int i = 0; i < kDraws; ++i) {
    random.SeedFromClock();
    const int value = random.Draw(1, 100);
    ASSERT_GE(value, 1);
    ASSERT_LE(value, 100);
    ++counts[static_cast<std::size_t>(value)];
  }
  EXPECT_GT(counts[1], 0);
  EXPECT_GT(counts[100], 0);
  // Chi-square with 99 degrees of freedom: mean 99, standard deviation 14. 200 is far in the
  // tail for a fair generator and far below what any skew worth the name produces.
  double chi_square = 0;
  const double expected = kDraws / 100.0;
  for (int value = 1; value <= 100; ++value) {
    const double difference = counts[static_cast<std::size_t>(value)] - expected;
    chi_square += difference * difference / expected;
  }
  EXPECT_LT(chi_square, 200.0);
}

TEST(GuessNumberTest, TheSameGuessCanGetDifferentReplies) {
  FrozenClock clock;
  std::set<std::string> replies;
  for (int i = 0; i < 3'000 && replies.size() < 3; ++i) replies.insert(Guess("50"));
  EXPECT_EQ(replies, (std::set<std::string>{kTooLarge, kTooSmall, kRight}));
}

}  // namespace
