// Tests of the column scanner: the reader formats on real row shapes, the
// width and missing-value rules, the counters, and hostile input.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qel.h"
#include "test_util.h"

namespace {

struct Counters {
  int ret, len, assigned, matched, done;
};

Counters counters(int ret, const parse_param &p) { return {ret, p.len, p.assigned, p.matched, p.done}; }

void expect(const Counters &c, int ret, int len, int assigned, int matched, int done) {
  EXPECT_EQ(c.ret, ret);
  EXPECT_EQ(c.len, len);
  EXPECT_EQ(c.assigned, assigned);
  EXPECT_EQ(c.matched, matched);
  EXPECT_EQ(c.done, done);
}

// Scans one "%...D"-style integer at `off` of `text`; *value starts at 111.
Counters scan_int(const char *text, int off, const char *fmt, int *value) {
  parse_param p;
  scanp_set(&p, text);
  scanp_off(&p, off);
  *value = 111;
  int r = scanp(&p, fmt, value);
  return counters(r, p);
}

}  // namespace

TEST(Scanp, RightAlignedNumbersAndSigns) {
  int v;
  expect(scan_int(" 45 47", 0, "%<3D", &v), 1, 3, 1, 1, 1);
  EXPECT_EQ(v, 45);
  expect(scan_int(" 45 47", 3, "%<3D", &v), 1, 3, 1, 1, 1);
  EXPECT_EQ(v, 47);
  scan_int("-12", 0, "%<3D", &v);
  EXPECT_EQ(v, -12);
  scan_int(" -5", 0, "%<3D", &v);
  EXPECT_EQ(v, -5);
  // A value of 100 fills its field and touches the next one.
  scan_int("POS  97100100", 7, "%<3D", &v);
  EXPECT_EQ(v, 100);
  scan_int("POS  97100100", 4, "%<3D", &v);
  EXPECT_EQ(v, 97);
}

TEST(Scanp, BlankFieldsWithAndWithoutMissingText) {
  int v;
  expect(scan_int("   ", 0, "%<3D", &v), 0, 0, 0, 0, 0);
  EXPECT_EQ(v, 111);
  expect(scan_int("   ", 0, "%<3!   !D", &v), 1, 3, 1, 1, 1);
  EXPECT_EQ(v, -9999);
  // Only the first character of the missing text matches: the conversion is
  // skipped, the format is still worked through.
  expect(scan_int(" X ", 0, "%<3!   !D", &v), 0, 0, 0, 0, 1);
  EXPECT_EQ(v, 111);
  // The missing text is compared at the start of the field, not after blanks.
  expect(scan_int(" 7 ", 0, "%<3!   !D", &v), 1, 3, 1, 1, 1);
  EXPECT_EQ(v, 7);
  // A missing text longer than the width can never match.
  expect(scan_int("   ", 0, "%2!   !D", &v), 0, 0, 0, 0, 1);
}

TEST(Scanp, SlashPairsOfThunderstormAndQpfRows) {
  parse_param p;
  int a = 1, b = 1;
  scanp_set(&p, "12/ 3");
  expect(counters(scanp(&p, "%<3D/%<2D", &a, &b), p), 2, 5, 2, 2, 1);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 3);

  scanp_set(&p, "4/ ");
  expect(counters(scanp(&p, "%1! !D/%1! !D", &a, &b), p), 2, 3, 2, 2, 1);
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, -9999);

  // NGM cells like "0/" at the end of a row: the second half is past the
  // end, its missing text does not match there, so it is skipped.
  a = b = 1;
  scanp_set(&p, "0/");
  expect(counters(scanp(&p, "%1! !D/%1! !D", &a, &b), p), 1, 2, 1, 1, 1);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);

  // A skipped conversion still owns its destination: the next value lands in
  // the next pointer, not in the skipped one.
  a = b = 1;
  scanp_set(&p, "X5");
  expect(counters(scanp(&p, "%1!-!D%*c%1D", &a, &b), p), 2, 2, 1, 2, 1);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 5);
}

TEST(Scanp, ExactWidths) {
  int v;
  expect(scan_int("5/", 0, "%2D", &v), 0, 0, 0, 0, 0);
  EXPECT_EQ(v, 111);
  expect(scan_int("5 ", 0, "%2D", &v), 1, 2, 1, 1, 1);
  EXPECT_EQ(v, 5);
  // A blank without digit in an exact field of 1 ends the scan at once.
  parse_param p;
  int a = 1, b = 1;
  scanp_set(&p, " 5");
  expect(counters(scanp(&p, "%1D/%1D", &a, &b), p), 0, 0, 0, 0, 0);
  EXPECT_EQ(a, 1);
  // "d" takes no blanks and a lone "-" is nothing.
  expect(scan_int("-", 0, "%<3d", &v), 0, 0, 0, 0, 0);
  expect(scan_int("-7x", 0, "%<3d", &v), 1, 2, 1, 1, 1);
  EXPECT_EQ(v, -7);
  expect(scan_int(" 7", 0, "%<3d", &v), 0, 0, 0, 0, 0);
}

