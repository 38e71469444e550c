#include "tools/vidlark-probe/ProbeCommands.h"

#include "media/FileOpenError.h"
#include "media/ListingTexts.h"
#include "media/PspMetadata.h"

#include <cstdio>

namespace vidlark::probe {

std::string FieldText(const std::string& text)
{
    std::string field;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            field += escaped;
        } else {
            field += c;
        }
    }
    return field;
}

int VideoCommand(const std::vector<std::string>& files, std::ostream& out, std::ostream& err)
{
    if (files.empty()) {
        err << "usage: vidlark-probe video FILE...\n";
        return 2;
    }
    int status = 0;
    for (const std::string& file : files) {
        try {
            const std::string title = ReadPspTitle(file, file);
            TVideoProfile profile;
            ReadVideoProfile(file, file, profile);
            out << FieldText(file) << '\t' << FieldText(profile.Codec) << '\t' << profile.BitRate << '\t'
                << FrameRateText(profile.FrameRate) << '\t' << profile.FrameWidth << '\t'
                << profile.FrameHeight << '\t' << FieldText(title) << '\n';
        } catch (const EFileOpenError& error) {
            out.flush();
            err << error.what() << '\n';
            status = 1;
        }
    }
    return status;
}

} // namespace vidlark::probe
