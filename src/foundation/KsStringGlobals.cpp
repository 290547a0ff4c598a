#include "foundation/KsStringGlobals.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <new>

namespace {

KsStringData* NewBuffer(int capacity) {
  void* memory = ::operator new(sizeof(KsStringData) + sizeof(KsChar) * static_cast<size_t>(capacity));
  auto* data = static_cast<KsStringData*>(memory);
  data->capacity = capacity;
  return data;
}

void FreeBuffer(KsStringData* data) { ::operator delete(data); }

// Holds the pool lock only when another thread could be using the pool.
class PoolLock {
 public:
  explicit PoolLock(std::mutex& mutex) : m_mutex(KsStringSingleThreaded() ? nullptr : &mutex) {
    if (m_mutex != nullptr) m_mutex->lock();
  }
  PoolLock(const PoolLock&) = delete;
  PoolLock& operator=(const PoolLock&) = delete;
  ~PoolLock() {
    if (m_mutex != nullptr) m_mutex->unlock();
  }

 private:
  std::mutex* m_mutex;
};

}  // namespace

void KsStringGlobals::Create() noexcept {
  // Runs before any other thread exists (first use is during static
  // initialisation), so no lock.
  s_marker.instance = new KsStringGlobals();
  s_marker.word = kMarker;
}

KsStringGlobals::KsStringGlobals() { FillTables(); }

bool KsStringGlobals::SwitchLocale(const char* name) {
  if (std::setlocale(LC_ALL, name ? name : "") == nullptr) return false;
  FillTables();
  return true;
}

void KsStringGlobals::FillTables() {
  for (int c = 0; c < 256; ++c) {
    const auto wc = static_cast<wint_t>(c);
    m_lower[c] = static_cast<KsChar>(std::towlower(wc));
    std::uint8_t bits = 0;
    if (std::iswdigit(wc)) bits |= kKsCharDigit;
    if (std::iswalpha(wc)) bits |= kKsCharAlpha;
    if (std::iswspace(wc)) bits |= kKsCharSpace;
    if (std::iswupper(wc)) bits |= kKsCharUpper;
    if (std::iswlower(wc)) bits |= kKsCharLower;
    if (std::iswpunct(wc)) bits |= kKsCharPunct;
    if (std::iswprint(wc)) bits |= kKsCharPrint;
    m_class[c] = bits;
  }
}

KsChar KsStringGlobals::FoldWide(KsChar c) noexcept {
  const wint_t lower = std::towlower(static_cast<wint_t>(c));
  return lower <= 0xFFFF ? static_cast<KsChar>(lower) : c;
}

bool KsStringGlobals::WideHasClass(KsChar c, std::uint8_t bits) noexcept {
  const auto wc = static_cast<wint_t>(c);
  return ((bits & kKsCharDigit) && std::iswdigit(wc)) || ((bits & kKsCharAlpha) && std::iswalpha(wc)) ||
         ((bits & kKsCharSpace) && std::iswspace(wc)) || ((bits & kKsCharUpper) && std::iswupper(wc)) ||
         ((bits & kKsCharLower) && std::iswlower(wc)) || ((bits & kKsCharPunct) && std::iswpunct(wc)) ||
         ((bits & kKsCharPrint) && std::iswprint(wc));
}

KsChar* KsStringGlobals::Allocate(int length, bool poolable) {
  const int needed = length + 1;
  KsStringData* data = nullptr;
  if (poolable && needed < kPoolableCapacity) {
    PoolLock lock(m_poolLock);
    int best = -1;
    int bestSlack = 0;
    for (int i = 0; i < kPoolSlots && m_pooled > 0; ++i) {
      KsStringData* candidate = m_pool[i];
      if (candidate == nullptr || candidate->capacity < needed) continue;
      const int slack = candidate->capacity - needed;
      if (best < 0 || slack < bestSlack) {
        best = i;
        bestSlack = slack;
        if (slack < 16) break;
      }
    }
    if (best >= 0) {
      data = m_pool[best];
      m_pool[best] = nullptr;
      --m_pooled;
    }
  }
  if (data == nullptr) data = NewBuffer(needed);
  data->manager = this;
  data->length = length;
  data->refs.store(1, std::memory_order_relaxed);
  return data->Chars();
}

void KsStringGlobals::Release(KsChar* buffer) {
  KsStringData* data = KsStringData::Of(buffer);
  if (data->refs.load(std::memory_order_relaxed) == kKsStringPermanentRefs) return;
  if (data->capacity < kPoolableCapacity) {
    PoolLock lock(m_poolLock);
    if (m_pooled < kPoolSlots) {
      for (auto& slot : m_pool) {
        if (slot == nullptr) {
          slot = data;
          ++m_pooled;
          return;
        }
      }
    }
  }
  FreeBuffer(data);
}

int KsStringGlobals::PooledCount() {
  PoolLock lock(m_poolLock);
  return m_pooled;
}

KsChar* KsStringGlobals::AllocateEmpty() {
  KsChar* chars = Allocate(0, true);
  chars[0] = 0;
  return chars;
}

KsChar* KsStringGlobals::AllocateZeroed(int length) {
  if (length <= 0) return GetEmpty();
  KsChar* chars = Allocate(length, true);
  std::memset(chars, 0, sizeof(KsChar) * static_cast<size_t>(length + 1));
  return chars;
}

KsChar* KsStringGlobals::FromBytes(const char* text) {
  if (text == nullptr || *text == 0) return GetEmpty();
  const int length = static_cast<int>(std::strlen(text));
  KsChar* chars = Allocate(length, true);
  for (int i = 0; i < length; ++i) chars[i] = static_cast<unsigned char>(text[i]);
  chars[length] = 0;
  return chars;
}

KsChar* KsStringGlobals::Create(const KsChar* text, int length, int capacity, bool keepEmpty, bool exactLength,
                                bool poolable) {
  if (text == nullptr) length = 0;
  if (length < 0) {
    length = 0;
    while (text[length] != 0) ++length;
  } else if (!exactLength) {
    for (int i = 0; i < length; ++i) {
      if (text[i] == 0) {
        length = i;
        break;
      }
    }
  }
  if (capacity < 0) capacity = length;
  if (capacity == 0 && !keepEmpty) return GetEmpty();
  const int used = length < capacity ? length : capacity;
  KsChar* chars = Allocate(capacity, poolable);
  if (used > 0) std::memcpy(chars, text, sizeof(KsChar) * static_cast<size_t>(used));
  chars[used] = 0;
  KsStringData::Of(chars)->length = used;
  return chars;
}

KsChar* KsStringGlobals::GetEmpty() { return g_ksEmptyString.header.Chars(); }
