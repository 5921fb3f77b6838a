// Our skins: each a theme drawn into images and a definition that names them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/skindraw/Theme.h"

namespace qn::skindraw {

struct TSkinFiles {
  std::string folder;
  std::string iniName;
  std::string ini;  // the definition text
  std::vector<std::pair<std::string, TPic>> images;
};

std::vector<TTheme> OurThemes();
TSkinFiles BuildSkin(const TTheme& t);

}  // namespace qn::skindraw
