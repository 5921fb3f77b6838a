#include "skin/package/WinSkinIni.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "skin/package/WinConvert.h"
#include "tests/skin/package/PackageTestUtil.h"

namespace qn::test {
namespace {

TQuickIni Load(const std::string& text) {
  TMemoryStream s(FromString(text));
  TQuickIni ini;
  ini.LoadFromStream(&s);
  return ini;
}

std::string Saved(const TQuickIni& ini) {
  TMemoryStream s;
  ini.SaveToStream(s);
  return std::string(s.Bytes().begin(), s.Bytes().end());
}

const char kDefinition[] =
    "; a comment\r\n"
    "stray=1\r\n"
    "[Personality]\r\n"
    "TopHeight   =   3\r\n"
    "hex=0x1F\r\n"
    "dollar=$1F\r\n"
    "bare=0x\r\n"
    "neg=-5\r\n"
    "twice=\r\n"
    "twice=7\r\n"
    "spaced=1 2\r\n"
    "unit=12px\r\n"
    "big=2147483648\r\n"
    "least=-2147483648\r\n"
    "word=  Glaze Blue  \r\n"
    "  ;indented comment=4\r\n"
    "[lower]\r\n"
    "Key=Value=More\r\n"
    "[Personality]\r\n"
    "TopHeight=99\r\n";

TEST(QuickIni, ReadsIntegers) {
  TQuickIni ini = Load(kDefinition);
  struct {
    const char* section;
    const char* ident;
    int32_t want;
  } const cases[] = {
      {"Personality", "topheight", 3},   // blanks around "=", key in other case
      {"personality", "TOPHEIGHT", 3},   // the first of two like sections
      {"Personality", "hex", 31},
      {"Personality", "dollar", 31},
      {"Personality", "bare", -77},      // "0x" alone is no number
      {"Personality", "neg", -5},
      {"Personality", "twice", -77},     // the first line wins, though empty
      {"Personality", "spaced", -77},
      {"Personality", "unit", -77},
      {"Personality", "big", -77},
      {"Personality", "least", INT32_MIN},
      {"Personality", "stray", -77},     // before any header: in no section
      {"Personality", ";indented comment", -77},
      {"Missing", "topheight", -77},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.ident);
    std::wstring section(c.section, c.section + std::strlen(c.section));
    std::wstring ident(c.ident, c.ident + std::strlen(c.ident));
    EXPECT_EQ(ini.ReadInteger(section, ident, -77), c.want);
  }
  EXPECT_TRUE(ini.ReadBool(L"Personality", L"neg", false));
  EXPECT_FALSE(ini.ReadBool(L"Personality", L"missing", false));
  EXPECT_TRUE(ini.ReadBool(L"Personality", L"missing", true));
}

TEST(QuickIni, StringToIntegerRule) {
  struct {
    const wchar_t* text;
    int32_t want;
  } const cases[] = {
      {L"0", 0},          {L"+12", 12},       {L"-0", 0},           {L"$ff", 255},
      {L"-$10", -16},     {L"$FFFFFFFF", -1}, {L"$100000000", -7},  {L"$", -7},
      {L"-", -7},         {L"", -7},          {L"12 ", -7},         {L"0x1F", -7},
      {L"2147483647", INT32_MAX},             {L"00000000000000000001", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, -7), c.want) << c.text;
}

TEST(QuickIni, ReadsStrings) {
  TQuickIni ini = Load(kDefinition);
  EXPECT_EQ(ini.ReadString(L"Personality", L"word", L"-"), L"Glaze Blue");
  EXPECT_EQ(ini.ReadString(L"LOWER", L"key", L"-"), L"Value=More");
  EXPECT_EQ(ini.ReadString(L"lower", L"", L"-"), L"-");
  EXPECT_EQ(ini.ReadString(L" lower", L"key", L"-"), L"-");  // section names are not trimmed
  EXPECT_EQ(TQuickIni().ReadString(L"lower", L"key", L"-"), L"-");
}

TEST(QuickIni, KeepsOnlyMeaningfulLines) {
  std::string text = "\t[a]\t\r x = 1 \n\n;gone\r\n\r[b]\n   \ny=2";
  text += std::string("\0[c]\r\nz=3\r\n", 12);
  TQuickIni ini = Load(text);
  EXPECT_EQ(ini.IniFile(), (TStringVec{L"[a]", L"x = 1", L"[b]", L"y=2"}));  // stops at NUL
  EXPECT_EQ(ini.ReadInteger(L"a", L"x", 0), 1);
  EXPECT_EQ(Saved(ini), "[a]\r\nx = 1\r\n[b]\r\ny=2\r\n");

  TMemoryStream from_middle(FromString("junk\r\n[m]\r\nk=5\r\n"));
  from_middle.SetPosition(6);
  ini.LoadFromStream(&from_middle);
  EXPECT_EQ(ini.IniFile(), (TStringVec{L"[m]", L"k=5"}));
  ini.LoadFromStream(nullptr);
  EXPECT_EQ(ini.IniFile().size(), 2u);
}

TEST(QuickIni, ListsSectionsAndTheirLines) {
  TQuickIni ini = Load("[ One ]\r\na=1\r\nNoValue\r\n=orphan\r\nB = 2\r\n[two]\r\n");
  TStringVec list{L"old"};
  ini.ReadSections(&list);
  EXPECT_EQ(list, (TStringVec{L"One", L"two"}));
  ini.ReadSection(L" One ", &list);
  EXPECT_EQ(list, (TStringVec{L"a", L"b"}));
  ini.ReadSectionValues(L" one ", &list);
  EXPECT_EQ(list, (TStringVec{L"a=1", L"NoValue", L"=orphan", L"B = 2"}));
  ini.ReadSection(L"missing", &list);
  EXPECT_TRUE(list.empty());

  try {
    ini.ReadSections(nullptr);
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.what()).find("The parameter Strings is unassigned!"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("Winskinini"), std::string::npos);
  }
  EXPECT_THROW(ini.ReadSection(L"two", nullptr), EAssertionFailed);
  EXPECT_THROW(ini.ReadSectionValues(L"two", nullptr), EAssertionFailed);
}

