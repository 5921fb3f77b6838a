// skinpack's entry point. On Windows the arguments are taken wide and passed on as UTF-8.
#include <iostream>
#include <string>
#include <vector>

#include "platform/core/TextConv.h"
#include "tools/skinpack/SkinPack.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(qn::WideToUtf8(argv[i]));
  return qn::skinpack::RunSkinPack(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  return qn::skinpack::RunSkinPack(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
