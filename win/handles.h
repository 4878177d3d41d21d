#pragma once
// Owning wrappers for the system's resources: each releases its resource on
// every path, none can be copied, and giving up ownership is explicit.
#include <objbase.h>
#include <windows.h>

#include <utility>

namespace win {

// A resource described by Traits: its type, its empty value and how it is
// released.
template <typename Traits>
class UniqueResource {
  using T = typename Traits::Type;
  static T Invalid() { return Traits::Invalid(); }


 public:
  UniqueResource() = default;
  explicit UniqueResource(T value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  T get() const { return value_; }
  bool valid() const { return value_ != Invalid(); }
  explicit operator bool() const { return valid(); }
  [[nodiscard]] T release() { return std::exchange(value_, Invalid()); }
  void reset(T value = Invalid()) {
    if (value_ != Invalid()) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Invalid();
};

namespace detail {
template <typename T, auto CloseFn>
struct NullTraits {
  using Type = T;
  static T Invalid() { return nullptr; }
  static void Close(T value) { CloseFn(value); }
};
struct FileTraits {
  using Type = HANDLE;
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
}  // namespace detail

// File handles (CreateFileW) and snapshots: empty is INVALID_HANDLE_VALUE.
using UniqueFile = UniqueResource<detail::FileTraits>;
// Process and thread handles: empty is NULL.
using UniqueHandle = UniqueResource<detail::NullTraits<HANDLE, ::CloseHandle>>;
using UniqueKey = UniqueResource<detail::NullTraits<HKEY, ::RegCloseKey>>;
using UniqueGdiObject = UniqueResource<detail::NullTraits<HGDIOBJ, ::DeleteObject>>;
using UniqueMemoryDc = UniqueResource<detail::NullTraits<HDC, ::DeleteDC>>;
using UniqueWindow = UniqueResource<detail::NullTraits<HWND, ::DestroyWindow>>;

// A GDI object selected into a DC for the lifetime of this guard.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// One CoInitialize of the calling thread; CoUninitialize only when the
// initialisation succeeded (S_OK or S_FALSE).
class ComInit {
 public:
  ComInit() : result_(CoInitialize(nullptr)) {}
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;
  ~ComInit() {
    if (ok()) CoUninitialize();
  }
  bool ok() const { return result_ == S_OK || result_ == S_FALSE; }
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

// A COM interface pointer, released when the holder goes. Declare it after
// the ComInit guard so that it is released first.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters of the form T**: releases what was held first.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace win