TEST(Scanp, CharacterColumns) {
  parse_param p;
  char buf[80];
  scanp_set(&p, "OVC 10");
  expect(counters(scanp(&p, "%<3S", buf), p), 1, 3, 1, 1, 1);
  EXPECT_STREQ(buf, "OVC");
  scanp_set(&p, "X");
  scanp(&p, "%<1S", buf);
  EXPECT_STREQ(buf, "X");
  // A cloud field at the end of a short row takes what is there.
  scanp_set(&p, "CLD  CL");
  scanp_off(&p, 4);
  expect(counters(scanp(&p, "%<3S", buf), p), 1, 3, 1, 1, 1);
  EXPECT_STREQ(buf, " CL");
  scanp_off(&p, 7);
  strcpy(buf, "keep");
  expect(counters(scanp(&p, "%<3S", buf), p), -1, 0, 0, 0, 0);
  EXPECT_STREQ(buf, "keep");
  // "c" stores exactly what it took, without a terminator.
  strcpy(buf, "ZZZZ");
  scanp_set(&p, "ab");
  scanp(&p, "%2c", buf);
  EXPECT_STREQ(buf, "abZZ");
  // "s" stops at whitespace; "A", "N", "w", "W" take their kind.
  char s1[80], s2[80], s3[80], s4[80];
  scanp_set(&p, "KDCA12 \t\nx");
  expect(counters(scanp(&p, "%s", s1), p), 1, 6, 1, 1, 1);
  EXPECT_STREQ(s1, "KDCA12");
  expect(counters(scanp(&p, "%A%N%W%w", s1, s2, s3, s4), p), 4, 9, 4, 4, 1);
  EXPECT_STREQ(s1, "KDCA");
  EXPECT_STREQ(s2, "12");
  EXPECT_STREQ(s3, " \t");
  EXPECT_STREQ(s4, "\n");
}

TEST(Scanp, UpperAirRows) {
  const char *fmt = "%3s%*2c%2d%2d%2d %3d%2d %2d%2d%2d %2d%2d%2d%2d";
  parse_param p;
  char id[8] = "";
  int v[13];
  for (int &x : v) x = -1;
  scanp_set(&p, "BOS//123456 12345 123456 12345678");
  int r = scanp(&p, fmt, id, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11]);
  expect(counters(r, p), 14, 33, 13, 14, 1);
  EXPECT_STREQ(id, "BOS");
  const int want[12] = {12, 34, 56, 123, 45, 12, 34, 56, 12, 34, 56, 78};
  for (int i = 0; i < 12; i++) EXPECT_EQ(v[i], want[i]) << i;

  // A broken line: "%3d" meets "12 " and takes only two of its three.
  for (int &x : v) x = -1;
  scanp_set(&p, "BOS//12345612 45 123456 12345678");
  r = scanp(&p, fmt, id, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11]);
  EXPECT_EQ(r, 5);
  EXPECT_EQ(p.assigned, 4);
  EXPECT_EQ(p.done, 0);
  EXPECT_EQ(v[2], 56);
  EXPECT_EQ(v[3], -1);

  // A row of the right half of a pair: the hour is skipped, 13 values follow.
  std::string row = std::string(36, ' ') + "06000045962 00503 071814 17040201";
  scanp_set(&p, row.c_str());
  scanp_off(&p, 36);
  int w[13];
  r = scanp(&p, "%*2s%3d%2d%2d%2d %3d%2d %2d%2d%2d %2d%2d%2d%2d", &w[0], &w[1], &w[2], &w[3], &w[4], &w[5], &w[6],
            &w[7], &w[8], &w[9], &w[10], &w[11], &w[12]);
  expect(counters(r, p), 14, 33, 13, 14, 1);
  const int want2[13] = {0, 4, 59, 62, 5, 3, 7, 18, 14, 17, 4, 2, 1};
  for (int i = 0; i < 13; i++) EXPECT_EQ(w[i], want2[i]) << i;
}

