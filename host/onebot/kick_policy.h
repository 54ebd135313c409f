// Who may have whom removed from a group: the rule the adapter applies to every kick the
// plugin asks for, since the plugin itself lets anyone ask.
#pragma once

#include <string_view>

namespace robothost::onebot {

enum class GroupRole { kUnknown, kMember, kAdmin, kOwner };

// "owner", "admin" or "member" as OneBot names them; anything else is kUnknown.
GroupRole ParseGroupRole(std::string_view role);

enum class KickVerdict {
  kAllowed,
  kCallerNotPermitted,  // the caller is neither owner, admin nor a configured operator
  kTargetIsBot,         // the robot's own account
  kTargetIsOwner,       // the group owner can never be removed
  kTargetNotBelow,      // the target ranks equal to or above the caller (admin vs admin)
  kTargetUnknown,       // the target's role could not be learnt (not in the group)
};

struct KickRequest {
  GroupRole caller = GroupRole::kUnknown;
  bool caller_is_operator = false;  // listed in the adapter's operators
  GroupRole target = GroupRole::kUnknown;
  bool target_is_bot = false;
};

// The verdict for one kick. The checks run in this order: the bot itself, the caller's right,
// the target's role. A configured operator counts as ranking above every admin but still
// cannot remove the owner.
KickVerdict DecideKick(const KickRequest& request);

}  // namespace robothost::onebot
