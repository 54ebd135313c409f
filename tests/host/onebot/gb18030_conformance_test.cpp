// The GB18030 codec against glibc's iconv, whose converter its tables come from: every two- and
// four-byte code, every code point, malformed UTF-8 and random bytes. Linux only (iconv).
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "onebot/gb18030.h"

namespace {

using namespace robothost::onebot;

// Private-use characters glibc has no GB18030 code for, and the codes the codec gives them
// (GB18030-2022's four-byte codes, or the two-byte codes of the characters they stand for).
const std::map<std::uint32_t, std::string> kCodesGlibcLacks = {
    {0xE78D, "\x84\x31\x82\x36"}, {0xE78E, "\x84\x31\x82\x38"}, {0xE78F, "\x84\x31\x82\x37"},
    {0xE790, "\x84\x31\x82\x39"}, {0xE791, "\x84\x31\x83\x30"}, {0xE792, "\x84\x31\x83\x31"},
    {0xE793, "\x84\x31\x83\x32"}, {0xE794, "\x84\x31\x83\x33"}, {0xE795, "\x84\x31\x83\x34"},
    {0xE796, "\x84\x31\x83\x35"}, {0xE81E, "\x82\x35\x90\x37"}, {0xE826, "\x82\x35\x90\x38"},
    {0xE82B, "\x82\x35\x90\x39"}, {0xE82C, "\x82\x35\x91\x30"}, {0xE832, "\x82\x35\x91\x31"},
    {0xE843, "\x82\x35\x91\x32"}, {0xE854, "\x82\x35\x91\x33"}, {0xE864, "\x82\x35\x91\x34"},
    {0xE816, "\xFE\x51"},         {0xE817, "\xFE\x52"},         {0xE818, "\xFE\x53"},
    {0xE831, "\xFE\x6C"},         {0xE83B, "\xFE\x76"},         {0xE855, "\xFE\x91"},
};

std::string Utf8(std::uint32_t code_point) {
  std::string out;
  const auto byte = [](std::uint32_t value) { return static_cast<char>(value); };
  if (code_point < 0x80) {
    out += byte(code_point);
  } else if (code_point < 0x800) {
    out += byte(0xC0 | code_point >> 6);
    out += byte(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += byte(0xE0 | code_point >> 12);
    out += byte(0x80 | (code_point >> 6 & 0x3F));
    out += byte(0x80 | (code_point & 0x3F));
  } else {
    out += byte(0xF0 | code_point >> 18);
    out += byte(0x80 | (code_point >> 12 & 0x3F));
    out += byte(0x80 | (code_point >> 6 & 0x3F));
    out += byte(0x80 | (code_point & 0x3F));
  }
  return out;
}

// One iconv conversion descriptor, reset before each input.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : converter_(iconv_open(to, from)) {}
  ~Iconv() {
    if (converter_ != kFailed) iconv_close(converter_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return converter_ != kFailed; }

  // The whole input converted, or nullopt when iconv refuses any of it.
  std::optional<std::string> Convert(std::string_view input) {
    std::string output;
    std::size_t left = input.size();
    char* in = const_cast<char*>(input.data());
    if (!Run(in, left, output)) return std::nullopt;
    return output;
  }

  // The input converted with each byte iconv refuses (EILSEQ, or EINVAL for a character cut off
  // at the end) replaced by U+FFFD, going on with the next byte: how the adapter used iconv.
  std::string ConvertReplacing(std::string_view input) {
    std::string output;
    std::size_t left = input.size();
    char* in = const_cast<char*>(input.data());
    while (!Run(in, left, output)) {
      output += "\xEF\xBF\xBD";
      ++in;
      --left;
    }
    return output;
  }

 private:
  static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);

  // Converts until the input ends (true) or iconv refuses a byte (false, `in` at that byte).
  bool Run(char*& in, std::size_t& left, std::string& output) {
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    while (left > 0) {
      char buffer[256];
      char* out = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t result = iconv(converter_, &in, &left, &out, &out_left);
      output.append(buffer, static_cast<std::size_t>(out - buffer));
      if (result != static_cast<std::size_t>(-1)) return true;
      if (errno != E2BIG) return false;
    }
    return true;
  }

  iconv_t converter_;
};

class Gb18030Conformance : public testing::Test {
 protected:
  void SetUp() override {
    if (!decoder_.ok() || !encoder_.ok()) GTEST_SKIP() << "this iconv has no GB18030";
  }

