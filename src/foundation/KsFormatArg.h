#pragma once
// One tagged argument of the format operation. Built implicitly from the C++
// value, so KsString::Format(u"%s: %d", name, 5) needs no tags at the call.

#include <cstdint>
#include <type_traits>

class KsString;

struct KsFormatArg {
  enum Tag : int { kNone = 0, kUtf8 = 1, kWide = 2, kString = 3, kInteger = 4, kReal = 5 };

  Tag tag = kNone;
  union {
    const char* utf8;
    const char16_t* wide;
    const KsString* string;
    std::int64_t integer;
    double real;
  };

  KsFormatArg() : integer(0) {}
  KsFormatArg(const char* text) : tag(kUtf8), utf8(text) {}                  // NOLINT
  KsFormatArg(char* text) : tag(kUtf8), utf8(text) {}                        // NOLINT
  KsFormatArg(const char16_t* text) : tag(kWide), wide(text) {}              // NOLINT
  KsFormatArg(char16_t* text) : tag(kWide), wide(text) {}                    // NOLINT
  KsFormatArg(const KsString& text) : tag(kString), string(&text) {}         // NOLINT
  KsFormatArg(std::nullptr_t) : tag(kWide), wide(nullptr) {}                 // NOLINT
  KsFormatArg(const void* pointer)                                           // NOLINT
      : tag(kInteger), integer(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(pointer))) {}
  template <class T, std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>, int> = 0>
  KsFormatArg(T value) : tag(kInteger), integer(static_cast<std::int64_t>(value)) {}  // NOLINT
  template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
  KsFormatArg(T value) : tag(kReal), real(static_cast<double>(value)) {}  // NOLINT
};
