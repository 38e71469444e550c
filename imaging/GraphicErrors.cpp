#include "imaging/GraphicErrors.h"

namespace vidlark {

std::string FormatGraphicMessage(std::string_view format, std::initializer_list<std::string_view> args)
{
    std::string result;
    result.reserve(format.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            const char spec = format[i + 1];
            if (spec == '%') {
                result += '%';
                ++i;
                continue;
            }
            if (spec == 's' && next != args.end()) {
                result += *next++;
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

void RaiseGraphicError(std::string_view message)
{
    throw EInvalidGraphic(std::string(message));
}

void RaiseGraphicErrorFmt(std::string_view format, std::initializer_list<std::string_view> args)
{
    throw EInvalidGraphic(FormatGraphicMessage(format, args));
}

} // namespace vidlark
