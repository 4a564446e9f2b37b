#pragma once
// COM for the calling thread (a single-threaded apartment) for the lifetime of a scope: undone
// only when it succeeded.
#include <objbase.h>

class TComApartment {
 public:
  TComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~TComApartment() {
    if (initialized_) CoUninitialize();
  }
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;
  bool Initialized() const { return initialized_; }

 private:
  bool initialized_;
};
