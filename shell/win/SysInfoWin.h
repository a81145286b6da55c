// The Windows version as the system reports it through GetVersionExA.
#pragma once

#include <string>

#include "shell/SysInfo.h"

// One GetVersionExA call with an OSVERSIONINFOA of 148 bytes; ok is false when
// the call fails.
WindowsVersionInfo QueryWindowsVersion();

// WindowsVersionCodeFrom / WindowsVersionTextFrom of QueryWindowsVersion().
int GetWindowsVersionCode();
std::string GetWindowsVersionText();
