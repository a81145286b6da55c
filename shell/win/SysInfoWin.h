// The Windows version as the system reports it through GetVersionExW.
#pragma once

#include <string>

#include "shell/SysInfo.h"

// One GetVersionExW call with an OSVERSIONINFOW of 148 bytes; ok is false when
// the call fails.
WindowsVersionInfo QueryWindowsVersion();

// WindowsVersionCodeFrom / WindowsVersionTextFrom of QueryWindowsVersion().
int GetWindowsVersionCode();
std::string GetWindowsVersionText();
