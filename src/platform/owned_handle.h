// The one owner of every handle the programs open: it closes its handle on
// every way out of the scope that holds it, once, and hands it on only by
// moving. Header only: a program instantiates, and so calls and imports,
// only the close functions of the kinds it uses.
#ifndef HOTFIXES_PLATFORM_OWNED_HANDLE_H_
#define HOTFIXES_PLATFORM_OWNED_HANDLE_H_

#include "platform/platform.h"

// Owns one handle of `Kind`, which says what a handle is (`Handle`), the
// value that stands for none (`None()`) and how one is closed (`Close`).
template <typename Kind>
class Owned {
 public:
  typedef typename Kind::Handle Handle;

  Owned() : handle_(Kind::None()) {}
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  bool valid() const { return handle_ != Kind::None(); }
  Handle get() const { return handle_; }

  // Holds `handle` and closes the one held before, if any and not the same.
  void Reset(Handle handle = Kind::None()) {
    const Handle previous = handle_;
    handle_ = handle;
    if (previous != Kind::None() && previous != handle) Kind::Close(previous);
  }

  // Gives the handle up unclosed; none is held after.
  Handle Release() {
    const Handle handle = handle_;
    handle_ = Kind::None();
    return handle;
  }

 private:
  Handle handle_;
};

namespace handle_kinds {

// A file opened by CreateFileA.
struct File {
  typedef HANDLE Handle;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle file) { platform::CloseHandle(file); }
};

// A folder search begun by FindFirstFileA.
struct Search {
  typedef HANDLE Handle;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle search) { platform::FindClose(search); }
};

// A registry key opened by RegOpenKeyExA. The predefined roots
// (HKEY_LOCAL_MACHINE and the like) are never owned.
struct RegistryKey {
  typedef HKEY Handle;
  static Handle None() { return nullptr; }
  static void Close(Handle key) { platform::RegCloseKey(key); }
};

}  // namespace handle_kinds

typedef Owned<handle_kinds::File> OwnedFile;
typedef Owned<handle_kinds::Search> OwnedSearch;
typedef Owned<handle_kinds::RegistryKey> OwnedKey;

#endif  // HOTFIXES_PLATFORM_OWNED_HANDLE_H_
