#pragma once
// The processor's feature flags as one bit set: bit 0 CPUID present, 1 MMX,
// 2 SSE, 3 SSE2, 4 SSE3. Asked of the platform each time (the answer is a
// fixed fact of the machine, and cheap to ask).

#include <cstdint>

enum KsCpuFeature : std::uint32_t {
  kCpuCpuid = 1u << 0,
  kCpuMmx = 1u << 1,
  kCpuSse = 1u << 2,
  kCpuSse2 = 1u << 3,
  kCpuSse3 = 1u << 4,
};

std::uint32_t GetCpuFeatureFlags();
