// Number guessing (猜大小): a guess against a fresh number from 1 to 100.
#pragma once

#include <string>

#include "common/command.h"
#include "common/reply.h"

namespace commands {

// Strips the parameter, draws a number and says whether the guess is too large, too small or right.
common::Reply GuessNumber(common::CommandArgs& args);

}  // namespace commands
