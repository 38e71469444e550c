#pragma once
// A profile file ("[Section]" lines and "Key=Value" lines) held in memory.
// Section and key names match without regard to case; values are read up to
// 2047 characters; lines the program does not know are kept as they stand, so
// writing a file back changes only the keys that were set.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vidlark {

class TProfileFile {
public:
    // Longest value a read returns, in bytes.
    static constexpr std::size_t MaxValueLength = 2047;

    TProfileFile() = default;
    // The file's bytes: UTF-8, or Shift-JIS (CP932) when they are not valid
    // UTF-8. Any byte sequence is accepted.
    static TProfileFile FromBytes(std::string_view bytes);
    // UTF-8, one "\n" after every line.
    std::string ToBytes() const;

    // The value, or def when the section or key is missing. A key with
    // nothing after "=" reads as an empty text.
    std::string ReadString(std::string_view section, std::string_view key, const std::string& def) const;
    // A decimal number or "0x" with hexadecimal digits; def for anything else
    // and for numbers outside the 32-bit range.
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t def) const;

    // Replaces the value in place, or adds the key at the end of its section,
    // or adds the section at the end of the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

// Bytes that are not valid UTF-8 read as CP932; the result is UTF-8. Bytes
// that CP932 cannot map either become U+FFFD.
std::string ProfileTextToUtf8(std::string_view bytes);

} // namespace vidlark
