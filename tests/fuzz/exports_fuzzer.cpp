// Fuzzes every export through the export layer with arbitrary argument bytes, null pointers
// and texts that end in a lone lead byte, in a run directory with prepared profile files and
// a test host API library. Checks what holds for any input: every export returns a text; a
// call never disturbs the text another export returned last; the menu is one constant text;
// the kick passes group then member; the conversion replies keep their layout.
// The nickname exports run with no service address set, so no request leaves the process.
#include <dlfcn.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/clock.h"
#include "platform/posix/profile_io.h"
#include "plugin/exports.h"

namespace {

using Export0 = const char* (*)();
using Export1 = const char* (*)(const char*);
using Export3 = const char* (*)(const char*, const char*, const char*);
using Export5 = const char* (*)(const char*, const char*, const char*, const char*, const char*);

enum class Kind { kInfo, kDayStamp, kBetween, kStrip, kFetch, kCommand };

struct ExportEntry {
  Kind kind;
  void* function;
};

// In ResultSlot order.
const std::array<ExportEntry, 14> kExports = {{
    {Kind::kInfo, reinterpret_cast<void*>(&CqpInfo)},
    {Kind::kDayStamp, reinterpret_cast<void*>(&CqpDayStamp)},
    {Kind::kBetween, reinterpret_cast<void*>(&CqpTextBetween)},
    {Kind::kStrip, reinterpret_cast<void*>(&CqpStripSpaces)},
    {Kind::kFetch, reinterpret_cast<void*>(&CqpFetchNickname)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpFeedPet)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpPetInfo)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpWork)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpGuessNumber)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpToTraditional)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpToSimplified)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpMenu)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpNicknameLookup)},
    {Kind::kCommand, reinterpret_cast<void*>(&CqpKickMember)},
}};
constexpr std::size_t kToTraditional = 9, kToSimplified = 10, kMenu = 11, kKick = 13;

// A clock whose date the input sets, so the daily games see both new days and repeats.
class InputClock final : public platform::Clock {
 public:
  platform::CalendarDate LocalDate() override { return date; }
  std::uint32_t TickCountMs() override { return ++ticks; }
  platform::CalendarDate date{2014, 1, 1};
  std::uint32_t ticks = 0;
};

InputClock& Clock() {
  static InputClock clock;
  return clock;
}

// A zero-terminated copy in a block of exactly its size.
class CText {
 public:
  explicit CText(std::string_view text) : block_(std::make_unique<char[]>(text.size() + 1)) {
    if (!text.empty()) std::memcpy(block_.get(), text.data(), text.size());
    block_[text.size()] = '\0';
  }
  const char* get() const { return block_.get(); }

 private:
  std::unique_ptr<char[]> block_;
};

const std::string kLevels =
    "[等级设置]\r\n等级1=蛋\r\n等级2=幼崽\r\n等级3=少年\r\n等级4=青年\r\n等级5=成年\r\n"
    "等级6=精英\r\n等级7=大师\r\n等级8=宗师\r\n等级9=传说\r\n等级10=神话\r\n"
    "[10001]\r\n时间=2014/1/1\r\n喂养次数=68\r\n总经验=680\r\n";
const std::string kTitles =
    "[称号配置]\r\n称号1=新手\r\n称号2=熟练工\r\n称号3=老手\r\n称号4=专家\r\n称号5=劳模\r\n"
    "[10001]\r\n打工时间=2014/1/2\r\n打工次数=29\r\n总奖励=870\r\n";
const std::string kWorkInfo = "[10002]\r\n打工次数=26\r\n[10003]\r\n打工次数=abc\r\n";

// Lays out the profile files again once the fuzzed senders have made them large.
void PrepareFiles(bool always) {
  const std::string pet = fuzz::ProfilePath("宠物系统.ini");
  const std::string work = fuzz::ProfilePath("工作配置.ini");
  std::error_code error;
  const auto pet_size = std::filesystem::file_size(pet, error);
  const bool pet_large = error || pet_size > 32 * 1024;
  const auto work_size = std::filesystem::file_size(work, error);
  const bool work_large = error || work_size > 32 * 1024;
  if (always || pet_large) fuzz::WriteWholeFile(pet, kLevels);
  if (always || work_large) fuzz::WriteWholeFile(work, kTitles);
  if (always) fuzz::WriteWholeFile(fuzz::ProfilePath("工作信息.ini"), kWorkInfo);
}

using LastKick = int (*)(const char**, const char**);
LastKick last_kick = nullptr;

