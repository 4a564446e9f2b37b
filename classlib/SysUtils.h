#pragma once
// Exceptions, conversions, file and path routines, dates.
#include "classlib/Types.h"

#include <exception>
#include <string>

// The base of every exception the library and the program raise.
class Exception : public std::exception {
 public:
  explicit Exception(String message);
  const String& Message() const { return message_; }
  void SetMessage(const String& message);
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  String message_;
  std::string utf8_;
};

#define QN_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {             \
   public:                               \
    using Base::Base;                    \
  };

QN_DECLARE_EXCEPTION(EAbort, Exception)            // silent: the handler shows nothing
QN_DECLARE_EXCEPTION(EConvertError, Exception)
QN_DECLARE_EXCEPTION(EListError, Exception)
QN_DECLARE_EXCEPTION(EStringListError, Exception)
QN_DECLARE_EXCEPTION(EStreamError, Exception)
QN_DECLARE_EXCEPTION(EFCreateError, EStreamError)
QN_DECLARE_EXCEPTION(EFOpenError, EStreamError)
QN_DECLARE_EXCEPTION(EReadError, EStreamError)
QN_DECLARE_EXCEPTION(EWriteError, EStreamError)
QN_DECLARE_EXCEPTION(EInvalidCast, Exception)
QN_DECLARE_EXCEPTION(EInvalidOperation, Exception)
QN_DECLARE_EXCEPTION(EInvalidPointer, Exception)
QN_DECLARE_EXCEPTION(EComponentError, Exception)
QN_DECLARE_EXCEPTION(EOutOfResources, Exception)
QN_DECLARE_EXCEPTION(EThread, Exception)
QN_DECLARE_EXCEPTION(ERegistryException, Exception)
QN_DECLARE_EXCEPTION(EAssertionFailed, Exception)

// A failed system call, with the system's own error code and text.
class EOSError : public Exception {
 public:
  EOSError(String message, DWORD code) : Exception(std::move(message)), ErrorCode(code) {}
  DWORD ErrorCode;
};

// Raises EOSError for the calling thread's last error.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD code);
String SysErrorMessage(DWORD code);

// Raises EAssertionFailed naming the unit and line, as the drawing utilities' preconditions do.
[[noreturn]] void AssertionFailed(const String& unit, int line, const String& message = L"");
