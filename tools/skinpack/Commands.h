// The commands of skinpack and what they share.
#pragma once

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/Streams.h"
#include "skin/package/SkinRead.h"

namespace qn::skinpack {

// Bad input: the message is shown as one line after the program name.
class TBadInput : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TOutput {
  std::ostream& out;
  std::ostream& err;
};

void Pack(const std::string& dir, const std::string& package, int32_t version, TOutput& o);
void Unpack(const std::string& package, const std::string& dir, TOutput& o);
void List(const std::string& package, TOutput& o);
// Returns false when the package is damaged (each problem reported on err).
bool Verify(const std::string& package, TOutput& o);
void Compress(const std::string& in, const std::string& out, TOutput& o);
void Decompress(const std::string& in, const std::string& out, TOutput& o);

// UTF-8 paths to and from the file system's own.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& p);
// A whole file, or TBadInput naming it.
std::vector<uint8_t> ReadWhole(const std::string& name);
void WriteWhole(const std::string& name, const std::vector<uint8_t>& data);

// Catches the skin reader's user message while it lives.
class TMessageCatcher {
 public:
  TMessageCatcher();
  ~TMessageCatcher();
  TMessageCatcher(const TMessageCatcher&) = delete;
  TMessageCatcher& operator=(const TMessageCatcher&) = delete;
  // The message on one line, or empty.
  std::string Line() const;

 private:
  std::string message_;
  TSkinMessageSink old_;
};

// Why reader could not load: its message, if it gave one, and its reason.
std::string LoadFailure(const TSkinReader& reader, const TMessageCatcher& messages);

}  // namespace qn::skinpack
