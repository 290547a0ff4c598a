// libFuzzer target; the body lives in ConfigFuzzTargets.h so the corpus replay test runs it too.

#include <cstdlib>

#include "ConfigFuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!ks::fuzz::FuzzPropertyMapDeserialize(data, size)) std::abort();
  return 0;
}
