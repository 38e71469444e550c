#pragma once
// The commands of vidlark-probe, one file each. A command gets the arguments
// behind its name and returns the exit status.

#include <ostream>
#include <string>
#include <vector>

namespace vidlark::probe {

// video FILE...: one tab-separated line per file: path, codec, bit rate,
// frame rate, width, height, title.
int VideoCommand(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

// picture FILE [OUT.png]: class, width, height, layout, bits per sample,
// samples per pixel and compression on one tab-separated line; OUT gets the
// picture as an 8-bit RGBA PNG.
int PictureCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// A field as one line can carry it: control characters and "\" as \xNN.
std::string FieldText(const std::string& text);

} // namespace vidlark::probe
