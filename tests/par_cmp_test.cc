// Tests of the header pattern matcher on the readers' patterns and the
// headers of real bulletins, and on malformed patterns.

#include <gtest/gtest.h>

#include <string>

#include "qel.h"
#include "test_util.h"

namespace {

bool match(const char *hdr, const char *pat, const char *line = "") { return PAR_cmp(hdr, line, pat) == 0; }

}  // namespace

TEST(ParCmp, GroupsOfAlternatives) {
  const char *ngm = "(FOUS14|FOAK2[56789])";
  EXPECT_TRUE(match("FOUS14 KWNO 121200", ngm));
  EXPECT_TRUE(match("FOAK27 PAFC 121200", ngm));
  EXPECT_FALSE(match("FOAK24 PAFC 121200", ngm));
  EXPECT_FALSE(match("FOUS44 KWNO", ngm));
  // The last alternative running out of text matches: a proper prefix of it.
  EXPECT_TRUE(match("FOA", ngm));
  EXPECT_TRUE(match("   ", ngm));
  EXPECT_FALSE(match("", ngm));
  // An earlier alternative running out of text does not count.
  EXPECT_FALSE(match("FOU", "(FOUS14|FEAK)"));

  const char *gfs = "(FOPA21|FOUS2[123456]|FOAK3[789])";
  EXPECT_TRUE(match("FOUS26 KWNO 010000", gfs));
  EXPECT_TRUE(match("FOPA21 KWNO 010000", gfs));
  EXPECT_FALSE(match("FOUS27 KWNO 010000", gfs));
  EXPECT_FALSE(match("FEUS23 KWNO 101200", gfs));
  EXPECT_TRUE(match("FEUS23 KWNO 101200", "(FEPA20|FEUS2[123456])"));
  EXPECT_TRUE(match("FOUS46 KWNO 121200", "(FOUS4[456789])"));
  EXPECT_TRUE(match("FOUS20 KWNO", "(FOX|FOUS20)"));
  // The first alternative that matches wins; a later failure does not return to it.
  EXPECT_FALSE(match("ABX", "(A|AB)X"));
  EXPECT_TRUE(match("AX", "(A|AB)X"));
}

TEST(ParCmp, ClassesAnyAndBlank) {
  EXPECT_TRUE(match("FOUS61 KWNO 121200", "FOUS[67]._KWNO"));
  EXPECT_TRUE(match("FOUS61_KWNO", "FOUS[67]._KWNO"));
  EXPECT_FALSE(match("FOUS51 KWNO", "FOUS[67]._KWNO"));
  EXPECT_FALSE(match("FOUS61 KWBC", "FOUS[67]._KWNO"));
  EXPECT_TRUE(match("FOUS71 KWBC", "FOUS[67]._KW(BC|NO)"));
  EXPECT_FALSE(match("FOUS71 KWXX", "FOUS[67]._KW(BC|NO)"));
  EXPECT_TRUE(match("FOUE6 KWNO", "FO[UC][ENMW][678]"));
  EXPECT_FALSE(match("FOUX6 KWNO", "FO[UC][ENMW][678]"));
  EXPECT_TRUE(match("FOX", "FO[^UC]"));
  EXPECT_FALSE(match("FOU", "FO[^UC]"));
  EXPECT_FALSE(match("FO", "FO[^UC]"));  // no class matches the end of the text
  EXPECT_TRUE(match("FOUS?", "FOUS?"));
  EXPECT_NE(PAR_cmp("FOU", "", "FOU."), 0);
}

TEST(ParCmp, PreparationAndResults) {
  const char *ngm = "(FOUS14|FOAK2[56789])";
  EXPECT_TRUE(match("** FOUS14 KWNO 121200", ngm));
  EXPECT_TRUE(match("**", "all"));  // all of a short marker goes; the header was not empty
  EXPECT_FALSE(match("**", "FO"));
  EXPECT_TRUE(match("  FOUS14", "FOUS14"));
  EXPECT_TRUE(match("FOUS14", "all"));
  EXPECT_TRUE(match("x", "ALL"));
  EXPECT_FALSE(match("", "all"));
  EXPECT_TRUE(match("anything", ""));
  EXPECT_TRUE(match("", ""));
  // Case-sensitive: the search upper-cases the pattern, not the header.
  EXPECT_FALSE(match("fous14", "FOUS14"));
  // Literal mismatches give the character difference, negative at the end.
  EXPECT_EQ(PAR_cmp("FOUB", "", "FOUS"), 'B' - 'S');
  EXPECT_LT(PAR_cmp("FOU", "", "FOUS"), 0);
}

