// skindraw: draws our skins and the engine's bitmap resources from their themes.
//   skindraw skins DIR       writes DIR/<skin>/ (definition and bitmaps) for every skin
//   skindraw resources DIR   writes the engine's resource bitmaps into DIR
// Files of a skin folder that the skin no longer has are removed, so that packing the folder
// gives exactly the skin.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tools/skindraw/Resources.h"
#include "tools/skindraw/Skins.h"

namespace fs = std::filesystem;
using namespace qn::skindraw;

namespace {

bool WriteFile(const fs::path& p, const void* data, size_t size) {
  std::ofstream out(p, std::ios::binary);
  out.write(static_cast<const char*>(data), std::streamsize(size));
  if (!out) std::cerr << "skindraw: cannot write " << p << "\n";
  return bool(out);
}

int WriteSkins(const fs::path& dir) {
  for (const TTheme& theme : OurThemes()) {
    TSkinFiles skin = BuildSkin(theme);
    fs::path folder = dir / skin.folder;
    fs::create_directories(folder);
    for (const auto& e : fs::directory_iterator(folder)) {
      auto ext = e.path().extension();
      if (ext == ".bmp" || ext == ".ini") fs::remove(e.path());
    }
    if (!WriteFile(folder / skin.iniName, skin.ini.data(), skin.ini.size())) return 1;
    for (const auto& [name, pic] : skin.images) {
      auto bytes = pic.Bmp24();
      if (!WriteFile(folder / name, bytes.data(), bytes.size())) return 1;
    }
    std::cout << folder.string() << ": " << skin.images.size() << " bitmaps\n";
  }
  return 0;
}

int WriteResources(const fs::path& dir) {
  fs::create_directories(dir);
  for (const auto& [name, bytes] : EngineResources())
    if (!WriteFile(dir / name, bytes.data(), bytes.size())) return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "skins") return WriteSkins(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "resources") return WriteResources(argv[2]);
  std::cerr << "usage: skindraw skins DIR | skindraw resources DIR\n";
  return 2;
}
