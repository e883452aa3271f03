// Where a class's in-process server lives, for CoCreateInstance.
//
// The registry is a list of directories: COM_CLASS_PATH (colon-separated)
// when set, else the directories of the classes that ship with linkctl
// (<dir of the executable>/classes for the build tree and
// <dir of the executable>/../lib/linkctl/classes for an install).
// A registered class is a file named after its CLSID, upper-case hex in
// braces, whose first line is the path of the shared object, absolute or
// relative to that directory. The first directory that has the file wins.
#pragma once

#include <string>

#include "platform/com.h"

// "{94221C4E-00F1-11D4-9D59-0060B0FC246C}" for the AudioLink class.
std::string FormatClsid(REFCLSID clsid);

// The directories searched, in order, given the value of COM_CLASS_PATH
// (null when it is unset).
std::string ClassSearchPath(const char* comClassPath);

// The shared object registered for clsid along searchPath, or an empty
// string when no directory has the class.
std::string FindClassServer(REFCLSID clsid, const std::string& searchPath);