TEST(ParCmp, SkipsAndSecondText) {
  EXPECT_TRUE(match("FOUS14 KWNO", "FOUS*KWNO"));
  EXPECT_NE(PAR_cmp("FOUS14 KWBC", "", "FOUS*KWNO"), 0);
  EXPECT_TRUE(match("FOUS14 anything", "FOUS*"));
  EXPECT_TRUE(match("FOUS14 KWNO", "FOUS-_KWNO"));
  EXPECT_TRUE(match("FOUS14_KWNO", "FOUS*_KWNO"));
  EXPECT_EQ(PAR_cmp("FOUS14", "", "FOUS*K"), 1);
  // "/" goes on with the second text of an index entry, after its blanks.
  EXPECT_TRUE(match("FOUS14 KWNO", "FOUS14/MOS", "  MOS GUIDANCE"));
  EXPECT_FALSE(match("FOUS14 KWNO", "FOUS14/MOS", "TXT"));
  // Grid terms against a description whose fields are all 0.
  EXPECT_TRUE(match("X", "/M0G0V0", "GRIB"));
  EXPECT_FALSE(match("X", "/M0G7", "GRIB"));
  EXPECT_TRUE(match("X", "/Q5M0", "GRIB 1"));  // unknown letters are ignored
  EXPECT_TRUE(match("X", "/M0junk", "GRIB"));  // terms stop where one cannot be read
  EXPECT_FALSE(match("X", "/M99999999999999999999", "GRIB"));
}

TEST(ParCmp, MalformedPatternsNeverMatchAndStayInBounds) {
  // Unclosed classes and groups match nothing, whatever the text.
  for (const char *pat : {"FO[UC", "(FOUS14|FOAK", "(FOUS[14)", "[", "(", "FOUS*[", "-("}) {
    EXPECT_NE(PAR_cmp("FOUS14 KWNO", "", pat), 0) << pat;
    EXPECT_NE(PAR_cmp("FO", "", pat), 0) << pat;
  }
  // Members of a class inside a group may be ")" or "|".
  EXPECT_TRUE(match("A)", "(A[)|])"));
  EXPECT_TRUE(match("A|", "(A[)|])"));
  EXPECT_TRUE(match("B", "(A[)|]|B)"));
  // Empty class and group.
  EXPECT_FALSE(match("A", "[]"));
  EXPECT_TRUE(match("A", "[^]"));
  EXPECT_TRUE(match("A", "()A"));
  // A null text or pattern is taken as empty.
  EXPECT_EQ(PAR_cmp(nullptr, nullptr, "FO"), 1);
  EXPECT_EQ(PAR_cmp("FO", nullptr, nullptr), 0);
}

TEST(ParCmp, TracesAtDebugC) {
  MESS_set(1, M_DEBUGC);
  qeltest::Output o = qeltest::capture([] { PAR_cmp("FOAK27", "", "(FOUS14|FOAK2[56789])"); });
  EXPECT_EQ(o.out,
            "CMP:FOAK27::(FOUS14|FOAK2[56789]):\n"
            "  1 CMP:FOAK27::(FOUS14|FOAK2[56789]):\n"
            "0 E CMP:::"
            ":\n");
  o = qeltest::capture([] { PAR_cmp("FOUS44", "", "(FOUS14)"); });
  EXPECT_EQ(o.out, "CMP:FOUS44::(FOUS14):\n  1 CMP:FOUS44::(FOUS14):\n1 ) CMP:FOUS44::(FOUS14):\n");
  o = qeltest::capture([] { PAR_cmp("FOUB", "", "FOUS"); });
  EXPECT_NE(o.out.find("- E CMP:B::S:\n"), std::string::npos);
  o = qeltest::capture([] { PAR_cmp("FOU", "", "[X]"); });
  EXPECT_NE(o.out.find("1 ] CMP:FOU::[X]:\n"), std::string::npos);
}
