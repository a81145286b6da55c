#include "exchange/CommandLine.h"

namespace {

std::string Switch(const std::string& arg)
{
    std::string s = arg;
    while (!s.empty() && (s.front() == '/' || s.front() == '-'))
        s.erase(s.begin());
    if (s.size() == arg.size())
        return {};
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

ExchangeCommand ParseExchangeCommand(const std::vector<std::string>& args)
{
    ExchangeCommand cmd;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string name = Switch(args[i]);
        if (name == "import" || name == "export") {
            cmd.What = name == "import" ? ExchangeCommand::Kind::Import : ExchangeCommand::Kind::Export;
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                cmd.Error = "/" + name + " needs the name of a file after it.";
                return cmd;
            }
            cmd.Path = args[++i];
        } else if (name == "disabled") {
            cmd.IncludeDisabled = true;
        }
    }
    return cmd;
}

bool IsVCardPath(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext == ".vcf";
}
