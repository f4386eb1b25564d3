#pragma once

#include <cstdint>

namespace sheet {

// RGB (0xRRGGBB) of a colour index of the classic 56-colour workbook palette;
// -1 for "automatic"/"none" and for indexes outside 1..56 (no colour).
std::int32_t PaletteColor(int colorIndex);

} // namespace sheet
