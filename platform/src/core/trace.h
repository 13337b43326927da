// The entry line every service call opens with. In a player's program no call hook is attached
// and the line costs a load and a branch; the arguments are not even evaluated. A test host that
// attaches a hook (core/seams.h) sees each call by its constant name with its arguments, and may
// answer it in the service's place (an injected fault).
//
//   HRESULT SurfaceObject::Blt(...) {
//     QV_ENTRY_OR_RETURN("IDirectDrawSurface4::Blt", trace::Rect(dst), trace::Object(src), ...);
//
// The macro's name says what it may do: when the hook answers the call, the calling function
// returns at this line, with the answer converted to its return type (an HRESULT, BOOL, ULONG
// or count as the number itself, a handle or pointer as null). Otherwise the function goes on.
#ifndef QV_PLATFORM_CORE_TRACE_H
#define QV_PLATFORM_CORE_TRACE_H

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace plat::trace {

// One argument of a call, as a log shows it. Only the fields its kind names are set.
struct Arg {
  enum class Kind : uint8_t {
    Hex,          // flags, colours, keys: `number`
    Dec,          // sizes, positions, counts: `number`
    Rect,         // const RECT* in `pointer`
    Pointer,      // any other pointer: null or not
    Window,       // HWND in `pointer`
    Object,       // a platform object: `pointer`, its kind in `label`, its serial in `number`
    Text,         // const char* in `pointer` (may be null)
    Iid,          // const GUID* in `pointer`
    SurfaceDesc,  // const DDSURFACEDESC2* in `pointer`
    BltFx,        // const DDBLTFX* in `pointer`
    ColorKey,     // const DDCOLORKEY* in `pointer`
    Caps2,        // const DDSCAPS2* in `pointer`
  };
  Kind kind;
  int64_t number = 0;
  const void* pointer = nullptr;
  const char* label = nullptr;
};

inline Arg Hex(uint32_t value) { return {Arg::Kind::Hex, value}; }
inline Arg Dec(int64_t value) { return {Arg::Kind::Dec, value}; }
inline Arg Rect(const RECT* rect) { return {Arg::Kind::Rect, 0, rect}; }
inline Arg Ptr(const void* pointer) { return {Arg::Kind::Pointer, 0, pointer}; }
inline Arg Wnd(HWND window) { return {Arg::Kind::Window, 0, window}; }
inline Arg Object(const void* object, const char* kind, unsigned serial) {
  return {Arg::Kind::Object, serial, object, kind};
}
inline Arg Text(const char* text) { return {Arg::Kind::Text, 0, text}; }
// A name that may be a small number in its place (a class atom, MAKEINTRESOURCE): the number
// as Hex, else the text.
inline Arg Name(const char* name) {
  auto value = reinterpret_cast<uintptr_t>(name);
  return value >> 16 ? Text(name) : Hex(static_cast<uint32_t>(value));
}
inline Arg Iid(const GUID& iid) { return {Arg::Kind::Iid, 0, &iid}; }
inline Arg Described(Arg::Kind kind, const void* structure) { return {kind, 0, structure}; }

// A call as the hook sees it. `name` is "Interface::Method" or a function's name; `qualifier`,
// when set, narrows it for faults ("Mouse" for one kind of DirectInput device).
struct Call {
  const char* name;
  const char* qualifier;
  const Arg* args;
  size_t count;
};

// Hands the call to the attached hook; true when the hook answered it in `*answer`.
bool Enter(const char* name, const char* qualifier, std::initializer_list<Arg> args,
           HRESULT* answer);

// The hook's answer in the calling method's return type.
struct Answer {
  HRESULT value;
  template <typename T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
  operator T() const {
    return static_cast<T>(value);
  }
  template <typename T>
  operator T*() const {
    return nullptr;
  }
};

}  // namespace plat::trace

// The entry line, with a qualifier that narrows the name for faults (one kind of device).
#define QV_ENTRY_OR_RETURN_AS(name, qualifier, ...)                         \
  do {                                                                      \
    if (::plat::seams::callHook) {                                          \
      HRESULT qvAnswer_;                                                    \
      if (::plat::trace::Enter(name, qualifier, {__VA_ARGS__}, &qvAnswer_)) \
        return ::plat::trace::Answer{qvAnswer_};                            \
    }                                                                       \
  } while (0)
#define QV_ENTRY_OR_RETURN(name, ...) QV_ENTRY_OR_RETURN_AS(name, nullptr, __VA_ARGS__)
// The entry line of a function without a result: an answered call just returns.
#define QV_ENTRY_OR_RETURN_VOID(name, ...)                                        \
  do {                                                                            \
    if (::plat::seams::callHook) {                                                \
      HRESULT qvAnswer_;                                                          \
      if (::plat::trace::Enter(name, nullptr, {__VA_ARGS__}, &qvAnswer_)) return; \
    }                                                                             \
  } while (0)

#include "core/seams.h"

#endif
