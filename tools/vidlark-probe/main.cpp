// vidlark-probe: looks into the files that the program reads, as it reads
// them. The first argument names the command.

#include "tools/vidlark-probe/ProbeCommands.h"

#include <iostream>
#include <string_view>

namespace {

struct TCommand {
    std::string_view Name;
    std::string_view Usage;
    int (*Run)(const std::vector<std::string>&, std::ostream&, std::ostream&);
};

constexpr TCommand Commands[] = {
    {"video", "video FILE...   codec, bit rate, frame rate, frame size and title of MP4 files",
     vidlark::probe::VideoCommand},
    {"picture", "picture FILE [OUT.png]   class, size, layout, depth and compression of a picture; OUT as PNG",
     vidlark::probe::PictureCommand},
};

void PrintUsage(std::ostream& stream)
{
    stream << "usage: vidlark-probe COMMAND ARGUMENTS...\n";
    for (const TCommand& command : Commands)
        stream << "  " << command.Usage << '\n';
}

int Usage()
{
    PrintUsage(std::cerr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h") {
        PrintUsage(std::cout);
        return 0;
    }
    for (const TCommand& command : Commands) {
        if (command.Name == name)
            return command.Run(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);
    }
    return Usage();
}
