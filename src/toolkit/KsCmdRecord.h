#pragma once
// One queued record of a command target: four values and the request flag.
// With the flag 1 it is a timer request: values[0] 1 sets timer values[1] to
// values[2] milliseconds, 2 kills timer values[1]. With the flag 0 it is a
// command whose values belong to the target.

#include <cstdint>

struct KsCmdRecord {
  std::uint32_t values[4];
  std::uint32_t isRequest;
};
static_assert(sizeof(KsCmdRecord) == 20);
