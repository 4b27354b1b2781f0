#pragma once

#include <stdexcept>

#include "plug/i_plug.h"

// A component that counts its live objects, with a switchable InitInstance outcome.
class CountedComponent final : public I_Plug {
 public:
  enum class Init { Succeed, Fail, Throw };
  static inline int alive = 0;
  static inline Init nextInit = Init::Succeed;

  static I_Plug* Make() { return new CountedComponent(nextInit); }
  static I_Plug* MakeThrowing() { throw std::runtime_error("factory failed"); }

  bool InitInstance() override {
    if (init_ == Init::Throw) {
      throw std::runtime_error("init failed");
    }
    return init_ == Init::Succeed;
  }
  int32_t AddRef() override { return ++refs_; }
  void Release() override {
    if (--refs_ == 0) {
      delete this;
    }
  }
  int32_t Refs() const { return refs_; }

 private:
  explicit CountedComponent(Init init) : init_(init) { ++alive; }
  ~CountedComponent() { --alive; }
  Init init_;
  int32_t refs_ = 1;
};
