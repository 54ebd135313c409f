// A host API library for the exports fuzzer: api_kick_group records its two texts so the
// fuzzer can check the order and the bytes the member kick passed.
#include <cstring>
#include <string>

namespace {

std::string last_group;
std::string last_member;
int calls = 0;

}  // namespace

extern "C" __attribute__((visibility("default"))) int api_kick_group(const char* group,
                                                                     const char* member) {
  last_group = group != nullptr ? group : "(null)";
  last_member = member != nullptr ? member : "(null)";
  ++calls;
  return 0;
}

// How many kicks were asked for, and the texts of the last one.
extern "C" __attribute__((visibility("default"))) int fuzz_cqapi_last_kick(const char** group,
                                                                           const char** member) {
  *group = last_group.c_str();
  *member = last_member.c_str();
  return calls;
}
