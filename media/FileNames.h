#pragma once
// Names of dropped files and of their copies on the stick.

#include <functional>
#include <optional>
#include <string>

namespace vidlark {

// The file name without folder and extension. Dropped files have native
// paths, so only "/" separates folders ("Ep 1: Pilot.mp3" keeps its colon).
std::string ExtractBaseName(const std::string& path);

// The file name without its folder.
std::string FileNameOf(const std::string& path);

// The extension of the file name, from its last dot, dot included; empty
// when the name has no dot. Letter case as in the path.
std::string ExtensionOf(const std::string& path);

// The folder part of a native path, without the final "/"; empty for a bare name.
std::string FolderOf(const std::string& path);

// folder + "/" + name; the name alone when the folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);

std::string UpperCaseAscii(std::string text);

// The name as a FAT volume can hold it: \ : * ? " < > |, control characters
// and trailing dots and blanks become "_".
std::string FatSafeName(const std::string& name);

// name itself when taken() says it is free, else the first of stem~1.ext,
// stem~2.ext ... that is free (stem and ext split at the last dot). Empty
// when none is: a FAT folder holds fewer than 65536 entries.
std::optional<std::string> FreeVariantName(const std::string& name,
                                           const std::function<bool(const std::string&)>& taken);

// A device name of a video: M4V0 or MAQ0, four digits, .MP4 (any case).
bool IsDeviceVideoName(const std::string& fileName);

} // namespace vidlark
