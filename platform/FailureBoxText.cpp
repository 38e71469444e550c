#include "platform/Platform.h"

namespace vidlark {

std::string FailureBoxText(const std::string& text)
{
    // Bytes compare unsigned: every multi-byte UTF-8 character sorts above ".".
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        return text + ".";
    return text;
}

} // namespace vidlark
