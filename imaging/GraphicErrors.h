#pragma once
// The image library's exceptions and the helpers that raise them. Readers,
// decoders and the colour manager report failures only by these exceptions;
// the caller of a load catches them.

#include "imaging/GraphicStrings.h"

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vidlark {

// Common base, so a caller can catch every failure of the library at once.
class EGraphicError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Unreadable or unsupported image data, double registration.
class EInvalidGraphic : public EGraphicError {
public:
    using EGraphicError::EGraphicError;
};

// Damaged compressed data, raised by the decoders.
class EGraphicCompression : public EGraphicError {
public:
    using EGraphicError::EGraphicError;
};

// An impossible or unsupported colour conversion, raised by the colour manager.
class EColorConversionError : public EGraphicError {
public:
    using EGraphicError::EGraphicError;
};

// Replaces each "%s" of format, left to right, with the next argument; "%%"
// gives "%". A "%s" without an argument left stays as it is.
std::string FormatGraphicMessage(std::string_view format, std::initializer_list<std::string_view> args);

// Raise EInvalidGraphic with a plain or a formatted message.
[[noreturn]] void RaiseGraphicError(std::string_view message);
[[noreturn]] void RaiseGraphicErrorFmt(std::string_view format, std::initializer_list<std::string_view> args);

} // namespace vidlark
