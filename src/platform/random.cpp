// The module's pseudo-random generator: a Mersenne Twister reseeded from the tick count.
#include "platform/random.h"

#include <cstdint>
#include <random>

#include "platform/clock.h"

namespace platform {
namespace {

class TickSeededRandom final : public RandomSource {
 public:
  void SeedFromClock() override {
    engine_.seed(CurrentClock().TickCountMs() + seedings_++);
  }
  int Draw(int low, int high) override {
    return std::uniform_int_distribution<int>(low, high)(engine_);
  }

 private:
  std::mt19937 engine_;
  std::uint32_t seedings_ = 0;
};

RandomSource* source_for_testing = nullptr;

}  // namespace

RandomSource& CurrentRandomSource() {
  static TickSeededRandom real;
  return source_for_testing != nullptr ? *source_for_testing : real;
}

void SetRandomSourceForTesting(RandomSource* source) { source_for_testing = source; }

}  // namespace platform
