// The real system layer with a clock that stands still, for tests whose outcome depends on the
// time the code under test reads.
#ifndef SOLLUX_TEST_STOPPED_CLOCK_H_
#define SOLLUX_TEST_STOPPED_CLOCK_H_

#include <cstdint>

#include "base/system_api.h"

namespace sollux::test {

class StoppedClock : public RealSystemApi {
 public:
  explicit StoppedClock(int64_t now) : now_(now) {}
  int64_t CurrentTime() override { return now_; }

 private:
  int64_t now_;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_STOPPED_CLOCK_H_
