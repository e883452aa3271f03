// The binary layout components are built against: each IAudioLink slot at
// its position with its arguments, GUIDs and BSTRs as laid out in memory.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>

#include "link/audio_link.h"

namespace {

// Records the name and arguments of the slot that was called.
class SlotProbe final : public IAudioLink {
 public:
  std::string last;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return Note("QI"); }
  ULONG STDMETHODCALLTYPE AddRef() override { return Note("AddRef"); }
  ULONG STDMETHODCALLTYPE Release() override { return Note("Release"); }
  HRESULT STDMETHODCALLTYPE Open() override { return Note("Open"); }
  HRESULT STDMETHODCALLTYPE Close() override { return Note("Close"); }
  HRESULT STDMETHODCALLTYPE Reserved5() override { return Note("5"); }
  HRESULT STDMETHODCALLTYPE Reserved6() override { return Note("6"); }
  HRESULT STDMETHODCALLTYPE Reserved7() override { return Note("7"); }
  HRESULT STDMETHODCALLTYPE Reserved8() override { return Note("8"); }
  HRESULT STDMETHODCALLTYPE Reserved9() override { return Note("9"); }
  HRESULT STDMETHODCALLTYPE SetOptionsA(int32_t a, int32_t b, int32_t c, int32_t d) override {
    return Note("SetOptionsA", {a, b, c, d});
  }
  HRESULT STDMETHODCALLTYPE SetOptionsB(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e,
                                        int32_t f) override {
    return Note("SetOptionsB", {a, b, c, d, e, f});
  }
  HRESULT STDMETHODCALLTYPE SetTarget(BSTR target, int32_t port) override {
    return Note(target[0] == u'T' ? "SetTarget T" : "SetTarget ?", {port});
  }
  HRESULT STDMETHODCALLTYPE SetNumber(int32_t n) override { return Note("SetNumber", {n}); }
  HRESULT STDMETHODCALLTYPE Reserved14() override { return Note("14"); }
  HRESULT STDMETHODCALLTYPE Reserved15() override { return Note("15"); }
  HRESULT STDMETHODCALLTYPE Reserved16() override { return Note("16"); }
  HRESULT STDMETHODCALLTYPE Reserved17() override { return Note("17"); }
  HRESULT STDMETHODCALLTYPE Reserved18() override { return Note("18"); }
  HRESULT STDMETHODCALLTYPE StartTX(int32_t d) override { return Note("StartTX", {d}); }
  HRESULT STDMETHODCALLTYPE StopTX() override { return Note("StopTX"); }
  HRESULT STDMETHODCALLTYPE StartRX(int32_t d) override { return Note("StartRX", {d}); }
  HRESULT STDMETHODCALLTYPE StopRX() override { return Note("StopRX"); }
  HRESULT STDMETHODCALLTYPE SetSpeakerVolume(int32_t d, int32_t v) override {
    return Note("SetSpeakerVolume", {d, v});
  }
  HRESULT STDMETHODCALLTYPE SetMicrophoneVolume(int32_t d, int32_t v) override {
    return Note("SetMicrophoneVolume", {d, v});
  }

 private:
  HRESULT Note(const char* name, std::initializer_list<int32_t> args = {}) {
    last = name;
    for (int32_t arg : args) last += " " + std::to_string(arg);
    return 0;
  }
};

// Calls the function in a slot as a caller in another language would: a
// plain function taking the interface pointer first.
template <typename... Args>
void CallSlot(IAudioLink* link, int slot, Args... args) {
  using Entry = HRESULT(STDMETHODCALLTYPE*)(IAudioLink*, Args...);
  void** table = *reinterpret_cast<void***>(link);
  reinterpret_cast<Entry>(table[slot])(link, args...);
}

TEST(AudioLinkAbi, EverySlotAtItsPositionWithItsArguments) {
  SlotProbe probe;
  IAudioLink* link = &probe;
  OLECHAR target[] = u"T";
  const struct {
    int slot;
    std::function<void()> call;
    const char* expected;
  } slots[] = {
      {3, [&] { CallSlot(link, 3); }, "Open"},
      {4, [&] { CallSlot(link, 4); }, "Close"},
      {5, [&] { CallSlot(link, 5); }, "5"},
      {9, [&] { CallSlot(link, 9); }, "9"},
      {10, [&] { CallSlot<int32_t, int32_t, int32_t, int32_t>(link, 10, 2, 20, 0, 1); },
       "SetOptionsA 2 20 0 1"},
      {11,
       [&] {
         CallSlot<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>(link, 11, 2, 20, 3, 4, 5,
                                                                        6);
       },
       "SetOptionsB 2 20 3 4 5 6"},
      {12, [&] { CallSlot<BSTR, int32_t>(link, 12, target, 6666); }, "SetTarget T 6666"},
      {13, [&] { CallSlot<int32_t>(link, 13, 600); }, "SetNumber 600"},
      {14, [&] { CallSlot(link, 14); }, "14"},
      {18, [&] { CallSlot(link, 18); }, "18"},
      {19, [&] { CallSlot<int32_t>(link, 19, -1); }, "StartTX -1"},
      {20, [&] { CallSlot(link, 20); }, "StopTX"},
      {21, [&] { CallSlot<int32_t>(link, 21, -1); }, "StartRX -1"},
      {22, [&] { CallSlot(link, 22); }, "StopRX"},
      {23, [&] { CallSlot<int32_t, int32_t>(link, 23, -1, 70); }, "SetSpeakerVolume -1 70"},
      {24, [&] { CallSlot<int32_t, int32_t>(link, 24, -1, 30); }, "SetMicrophoneVolume -1 30"},
  };
  for (const auto& entry : slots) {
    probe.last.clear();
    entry.call();
    EXPECT_EQ(probe.last, entry.expected) << "slot " << entry.slot;
  }
}

TEST(AudioLinkAbi, GuidLayout) {
  static_assert(sizeof(GUID) == 16);
  static_assert(offsetof(GUID, Data1) == 0 && offsetof(GUID, Data2) == 4 &&
                offsetof(GUID, Data3) == 6 && offsetof(GUID, Data4) == 8);
  const unsigned char bytes[16] = {0x4E, 0x1C, 0x22, 0x94, 0xF1, 0x00, 0xD4, 0x11,
                                   0x9D, 0x59, 0x00, 0x60, 0xB0, 0xFC, 0x24, 0x6C};
  EXPECT_EQ(std::memcmp(&CLSID_AudioLink, bytes, 16), 0);
  EXPECT_FALSE(CLSID_AudioLink == IID_IAudioLink);
  EXPECT_EQ(IID_IAudioLink.Data1, 0x94221C4Du);
}

TEST(AudioLinkAbi, BstrLayout) {
  BSTR text = SysAllocString(u"abc");
  ASSERT_NE(text, nullptr);
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<char*>(text) - 4, 4);
  EXPECT_EQ(bytes, 6u);
  EXPECT_EQ(text[3], 0);
  EXPECT_EQ(SysStringLen(text), 3u);
  SysFreeString(text);

  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  EXPECT_EQ(empty[0], 0);
  SysFreeString(empty);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

}  // namespace
