// The failure codes the component returns besides those of platform/com.h.
//
// Success codes: S_OK when the call did what it was asked, S_FALSE when there
// was nothing to do (already running, already stopped) or a value was
// clamped or replaced by its default. Failures leave the state unchanged.
#pragma once

#include "platform/com.h"

namespace audiolink {

// Start before Open, or the like: the object is not in a state for the call.
constexpr HRESULT kNotOpen = static_cast<HRESULT>(0x8000FFFFu);  // E_UNEXPECTED
// StartTX without a target.
constexpr HRESULT kNoTarget = static_cast<HRESULT>(0x8007139Fu);  // ERROR_INVALID_STATE
// The audio device could not be opened.
constexpr HRESULT kDeviceUnavailable = static_cast<HRESULT>(0x80070037u);  // ERROR_DEV_NOT_EXIST
// The RX port is taken by another socket.
constexpr HRESULT kPortInUse = static_cast<HRESULT>(0x80072740u);  // WSAEADDRINUSE
// The target name does not resolve.
constexpr HRESULT kHostNotFound = static_cast<HRESULT>(0x80072AF9u);  // WSAHOST_NOT_FOUND

}  // namespace audiolink
