// _com_error: the error object for the COM failures the program treats as
// fatal, and RaiseComError, which throws one.
//
// Nothing in the program catches it: a throw ends the process through the
// runtime's handling of an uncaught exception (exit status 3), with nothing
// unwound. The class is still a proper value type, so that a copy or the
// end of its life never leaks or double-frees.
//
// Ownership: it holds one reference to its IErrorInfo (null in this
// program) and owns its message text, which stays null until formatted and
// is freed with LocalFree. A copy takes the HRESULT and the IErrorInfo (with
// AddRef) and starts without message text.
#pragma once

#include "platform/com.h"

class _com_error {
 public:
  _com_error(HRESULT hr, IErrorInfo* errorInfo);
  _com_error(const _com_error& other);
  _com_error& operator=(const _com_error&) = delete;
  virtual ~_com_error();

  HRESULT Error() const { return hr_; }
  IErrorInfo* ErrorInfo() const { return errorInfo_; }

 private:
  HRESULT hr_;
  IErrorInfo* errorInfo_;
  void* message_;
};

[[noreturn]] void RaiseComError(HRESULT hr);
