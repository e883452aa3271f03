#include "link/com_error.h"

_com_error::_com_error(HRESULT hr, IErrorInfo* errorInfo)
    : hr_(hr), errorInfo_(errorInfo), message_(nullptr) {}

_com_error::_com_error(const _com_error& other)
    : hr_(other.hr_), errorInfo_(other.errorInfo_), message_(nullptr) {
  if (errorInfo_ != nullptr) errorInfo_->AddRef();
}

_com_error::~_com_error() {
  if (errorInfo_ != nullptr) errorInfo_->Release();
  if (message_ != nullptr) LocalFree(message_);
}

void RaiseComError(HRESULT hr) {
  throw _com_error(hr, nullptr);
}
