// Writes one record again and again until it is killed: the crash test kills
// it at random moments and checks what the file holds. Each record has the
// same number twice with a long value between them, so a file holding parts
// of two writes would show.
//
//   vellomir_crashwriter <file>
#include <cstdio>
#include <string>

#include "core/Ini.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: vellomir_crashwriter <file>\n", stderr);
        return 2;
    }
    IniFile file(argv[1]);
    unsigned long n = std::stoul(file.ReadString("Run", "A", "0"));
    for (;;) {
        ++n;
        const std::string number = std::to_string(n);
        const std::string pad(20000 + n % 7 * 1000, static_cast<char>('a' + n % 26));
        try {
            file.Edit([&](IniText& text) {
                text.Write("Run", "A", number);
                text.Write("Run", "Pad", pad);
                text.Write("Run", "B", number);
            });
        } catch (const IniWriteError&) {
            // The parent looks at the file between kills; a write it makes
            // impossible for a moment is simply the next one.
        }
    }
}
