// Per-thread COM state shared inside the platform layer.
#pragma once

#include "platform/com.h"

// True between a thread's first CoInitialize and its matching CoUninitialize.
bool ThreadHasEnteredCom();
