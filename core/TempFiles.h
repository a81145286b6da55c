// The names of the temporary files an atomic write makes beside a data file
// ("events.ini.~<process id>-<number>.tmp"), and telling them apart from every
// other file, so that the ones a killed program left behind can be removed
// and nothing else ever is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

std::string TempFileName(std::string_view dataFile, unsigned long processId, unsigned number);
// The process id in the name when it is one of dataFile's temporary files
// (compared without regard to letter case, as Windows names are), else
// nothing. Only names without a folder are given.
std::optional<unsigned long> TempFileOwner(std::string_view fileName, std::string_view dataFile);
