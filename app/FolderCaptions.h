#pragma once

#include <QString>

#include <string>

namespace vidlark {

// The folder menu's caption of folder number 0..8: "(&3) MP_ROOT\100MNV01\",
// with a leading ">" for the current MPEG-4 slot.
QString SlotCaption(int number, const std::string& folder, bool current);

} // namespace vidlark
