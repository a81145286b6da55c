// The program's command line for scripts: "/import FILE" (the running
// program takes it over, as a second start hands over) and "/export FILE"
// (written without a window; ".vcf" gives the birthdays, anything else the
// events; "/disabled" adds the disabled ones). Switches may start with "/"
// or "-" and are read without regard to letter case.
#pragma once

#include <string>
#include <vector>

struct ExchangeCommand {
    enum class Kind { None, Import, Export };
    Kind What = Kind::None;
    std::string Path;
    bool IncludeDisabled = false;
    // Not empty when the line cannot be followed ("/import" without a file).
    std::string Error;
};

// args: the command line's arguments after the program's name. Arguments
// that are none of these are left alone (the program starts as usual).
ExchangeCommand ParseExchangeCommand(const std::vector<std::string>& args);

// Whether a file name asks for vCards: it ends in ".vcf" in any letter case.
bool IsVCardPath(const std::string& path);