// The texts each export returned last, as pointers and as copies of their bytes.
std::array<const char*, 14> last_reply{};
std::array<std::string, 14> last_text{};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string& run = fuzz::RunDirectory();
  PrepareFiles(true);
  // The host API library sits in the run directory, where the module looks first.
  std::filesystem::copy_file(CQP_FUZZ_CQAPI, std::filesystem::path(run) / "cqapi.so",
                             std::filesystem::copy_options::overwrite_existing);
  void* cqapi = dlopen((run + "/cqapi.so").c_str(), RTLD_NOW);
  fuzz::Check(cqapi != nullptr, "the test cqapi loads");
  last_kick = reinterpret_cast<LastKick>(dlsym(cqapi, "fuzz_cqapi_last_kick"));
  fuzz::Check(last_kick != nullptr, "the test cqapi has its probe");
  platform::SetClockForTesting(&Clock());
  // Flushing to disk only matters for a power cut; skipped so the games run at fuzzing speed.
  platform::profile::CurrentSystemCalls().fsync = [](int) { return 0; };
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Fields in(data, size);
  const std::size_t which = in.flags() % kExports.size();
  const bool null_for_empty = (in.flags() & 0x80) != 0;
  const std::int64_t day = in.Number();
  Clock().date = platform::CalendarDate{2014, 1 + static_cast<int>((day / 28) % 12 + 12) % 12,
                                        1 + static_cast<int>((day % 28 + 28) % 28)};
  PrepareFiles(false);

  std::vector<std::string_view> fields;
  std::vector<CText> texts;
  for (int i = 0; i < 5; ++i) fields.push_back(in.Text());
  for (const std::string_view field : fields) texts.emplace_back(field);
  auto argument = [&](std::size_t i) -> const char* {
    return null_for_empty && fields[i].empty() ? nullptr : texts[i].get();
  };

  int kicks_before = 0;
  if (which == kKick) {
    const char* group = nullptr;
    const char* member = nullptr;
    kicks_before = last_kick(&group, &member);
  }

  const ExportEntry& entry = kExports[which];
  const char* reply = nullptr;
  switch (entry.kind) {
    case Kind::kInfo:
    case Kind::kDayStamp:
      reply = reinterpret_cast<Export0>(entry.function)();
      break;
    case Kind::kStrip:
    case Kind::kFetch:
      reply = reinterpret_cast<Export1>(entry.function)(argument(0));
      break;
    case Kind::kBetween:
      reply = reinterpret_cast<Export3>(entry.function)(argument(0), argument(1), argument(2));
      break;
    case Kind::kCommand:
      reply = reinterpret_cast<Export5>(entry.function)(argument(0), argument(1), argument(2),
                                                        argument(3), argument(4));
      break;
  }
  fuzz::Check(reply != nullptr, "every export returns a text");
  const std::string text(reply);  // AddressSanitizer checks the text is readable to its zero

  // The caller's texts are never changed.
  for (std::size_t i = 0; i < fields.size(); ++i) {
    fuzz::Check(std::string_view(texts[i].get()) == fields[i], "arguments stay as passed");
  }
  // Every other export's last text is still there, unchanged.
  for (std::size_t i = 0; i < kExports.size(); ++i) {
    if (i == which || last_reply[i] == nullptr) continue;
    fuzz::Check(std::string_view(last_reply[i]) == last_text[i],
                "a call leaves the texts of other exports alone");
  }
  if (which == kMenu && last_reply[kMenu] != nullptr) {
    fuzz::Check(reply == last_reply[kMenu], "the menu is one constant text");
  }
  if (which == kKick) {
    const char* group = nullptr;
    const char* member = nullptr;
    fuzz::Check(last_kick(&group, &member) == kicks_before + 1, "one kick per call");
    fuzz::Check(std::string_view(group) == fields[2] && std::string_view(member) == fields[0],
                "the kick passes the group, then the member");
    fuzz::Check(text == "[name]，T人成功，被T人：" + std::string(fields[0]), "the kick reply");
  }
  if (which == kToTraditional || which == kToSimplified) {
    const std::string first = which == kToTraditional ? "[name]，你要转换的文字是："
                                                      : "[name]，你要转换的文字是";
    const std::string head = first + std::string(fields[0]) + "[enter]转换后的文字是：";
    fuzz::Check(text.size() == head.size() + fields[0].size() && text.rfind(head, 0) == 0,
                "a conversion reply echoes the parameter and its same-length conversion");
  }
  last_reply[which] = reply;
  last_text[which] = text;
  return 0;
}
