// pack, unpack, list, compress and decompress.
#include <algorithm>
#include <iomanip>
#include <set>

#include "platform/core/TextConv.h"
#include "skin/package/WinConvert.h"
#include "tools/skinpack/Commands.h"

namespace qn::skinpack {

namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) {
#ifdef _WIN32
  return fs::path(Utf8ToWide(utf8));
#else
  return fs::path(utf8);
#endif
}

std::string Utf8Path(const fs::path& p) {
#ifdef _WIN32
  return WideToUtf8(p.wstring());
#else
  return p.string();
#endif
}

std::vector<uint8_t> ReadWhole(const std::string& name) {
  std::error_code ec;
  if (!fs::is_regular_file(FsPath(name), ec)) throw TBadInput(name + ": no such file");
  try {
    TMemoryStream m;
    m.LoadFromFile(name);
    return std::move(m.Bytes());
  } catch (const EStreamError&) {
    throw TBadInput(name + ": cannot read the file");
  }
}

void WriteWhole(const std::string& name, const std::vector<uint8_t>& data) {
  try {
    TFileStream f(name, TFileMode::fmCreate);
    f.WriteBuffer(data.data(), data.size());
  } catch (const EStreamError&) {
    throw TBadInput(name + ": cannot write the file");
  }
}

TMessageCatcher::TMessageCatcher() {
  old_ = SetSkinMessageSink([this](const std::string& m) { message_ = m; });
}

TMessageCatcher::~TMessageCatcher() { SetSkinMessageSink(old_); }

std::string TMessageCatcher::Line() const {
  std::string line;
  for (char c : message_) {
    if (c == '\r' || c == '\n') line += " - ";
    else line += c;
  }
  return line;
}

std::string LoadFailure(const TSkinReader& reader, const TMessageCatcher& messages) {
  std::string line = messages.Line();
  return line.empty() ? reader.LastError() : line + " (" + reader.LastError() + ")";
}

namespace {

void LoadPackage(const std::string& name, TSkinReader& reader) {
  TMemoryStream s(ReadWhole(name));
  TMessageCatcher messages;
  if (!reader.Loadfromstream(s)) throw TBadInput(name + ": " + LoadFailure(reader, messages));
}

// An entry name that is safe to use as a file name inside the output folder.
bool IsPlainFileName(const std::string& n) {
  if (n.empty() || n == "." || n == "..") return false;
  return std::none_of(n.begin(), n.end(), [](char c) {
    return c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20;
  });
}

std::string Utf8Name(const std::wstring& name) { return WideToUtf8(name); }

}  // namespace

void Pack(const std::string& dir, const std::string& package, int32_t version, TOutput& o) {
  std::error_code ec;
  if (!fs::is_directory(FsPath(dir), ec)) throw TBadInput(dir + ": no such folder");
  std::vector<std::string> inis, bmps;
  for (const auto& e : fs::directory_iterator(FsPath(dir))) {
    if (!e.is_regular_file()) continue;
    std::string name = Utf8Path(e.path().filename());
    std::string ext = LowerAscii(Utf8Path(e.path().extension()));
    if (ext == ".ini") inis.push_back(name);
    else if (ext == ".bmp") bmps.push_back(name);
  }
  if (inis.empty()) throw TBadInput(dir + ": no definition (.ini file) to pack");
  if (inis.size() > 1) {
    std::sort(inis.begin(), inis.end());
    throw TBadInput(dir + ": more than one definition (" + inis[0] + ", " + inis[1] + ")");
  }
  // By name without regard to case, so that packing an unpacked skin (whose names the reader
  // lower-cased) keeps the order.
  std::sort(bmps.begin(), bmps.end(), [](const std::string& a, const std::string& b) {
    std::string la = LowerAscii(a), lb = LowerAscii(b);
    return la != lb ? la < lb : a < b;
  });
  TSkinWriter writer(version);
  // The definition goes first: readers take the first entry whose name holds ".ini".
  std::vector<std::string> names = inis;
  names.insert(names.end(), bmps.begin(), bmps.end());
  for (const auto& name : names) {
    try {
      writer.Add(Utf8ToWide(name), ReadWhole(dir + "/" + name));
    } catch (const std::invalid_argument& e) {
      throw TBadInput(dir + ": " + e.what());
    }
  }
  TMemoryStream out;
  writer.SaveToStream(out);
  WriteWhole(package, out.Bytes());
}

void Unpack(const std::string& package, const std::string& dir, TOutput& o) {
  TSkinReader reader;
  LoadPackage(package, reader);
  if (reader.ValidEntries() < reader.Num) {
    throw TBadInput(package + ": damaged: entry \"" + Utf8Name(reader.Dir[static_cast<size_t>(reader.ValidEntries())]) +
                    "\" does not fit the data area");
  }
  for (const auto& name : reader.Dir) {
    if (!IsPlainFileName(Utf8Name(name))) {
      throw TBadInput(package + ": entry name \"" + Utf8Name(name) + "\" is not a plain file name");
    }
  }
  std::error_code ec;
  fs::create_directories(FsPath(dir), ec);
  if (ec) throw TBadInput(dir + ": cannot create the folder");
  std::set<std::wstring> written;
  TMemoryStream entry;
  for (const auto& name : reader.Dir) {
    if (!written.insert(name).second) {
      o.err << "skinpack: warning: " << package << ": entry \"" << Utf8Name(name)
            << "\" is listed twice; readers see only the first\n";
      continue;
    }
    reader.readfile(name, entry);
    WriteWhole(dir + "/" + Utf8Name(name), entry.Bytes());
  }
}

void List(const std::string& package, TOutput& o) {
  TSkinReader reader;
  LoadPackage(package, reader);
  o.out << "version " << reader.header.Version << "\n";
  for (int32_t i = 0; i < reader.Num; ++i) {
    o.out << std::setw(10) << reader.sizes[static_cast<size_t>(i)] << "  " << Utf8Name(reader.Dir[static_cast<size_t>(i)])
          << "\n";
  }
}

void Compress(const std::string& in, const std::string& out, TOutput& o) {
  TMemoryStream source(ReadWhole(in)), framed;
  LZHCompress(source, framed);
  WriteWhole(out, framed.Bytes());
}

void Decompress(const std::string& in, const std::string& out, TOutput& o) {
  TMemoryStream source(ReadWhole(in)), text;
  TLzhFrameInfo info;
  try {
    LZHDecompress(source, text, &info);
  } catch (const ElzhBadCount&) {
    source.SetPosition(0);
    throw TBadInput(in + ": its count of " + std::to_string(source.ReadU32()) + " bytes cannot come from " +
                    std::to_string(source.Size() - 4) + " bytes of compressed data");
  } catch (const EStreamError&) {
    throw TBadInput(in + ": too short to hold a count");
  }
  if (info.RanOut) {
    throw TBadInput(in + ": the compressed data ends before its count of " + std::to_string(info.Count) + " bytes");
  }
  if (info.CodeUsed < info.CodeBytes) {
    o.err << "skinpack: warning: " << in << ": " << info.CodeBytes - info.CodeUsed
          << " bytes left over after the compressed data\n";
  }
  WriteWhole(out, text.Bytes());
}

}  // namespace qn::skinpack
