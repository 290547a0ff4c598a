#pragma once
// KsOwnedPtrArray<T, flag>: an array of pointers to objects it owns while its
// owns flag is set (the default). Removing, replacing with destroy-old, clearing
// and destroying the array delete the objects dropped; with the flag cleared
// they stay with the caller. Not copyable: two arrays would delete each object.

#include "foundation/KsCoreArray.h"

template <class T, int flag = 0>
class KsOwnedPtrArray : public KsCoreArray<T*, T*, 0> {
  using Base = KsCoreArray<T*, T*, 0>;

 public:
  explicit KsOwnedPtrArray(bool owns = true) : m_owns(owns) {}
  KsOwnedPtrArray(const KsOwnedPtrArray&) = delete;
  KsOwnedPtrArray& operator=(const KsOwnedPtrArray&) = delete;
  KsOwnedPtrArray(KsOwnedPtrArray&& other) noexcept : Base(static_cast<Base&&>(other)), m_owns(other.m_owns) {}
  ~KsOwnedPtrArray() override { this->RemoveAll(); }

  bool GetOwns() const noexcept { return m_owns; }
  void SetOwns(bool owns) noexcept { m_owns = owns; }

  // Storing the pointer an element already holds keeps its object alive.
  void SetAt(int index, T* value, bool destroyOld = true) override {
    if (index >= 0 && index < this->m_size && this->m_data[index] == value) return;
    Base::SetAt(index, value, destroyOld);
  }

  void DestroyElement(int index) override {
    if (!m_owns || index < 0 || index >= this->m_size) return;
    T* object = this->m_data[index];
    this->m_data[index] = nullptr;
    delete object;
  }

 private:
  bool m_owns;
};
