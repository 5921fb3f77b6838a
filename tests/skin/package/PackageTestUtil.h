// Shared helpers of the package tests: sample data, framing shortcuts, and a plain decoder that
// reads one byte at a time and walks a ring buffer, as the format describes it, against which
// the fast decoder is checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qn::test {

using Bytes = std::vector<uint8_t>;

Bytes Random(size_t n, uint32_t seed);
// Lines of words drawn from a small vocabulary: short matches everywhere.
Bytes WordSoup(size_t n, uint32_t seed);
// A 24-bit bitmap file: gradients, a flat block, a magenta background; one pixel in
// noise_every of the lower right quarter is off by one.
Bytes SkinBitmap(int width, int height, uint32_t seed, int noise_every = 16);
Bytes Repeat(const std::string& unit, size_t n);
Bytes FromString(const std::string& s);

// Framed stream (count + code) of data, and back.
Bytes Pack(const Bytes& data);
Bytes Unpack(const Bytes& framed);

// What the plain decoder met on its way.
struct TRefStats {
  size_t symbols = 0;   // symbols decoded
  size_t rebuilds = 0;  // times the model was halved
  unsigned longest = 0; // longest symbol code, in bits
  std::vector<uint16_t> parse;  // bytes each symbol gave: 1 for a literal, else its length
};

// The parse a greedy encoder makes when it always takes the longest match (brute force over
// the strings the encoder's window holds): the bytes each symbol covers.
std::vector<uint16_t> LongestMatchParse(const Bytes& data);

// The plain decoder: count bytes from code (without the count), one byte per fetch.
Bytes ReferenceUnpack(uint32_t count, const Bytes& code, TRefStats* stats = nullptr);

// Little-endian 32-bit value at the front of a vector.
void PutU32(Bytes& b, size_t at, uint32_t v);
uint32_t GetU32(const Bytes& b, size_t at);

}  // namespace qn::test
