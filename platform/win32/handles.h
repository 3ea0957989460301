#pragma once
// Move-only owners for Win32 handles, one type per close function, so that a
// handle is closed on every path by the function that matches how it was
// opened.
#include <windows.h>
#include <setupapi.h>
#include <winspool.h>

#include <utility>

namespace win32 {

template <typename Traits>
class UniqueResource {
 public:
  using Handle = typename Traits::Handle;

  UniqueResource() = default;
  explicit UniqueResource(Handle handle) : handle_(handle) {}
  ~UniqueResource() { reset(); }

  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  bool valid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return valid(); }

  // Gives up ownership without closing.
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }

  void reset(Handle handle = Traits::Invalid()) {
    Handle old = std::exchange(handle_, handle);
    if (Traits::IsValid(old)) Traits::Close(old);
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// ClosePrinter of the spooler library loaded at run time (system_library.cpp).
void ClosePrinterHandle(HANDLE printer);

namespace traits {

// Most handles report failure, and stand for nothing, with NULL.
template <typename H>
struct NullInvalid {
  using Handle = H;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
};

// Find handles and device information sets do with INVALID_HANDLE_VALUE.
template <typename H>
struct MinusOneInvalid {
  using Handle = H;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
};

struct RegistryKey : NullInvalid<HKEY> {
  static void Close(Handle h) { RegCloseKey(h); }
};

struct Printer : NullInvalid<HANDLE> {
  static void Close(Handle h) { ClosePrinterHandle(h); }
};

struct Service : NullInvalid<SC_HANDLE> {
  static void Close(Handle h) { CloseServiceHandle(h); }
};

struct Find : MinusOneInvalid<HANDLE> {
  static void Close(Handle h) { FindClose(h); }
};

struct DeviceInfoList : MinusOneInvalid<HDEVINFO> {
  static void Close(Handle h) { SetupDiDestroyDeviceInfoList(h); }
};

// Files report failure with INVALID_HANDLE_VALUE, processes and threads with
// NULL: both mean "nothing to close".
struct Kernel : NullInvalid<HANDLE> {
  static bool IsValid(Handle h) {
    return h != nullptr && h != INVALID_HANDLE_VALUE;
  }
  static void Close(Handle h) { CloseHandle(h); }
};

struct Module : NullInvalid<HMODULE> {
  static void Close(Handle h) { FreeLibrary(h); }
};

// Buffers the system allocates for the caller (FormatMessageA).
struct LocalMemory : NullInvalid<HLOCAL> {
  static void Close(Handle h) { LocalFree(h); }
};

}  // namespace traits

using UniqueRegKey = UniqueResource<traits::RegistryKey>;
using UniquePrinter = UniqueResource<traits::Printer>;
using UniqueServiceHandle = UniqueResource<traits::Service>;
using UniqueFindHandle = UniqueResource<traits::Find>;
using UniqueDevInfoList = UniqueResource<traits::DeviceInfoList>;
using UniqueKernelHandle = UniqueResource<traits::Kernel>;
using UniqueModule = UniqueResource<traits::Module>;
using UniqueLocalMemory = UniqueResource<traits::LocalMemory>;

}  // namespace win32
