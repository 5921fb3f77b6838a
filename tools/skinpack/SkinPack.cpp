#include "tools/skinpack/SkinPack.h"

#include <charconv>

#include "skin/package/SkinRead.h"
#include "tools/skinpack/Commands.h"

namespace qn::skinpack {

namespace {

constexpr char kUsage[] =
    "usage: skinpack COMMAND ARGUMENTS\n"
    "  pack [--version N] DIR PACKAGE  pack the definition (one .ini file) and the bitmaps\n"
    "                                  (.bmp files) of DIR into a skin package; N is the\n"
    "                                  archive version: 20000, 30000, 40000, 50000, 60000 or\n"
    "                                  70000 (the default)\n"
    "  unpack PACKAGE DIR              write every entry of a package into DIR\n"
    "  list PACKAGE                    print the archive version, then each entry's size and name\n"
    "  verify PACKAGE                  decode and check everything; report each damage\n"
    "  compress IN OUT                 compress a file into a framed stream (count, then code),\n"
    "                                  the form of compressed definition files\n"
    "  decompress IN OUT               the reverse\n"
    "  --help                          show this text\n"
    "exit status: 0 done, 1 bad input, 2 bad arguments\n";

struct TBadArguments {
  std::string why;
};

void Need(const std::vector<std::string>& pos, size_t n, const std::string& cmd) {
  if (pos.size() != n) throw TBadArguments{cmd + " takes " + std::to_string(n) + " arguments"};
}

int32_t ParseVersion(const std::string& text) {
  int32_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || SkinSkipSize(v) < 0) {
    throw TBadArguments{"unknown archive version \"" + text + "\""};
  }
  return v;
}

int Dispatch(const std::vector<std::string>& args, TOutput& o) {
  const std::string& cmd = args[0];
  std::vector<std::string> pos;
  int32_t version = 70000;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (cmd == "pack" && a == "--version") {
      if (++i == args.size()) throw TBadArguments{"--version needs a value"};
      version = ParseVersion(args[i]);
    } else if (cmd == "pack" && a.rfind("--version=", 0) == 0) {
      version = ParseVersion(a.substr(10));
    } else if (a == "--") {
      pos.insert(pos.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (a.size() > 1 && a[0] == '-') {
      throw TBadArguments{"unknown option " + a};
    } else {
      pos.push_back(a);
    }
  }
  if (cmd == "pack") {
    Need(pos, 2, cmd);
    Pack(pos[0], pos[1], version, o);
  } else if (cmd == "unpack") {
    Need(pos, 2, cmd);
    Unpack(pos[0], pos[1], o);
  } else if (cmd == "list") {
    Need(pos, 1, cmd);
    List(pos[0], o);
  } else if (cmd == "verify") {
    Need(pos, 1, cmd);
    return Verify(pos[0], o) ? 0 : 1;
  } else if (cmd == "compress") {
    Need(pos, 2, cmd);
    Compress(pos[0], pos[1], o);
  } else if (cmd == "decompress") {
    Need(pos, 2, cmd);
    Decompress(pos[0], pos[1], o);
  } else {
    throw TBadArguments{"unknown command " + cmd};
  }
  return 0;
}

}  // namespace

int RunSkinPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return 0;
  }
  TOutput o{out, err};
  try {
    if (args.empty()) throw TBadArguments{"no command"};
    return Dispatch(args, o);
  } catch (const TBadArguments& e) {
    err << "skinpack: " << e.why << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    err << "skinpack: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace qn::skinpack
