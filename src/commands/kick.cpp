// Member kick (T人): passes the group and the member to the host and always confirms.
#include "commands/kick.h"

#include "plugin/host_api.h"

namespace commands {

common::Reply KickMember(common::CommandArgs& args) {
  // Group first, member second, both as the texts the host gave; the host's verdict is not
  // known to us, so the reply cannot say anything but success.
  plugin::KickGroup(args.group, args.parameter);
  return common::Reply::Owned("[name]，T人成功，被T人：" + args.parameter);
}

}  // namespace commands
