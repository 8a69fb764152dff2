#pragma once
// Owners for the COM objects and strings of the Task Scheduler calls.
#include <windows.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace yx::schedule {

template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* operator->() const noexcept { return p_; }
  [[nodiscard]] T* get() const noexcept { return p_; }
  [[nodiscard]] explicit operator bool() const noexcept { return p_ != nullptr; }
  // For the out-parameter of a call: releases what is held first.
  T** Put() noexcept {
    Reset();
    return &p_;
  }
  void Reset() noexcept {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  template <typename U>
  [[nodiscard]] HRESULT As(ComPtr<U>& other) const {
    return p_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(other.Put()));
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() noexcept = default;
  explicit Bstr(std::wstring_view text)
      : s_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { ::SysFreeString(s_); }

  [[nodiscard]] BSTR get() const noexcept { return s_; }
  BSTR* Put() noexcept {
    ::SysFreeString(std::exchange(s_, nullptr));
    return &s_;
  }
  [[nodiscard]] std::wstring_view View() const noexcept {
    return s_ ? std::wstring_view(s_, ::SysStringLen(s_)) : std::wstring_view();
  }

 private:
  BSTR s_ = nullptr;
};

// COM for this thread, for as long as the object lives.
class ComApartment {
 public:
  ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  [[nodiscard]] HRESULT Status() const noexcept { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace yx::schedule
