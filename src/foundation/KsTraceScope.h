#pragma once
// A trace scope: logs "Start" under its tag when made and "Finish (%d ms)" (or
// "Finish (result: %d) (%d ms)" once a result is set) when it ends.

#include <cstdint>

#include "foundation/KsString.h"

class KsTraceScope {
 public:
  explicit KsTraceScope(const KsChar* tag);
  KsTraceScope(const KsTraceScope&) = delete;
  KsTraceScope& operator=(const KsTraceScope&) = delete;
  ~KsTraceScope();

  void SetResult(int result) {
    m_result = result;
    m_hasResult = true;
  }

 private:
  const KsChar* m_tag;
  std::uint32_t m_startTick;
  int m_result = 0;
  bool m_hasResult = false;
};
