// The system's ANSI code page, the form the data files and the log have
// always had, against UTF-8, which the program works in; and files opened by
// a UTF-8 name. The platform part: Windows asks the system (core/win), the
// native build stands in with Windows-1252 (core/posix).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// ANSI bytes as UTF-8, appended to out. A byte the code page leaves undefined
// reads as the system reads it (Windows-1252's five gaps as the C1 controls
// of the same number).
void AppendAnsiAsUtf8(std::string& out, std::string_view ansi);
// UTF-8 text in the ANSI code page, appended to out; false when a character
// has no exact counterpart there (no "best fit": Ł is not L). out is then
// unspecified.
bool AppendUtf8AsAnsi(std::string& out, std::string_view utf8);

// std::fopen with a UTF-8 file name.
std::FILE* OpenFileUtf8(const std::string& path, const char* mode);
