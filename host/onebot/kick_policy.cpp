// The kick rule as a table of ranks.
#include "kick_policy.h"

namespace robothost::onebot {
namespace {

int Rank(GroupRole role) {
  switch (role) {
    case GroupRole::kOwner: return 3;
    case GroupRole::kAdmin: return 2;
    case GroupRole::kMember: return 1;
    case GroupRole::kUnknown: return 0;
  }
  return 0;
}

}  // namespace

GroupRole ParseGroupRole(std::string_view role) {
  if (role == "owner") return GroupRole::kOwner;
  if (role == "admin") return GroupRole::kAdmin;
  if (role == "member") return GroupRole::kMember;
  return GroupRole::kUnknown;
}

KickVerdict DecideKick(const KickRequest& request) {
  if (request.target_is_bot) return KickVerdict::kTargetIsBot;
  const int caller_rank = request.caller_is_operator ? Rank(GroupRole::kOwner)
                                                     : Rank(request.caller);
  if (caller_rank < Rank(GroupRole::kAdmin)) return KickVerdict::kCallerNotPermitted;
  if (request.target == GroupRole::kUnknown) return KickVerdict::kTargetUnknown;
  if (request.target == GroupRole::kOwner) return KickVerdict::kTargetIsOwner;
  if (Rank(request.target) >= caller_rank) return KickVerdict::kTargetNotBelow;
  return KickVerdict::kAllowed;
}

}  // namespace robothost::onebot
