#pragma once
// Drive-letter paths ("E:\MP_ROOT\100MNV01\") and their native counterparts.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidlark {

struct TDosPath {
    char Letter = 0;                      // 'A'..'Z'
    std::vector<std::string> Components;  // the parts between the backslashes
};

// The letter and components of "X:\a\b" (or "x:" alone); nullopt for any path
// that does not begin with a letter and a colon. "/" separates like "\", and
// ".." removes the component before it but never leaves the drive's root.
std::optional<TDosPath> SplitDosPath(std::string_view path);

// root joined with components; a component that does not exist under its
// exact name takes the name of an entry that differs only in letter case.
// Missing components are appended as they stand.
std::filesystem::path ResolveComponents(const std::filesystem::path& root,
                                        const std::vector<std::string>& components);

// Wildcard match of a file name against a mask of "*" and "?", letter case
// ignored; "*.*" matches every name, with or without a dot.
bool MatchesMask(std::string_view name, std::string_view mask);

} // namespace vidlark
