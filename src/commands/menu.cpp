// The command menu (功能表): one constant overview of the commands users may type.
#include "commands/menu.h"

namespace commands {
namespace {

// "[cqname]" and "[enter]" are the host's placeholders for the robot's name and a line break.
// Each item is indented by five ASCII spaces and the text ends in one space after the last
// item, as the host has always shown it. The member kick has no item.
constexpr char kMenuText[] =
    "[cqname]为你查询Morvel宠物系统的相关功能："
    "[enter]     ①：@喂养"
    "[enter]     ②：@查询"
    "[enter]     ③：@工作"
    "[enter]     ④：@猜数[数字]"
    "[enter]     ⑤：@简-繁[这里输入你要转换的文字]"
    "[enter]     ⑥：@繁-简[这里输入你要转换的文字]"
    "[enter]     ⑦：@获取[要获取昵称的QQ号]"
    "[enter]     ⑧：@功能表 ";

}  // namespace

common::Reply Menu(common::CommandArgs&) { return common::Reply::Constant(kMenuText); }

}  // namespace commands
