// The ResultSlots: each export's last reply stays readable until that export's next call.
#include "plugin/export_layer.h"

namespace plugin {
namespace {

// A slot is empty (null) until its export's first call.
struct ResultSlot {
  bool filled = false;
  common::Reply reply;
};

std::array<ResultSlot, static_cast<std::size_t>(Slot::kCount)>& Slots() {
  static std::array<ResultSlot, static_cast<std::size_t>(Slot::kCount)> slots;
  return slots;
}

ResultSlot& At(Slot slot) { return Slots()[static_cast<std::size_t>(slot)]; }

}  // namespace

const char* StoreReply(Slot slot, common::Reply reply) {
  ResultSlot& result = At(slot);
  result.reply = std::move(reply);  // releases the previous reply
  result.filled = true;
  return result.reply.c_str();
}

const char* SlotText(Slot slot) {
  const ResultSlot& result = At(slot);
  return result.filled ? result.reply.c_str() : nullptr;
}

void ReleaseAllSlots() {
  for (ResultSlot& result : Slots()) {
    result.reply = common::Reply();
    result.filled = false;
  }
}

}  // namespace plugin
