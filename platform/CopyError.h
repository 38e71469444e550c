#pragma once

#include <stdexcept>
#include <string>

namespace vidlark {

// A copy that cannot go on: what failed and the errno value it failed with.
class TCopyError : public std::runtime_error {
public:
    TCopyError(const std::string& what, int error)
        : std::runtime_error(what), Error(error) {}
    int Error;
};

} // namespace vidlark
