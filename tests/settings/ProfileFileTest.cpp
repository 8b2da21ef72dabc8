#include <gtest/gtest.h>

#include <string>

#include "settings/ProfileFile.h"
#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo::testing {
namespace {

class ProfileFileTest : public ::testing::Test {
 protected:
  void Open(std::string_view bytes) {
    WriteBytes(File(), bytes);
    file.SetLocation(folder.Location());
    ASSERT_TRUE(file.BeginRead());
  }
  std::filesystem::path File() const { return folder.Path() / "KRD_Kestrimo.ini"; }
  std::string Value(std::string_view section, std::string_view key) {
    std::string value;
    return file.GetValue(section, key, value) ? value : "<missing>";
  }
  TempFolder folder;
  ProfileFile file;
};

TEST_F(ProfileFileTest, CircularSearchWrapsFromTheLastSectionToTheFirst) {
  Open("[A]\r\nk=1\r\n[B]\r\nk=2\r\n[C]\r\nk=3\r\n");
  EXPECT_TRUE(file.FindSection("C"));
  EXPECT_EQ(file.SectionCursor(), 20u);
  EXPECT_TRUE(file.FindSection("A"));
  EXPECT_EQ(file.SectionCursor(), 0u);
  EXPECT_EQ(Value("B", "k"), "2");
  EXPECT_EQ(Value("A", "k"), "1");
  EXPECT_EQ(Value("C", "k"), "3");
}

TEST_F(ProfileFileTest, FailedSearchLeavesTheCursorWhereItWas) {
  Open("[A]\nk=1\n[B]\nk=2\n");
  ASSERT_TRUE(file.FindSection("B"));
  const std::size_t cursor = file.SectionCursor();
  EXPECT_FALSE(file.FindSection("Z"));
  EXPECT_EQ(file.SectionCursor(), cursor);
  EXPECT_EQ(Value("B", "k"), "2");
}

TEST_F(ProfileFileTest, SectionNamesAreTrimmedButComparedCaseSensitively) {
  Open("  [Main]  \n k = v \n");
  EXPECT_TRUE(file.FindSection(" Main\t"));
  EXPECT_FALSE(file.FindSection("main"));
  EXPECT_FALSE(file.FindSection("[Main]"));
}

TEST_F(ProfileFileTest, KeysAreCaseSensitive) {
  Open("[1]\nmaskposx=5\nMaskPosY=6\n");
  EXPECT_EQ(Value("1", "MaskPosX"), "<missing>");
  EXPECT_EQ(Value("1", "MaskPosY"), "6");
}

TEST_F(ProfileFileTest, BlanksAroundTheKeyIgnoredBlanksInTheValueKept) {
  Open("[1]\r\n  \tMaskFileName  \t= C:\\logos\\a b.bmp  \r\nOther=x\r\n");
  EXPECT_EQ(Value("1", " MaskFileName "), " C:\\logos\\a b.bmp  ");
}

TEST_F(ProfileFileTest, KeyOfAnotherSectionIsMissingAndTheLookupStopsAtTheNextHeader) {
  Open("[A]\nx=1\n[B]\ny=2\n");
  EXPECT_EQ(Value("A", "y"), "<missing>");
  EXPECT_EQ(Value("B", "x"), "<missing>");
}

TEST_F(ProfileFileTest, BrokenHeaderEndsTheSectionForLookups) {
  Open("[A]\n[broken\nx=1\n");
  EXPECT_EQ(Value("A", "x"), "<missing>");
}

TEST_F(ProfileFileTest, EmptyValueCountsAsMissingAndTheFirstLineWins) {
  Open("[A]\nnoequals\nx=\nx=2\ny=1\ny=2\n");
  EXPECT_EQ(Value("A", "x"), "<missing>");
  EXPECT_EQ(Value("A", "y"), "1");
}

TEST_F(ProfileFileTest, NextSectionRightAfterOpeningDiscardsTheFirstLine) {
  Open("[First]\n[Second]\n");
  std::string name;
  ASSERT_TRUE(file.NextSection(name));
  EXPECT_EQ(name, "Second");
  EXPECT_FALSE(file.NextSection(name));
}

// Each header once, also after empty lines: the walk never steps back onto a
// header it has returned.
TEST_F(ProfileFileTest, NextSectionWalksHeadersInFileOrderKeepingInnerBlanks) {
  Open("junk\n[A]\nk=1\n\n\n[ 42 ]\n[broken\n[-5]");
  std::string name;
  std::string names;
  while (file.NextSection(name)) names += "<" + name + ">";
  EXPECT_EQ(names, "<A>< 42 ><-5>");
}

TEST_F(ProfileFileTest, NextSectionContinuesAfterTheSectionALookupFound) {
  Open("[A]\nk=1\n[B]\nk=2\n[C]\nk=3\n");
  ASSERT_TRUE(file.FindSection("B"));
  std::string name;
  ASSERT_TRUE(file.NextSection(name));
  EXPECT_EQ(name, "C");
}

TEST_F(ProfileFileTest, LineEndsLfCrLfAndNoFinalLineEnd) {
  Open("[A]\nx=1\r\ny=2 \r\nz=3");
  EXPECT_EQ(Value("A", "x"), "1");
  EXPECT_EQ(Value("A", "y"), "2 ");
  EXPECT_EQ(Value("A", "z"), "3");
}

TEST_F(ProfileFileTest, CrOnlyFileIsOneLine) {
  Open("[A]\rx=1\r[B]\ry=2\r");
  std::string name;
  EXPECT_FALSE(file.FindSection("A"));
  EXPECT_FALSE(file.NextSection(name));
  EXPECT_EQ(Value("B", "y"), "<missing>");
}

TEST_F(ProfileFileTest, NulEndsTheTextOfItsLine) {
  static const char bytes[] = "[A]\0junk\nx=ab\0cd\n[B\0]\ny=1\n";
  Open(std::string(bytes, sizeof bytes - 1));
  EXPECT_EQ(Value("A", "x"), "ab");
  EXPECT_EQ(Value("A", "y"), "<missing>") << "[B is no header, but ends the section";
}

TEST_F(ProfileFileTest, TenMegabyteLineIsReadWhole) {
  const std::string big(10u << 20, 'q');
  Open("[A]\r\nbig=" + big + "\r\nafter=1\r\n");
  EXPECT_EQ(Value("A", "big"), big);
  EXPECT_EQ(Value("A", "after"), "1");
}

TEST_F(ProfileFileTest, EmptyFileAndClosedFileFindNothing) {
  std::string name;
  EXPECT_FALSE(file.FindSection("A")) << "not open";
  Open("");
  EXPECT_FALSE(file.FindSection("A"));
  EXPECT_FALSE(file.NextSection(name));
}

TEST_F(ProfileFileTest, ReadingCreatesAMissingFileAndNeverTruncates) {
  file.SetLocation(folder.Location());
  ASSERT_TRUE(file.BeginRead());
  file.EndPass();
  EXPECT_TRUE(std::filesystem::exists(File()));
  WriteBytes(File(), "[A]\nx=1\n");
  ASSERT_TRUE(file.BeginRead());
  file.EndPass();
  EXPECT_EQ(ReadBytes(File()), "[A]\nx=1\n");
}

TEST_F(ProfileFileTest, ReadOnlyFileIsStillRead) {
  WriteBytes(File(), "[A]\nx=1\n");
  MakeReadOnly(File(), true);
  file.SetLocation(folder.Location());
  ASSERT_TRUE(file.BeginRead());
  EXPECT_EQ(Value("A", "x"), "1");
  file.EndPass();
}

TEST_F(ProfileFileTest, MissingFolderReadsNothingAndCreatesNothing) {
  SettingsLocation location = folder.Location();
  location.path = folder.ProfilePath("missing") + "\\KRD_Kestrimo.ini";
  file.SetLocation(location);
  EXPECT_FALSE(file.BeginRead());
  EXPECT_EQ(Value("A", "x"), "<missing>");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "missing"));
}

TEST_F(ProfileFileTest, WritingProducesCrLfLinesWithTrimmedNamesAndUnchangedValues) {
  file.SetLocation(folder.Location());
  ASSERT_TRUE(file.BeginWrite());
  file.WriteSection("  COMMON ");
  file.WriteValue(" Key\t", "  v  ");
  file.WriteChannelSection(-5);
  file.WriteValue("Empty", "");
  EXPECT_FALSE(std::filesystem::exists(File())) << "nothing on disk before the pass ends";
  EXPECT_TRUE(file.EndPass());
  EXPECT_EQ(ReadBytes(File()), "[COMMON]\r\nKey=  v  \r\n[-5]\r\nEmpty=\r\n");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "KRD_Kestrimo.ini.tmp"));
}

TEST_F(ProfileFileTest, WritesOutsideAWritePassAreIgnored) {
  Open("[A]\n");
  file.WriteSection("B");
  file.EndPass();
  file.WriteValue("x", "1");
  EXPECT_EQ(ReadBytes(File()), "[A]\n");
}

}  // namespace
}  // namespace kestrimo::testing
