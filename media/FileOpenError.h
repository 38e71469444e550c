#pragma once

#include <stdexcept>
#include <string>

namespace vidlark {

// A file that cannot be opened for reading. The text names the file as the
// caller gave it; what() is UTF-8.
class EFileOpenError : public std::runtime_error {
public:
    explicit EFileOpenError(const std::string& fileName)
        : std::runtime_error("ファイル " + fileName + " は開けません") {}
};

} // namespace vidlark
