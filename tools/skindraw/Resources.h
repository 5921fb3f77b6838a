// The program's own bitmap resources of the skin engine: the default track-bar images
// (16 colours) and the glyphs of the skinned system menu (monochrome).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qn::skindraw {

// File name and bytes of each resource bitmap.
std::vector<std::pair<std::string, std::vector<uint8_t>>> EngineResources();

}  // namespace qn::skindraw