  // Checks one code point against iconv, counting the ones glibc has no code for.
  void CheckCodePoint(std::uint32_t code_point, std::size_t& without_glibc_code) {
    if (code_point >= 0xD800 && code_point <= 0xDFFF) return;
    const std::string text = Utf8(code_point);
    const std::optional<std::string> ours = gb18030::FromUtf8(text);
    ASSERT_TRUE(ours) << std::hex << code_point;
    const std::optional<std::string> theirs = encoder_.Convert(text);
    if (theirs) {
      ASSERT_EQ(*ours, *theirs) << std::hex << code_point;
    } else {
      ++without_glibc_code;
      const auto found = kCodesGlibcLacks.find(code_point);
      ASSERT_NE(found, kCodesGlibcLacks.end()) << std::hex << code_point;
      EXPECT_EQ(*ours, found->second);
    }
    // Every code reads back as its character, but for the six one-way stand-ins.
    if (!(kCodesGlibcLacks.contains(code_point) && ours->size() == 2)) {
      ASSERT_EQ(gb18030::ToUtf8(*ours), text) << std::hex << code_point;
    }
  }

  Iconv decoder_{"UTF-8", "GB18030"};
  Iconv encoder_{"GB18030", "UTF-8"};
};

TEST_F(Gb18030Conformance, EveryLeadByteWithEverySecondByte) {
  // Covers every two-byte code, and every byte after a lead that starts no two-byte code.
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned second = 0; second <= 0xFF; ++second) {
      const std::string code = {static_cast<char>(lead), static_cast<char>(second)};
      ASSERT_EQ(gb18030::ToUtf8(code), decoder_.ConvertReplacing(code))
          << std::hex << lead << ' ' << second;
    }
  }
}

TEST_F(Gb18030Conformance, EveryFourByteCode) {
  // All 1,587,600 of them: the BMP area, the unassigned stretches and the supplementary planes.
  // Only the codes glibc leaves to the private-use characters above may read differently.
  std::map<std::string, std::uint32_t> private_use;
  for (const auto& [code_point, code] : kCodesGlibcLacks) {
    if (code.size() == 4) private_use[code] = code_point;
  }
  std::size_t differences = 0;
  std::string code(4, '\0');
  for (unsigned first = 0x81; first <= 0xFE; ++first) {
    for (unsigned second = 0x30; second <= 0x39; ++second) {
      for (unsigned third = 0x81; third <= 0xFE; ++third) {
        for (unsigned fourth = 0x30; fourth <= 0x39; ++fourth) {
          code[0] = static_cast<char>(first);
          code[1] = static_cast<char>(second);
          code[2] = static_cast<char>(third);
          code[3] = static_cast<char>(fourth);
          const std::string ours = gb18030::ToUtf8(code);
          const std::string theirs = decoder_.ConvertReplacing(code);
          if (ours == theirs) continue;
          ++differences;
          const auto found = private_use.find(code);
          ASSERT_NE(found, private_use.end()) << std::hex << first << second << third << fourth;
          EXPECT_EQ(ours, Utf8(found->second));
        }
      }
    }
  }
  EXPECT_EQ(differences, private_use.size());
}

TEST_F(Gb18030Conformance, EveryCodePointEncodesAsIconvDoesAndReadsBack) {
  // Whole blocks of 4096 code points at a time where they agree (fewer iconv calls), and one
  // by one in a block that holds a character glibc has no code for or where they disagree.
  std::size_t without_glibc_code = 0;
  for (std::uint32_t block = 0; block < 0x110000; block += 0x1000) {
    std::string text;
    bool glibc_lacks_one = false;
    for (std::uint32_t code_point = block; code_point < block + 0x1000; ++code_point) {
      if (code_point >= 0xD800 && code_point <= 0xDFFF) continue;
      text += Utf8(code_point);
      glibc_lacks_one = glibc_lacks_one || kCodesGlibcLacks.contains(code_point);
    }
    if (!glibc_lacks_one) {
      const std::optional<std::string> ours = gb18030::FromUtf8(text);
      if (ours && ours == encoder_.Convert(text) && gb18030::ToUtf8(*ours) == text) continue;
    }
    for (std::uint32_t code_point = block; code_point < block + 0x1000; ++code_point) {
      CheckCodePoint(code_point, without_glibc_code);
    }
  }
  EXPECT_EQ(without_glibc_code, kCodesGlibcLacks.size());
}

