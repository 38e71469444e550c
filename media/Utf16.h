#pragma once

#include <string>
#include <string_view>

namespace vidlark {

// UTF-16 code units to UTF-8. Surrogate pairs are joined; a surrogate
// without its partner becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

} // namespace vidlark
