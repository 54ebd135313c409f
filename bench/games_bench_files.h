// Benchmark set-up for the pet and work games: profile files with many users in a temporary
// run directory, a clock that moves to a new day for every command, and one whole command.
#pragma once

#include <cstddef>
#include <filesystem>

namespace games_bench {

// A temporary run directory whose config directory holds the pet file and the work file with
// `users` user records each (plus the level names and titles), installed as the module's run
// directory while the object lives; removed with everything in it afterwards.
class GameFiles {
 public:
  explicit GameFiles(int users);
  ~GameFiles();
  GameFiles(const GameFiles&) = delete;
  GameFiles& operator=(const GameFiles&) = delete;

  int users() const { return users_; }

 private:
  std::filesystem::path directory_;
  int users_;
};

// Runs one whole feed for the `call`-th user picked (spread over the file) on a new day, so
// the feed is accepted and goes through every read and write. Returns the reply's length.
std::size_t FeedOnce(const GameFiles& files, int call);

// The same for the work command.
std::size_t WorkOnce(const GameFiles& files, int call);

}  // namespace games_bench