TEST(QuickIni, Writes) {
  TQuickIni ini = Load("[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
  ini.WriteString(L"a", L"X", L"10");        // replaces, ident as given
  ini.WriteString(L"A", L"New", L"n");       // inserted before [b]
  ini.WriteInteger(L"b", L"neg", -12);       // appended at the end
  ini.WriteBool(L"c", L"on", true);          // new section
  ini.WriteBool(L"c", L"off", false);
  ini.WriteString(L"d", L"", L"ignored");    // header only
  ini.WriteString(L"a", L"", L"ignored");    // nothing
  EXPECT_EQ(ini.IniFile(), (TStringVec{L"[a]", L"X=10", L"New=n", L"[b]", L"y=2", L"neg=-12", L"[c]", L"on=1",
                                       L"off=0", L"[d]"}));
  // Every section is still found where it now is.
  EXPECT_EQ(ini.ReadString(L"b", L"y", L""), L"2");
  EXPECT_EQ(ini.ReadInteger(L"b", L"neg", 0), -12);
  EXPECT_TRUE(ini.ReadBool(L"c", L"on", false));
  TStringVec sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections, (TStringVec{L"a", L"b", L"c", L"d"}));
}

// A read straight after an edit, with no other change between: the edit must not leave the
// reader looking at lines where they were before it.
TEST(QuickIni, ReadsRightAfterAnEdit) {
  struct Case {
    const char* name;
    void (*edit)(TQuickIni&);
    const wchar_t* section;
    const wchar_t* ident;
    int expected;
  };
  const Case cases[] = {
      {"key added to a section above another", [](TQuickIni& i) { i.WriteInteger(L"a", L"added", 5); }, L"a",
       L"added", 5},
      {"key added moves the next section down", [](TQuickIni& i) { i.WriteInteger(L"a", L"added", 5); }, L"b", L"y",
       2},
      {"key added to a new section", [](TQuickIni& i) { i.WriteInteger(L"new", L"k", 6); }, L"new", L"k", 6},
      {"key replaced", [](TQuickIni& i) { i.WriteInteger(L"b", L"Y", 7); }, L"b", L"y", 7},
      {"key deleted moves the next section up", [](TQuickIni& i) { i.DeleteKey(L"a", L"x"); }, L"b", L"y", 2},
      {"key deleted is gone", [](TQuickIni& i) { i.DeleteKey(L"a", L"x"); }, L"a", L"x", -1},
      {"section erased moves the next one up", [](TQuickIni& i) { i.EraseSection(L"a"); }, L"b", L"y", 2},
  };
  for (const Case& c : cases) {
    TQuickIni ini = Load("[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
    ini.ReadInteger(L"a", L"x", 0);  // the lines are indexed before the edit
    c.edit(ini);
    EXPECT_EQ(ini.ReadInteger(c.section, c.ident, -1), c.expected) << c.name;
  }
}

TEST(QuickIni, DeletesKeysAndSections) {
  TQuickIni ini = Load("[a]\r\nx=1\r\ny=2\r\n[b]\r\nfirst=3\r\n[c]\r\nz=4\r\n");
  ini.DeleteKey(L"A", L"X");
  ini.DeleteKey(L"a", L"missing");
  // The next section's first line is still read after a line above it went.
  EXPECT_EQ(ini.ReadInteger(L"b", L"first", 0), 3);
  EXPECT_EQ(ini.ReadInteger(L"a", L"x", 0), 0);

  ini.EraseSection(L"b");
  EXPECT_EQ(ini.IniFile(), (TStringVec{L"[a]", L"y=2", L"", L"[c]", L"z=4"}));
  EXPECT_EQ(ini.ReadInteger(L"c", L"z", 0), 4);
  ini.EraseSection(L"a");  // the first line: no blank left behind (the old one was a's)
  EXPECT_EQ(ini.IniFile(), (TStringVec{L"[c]", L"z=4"}));
  ini.EraseSection(L"missing");
  EXPECT_EQ(ini.ReadInteger(L"c", L"z", 0), 4);

  ini.SetIniFile({L"[n]", L"k=8"});
  EXPECT_EQ(ini.ReadInteger(L"n", L"k", 0), 8);
  ini.Clear();
  EXPECT_TRUE(ini.IniFile().empty());
}

TEST(QuickIni, SavesAndLoadsFilesPlainAndCompressed) {
  std::string dir = testing::TempDir();
  std::string plain = dir + "quickini_plain.ini", zip = dir + "quickini_zip.ini";
  TQuickIni ini = Load(kDefinition);
  ini.SaveToFile(plain);
  ini.SavetoZip(zip);

  TQuickIni a, b;
  a.LoadFromFile(plain);
  b.LoadFromZip(zip);
  EXPECT_EQ(a.IniFile(), ini.IniFile());
  EXPECT_EQ(b.IniFile(), ini.IniFile());
  TMemoryStream z;
  z.LoadFromFile(zip);
  EXPECT_EQ(GetU32(z.Bytes(), 0), Saved(ini).size());

  Bytes damaged;
  PutU32(damaged, 0, 0x7FFFFFFF);
  damaged.resize(2048, 0x55);
  TMemoryStream(damaged).SaveToFile(zip);
  EXPECT_THROW(b.LoadFromZip(zip), ElzhBadCount);
  EXPECT_THROW(b.LoadFromFile(dir + "quickini_missing.ini"), EStreamError);
  std::remove(plain.c_str());
  std::remove(zip.c_str());
}

}  // namespace
}  // namespace qn::test
