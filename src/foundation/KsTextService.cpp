#include "foundation/KsTextService.h"

#include <atomic>

namespace {

// Folds case with the manager's tables; orders by folded (or exact) code units.
class DefaultTextService final : public IKsTextService {
 public:
  int FindText(const KsChar* text, const KsChar* pattern, int mode) override {
    if (text == nullptr) return pattern == nullptr || *pattern == 0 ? 0 : -1;
    if (pattern == nullptr || *pattern == 0) return 0;
    const KsStringGlobals& globals = KsStringGlobals::Instance();
    const bool fold = mode == kFindNoCase;
    const KsChar first = fold ? globals.Fold(pattern[0]) : pattern[0];
    for (const KsChar* start = text; *start != 0; ++start) {
      if ((fold ? globals.Fold(*start) : *start) != first) continue;
      const KsChar* t = start + 1;
      const KsChar* p = pattern + 1;
      while (*p != 0 && *t != 0 && (fold ? globals.Fold(*t) == globals.Fold(*p) : *t == *p)) {
        ++t;
        ++p;
      }
      if (*p == 0) return static_cast<int>(start - text);
      if (*t == 0) return -1;  // the rest of the text is shorter than the pattern
    }
    return -1;
  }

  int CompareText(const KsChar* a, const KsChar* b, int mode, int, int length) override {
    static constexpr KsChar kNone[1] = {0};
    if (a == nullptr) a = kNone;
    if (b == nullptr) b = kNone;
    const KsStringGlobals& globals = KsStringGlobals::Instance();
    const bool fold = (mode & kCompareNoCase) != 0;
    for (int i = 0; length < 0 || i < length; ++i) {
      const KsChar ca = fold ? globals.Fold(a[i]) : a[i];
      const KsChar cb = fold ? globals.Fold(b[i]) : b[i];
      if (ca != cb) return ca < cb ? -1 : 1;
      if (ca == 0) break;
    }
    return 0;
  }
};

DefaultTextService g_defaultService;
std::atomic<IKsTextService*> g_installedService{nullptr};

}  // namespace

IKsTextService* GetTextService() noexcept {
  IKsTextService* service = g_installedService.load(std::memory_order_acquire);
  return service != nullptr ? service : &g_defaultService;
}

void SetTextService(IKsTextService* service) noexcept { g_installedService.store(service, std::memory_order_release); }

bool HasInstalledTextService() noexcept { return g_installedService.load(std::memory_order_acquire) != nullptr; }
