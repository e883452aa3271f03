// The COM, OLE Automation and kernel facilities linkctl uses, for Linux.
//
// On Windows this header is nothing but the system headers; here it is our
// own stand-in, written to the same names so that app/, link/ and control/
// compile unchanged on both. It declares only what the program and its
// components need, nothing more.
//
// Binary rules a component built against this header relies on:
// - GUID: uint32 Data1, uint16 Data2, uint16 Data3, uint8 Data4[8].
// - An interface pointer points at an object whose first word points at its
//   function table; slots in declaration order, the interface pointer passed
//   first, default calling convention, no virtual destructor.
// - BSTR: pointer to the first UTF-16 unit, the byte length as uint32 right
//   before it, a 16-bit zero after the last unit.
// - A component is a shared object exporting the C symbol DllGetClassObject.
//
// Threads: CoInitialize and CoUninitialize count per thread; every other call
// may come from any thread that has called CoInitialize.
#pragma once

#include <cstddef>
#include <cstdint>

// Basic types, sized as on 32-bit Windows.
typedef int32_t HRESULT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef int32_t BOOL;
typedef size_t SIZE_T;
typedef void* LPVOID;
typedef void* HANDLE;
typedef void* HLOCAL;
typedef DWORD* LPDWORD;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;

#define STDMETHODCALLTYPE
#define WINAPI
// How a component's exported entry points are declared.
#define STDAPI extern "C" HRESULT

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
typedef CLSID* LPCLSID;

inline bool operator==(REFGUID a, REFGUID b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         __builtin_memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}
inline bool operator!=(REFGUID a, REFGUID b) {
  return !(a == b);
}
inline bool IsEqualGUID(REFGUID a, REFGUID b) {
  return a == b;
}

// Class contexts.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
typedef IUnknown* LPUNKNOWN;

struct IClassFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;
};

// Only carried, never called into here: a bind context is passed to Run.
struct IBindCtx : IUnknown {};
typedef IBindCtx* LPBINDCTX;

struct IRunnableObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID clsid) = 0;
  virtual HRESULT STDMETHODCALLTYPE Run(LPBINDCTX bindContext) = 0;
  virtual BOOL STDMETHODCALLTYPE IsRunning() = 0;
  virtual HRESULT STDMETHODCALLTYPE LockRunning(BOOL lock, BOOL lastUnlockCloses) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL contained) = 0;
};

// Rich error information; only its IUnknown part is used.
struct IErrorInfo : IUnknown {};

// Defined here so that a component needs nothing but this header.
inline const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline const IID IID_IRunnableObject = {0x00000126, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The signature every component exports under the C name DllGetClassObject.
typedef HRESULT (*DllGetClassObjectFunction)(REFCLSID clsid, REFIID iid, void** out);

HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out);
HRESULT OleRun(LPUNKNOWN object);

BSTR SysAllocString(const OLECHAR* text);
void SysFreeString(BSTR text);

// Inline, as the length prefix is part of the binary rules above.
inline UINT SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  uint32_t bytes;
  __builtin_memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
  return bytes / sizeof(OLECHAR);
}

constexpr UINT CP_ACP = 0;
constexpr DWORD MB_PRECOMPOSED = 0x1;
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceBytes, LPWSTR target,
                        int targetUnits);

typedef struct SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID parameter);
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, LPDWORD threadId);
void Sleep(DWORD milliseconds);
HLOCAL LocalFree(HLOCAL memory);
