// The recording AudioLink component, for tests: serves the AudioLink class
// and appends one line per call it receives to the file LINKREC_LOG names
// (nothing is recorded when it is unset). LINKREC_MODE picks its behaviour:
//   (unset), "ok"   every operation succeeds
//   "fail"          every operation fails with E_FAIL
//   "nointerface"   QueryInterface refuses IAudioLink (E_NOINTERFACE)
//   "nofactory"     the factory's CreateInstance fails (E_OUTOFMEMORY)
//
// Lines: operations as "Name arg1 arg2 ..." in decimal, the BSTR quoted as
// UTF-8 with its length in units ("(null)" for none); lifetime events as
// "AddRef N", "Release N" (N the count after the call), "QueryInterface IID
// -> HRESULT", "Factory.*" for the class factory, "DllGetClassObject" and
// (on Windows) "DllCanUnloadNow".
#include "recorder.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "link/audio_link.h"

namespace {

// Live objects and LockServer locks: while any remain the module is in use.
std::atomic<long> moduleUsers{0};

enum class Mode { Succeed, Fail, NoInterface, NoFactory };

Mode ModeOfEnvironment() {
  const char* mode = std::getenv("LINKREC_MODE");
  if (mode == nullptr) return Mode::Succeed;
  if (std::strcmp(mode, "fail") == 0) return Mode::Fail;
  if (std::strcmp(mode, "nointerface") == 0) return Mode::NoInterface;
  if (std::strcmp(mode, "nofactory") == 0) return Mode::NoFactory;
  return Mode::Succeed;
}

// Read once: without a log the component does no work at all, so that it
// can stand in for a component that costs nothing.
const char* LogPath() {
  static const char* const path = std::getenv("LINKREC_LOG");
  return path;
}

// One open, write and close per line, so that nothing is lost however the
// process ends.
void Record(const std::string& line) {
  const char* path = LogPath();
  if (path == nullptr) return;
  FILE* log = std::fopen(path, "ab");
  if (log == nullptr) return;
  std::fprintf(log, "%s\n", line.c_str());
  std::fclose(log);
}

std::string Decimal(long long value) {
  return std::to_string(value);
}

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

std::string NameOf(REFGUID id) {
  if (id == CLSID_AudioLink) return "AudioLink";
  if (id == IID_IAudioLink) return "IAudioLink";
  if (id == IID_IUnknown) return "IUnknown";
  if (id == IID_IClassFactory) return "IClassFactory";
  if (id == IID_IRunnableObject) return "IRunnableObject";
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1],
                id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

void AppendUtf8(std::string& out, unsigned long code) {
  if (code < 0x20 || code == '"' || code == '\\') {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02lX", code);
    out += escaped;
  } else if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// "text" and its length in UTF-16 units; a lone surrogate shows as U+FFFD.
std::string Quoted(BSTR text) {
  if (text == nullptr) return "(null)";
  const UINT units = SysStringLen(text);
  std::string out = "\"";
  for (UINT i = 0; i < units; ++i) {
    unsigned long code = static_cast<uint16_t>(text[i]);
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < units) {
      const unsigned long low = static_cast<uint16_t>(text[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (code >= 0xD800 && code < 0xE000) code = 0xFFFD;
    AppendUtf8(out, code);
  }
  return out + "\" " + Decimal(units);
}

class RecordingLink final : public IAudioLink {
 public:
  explicit RecordingLink(Mode mode) : mode_(mode) { ++moduleUsers; }
  ~RecordingLink() { --moduleUsers; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    HRESULT hr = E_NOINTERFACE;
    if (iid == IID_IUnknown || (iid == IID_IAudioLink && mode_ != Mode::NoInterface)) {
      *out = static_cast<IAudioLink*>(this);
      hr = S_OK;
    }
    Record("QueryInterface " + NameOf(iid) + " -> " + Hex(hr));
    if (hr == S_OK) AddRef();
    return hr;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    Record("AddRef " + Decimal(++references_));
    return references_;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    Record("Release " + Decimal(left));
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Open() override { return Call("Open"); }
  HRESULT STDMETHODCALLTYPE Close() override { return Call("Close"); }
  HRESULT STDMETHODCALLTYPE Reserved5() override { return Call("Reserved5"); }
  HRESULT STDMETHODCALLTYPE Reserved6() override { return Call("Reserved6"); }
  HRESULT STDMETHODCALLTYPE Reserved7() override { return Call("Reserved7"); }
  HRESULT STDMETHODCALLTYPE Reserved8() override { return Call("Reserved8"); }
  HRESULT STDMETHODCALLTYPE Reserved9() override { return Call("Reserved9"); }
  HRESULT STDMETHODCALLTYPE SetOptionsA(int32_t a, int32_t b, int32_t c, int32_t d) override {
    return Call("SetOptionsA", a, b, c, d);
  }
  HRESULT STDMETHODCALLTYPE SetOptionsB(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e,
                                        int32_t f) override {
    return Call("SetOptionsB", a, b, c, d, e, f);
  }
  HRESULT STDMETHODCALLTYPE SetTarget(BSTR target, int32_t port) override {
    if (LogPath() != nullptr) Record("SetTarget " + Quoted(target) + " " + Decimal(port));
    return Result();
  }
  HRESULT STDMETHODCALLTYPE SetNumber(int32_t number) override { return Call("SetNumber", number); }
  HRESULT STDMETHODCALLTYPE Reserved14() override { return Call("Reserved14"); }
  HRESULT STDMETHODCALLTYPE Reserved15() override { return Call("Reserved15"); }
  HRESULT STDMETHODCALLTYPE Reserved16() override { return Call("Reserved16"); }
  HRESULT STDMETHODCALLTYPE Reserved17() override { return Call("Reserved17"); }
  HRESULT STDMETHODCALLTYPE Reserved18() override { return Call("Reserved18"); }
  HRESULT STDMETHODCALLTYPE StartTX(int32_t device) override { return Call("StartTX", device); }
  HRESULT STDMETHODCALLTYPE StopTX() override { return Call("StopTX"); }
  HRESULT STDMETHODCALLTYPE StartRX(int32_t device) override { return Call("StartRX", device); }
  HRESULT STDMETHODCALLTYPE StopRX() override { return Call("StopRX"); }
  HRESULT STDMETHODCALLTYPE SetSpeakerVolume(int32_t device, int32_t volume) override {
    return Call("SetSpeakerVolume", device, volume);
  }
  HRESULT STDMETHODCALLTYPE SetMicrophoneVolume(int32_t device, int32_t volume) override {
    return Call("SetMicrophoneVolume", device, volume);
  }

 private:
  template <typename... Args>
  HRESULT Call(const char* name, Args... args) {
    if (LogPath() != nullptr) {
      std::string line = name;
      ((line += " " + Decimal(args)), ...);
      Record(line);
    }
    return Result();
  }
  HRESULT Result() const { return mode_ == Mode::Fail ? E_FAIL : S_OK; }

  Mode mode_;
  ULONG references_ = 1;
};

class RecordingFactory final : public IClassFactory {
 public:
  RecordingFactory() { ++moduleUsers; }
  ~RecordingFactory() { --moduleUsers; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    HRESULT hr = E_NOINTERFACE;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      hr = S_OK;
    }
    Record("Factory.QueryInterface " + NameOf(iid) + " -> " + Hex(hr));
    if (hr == S_OK) AddRef();
    return hr;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    Record("Factory.AddRef " + Decimal(++references_));
    return references_;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    Record("Factory.Release " + Decimal(left));
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    HRESULT hr = E_POINTER;
    if (out != nullptr) {
      *out = nullptr;
      const Mode mode = ModeOfEnvironment();
      if (outer != nullptr) {
        hr = CLASS_E_NOAGGREGATION;
      } else if (mode == Mode::NoFactory) {
        hr = E_OUTOFMEMORY;
      } else {
        RecordingLink* link = new RecordingLink(mode);
        hr = link->QueryInterface(iid, out);
        link->Release();
      }
    }
    Record("Factory.CreateInstance " + NameOf(iid) + " -> " + Hex(hr));
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    Record("Factory.LockServer " + Decimal(lock));
    if (lock) {
      ++moduleUsers;
    } else {
      --moduleUsers;
    }
    return S_OK;
  }

 private:
  ULONG references_ = 1;
};

}  // namespace

bool RecorderInUse() {
  return moduleUsers > 0;
}

void RecordEvent(const std::string& line) {
  Record(line);
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  HRESULT hr = E_POINTER;
  if (out != nullptr) {
    *out = nullptr;
    hr = CLASS_E_CLASSNOTAVAILABLE;
    if (clsid == CLSID_AudioLink) {
      RecordingFactory* factory = new RecordingFactory;
      hr = factory->QueryInterface(iid, out);
      factory->Release();
    }
  }
  Record("DllGetClassObject " + NameOf(clsid) + " " + NameOf(iid) + " -> " + Hex(hr));
  return hr;
}
