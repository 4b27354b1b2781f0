#pragma once

#include "plug/plug_table.h"

// The two PlugPtr preconditions. Their reports keep the unit and line numbers that crash reports and
// support scripts of earlier releases match on; they are identifiers, not positions in this file.
enum class PlugPrecondition {
  kEmptyBeforeReceive,  // "p==NULL", line 65
  kHeldBeforeAccess,    // "p!=NULL", line 70
};

// Stops the process with the runtime's assertion report for a broken PlugPtr precondition.
[[noreturn]] void PlugAssertFailed(PlugPrecondition broken);

// Owns exactly one reference of a component, or nothing.
template <class T>
class PlugPtr {
 public:
  PlugPtr() = default;
  PlugPtr(T* p) : p_(p) {  // NOLINT(google-explicit-constructor): mirrors assignment
    if (p_ != nullptr) {
      p_->AddRef();
    }
  }
  PlugPtr(const PlugPtr& other) : PlugPtr(other.p_) {}
  ~PlugPtr() {
    if (p_ != nullptr) {
      p_->Release();
    }
  }

  // The new reference is taken before the old one is given up, so assigning the object already held
  // cannot destroy it.
  T* operator=(T* p) {
    if (p != nullptr) {
      p->AddRef();
    }
    T* old = p_;
    p_ = p;
    if (old != nullptr) {
      old->Release();
    }
    return p_;
  }
  T* operator=(const PlugPtr& other) { return *this = other.p_; }

  // For adopting a new object without adding a reference: the caller stores it through the result.
  T** Receive() {
    if (p_ != nullptr) {
      PlugAssertFailed(PlugPrecondition::kEmptyBeforeReceive);
    }
    return &p_;
  }
  T* operator->() const {
    if (p_ == nullptr) {
      PlugAssertFailed(PlugPrecondition::kHeldBeforeAccess);
    }
    return p_;
  }
  T& operator*() const { return *operator->(); }
  T* Get() const { return p_; }
  bool IsEmpty() const { return p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// Creates the component registered as `name` into an empty PlugPtr; false when it cannot be created.
// T must be the interface the component's factory makes.
template <class T>
bool CreateInto(PlugPtr<T>& ptr, const char* name) {
  *ptr.Receive() = static_cast<T*>(CreateComponent(name));
  return !ptr.IsEmpty();
}
