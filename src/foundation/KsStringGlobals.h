#pragma once
// The string buffer layout and the process-wide string manager.
//
// A KsString points at the first character of a buffer that starts with a
// KsStringData header. Buffers of up to 1030 characters are recycled through a
// 16-slot pool; the manager also holds the case-folding and character-class
// tables for the first 256 code units.

#include <atomic>
#include <cstdint>
#include <mutex>
#if defined(__GLIBCXX__)
#include <ext/atomicity.h>
#endif

using KsChar = char16_t;

// While the process has a single thread, bus locks and the pool lock buy
// nothing; the C++ runtime tells us (false for good once a second thread
// starts), as it does for its own shared pointers.
inline bool KsStringSingleThreaded() noexcept {
#if defined(__GLIBCXX__)
  return __gnu_cxx::__is_single_threaded();
#else
  return false;
#endif
}


class IKsStringManager;

struct KsStringData {
  IKsStringManager* manager;
  std::int32_t length;    // characters in use, without the terminator
  std::int32_t capacity;  // characters the buffer holds, terminator included
  std::atomic<std::int32_t> refs;

  KsChar* Chars() noexcept { return reinterpret_cast<KsChar*>(this + 1); }
  static KsStringData* Of(const KsChar* chars) noexcept {
    return reinterpret_cast<KsStringData*>(const_cast<KsChar*>(chars)) - 1;
  }
};

// Reference count of the permanent empty buffer: never counted, released or written.
constexpr std::int32_t kKsStringPermanentRefs = 0x7FFFFC17;
// Reference count of a buffer its single owner has open for writing.
constexpr std::int32_t kKsStringEditingRefs = -1;

struct KsEmptyStringBuffer {
  KsStringData header;
  KsChar terminator;
};
inline constinit KsEmptyStringBuffer g_ksEmptyString{{nullptr, 0, 1, kKsStringPermanentRefs}, 0};

// Allocation interface of string buffers; every operation answers the
// buffer's character pointer.
class IKsStringManager {
 public:
  virtual KsChar* Allocate(int length, bool poolable) = 0;
  virtual void Release(KsChar* buffer) = 0;
  virtual KsChar* AllocateEmpty() = 0;
  virtual KsChar* AllocateZeroed(int length) = 0;
  virtual KsChar* FromBytes(const char* text) = 0;
  virtual KsChar* Create(const KsChar* text, int length, int capacity, bool keepEmpty, bool exactLength,
                         bool poolable) = 0;
  virtual KsChar* GetEmpty() = 0;

 protected:
  ~IKsStringManager() = default;
};

// Character class bits of the class table.
enum KsCharClass : std::uint8_t {
  kKsCharDigit = 1,
  kKsCharAlpha = 2,
  kKsCharSpace = 4,
  kKsCharUpper = 8,
  kKsCharLower = 16,
  kKsCharPunct = 32,
  kKsCharPrint = 64,
};

// The one string manager of the process. Created on first use (also during
// static initialisation) and never destroyed.
class KsStringGlobals final : public IKsStringManager {
 public:
  static constexpr int kPoolSlots = 16;
  static constexpr int kPoolableCapacity = 1032;  // buffers below this capacity are pooled

  static KsStringGlobals& Instance() noexcept {
    if (s_marker.word != kMarker) Create();
    return *s_marker.instance;
  }

  // The instance if it exists yet, else null; no buffer can be its before then.
  static const IKsStringManager* Existing() noexcept { return s_marker.instance; }

  KsChar* Allocate(int length, bool poolable) override;
  void Release(KsChar* buffer) override;
  KsChar* AllocateEmpty() override;
  KsChar* AllocateZeroed(int length) override;
  KsChar* FromBytes(const char* text) override;
  KsChar* Create(const KsChar* text, int length, int capacity, bool keepEmpty, bool exactLength,
                 bool poolable) override;
  KsChar* GetEmpty() override;

  // Switches the runtime locale (all categories) and refills the tables.
  // An empty name means the user's default, as start-up asks for; false when
  // the runtime does not know the locale (the tables are left as they were).
  bool SwitchLocale(const char* name = "");

  KsChar Fold(KsChar c) const noexcept { return c < 256 ? m_lower[c] : FoldWide(c); }
  bool HasClass(KsChar c, std::uint8_t bits) const noexcept {
    return c < 256 ? (m_class[c] & bits) != 0 : WideHasClass(c, bits);
  }

  // Buffers currently held in the pool (for tests).
  int PooledCount();

 private:
  static constexpr std::uint32_t kMarker = 0xB23A8C33;
  struct Marker {
    std::uint32_t word;
    KsStringGlobals* instance;
  };
  static constinit inline Marker s_marker{0, nullptr};

  KsStringGlobals();
  static void Create() noexcept;
  void FillTables();
  static KsChar FoldWide(KsChar c) noexcept;
  static bool WideHasClass(KsChar c, std::uint8_t bits) noexcept;

  std::mutex m_poolLock;
  KsStringData* m_pool[kPoolSlots] = {};
  int m_pooled = 0;
  KsChar m_lower[256];
  std::uint8_t m_class[256];
};

inline KsChar KsFoldChar(KsChar c) noexcept { return KsStringGlobals::Instance().Fold(c); }
inline bool KsIsSpace(KsChar c) noexcept { return KsStringGlobals::Instance().HasClass(c, kKsCharSpace); }
inline bool KsIsAlpha(KsChar c) noexcept { return KsStringGlobals::Instance().HasClass(c, kKsCharAlpha); }
inline bool KsIsDigit(KsChar c) noexcept { return KsStringGlobals::Instance().HasClass(c, kKsCharDigit); }
