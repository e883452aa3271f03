// What the recording component's Windows entry points need of its core.
#pragma once

#include <string>

// True while an object of the component lives or a LockServer lock is held.
bool RecorderInUse();

// Appends a line to the component's log, as every call of the component does.
void RecordEvent(const std::string& line);
