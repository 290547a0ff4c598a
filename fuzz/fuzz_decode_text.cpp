// libFuzzer target; the body lives in FuzzTargets.h so the corpus replay test runs it too.

#include <cstdlib>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!ks::fuzz::FuzzDecodeText(data, size)) std::abort();
  return 0;
}
