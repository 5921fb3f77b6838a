// The skinpack command line tool: packs a folder of a skin definition and bitmaps into a skin
// package and back, lists and verifies packages, and compresses bare framed streams.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qn::skinpack {

// Runs one command line (arguments after the program name, UTF-8). Returns the exit status:
// 0 done, 1 bad input (one line per problem on err), 2 bad arguments (usage on err).
int RunSkinPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qn::skinpack
