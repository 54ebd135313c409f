// Number and text conversions: the atoi rules with full-width input, wrapping, truncation.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "common/numbers.h"

namespace {

using common::BytesToText;
using common::IntegerToText;
using common::RealToInteger;
using common::RealToText;
using common::TextToInteger;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(IntegerToTextTest, WritesPlainDecimal) {
  const struct {
    std::int32_t value;
    std::string_view text;
  } cases[] = {
      {0, "0"}, {30, "30"}, {-5, "-5"}, {kMax, "2147483647"}, {kMin, "-2147483648"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IntegerToText(c.value), c.text) << c.value;
  }
}

TEST(RealToTextTest, WritesThirteenSignificantDigits) {
  const struct {
    double value;
    std::string_view text;
  } cases[] = {
      {3.0, "3"},
      {1.0, "1"},
      {31.0, "31"},
      {0.0, "0"},
      {0.5, "0.5"},
      {-12.0, "-12"},
      {2500000000.0, "2500000000"},        // beyond the 32-bit range, still whole digits
      {9999999999999.0, "9999999999999"},  // the largest whole number without an exponent
      {1e13, "1e+13"},
      {1.0 / 3.0, "0.3333333333333"},
      {0.0001, "0.0001"},
      {0.00001, "1e-05"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RealToText(c.value), c.text) << c.text;
  }
}

TEST(TextToIntegerTest, ReadsLikeAtoiAfterNormalisingFullWidthForms) {
  const struct {
    std::string_view text;
    std::int32_t value;
  } cases[] = {
      {"42", 42},
      {"  -7", -7},
      {"+7", 7},
      {"12.9", 12},
      {"3.99", 3},
      {"12abc", 12},
      {" +15apples", 15},
      {"-0", 0},
      {"abc", 0},
      {"", 0},
      {"\t\n\v\f\r 5", 5},
      {"- 5", 0},
      {"+-5", 0},
      {"5 6", 5},
      {"１２", 12},
      {"３０", 30},
      {"－３", -3},
      {"＋３", 3},
      {"　４", 4},        // ideographic space is skipped as a blank
      {"1２3", 123},      // full-width and ASCII digits mix
      {"～3", 0},         // ～ becomes a tilde, which is no sign
      {"★3", 0},
      {"5宠物", 5},
      {"5\xB0", 5},       // a lead byte at the end is dropped
      {"\xA3", 0},
      {"\xA3\xA0" "5", 0},  // 0xA3 with a trail below 0xA1 is no full-width form
      // The walk pairs 0xA1 with 0xA3, so the ７ that a byte-wise scan would see is not there.
      {"\xA1\xA3\xB7", 0},
      {"\xA1\xA1\xA3\xB7", 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToInteger(c.text), c.value) << c.text;
  }
}

TEST(TextToIntegerTest, WrapsModuloTwoToThe32WithoutClamping) {
  const struct {
    std::string_view text;
    std::int32_t value;
  } cases[] = {
      {"2147483647", kMax},
      {"2147483648", kMin},
      {"-2147483648", kMin},
      {"-2147483649", kMax},
      {"4294967297", 1},  // 2^32 + 1
      {"４２９４９６７２９７", 1},
      {"99999999999", 1215752191},
      {"-4294967296", 0},
      {"000000000000000000000042", 42},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToInteger(c.text), c.value) << c.text;
  }
}

TEST(TextToIntegerTest, StopsAtAZeroByte) {
  EXPECT_EQ(TextToInteger(std::string_view("12\0" "34", 5)), 12);
}

TEST(RealToIntegerTest, TruncatesTowardZeroAndKeepsTheLow32Bits) {
  const double infinity = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    std::int32_t expected;
  } cases[] = {
      {29.99, 29},
      {-2.5, -2},
      {59.999, 59},
      {-0.5, 0},
      {0.0, 0},
      {2147483647.9, kMax},
      {-2147483648.9, kMin},
      {2147483648.0, kMin},
      {-2147483649.0, kMax},
      {4294967296.0 + 5.0, 5},
      {-4294967296.0 - 5.0, -5},
      {4294967301.75, 5},
      {1e20, 1661992960},  // 10^20 modulo 2^32, exact far beyond 2^53
      {-1e20, -1661992960},
      {std::numeric_limits<double>::quiet_NaN(), 0},
      {infinity, 0},
      {-infinity, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RealToInteger(c.value), c.expected) << c.value;
  }
}

TEST(BytesToTextTest, StopsAtTheFirstZeroByte) {
  const struct {
    std::string_view bytes;
    std::string_view text;
  } cases[] = {
      {std::string_view("\x41\x42\x00\x43", 4), "AB"},
      {std::string_view("\0abc", 4), ""},
      {"abc", "abc"},
      {"", ""},
      {"宠物", "宠物"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BytesToText(c.bytes), c.text) << c.text;
  }
}

}  // namespace
