#pragma once
// KsCoreArray<T, ARG, flag>: a growable array that owns its elements and one
// buffer of capacity elements (null when the capacity is 0). Elements lie
// contiguously from index 0 and are relocated with memory moves, so T must
// stay valid when its bytes move (numbers, pointers, KsString, plain records).
// ARG is how values are passed in. flag 1 declares the elements plain (trivially
// copyable and destructible): constructors and destructors are then skipped.
// An index or count outside the array changes nothing.

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

#include "foundation/KsArrayBase.h"

template <class T, class ARG = const T&, int flag = 0>
class KsCoreArray : public KsArrayBase {
 public:
  static constexpr bool kPlain = flag != 0;
  static_assert(!kPlain || (std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>),
                "flag 1 is for plain element types");
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "the buffer is allocated as bytes");

  KsCoreArray() = default;
  // The copy's capacity is exactly the source's size.
  KsCoreArray(const KsCoreArray& other) { CopyFrom(other); }
  KsCoreArray(KsCoreArray&& other) noexcept { Steal(other); }
  KsCoreArray& operator=(const KsCoreArray& other) {
    if (this != &other) {
      RemoveAll();
      CopyFrom(other);
    }
    return *this;
  }
  KsCoreArray& operator=(KsCoreArray&& other) noexcept {
    if (this != &other) {
      RemoveAll();
      Steal(other);
    }
    return *this;
  }
  // Derived arrays that override DestroyElement call RemoveAll in their own
  // destructor: here the override is no longer reachable.
  virtual ~KsCoreArray() { RemoveAll(); }

  // Stores value at index (0..size-1), after DestroyElement when destroyOld is set.
  virtual void SetAt(int index, ARG value, bool destroyOld = true) {
    if (index < 0 || index >= m_size) return;
    if (destroyOld) DestroyElement(index);
    m_data[index] = value;
  }
  // Releases what the element at index owns before it is overwritten or removed.
  virtual void DestroyElement(int /*index*/) {}

  T& operator[](int index) noexcept { return m_data[index]; }
  const T& operator[](int index) const noexcept { return m_data[index]; }
  T& GetAt(int index) noexcept { return m_data[index]; }
  const T& GetAt(int index) const noexcept { return m_data[index]; }
  T* GetData() noexcept { return m_data; }
  const T* GetData() const noexcept { return m_data; }
  T* begin() noexcept { return m_data; }
  T* end() noexcept { return m_data + m_size; }
  const T* begin() const noexcept { return m_data; }
  const T* end() const noexcept { return m_data + m_size; }

  // Appends value (which may be an element of this array) and returns its index.
  int Add(ARG value) {
    std::byte* old = Reallocate(m_size + 1, false, false, true);
    ::new (static_cast<void*>(m_data + m_size)) T(value);
    delete[] old;  // only now: value may have lived in the old buffer
    return m_size++;
  }

  // Shrinks as RemoveAt does, or grows and default-constructs the new elements.
  void SetSize(int n, bool exact = false, bool zeroFill = true) {
    if (n < 0) return;
    if (n < m_size) {
      RemoveAt(n, m_size - n);
      return;
    }
    Grow(n, exact, zeroFill, true);
    for (int i = m_size; i < n; ++i) ::new (static_cast<void*>(m_data + i)) T();
    m_size = n;
  }

  // Removes count elements from start; count is cut to the elements that
  // exist. The capacity stays; the vacated slots are zeroed.
  void RemoveAt(int start, int count = 1) {
    if (start < 0 || count < 1 || start >= m_size) return;
    if (count > m_size - start) count = m_size - start;
    for (int i = start; i < start + count; ++i) DropElement(i);
    std::memmove(static_cast<void*>(m_data + start), static_cast<const void*>(m_data + start + count),
                 sizeof(T) * static_cast<size_t>(m_size - start - count));
    m_size -= count;
    std::memset(static_cast<void*>(m_data + m_size), 0, sizeof(T) * static_cast<size_t>(count));
  }

  // Removes every element and releases the buffer.
  void RemoveAll() {
    DropAll();
    delete[] reinterpret_cast<std::byte*>(m_data);
    m_data = nullptr;
    m_capacity = 0;
  }

  // Copies other's elements (other may be this array) after the own ones.
  void Append(const KsCoreArray& other) {
    const int count = other.m_size;
    if (count == 0) return;
    std::byte* old = Reallocate(m_size + count, false, false, true);
    const T* source = &other == this ? m_data : other.m_data;
    CopyConstruct(m_data + m_size, source, count);
    m_size += count;
    delete[] old;
  }

  // Makes room for n elements: nothing when the capacity suffices; otherwise
  // the growth rule picks the capacity unless exact is set. keep carries the
  // elements over (without it they are removed); zeroFill clears the new slots.
  void Grow(int n, bool exact = false, bool zeroFill = false, bool keep = true) {
    delete[] Reallocate(n, exact, zeroFill, keep);
  }

 protected:
  // Grow, but hands back the old buffer for the caller to release (null when
  // nothing was allocated).
  std::byte* Reallocate(int n, bool exact, bool zeroFill, bool keep) {
    if (m_capacity >= n) return nullptr;
    if (!exact) n = GrowthTarget(n, m_growBy);
    auto* buffer = new std::byte[sizeof(T) * static_cast<size_t>(n)];
    if (keep) {
      if (m_size > 0) std::memcpy(buffer, static_cast<const void*>(m_data), sizeof(T) * static_cast<size_t>(m_size));
    } else {
      DropAll();
    }
    if (zeroFill) std::memset(buffer + sizeof(T) * m_size, 0, sizeof(T) * static_cast<size_t>(n - m_size));
    std::byte* old = reinterpret_cast<std::byte*>(m_data);
    m_data = reinterpret_cast<T*>(buffer);
    m_capacity = n;
    return old;
  }

  void DropElement(int index) {
    DestroyElement(index);
    if constexpr (!kPlain) m_data[index].~T();
  }

  // Last to first; the size follows, so an element's release sees it in range.
  void DropAll() {
    while (m_size > 0) {
      DropElement(m_size - 1);
      --m_size;
    }
  }

  static void CopyConstruct(T* target, const T* source, int count) {
    if constexpr (kPlain) {
      std::memcpy(static_cast<void*>(target), static_cast<const void*>(source), sizeof(T) * static_cast<size_t>(count));
    } else {
      for (int i = 0; i < count; ++i) ::new (static_cast<void*>(target + i)) T(source[i]);
    }
  }

  void CopyFrom(const KsCoreArray& other) {
    m_growBy = other.m_growBy;
    Grow(other.m_size, true, false, true);
    CopyConstruct(m_data, other.m_data, other.m_size);
    m_size = other.m_size;
  }

  void Steal(KsCoreArray& other) noexcept {
    m_data = other.m_data;
    m_size = other.m_size;
    m_capacity = other.m_capacity;
    m_growBy = other.m_growBy;
    other.m_data = nullptr;
    other.m_size = 0;
    other.m_capacity = 0;
  }

  T* m_data = nullptr;
};
