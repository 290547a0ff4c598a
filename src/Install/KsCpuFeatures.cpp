#include "Install/KsCpuFeatures.h"

#include "platform/SysSystem.h"

std::uint32_t GetCpuFeatureFlags() {
  namespace sys = ks::sys;
  struct Mapping {
    sys::DWORD processorFeature;
    KsCpuFeature flag;
  };
  static constexpr Mapping kMappings[] = {
      {sys::PF_MMX_INSTRUCTIONS_AVAILABLE, kCpuMmx},
      {sys::PF_XMMI_INSTRUCTIONS_AVAILABLE, kCpuSse},
      {sys::PF_XMMI64_INSTRUCTIONS_AVAILABLE, kCpuSse2},
      {sys::PF_SSE3_INSTRUCTIONS_AVAILABLE, kCpuSse3},
  };
  // Every processor Windows 2000 and later run on has CPUID.
  std::uint32_t flags = kCpuCpuid;
  for (const Mapping& mapping : kMappings) {
    if (sys::IsProcessorFeaturePresent(mapping.processorFeature)) flags |= mapping.flag;
  }
  return flags;
}
