#include "skin/package/SkinRead.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

#include "skin/package/WinConvert.h"
#include "tests/skin/package/PackageTestUtil.h"

namespace qn::test {
namespace {

// An archive laid out by hand, so that tests can write what no writer would.
constexpr int32_t kTrueLength = INT32_MIN;

Bytes Archive(int32_t version, const std::string& dir, const std::vector<int32_t>& sizes, const Bytes& data,
              int skip = -1, int32_t dir_len = kTrueLength) {
  Bytes a;
  PutU32(a, 0, static_cast<uint32_t>(version));
  PutU32(a, 4, static_cast<uint32_t>(dir_len != kTrueLength ? dir_len : static_cast<int32_t>(dir.size())));
  PutU32(a, 8, 0xDEADBEEF);
  PutU32(a, 12, 0xCAFEF00D);
  a.resize(16 + static_cast<size_t>(skip >= 0 ? skip : SkinSkipSize(version)), 0xEE);
  a.insert(a.end(), dir.begin(), dir.end());
  for (int32_t s : sizes) PutU32(a, a.size(), static_cast<uint32_t>(s));
  a.insert(a.end(), data.begin(), data.end());
  return a;
}

bool Load(TSkinReader& reader, const Bytes& package) {
  TMemoryStream s(package);
  return reader.Loadfromstream(s);
}

Bytes ReadFile(TSkinReader& reader, const std::wstring& name) {
  TMemoryStream out(Bytes{9, 9, 9});
  reader.readfile(name, out);
  EXPECT_EQ(out.Position(), 0);
  return out.Bytes();
}

// Catches the reader's user messages for the life of a test.
struct TMessages {
  std::vector<std::string> seen;
  TSkinMessageSink old;
  TMessages() { old = SetSkinMessageSink([this](const std::string& m) { seen.push_back(m); }); }
  ~TMessages() { SetSkinMessageSink(old); }
};

TEST(SkinReader, ReadsEveryVersionItsWriterMakes) {
  struct {
    int32_t version;
    size_t dir_at;  // where the directory starts in the archive
  } const cases[] = {{20000, 16}, {30000, 272}, {40000, 96}, {50000, 64}, {60000, 133}, {70000, 85}};
  Bytes ini = FromString("[Title]\r\nheight=21\r\n");
  Bytes bmp = SkinBitmap(30, 20, 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    TSkinWriter w(c.version);
    w.Add(L"Skin.INI", ini);
    w.Add(L"Frame_Top.bmp", bmp);
    w.Add(L"empty.bmp", {});
    TMemoryStream archive;
    w.SaveArchive(archive);
    const std::string dir = "Skin.INI\r\nFrame_Top.bmp\r\nempty.bmp\r\n";
    ASSERT_GE(archive.Bytes().size(), c.dir_at + dir.size());
    EXPECT_EQ(std::string(archive.Bytes().begin() + static_cast<long>(c.dir_at),
                          archive.Bytes().begin() + static_cast<long>(c.dir_at + dir.size())),
              dir);
    EXPECT_EQ(archive.Size(), static_cast<int64_t>(c.dir_at + dir.size() + 12 + ini.size() + bmp.size()));

    TMemoryStream package;
    w.SaveToStream(package);
    TSkinReader r;
    ASSERT_TRUE(Load(r, package.Bytes())) << r.LastError();
    EXPECT_EQ(r.header.Version, c.version);
    EXPECT_EQ(r.Num, 3);
    EXPECT_EQ(r.Dir, (std::vector<std::wstring>{L"skin.ini", L"frame_top.bmp", L"empty.bmp"}));
    EXPECT_EQ(r.ValidEntries(), 3);
    EXPECT_TRUE(ReadFile(r, L"FRAME_TOP.BMP") == bmp);
    EXPECT_TRUE(ReadFile(r, L"empty.bmp").empty());
    TMemoryStream def;
    std::wstring fname = L"unchanged";
    r.readIni(L".ini", def, fname);
    EXPECT_TRUE(def.Bytes() == ini);
    EXPECT_EQ(fname, L"skin.ini");
  }
}

TEST(SkinReader, UnknownVersionShowsTheMessageAndKeepsTheSkin) {
  TMessages messages;
  TSkinReader r;
  ASSERT_TRUE(Load(r, Pack(Archive(70000, "a.bmp\r\n", {2}, {1, 2}))));
  EXPECT_FALSE(Load(r, Pack(Archive(10000, "b.bmp\r\n", {2}, {3, 4}, 0))));
  ASSERT_EQ(messages.seen, std::vector<std::string>{"This is Older Skin File\rPlease update to new version !"});
  EXPECT_EQ(r.header.Version, 10000);
  EXPECT_EQ(r.Dir, std::vector<std::wstring>{L"a.bmp"});
  EXPECT_TRUE(ReadFile(r, L"a.bmp") == (Bytes{1, 2}));
}

TEST(SkinReader, LookupRules) {
  TSkinReader r;
  Bytes data = FromString("11222333344444");
  ASSERT_TRUE(Load(r, Pack(Archive(50000, "Pre_Skin.ini\r\nA.bmp\r\nb.ini.bmp\r\na.bmp\r\nC.ini\r\n", {2, 3, 4, 5, 0}, data))));
  EXPECT_TRUE(ReadFile(r, L"a.BMP") == FromString("222"));  // the first of two like names
  EXPECT_TRUE(ReadFile(r, L"skins\\a.bmp").empty());          // callers strip the path
  EXPECT_TRUE(ReadFile(r, L"nothing.bmp").empty());
  EXPECT_TRUE(ReadFile(r, L"c.ini").empty());  // present, but holds no bytes

  TMemoryStream def(Bytes{7});
  std::wstring fname = L"unchanged";
  r.readIni(L".ini", def, fname);
  EXPECT_TRUE(def.Bytes() == FromString("11"));
  EXPECT_EQ(fname, L"pre_skin.ini");
  r.readIni(L".INI", def, fname);  // case-sensitive: nothing
  EXPECT_TRUE(def.Bytes().empty());
  EXPECT_EQ(fname, L"pre_skin.ini");
}

TEST(SkinReader, DirectoryLines) {
  struct {
    const char* name;
    std::string dir;
    std::vector<std::wstring> entries;
  } const cases[] = {
      {"CR LF", "a\r\nb\r\n", {L"a", L"b"}},
      {"LF", "a\nb\n", {L"a", L"b"}},
      {"CR", "a\rb\r", {L"a", L"b"}},
      {"no last ending", "a\r\nb", {L"a", L"b"}},
      {"LF CR is two endings", "a\n\rb", {L"a", L"", L"b"}},
      {"blank line", "a\r\n\r\nb\r\n", {L"a", L"", L"b"}},
      {"NUL padding", std::string("a\r\nb\r\n\0\0\0", 9), {L"a", L"b"}},
      {"empty", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int32_t> sizes(c.entries.size(), 1);
    Bytes data(c.entries.size(), 0);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>('0' + i);
    TSkinReader r;
    ASSERT_TRUE(Load(r, Pack(Archive(20000, c.dir, sizes, data))));
    EXPECT_EQ(r.Dir, c.entries);
    EXPECT_EQ(r.Num, static_cast<int32_t>(c.entries.size()));
    if (!c.entries.empty()) {
      EXPECT_TRUE(ReadFile(r, c.entries.back()) == Bytes{data.back()});
    }
  }
}

std::string Lines(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "e" + std::to_string(i) + "\r\n";
  return s;
}

// Packages that claim more than they hold are refused, or read only as far as they are valid.
TEST(SkinReader, DamagedPackages) {
  Bytes big_count;
  PutU32(big_count, 0, 0x7FFFFFFF);
  Bytes noise = Random(2048, 3);
  big_count.insert(big_count.end(), noise.begin(), noise.end());
  struct {
    const char* name;
    Bytes package;
    bool loads;
    int32_t valid;  // entries that read back
  } const cases[] = {
      {"count 2^31 - 1 on 2 KB", big_count, false, 0},
      {"package shorter than its count", {1, 0}, false, 0},
      {"archive shorter than its head", Pack(Bytes(10, 0x20)), false, 0},
      {"negative directory length", Pack(Archive(20000, "a\r\n", {1}, {1}, -1, -5)), false, 0},
      {"directory past the end", Pack(Archive(20000, "a\r\n", {1}, {1}, -1, 4000)), false, 0},
      {"skipped block past the end", Pack(Bytes{0x30, 0x75, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}), false, 0},
      {"size table past the end", Pack(Archive(20000, "a\r\nb\r\nc\r\n", {}, {})), false, 0},
      {"1002 entries", Pack(Archive(20000, Lines(1002), std::vector<int32_t>(1002, 0), {})), false, 0},
      {"1001 entries", Pack(Archive(20000, Lines(1001), std::vector<int32_t>(1001, 0), {})), true, 1001},
      {"size past the end", Pack(Archive(60000, "a\r\nb\r\nc\r\n", {3, 1000, 1}, Bytes(6, 7))), true, 1},
      {"negative size", Pack(Archive(60000, "a\r\nb\r\n", {-4, 2}, Bytes(6, 7))), true, 0},
      {"sizes short of the data", Pack(Archive(60000, "a\r\nb\r\n", {1, 2}, Bytes(6, 7))), true, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TSkinReader r;
    ASSERT_TRUE(Load(r, Pack(Archive(70000, "keep.bmp\r\n", {3}, {1, 2, 3}))));
    bool loaded = Load(r, c.package);
    EXPECT_EQ(loaded, c.loads);
    if (!loaded) {
      EXPECT_FALSE(r.LastError().empty());
      EXPECT_EQ(r.Dir, std::vector<std::wstring>{L"keep.bmp"});  // the old entries stay
      EXPECT_TRUE(ReadFile(r, L"keep.bmp") == (Bytes{1, 2, 3}));
      continue;
    }
    EXPECT_EQ(r.ValidEntries(), c.valid);
    for (int32_t i = 0; i < r.Num; ++i) {
      Bytes got = ReadFile(r, r.Dir[static_cast<size_t>(i)]);
      size_t want = i < c.valid ? static_cast<size_t>(r.sizes[static_cast<size_t>(i)]) : 0;
      EXPECT_EQ(got.size(), want) << i;
    }
  }
}

TEST(SkinReader, SecondLoadReplacesTheFirst) {
  TSkinReader r;
  ASSERT_TRUE(Load(r, Pack(Archive(70000, "old.bmp\r\n", {5000}, Random(5000, 1)))));
  ASSERT_TRUE(Load(r, Pack(Archive(70000, "new.bmp\r\n", {4}, {5, 6, 7, 8}))));
  EXPECT_EQ(r.Dir, std::vector<std::wstring>{L"new.bmp"});
  EXPECT_EQ(r.DataSize(), 4);
  EXPECT_TRUE(ReadFile(r, L"new.bmp") == (Bytes{5, 6, 7, 8}));
  EXPECT_TRUE(ReadFile(r, L"old.bmp").empty());
}

TEST(SkinWriter, RefusesWhatReadersCannotFind) {
  EXPECT_THROW(TSkinWriter(12345), std::invalid_argument);
  struct {
    const char* name;
    std::wstring entry;
  } const cases[] = {
      {"empty name", L""},
      {"line break", L"a\r\nb.bmp"},
      {"NUL", std::wstring(L"a\0b", 3)},
      {"same name in other case", L"FIRST.bmp"},
      {"outside the code page", L"\u0800.bmp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TSkinWriter w;
    w.Add(L"first.BMP", {1});
    EXPECT_THROW(w.Add(c.entry, {2}), std::invalid_argument);
    EXPECT_EQ(w.Count(), 1u);
  }
  TSkinWriter full;
  for (int i = 0; i < kMaxSkinEntries; ++i) full.Add(L"e" + std::to_wstring(i), {});
  EXPECT_THROW(full.Add(L"one.more", {}), std::invalid_argument);
}

}  // namespace
}  // namespace qn::test
