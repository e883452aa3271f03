// CoCreateInstance on Linux: where it looks for a class and how each way of
// not finding or not loading one is reported.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "../../platform/linux/class_registry.h"
#include "case_runner.h"
#include "link/audio_link.h"

namespace {

const std::string kClassFile = "{94221C4E-00F1-11D4-9D59-0060B0FC246C}";

void Register(const std::string& directory, const std::string& firstLine) {
  std::ofstream(directory + "/" + kClassFile) << firstLine << "\nanything after the first line\n";
}

// Creates the class with COM_CLASS_PATH set to path; the out-parameter
// starts as garbage so that a failure must null it.
HRESULT CreateWith(const std::string& path, DWORD context = 7) {
  setenv("COM_CLASS_PATH", path.c_str(), 1);
  CoInitialize(nullptr);
  IUnknown* object = reinterpret_cast<IUnknown*>(0x1);
  const HRESULT hr = CoCreateInstance(CLSID_AudioLink, nullptr, context, IID_IUnknown,
                                      reinterpret_cast<void**>(&object));
  CoUninitialize();
  unsetenv("COM_CLASS_PATH");
  if (SUCCEEDED(hr)) {
    EXPECT_NE(object, nullptr);
    object->Release();
  } else {
    EXPECT_EQ(object, nullptr) << "out-parameter left set on failure";
  }
  return hr;
}

TEST(ClassRegistry, FindsLoadsAndReportsEachFailure) {
  const std::string empty = MakeScratchDirectory();
  const std::string good = MakeScratchDirectory();
  Register(good, RECORDER_LIBRARY);
  const std::string relative = MakeScratchDirectory();
  ASSERT_EQ(symlink(RECORDER_LIBRARY, (relative + "/linkrec.so").c_str()), 0);
  Register(relative, "linkrec.so\r");
  const std::string missing = MakeScratchDirectory();
  Register(missing, missing + "/no-such-library.so");
  const std::string noExport = MakeScratchDirectory();
  Register(noExport, NO_EXPORT_LIBRARY);

  const struct {
    std::string path;
    HRESULT expected;
    const char* why;
  } cases[] = {
      {good, S_OK, "registered"},
      {empty + ":" + good, S_OK, "later directory"},
      {"::" + good + ":", S_OK, "empty entries skipped"},
      {relative, S_OK, "path relative to the directory, CRLF line"},
      {empty, REGDB_E_CLASSNOTREG, "not registered"},
      {"", REGDB_E_CLASSNOTREG, "empty search path"},
      {missing + ":" + good, CO_E_ERRORINDLL, "first directory wins, even when it fails"},
      {noExport, CO_E_ERRORINDLL, "no DllGetClassObject"},
  };
  for (const auto& c : cases) EXPECT_EQ(CreateWith(c.path), c.expected) << c.why;
  EXPECT_EQ(CreateWith(good, CLSCTX_LOCAL_SERVER), REGDB_E_CLASSNOTREG) << "no local servers";
}

TEST(ClassRegistry, CreationNeedsComOnTheCallingThread) {
  setenv("COM_CLASS_PATH", RECORDER_CLASS_DIR, 1);
  HRESULT hr = S_OK;
  void* object = &hr;
  std::thread([&] {
    hr = CoCreateInstance(CLSID_AudioLink, nullptr, 7, IID_IUnknown, &object);
  }).join();
  unsetenv("COM_CLASS_PATH");
  EXPECT_EQ(hr, CO_E_NOTINITIALIZED);
  EXPECT_EQ(object, nullptr);
}

TEST(ClassRegistry, DefaultsToTheDirectoriesBesideTheProgram) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(length, 0);
  std::string home(self, static_cast<size_t>(length));
  home.erase(home.rfind('/'));
  EXPECT_EQ(ClassSearchPath(nullptr), home + "/classes:" + home + "/../lib/linkctl/classes");
  EXPECT_EQ(ClassSearchPath("/a:/b"), "/a:/b");
  EXPECT_EQ(FormatClsid(CLSID_AudioLink), kClassFile);
}

class NotRunnable final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

TEST(OleRun, AnObjectWithoutIRunnableObjectIsRunning) {
  NotRunnable object;
  EXPECT_EQ(OleRun(&object), S_OK);
}

}  // namespace
