// The module's one export. Its own copy of foundation also logs and searches
// through this module's services.

#include "tools/KsToolsModule.h"

#if defined(_WIN32)
#define KS_TOOLS_EXPORT __declspec(dllexport)
#else
#define KS_TOOLS_EXPORT __attribute__((visibility("default")))
#endif

extern "C" KS_TOOLS_EXPORT IKsTools* GetKsToolsDLL(int version) {
  if (version != kKsToolsInterfaceVersion) return nullptr;
  KsToolsModule& module = KsToolsModule::Instance();
  SetKsToolsRoot(&module);
  return &module;
}
