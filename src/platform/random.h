// The pseudo-random generator facility, replaceable in tests so a draw can be fixed.
#pragma once

namespace platform {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Seeds the generator from the current clock's tick count plus a counter that grows with
  // every seeding, so two seedings within one millisecond still differ.
  virtual void SeedFromClock() = 0;
  // A number from `low` to `high`, both included; `low` must not exceed `high`.
  virtual int Draw(int low, int high) = 0;
};

// The generator the module uses: the real one unless a test installed another one.
RandomSource& CurrentRandomSource();

// Installs `source` as the current generator; nullptr restores the real one.
void SetRandomSourceForTesting(RandomSource* source);

}  // namespace platform
