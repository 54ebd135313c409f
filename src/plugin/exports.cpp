// The fourteen exports the robot host calls: each is one line over its handler. The exported
// (GBK) names come from exports.txt, through exports.def on Windows and asm labels on ELF.
#include "commands/guess_number.h"
#include "commands/kick.h"
#include "commands/menu.h"
#include "commands/nickname.h"
#include "commands/script_conversion.h"
#include "common/utility_exports.h"
#include "export_names.h"
#include "pet/pet_commands.h"
#include "plugin/descriptor.h"
#include "plugin/export_layer.h"
#include "plugin/exports.h"
#include "work/work_command.h"

namespace {

using common::CommandArgs;
using common::Reply;
using plugin::Slot;

// Adapts a chat command handler to the five separate argument copies of the export wrapper.
template <Reply (*kHandler)(CommandArgs&)>
Reply Command(std::string& a1, std::string& a2, std::string& a3, std::string& a4,
              std::string& a5) {
  CommandArgs args{std::move(a1), std::move(a2), std::move(a3), std::move(a4), std::move(a5)};
  return kHandler(args);
}

}  // namespace

#define CQP_COMMAND_EXPORT(symbol, slot, handler)                                           \
  const char* CQP_STDCALL symbol(const char* a1, const char* a2, const char* a3,            \
                                 const char* a4, const char* a5) {                          \
    return plugin::RunExport(slot, Command<handler>, a1, a2, a3, a4, a5);                   \
  }

extern "C" {

const char* CQP_STDCALL CqpInfo() { return plugin::RunExport(Slot::kInfo, plugin::Info); }
const char* CQP_STDCALL CqpDayStamp() {
  return plugin::RunExport(Slot::kDayStamp, common::DayStampExport);
}
const char* CQP_STDCALL CqpTextBetween(const char* text, const char* start, const char* end) {
  return plugin::RunExport(Slot::kTextBetween, common::TextBetweenExport, text, start, end);
}
const char* CQP_STDCALL CqpStripSpaces(const char* text) {
  return plugin::RunExport(Slot::kStripSpaces, common::StripSpacesAndBreaksExport, text);
}
const char* CQP_STDCALL CqpFetchNickname(const char* qq) {
  return plugin::RunExport(Slot::kFetchNickname, commands::FetchNickname, qq);
}
CQP_COMMAND_EXPORT(CqpFeedPet, Slot::kFeedPet, pet::FeedPet)
CQP_COMMAND_EXPORT(CqpPetInfo, Slot::kPetInfo, pet::PetInfo)
CQP_COMMAND_EXPORT(CqpWork, Slot::kWork, work::Work)
CQP_COMMAND_EXPORT(CqpGuessNumber, Slot::kGuessNumber, commands::GuessNumber)
CQP_COMMAND_EXPORT(CqpToTraditional, Slot::kToTraditional, commands::ToTraditional)
CQP_COMMAND_EXPORT(CqpToSimplified, Slot::kToSimplified, commands::ToSimplified)
CQP_COMMAND_EXPORT(CqpMenu, Slot::kMenu, commands::Menu)
CQP_COMMAND_EXPORT(CqpNicknameLookup, Slot::kNicknameLookup, commands::NicknameLookup)
CQP_COMMAND_EXPORT(CqpKickMember, Slot::kKickMember, commands::KickMember)

}  // extern "C"