TEST(Scanp, RealsSetsGroupsAndCount) {
  parse_param p;
  float f1 = 0, f2 = 0;
  scanp_set(&p, " -1.5 2e3x");
  expect(counters(scanp(&p, "%<5F %f", &f1, &f2), p), 2, 9, 2, 2, 1);
  EXPECT_FLOAT_EQ(f1, -1.5f);
  EXPECT_FLOAT_EQ(f2, 2000.0f);
  // The exponent may run past the width; one without digits is not taken.
  scanp_set(&p, "12e5");
  scanp(&p, "%2F", &f1);
  EXPECT_EQ(p.len, 4);
  EXPECT_FLOAT_EQ(f1, 1.2e6f);
  scanp_set(&p, "3eX");
  scanp(&p, "%f", &f1);
  EXPECT_EQ(p.len, 1);
  EXPECT_FLOAT_EQ(f1, 3.0f);
  scanp_set(&p, "   ");
  scanp(&p, "%<3!   !F", &f1);
  EXPECT_FLOAT_EQ(f1, -9999.0f);

  char s[80];
  int n = -1;
  scanp_set(&p, "AB1/-");
  expect(counters(scanp(&p, "%[/A/N//]%n", s, &n), p), 2, 4, 2, 2, 1);
  EXPECT_STREQ(s, "AB1/");
  EXPECT_EQ(n, 4);
  scanp(&p, "%[^/]", s);
  EXPECT_STREQ(s, "AB1");

  scanp_set(&p, "KWBC 12");
  expect(counters(scanp(&p, "%(KWNO|KWBC) %2D", s, &n), p), 2, 7, 2, 2, 1);
  EXPECT_STREQ(s, "KWBC");
  EXPECT_EQ(n, 12);
  strcpy(s, "old");
  expect(counters(scanp(&p, "%(XX|YY)", s), p), 0, 0, 0, 0, 0);
  expect(counters(scanp(&p, "%<(XX|YY)K", s), p), 1, 1, 1, 1, 1);
  EXPECT_STREQ(s, "old");  // counted, but nothing written
  expect(counters(scanp(&p, "%!KWX!(XX|YY)", s), p), 1, 2, 1, 1, 1);
  EXPECT_STREQ(s, "");
  // Suppressed conversions count as matched, not as stored.
  expect(counters(scanp(&p, "%*4S %2D", &n), p), 2, 7, 1, 2, 1);
  EXPECT_EQ(n, 12);
}

TEST(Scanp, FormatOddities) {
  parse_param p;
  int v = 0;
  scanp_set(&p, "Q5");
  // A percent sign before an unknown letter matches that letter.
  expect(counters(scanp(&p, "%Q%1D", &v), p), 1, 2, 1, 1, 1);
  EXPECT_EQ(v, 5);
  // A format blank needs at least one whitespace character.
  scanp_set(&p, "12");
  expect(counters(scanp(&p, "1 2"), p), 0, 1, 0, 0, 0);
  // Malformed conversions end the scan without reading on.
  char s[80];
  for (const char *bad : {"%[AB", "%(AB|C", "%<3!  D", "%!"}) {
    scanp_set(&p, "AB  ");
    EXPECT_EQ(scanp(&p, bad, s), 0) << bad;
    EXPECT_EQ(p.done, 0) << bad;
  }
  // A percent sign that ends the format is worked through.
  scanp_set(&p, "AB");
  expect(counters(scanp(&p, "AB%"), p), 0, 2, 0, 0, 1);
}

TEST(Scanp, OffsetsAndLimits) {
  parse_param p;
  int v = 3;
  scanp_set(&p, "TMP  48");
  p.len = p.assigned = p.matched = p.done = 9;
  scanp_off(&p, 7);
  expect(counters(scanp(&p, "%<3D", &v), p), -1, 0, 0, 0, 0);
  scanp_off(&p, 100);
  EXPECT_EQ(scanp(&p, "%<3D", &v), -1);
  scanp_off(&p, -3);  // never reads before the row
  EXPECT_EQ(scanp(&p, "%<3D", &v), -1);
  scanp_off(&p, 0);
  EXPECT_EQ(scanp(&p, "", &v), -1);
  EXPECT_EQ(v, 3);
  scanp_set(&p, nullptr);
  EXPECT_EQ(scanp(&p, "%D", &v), -1);
  // No scanner state at all: nothing to attach to or scan.
  EXPECT_EQ(scanp_set(nullptr, "TMP"), 0);
  EXPECT_EQ(scanp_off(nullptr, 1), 0);
  EXPECT_EQ(scanp(nullptr, "%D", &v), -1);

  // A field collects at most 79 characters, whatever the width.
  std::string longrow(300, '7');
  char s[80];
  scanp_set(&p, longrow.c_str());
  expect(counters(scanp(&p, "%S", s), p), 1, 79, 1, 1, 1);
  EXPECT_EQ(strlen(s), 79u);
  expect(counters(scanp(&p, "%200S", s), p), 0, 0, 0, 0, 0);
  expect(counters(scanp(&p, "%D", &v), p), 1, 79, 1, 1, 1);
  EXPECT_EQ(v, 2147483647);  // clamped, not undefined
  // Binary bytes are ordinary characters.
  const char bin[] = {'\x80', '\xff', '1', '\0'};
  scanp_set(&p, bin);
  expect(counters(scanp(&p, "%2c%1D", s, &v), p), 2, 3, 2, 2, 1);
  EXPECT_EQ(v, 1);
}

TEST(Scanp, TracesAtDebugD) {
  MESS_set(1, M_DEBUGD);
  parse_param p;
  int v;
  scanp_set(&p, " 45 47");
  qeltest::Output o = qeltest::capture([&] { scanp(&p, "%<3D", &v); });
  EXPECT_EQ(o.out, "     :: 47:\nSCANP: 45 47:%<3D:0:3:1:1:1\n");
}
