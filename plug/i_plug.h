#pragma once

#include <cstdint>

// The base of every component. Objects are created by a registered factory with one reference that
// belongs to the caller; the last Release destroys the object, which is why there is no public
// destructor: nobody but Release may delete a component.
class I_Plug {
 public:
  // Prepares a new object; false means the object is unusable and the creator releases it.
  virtual bool InitInstance() = 0;
  // Count after incrementing.
  virtual int32_t AddRef() = 0;
  virtual void Release() = 0;

 protected:
  ~I_Plug() = default;
};

// A factory makes a new object carrying one reference.
using PlugFactory = I_Plug* (*)();
