#include "tools/skinpack/SkinPack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "skin/package/SkinRead.h"
#include "tests/skin/package/PackageTestUtil.h"

namespace qn::test {
namespace {

namespace fs = std::filesystem;

struct TRun {
  int status;
  std::string out, err;
};

TRun SkinPack(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = skinpack::RunSkinPack(args, out, err);
  return {status, out.str(), err.str()};
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

size_t LineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// A scratch folder of its own for each test.
class SkinPackTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(testing::TempDir()) / ("skinpack_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  void Save(const std::string& name, const Bytes& data) const {
    fs::create_directories((root_ / name).parent_path());
    TMemoryStream(data).SaveToFile(Path(name));
  }
  Bytes Load(const std::string& name) const {
    TMemoryStream m;
    m.LoadFromFile(Path(name));
    return m.Bytes();
  }

  fs::path root_;
};

const std::string kIni = "[Title]\r\nImage=skins\\Title.bmp\r\n[Border]\r\nLeft=frame_left.bmp\r\n";

TEST_F(SkinPackTest, ArgumentsAndExitStatus) {
  struct {
    std::vector<std::string> args;
    int status;
  } const cases[] = {
      {{}, 2},
      {{"frob"}, 2},
      {{"pack", "only-one"}, 2},
      {{"pack", "--version", "12345", "a", "b"}, 2},
      {{"pack", "--version"}, 2},
      {{"pack", "--bogus", "a", "b"}, 2},
      {{"list", "a", "b"}, 2},
      {{"verify"}, 2},
      {{"list", Path("missing.skn")}, 1},
      {{"decompress", Path("missing.z"), Path("out")}, 1},
  };
  for (const auto& c : cases) {
    TRun r = SkinPack(c.args);
    SCOPED_TRACE(r.err);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(r.out.empty());
    if (c.status == 2) {
      EXPECT_TRUE(Has(r.err, "usage: skinpack"));
    } else {
      EXPECT_EQ(LineCount(r.err), 1u);
    }
  }
  TRun help = SkinPack({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Has(help.out, "usage: skinpack"));
  EXPECT_TRUE(help.err.empty());
}

TEST_F(SkinPackTest, PacksListsVerifiesAndUnpacks) {
  Bytes title = SkinBitmap(60, 20, 1), left = SkinBitmap(4, 30, 2);
  Save("src/Skin.ini", FromString(kIni));
  Save("src/Title.bmp", title);
  Save("src/frame_left.BMP", left);
  Save("src/readme.txt", FromString("not packed"));

  ASSERT_EQ(SkinPack({"pack", "--version", "40000", Path("src"), Path("a.skn")}).status, 0);
  TRun list = SkinPack({"list", Path("a.skn")});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "version 40000\n" + std::string(8, ' ') + std::to_string(kIni.size()) + "  skin.ini\n" +
                          std::string(7, ' ') + std::to_string(left.size()) + "  frame_left.bmp\n" +
                          std::string(6, ' ') + std::to_string(title.size()) + "  title.bmp\n");  // definition first

  TRun verify = SkinPack({"verify", Path("a.skn")});
  EXPECT_EQ(verify.status, 0) << verify.err;
  EXPECT_TRUE(Has(verify.out, "ok, version 40000, 3 entries"));

  ASSERT_EQ(SkinPack({"unpack", Path("a.skn"), Path("out")}).status, 0);
  EXPECT_TRUE(Load("out/title.bmp") == title);
  EXPECT_TRUE(Load("out/frame_left.bmp") == left);
  EXPECT_TRUE(Load("out/skin.ini") == FromString(kIni));

  ASSERT_EQ(SkinPack({"pack", Path("out"), Path("b.skn")}).status, 0);
  TRun again = SkinPack({"list", Path("b.skn")});
  EXPECT_EQ(again.out.substr(again.out.find('\n')), list.out.substr(list.out.find('\n')));
  EXPECT_TRUE(Has(again.out, "version 70000"));
}

TEST_F(SkinPackTest, PackNeedsExactlyOneDefinition) {
  Save("none/a.bmp", SkinBitmap(2, 2, 1));
  TRun none = SkinPack({"pack", Path("none"), Path("x.skn")});
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(Has(none.err, "no definition"));
  Save("two/a.ini", FromString(kIni));
  Save("two/b.ini", FromString(kIni));
  TRun two = SkinPack({"pack", Path("two"), Path("x.skn")});
  EXPECT_EQ(two.status, 1);
  EXPECT_TRUE(Has(two.err, "more than one definition"));
  EXPECT_FALSE(fs::exists(Path("x.skn")));
  EXPECT_EQ(SkinPack({"pack", Path("missing"), Path("x.skn")}).status, 1);
}

Bytes PackageOf(const std::vector<std::pair<std::wstring, Bytes>>& entries, int32_t version = 70000) {
  TSkinWriter w(version);
  for (const auto& [name, data] : entries) w.Add(name, data);
  TMemoryStream s;
  w.SaveToStream(s);
  return s.Bytes();
}

Bytes RawArchive(int32_t version, const std::string& dir, const std::vector<int32_t>& sizes, const Bytes& data) {
  Bytes a;
  PutU32(a, 0, static_cast<uint32_t>(version));
  PutU32(a, 4, static_cast<uint32_t>(dir.size()));
  a.resize(16 + static_cast<size_t>(std::max(0, SkinSkipSize(version))), 0);
  a.insert(a.end(), dir.begin(), dir.end());
  for (int32_t s : sizes) PutU32(a, a.size(), static_cast<uint32_t>(s));
  a.insert(a.end(), data.begin(), data.end());
  return a;
}

TEST_F(SkinPackTest, VerifyReportsEachDamage) {
  Bytes ini = FromString(kIni), bmp = SkinBitmap(8, 8, 3);
  Bytes good = PackageOf({{L"skin.ini", ini}, {L"title.bmp", bmp}, {L"frame_left.bmp", bmp}});
  Bytes cut(good.begin(), good.end() - 40);
  Bytes trailing = good;
  trailing.insert(trailing.end(), {1, 2, 3});
  Bytes big_count = good;
  PutU32(big_count, 0, 0x7FFFFFFF);
  Bytes nul_ini = ini;
  nul_ini.insert(nul_ini.begin() + 8, 0);
  Bytes broken_bmp = bmp;
  broken_bmp[0] = 'X';
  Bytes extra_data = ini;
  extra_data.insert(extra_data.end(), 5, 0);
  struct {
    const char* name;
    Bytes package;
    const char* says;  // nullptr: healthy
  } const cases[] = {
      {"healthy", good, nullptr},
      {"code cut short", cut, "ends before its count"},
      {"bytes after the code", trailing, "3 bytes left over"},
      {"count beyond the code", big_count, "cannot come from"},
      {"unknown version", Pack(RawArchive(10000, "a.ini\r\n", {3}, {'[', 'a', ']'})),
       "This is Older Skin File - Please update to new version !"},
      {"size past the data", Pack(RawArchive(70000, "a.ini\r\nb.bmp\r\n", {int32_t(ini.size()), 9999}, ini)),
       "\"b.bmp\" (size 9999) does not fit"},
      {"data in no entry", Pack(RawArchive(70000, "a.ini\r\n", {int32_t(ini.size())}, extra_data)), "5 bytes of the data area"},
      {"no definition", PackageOf({{L"title.bmp", bmp}}), "no definition"},
      {"NUL in the definition", PackageOf({{L"skin.ini", nul_ini}}), "NUL byte at offset 8"},
      {"definition without sections", PackageOf({{L"skin.ini", FromString("a=1\r\n")}}), "no sections"},
      {"bitmap that does not parse", PackageOf({{L"skin.ini", ini}, {L"title.bmp", broken_bmp}}), "bitmap \"title.bmp\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Save("p.skn", c.package);
    TRun r = SkinPack({"verify", Path("p.skn")});
    if (!c.says) {
      EXPECT_EQ(r.status, 0) << r.err;
      continue;
    }
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, c.says)) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
}

TEST_F(SkinPackTest, UnpackWritesOnlyInsideItsFolder) {
  for (const char* name : {"../evil.bmp", "sub/evil.bmp", "c:evil.bmp", ".."}) {
    SCOPED_TRACE(name);
    Save("p.skn", Pack(RawArchive(70000, std::string(name) + "\r\n", {1}, {7})));
    TRun r = SkinPack({"unpack", Path("p.skn"), Path("out")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "not a plain file name"));
    EXPECT_FALSE(fs::exists(root_ / "evil.bmp"));
    EXPECT_FALSE(fs::exists(root_ / "out"));
  }
}

TEST_F(SkinPackTest, CompressesBareStreams) {
  Bytes text = WordSoup(20000, 4);
  Save("a.txt", text);
  ASSERT_EQ(SkinPack({"compress", Path("a.txt"), Path("a.z")}).status, 0);
  Bytes framed = Load("a.z");
  EXPECT_EQ(GetU32(framed, 0), text.size());
  ASSERT_EQ(SkinPack({"decompress", Path("a.z"), Path("b.txt")}).status, 0);
  EXPECT_TRUE(Load("b.txt") == text);

  Save("cut.z", Bytes(framed.begin(), framed.begin() + static_cast<long>(framed.size() / 2)));
  TRun cut = SkinPack({"decompress", Path("cut.z"), Path("c.txt")});
  EXPECT_EQ(cut.status, 1);
  EXPECT_TRUE(Has(cut.err, "ends before its count"));
  EXPECT_FALSE(fs::exists(Path("c.txt")));

  framed.push_back(0xAB);
  Save("long.z", framed);
  TRun extra = SkinPack({"decompress", Path("long.z"), Path("d.txt")});
  EXPECT_EQ(extra.status, 0);
  EXPECT_TRUE(Has(extra.err, "warning"));
  EXPECT_TRUE(Load("d.txt") == text);
}

}  // namespace
}  // namespace qn::test