TEST_F(Gb18030Conformance, MalformedUtf8IsRefusedLikeIconvDoes) {
  // Every one- and two-byte string; after each three-byte lead and second byte, third bytes
  // on either side of every boundary UTF-8 draws; every four-byte lead with each second byte
  // and two kinds of tail.
  constexpr char kThirdBytes[] = {'\x00', '\x7F', '\x80', '\x8F', '\x90', '\x9F',
                                  '\xA0', '\xBF', '\xC0', '\xFF'};
  std::map<std::string, std::string> glibc_lacks;  // by the UTF-8 of the character
  for (const auto& [code_point, code] : kCodesGlibcLacks) glibc_lacks[Utf8(code_point)] = code;
  const auto check = [&](const std::string& text) {
    const std::optional<std::string> ours = gb18030::FromUtf8(text);
    const auto lacking = glibc_lacks.find(text);
    if (lacking != glibc_lacks.end()) {
      ASSERT_EQ(ours, lacking->second);
    } else {
      ASSERT_EQ(ours, encoder_.Convert(text)) << testing::PrintToString(text);
    }
  };
  for (unsigned first = 0; first <= 0xFF; ++first) {
    const char a = static_cast<char>(first);
    check(std::string(1, a));
    for (unsigned second = 0; second <= 0xFF; ++second) {
      const char b = static_cast<char>(second);
      check(std::string{a, b});
      if (first >= 0xE0 && first <= 0xEF) {
        for (const char third : kThirdBytes) check(std::string{a, b, third});
      }
      if (first >= 0xF0) {
        check(std::string{a, b, '\x80', '\xBF'});
        check(std::string{a, b, '\xBF', 'a'});
      }
    }
  }
}

TEST_F(Gb18030Conformance, RandomTextBothWays) {
  std::mt19937 random(20240611);
  // Bytes that GB18030 and UTF-8 treat specially are drawn far more often than the rest.
  const std::string_view special = "\x30\x35\x39\x40\x7E\x7F\x80\x81\x84\x8F\x90\xA4\xBF\xC0\xC2"
                                   "\xE0\xE3\xED\xEF\xF0\xF4\xF5\xFE\xFF";
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    std::string text;  // well-formed UTF-8 of characters glibc has codes for
    const std::size_t length = random() % 24 + 1;
    for (std::size_t i = 0; i < length; ++i) {
      bytes += random() % 2 == 0 ? special[random() % special.size()]
                                 : static_cast<char>(random() % 256);
      // ASCII, the BMP and the supplementary planes, a third of the characters each.
      static constexpr std::uint32_t kRanges[][2] = {
          {0, 0x80}, {0x80, 0x10000}, {0x10000, 0x110000}};
      const auto& range = kRanges[random() % 3];
      std::uint32_t code_point = 0;
      do {
        code_point = range[0] + static_cast<std::uint32_t>(random() % (range[1] - range[0]));
      } while ((code_point >= 0xD800 && code_point <= 0xDFFF) ||
               kCodesGlibcLacks.contains(code_point));
      text += Utf8(code_point);
    }
    ASSERT_EQ(gb18030::ToUtf8(bytes), decoder_.ConvertReplacing(bytes))
        << testing::PrintToString(bytes);
    ASSERT_EQ(gb18030::FromUtf8(bytes), encoder_.Convert(bytes))
        << testing::PrintToString(bytes);
    ASSERT_EQ(gb18030::FromUtf8(text), encoder_.Convert(text)) << testing::PrintToString(text);
  }
}

}  // namespace
