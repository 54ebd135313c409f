// The export wrapper and the ResultSlots: argument copies, reply lifetime and unload order.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>

#include "common/reply.h"

namespace plugin {

// One ResultSlot per export, in the order in which unload releases them.
enum class Slot : std::size_t {
  kInfo,
  kDayStamp,        // 时间格式化
  kTextBetween,     // 取文本之间
  kStripSpaces,     // 去空格换行
  kFetchNickname,   // 获取昵称
  kFeedPet,         // 喂养宠物
  kPetInfo,         // 信息查询
  kWork,            // 打工
  kGuessNumber,     // 猜大小
  kToTraditional,   // 简体到繁体
  kToSimplified,    // 繁体到简体
  kMenu,            // 功能表
  kNicknameLookup,  // 昵称获取
  kKickMember,      // T人
  kCount,
};

// Keeps `reply` in the slot, releasing the slot's previous reply, and returns its text.
const char* StoreReply(Slot slot, common::Reply reply);

// The text the slot holds, or null before the export's first call.
const char* SlotText(Slot slot);

// Releases every slot's reply in slot order. The module's unload routine calls this.
void ReleaseAllSlots();

// The wrapper's copy of one argument: the bytes before the first zero byte, the empty text
// for a null pointer.
inline std::string CopyArgument(const char* argument) {
  return argument == nullptr ? std::string() : std::string(argument);
}

// Runs `handler` on copies of the arguments and keeps its reply in `slot`. The copies die
// (with whatever the handler left in them) before the previous reply is released, and the
// previous reply is released only after the handler has run.
template <typename Handler, typename... Arguments>
const char* RunExport(Slot slot, Handler&& handler, Arguments... arguments) {
  common::Reply reply = [&] {
    auto copies = std::array<std::string, sizeof...(Arguments)>{CopyArgument(arguments)...};
    return std::apply([&](auto&... copy) { return handler(copy...); }, copies);
  }();
  return StoreReply(slot, std::move(reply));
}

}  // namespace plugin
