#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vidlark {

// The bytes of a small file (at most MaxTextFileSize); nullopt when it does
// not exist, cannot be read or is larger.
inline constexpr std::uintmax_t MaxTextFileSize = 16u << 20;
std::optional<std::string> ReadTextFile(const std::filesystem::path& path);

// Writes bytes under a temporary name beside path, syncs and renames it onto
// path: a failure leaves the old file as it was.
bool ReplaceTextFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace vidlark
