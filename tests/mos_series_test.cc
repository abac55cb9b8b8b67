// Tests of the flight categories: every boundary of every family's
// ceiling and visibility, from the categories of the station families and
// LAMP and from NBM's feet and miles.

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "mos_grid.h"

namespace {

constexpr int M = QEL_MISS;
constexpr int U = MOSG_UNLIMITED;

// A ceiling, a visibility (each a category, or NBM's hundreds of feet and
// tenths of a mile; M: not given) and the category they give.
struct Case {
  int cig, vis;
  const char *flight;  // null: none
};

std::string text(int flight) {
  const char *t = MOS_flight_text(flight);
  return t ? t : "none";
}

std::string want(const Case &c) { return c.flight ? c.flight : "none"; }

// A station report of `model` with the cases in its slots.
MOS_report station(int model, std::initializer_list<Case> cases) {
  MOS_report r;
  memset(&r, 0, sizeof r);
  r.model = model;
  MOS_initialize(&r);
  int i = 0;
  for (const Case &c : cases) r.hght[i] = c.cig, r.vis[i] = c.vis, i++;
  r.num = i;
  return r;
}

// A grid block of `model` with the rows `labels` (of "CIG", "VIS") and the
// cases in its columns.
MOSG_report *grid(int model, std::initializer_list<const char *> labels, std::initializer_list<Case> cases) {
  static MOSG_report r;
  memset(&r, 0, sizeof r);
  r.model = model;
  const GridProduct &p = *grid_product(model);
  for (const char *label : labels) {
    MOSG_row &row = r.rows[r.nrows++];
    str_copy(row.label, label, sizeof row.label);
    int stat = 0;
    row.element = static_cast<int16_t>(grid_element(p, label, &stat));
    int k = 0;
    for (const Case &c : cases) row.cell[k++].num = strcmp(label, "CIG") == 0 ? c.cig : c.vis;
  }
  r.ncols = static_cast<int32_t>(cases.size());
  return &r;
}

// The GFS tables: ceiling 1-2 LIFR, 3 IFR, 4-5 MVFR, 6-8 VFR; visibility
// 1-2 LIFR, 3-4 IFR (category 4 is 2 to 3 miles), 5 MVFR, 6-7 VFR; the worse
// decides; one missing, the other decides; out-of-range is not given.
const std::initializer_list<Case> kGfsCases = {
    {1, 7, "LIFR"}, {2, 7, "LIFR"}, {3, 7, "IFR"},  {4, 7, "MVFR"}, {5, 7, "MVFR"},  {6, 7, "VFR"},
    {8, 6, "VFR"},  {8, 1, "LIFR"}, {8, 2, "LIFR"}, {8, 3, "IFR"},  {8, 4, "IFR"},   {8, 5, "MVFR"},
    {4, 3, "IFR"},  {2, 5, "LIFR"}, {7, M, "VFR"},  {M, 4, "IFR"},  {M, M, nullptr}, {9, 0, nullptr},
};

}  // namespace

TEST(FlightCategory, FeetAndMilesAtEveryBoundary) {
  struct {
    float cig;
    bool unlimited;
    float vis;
    const char *flight;
  } cases[] = {
      {499, false, 10, "LIFR"},  {500, false, 10, "IFR"},  {999, false, 10, "IFR"},    {1000, false, 10, "MVFR"},
      {3000, false, 10, "MVFR"}, {3100, false, 10, "VFR"}, {M, true, 10, "VFR"},       {M, true, 5, "MVFR"},
      {M, false, 0.9f, "LIFR"},  {M, false, 1, "IFR"},     {M, false, 2.9f, "IFR"},    {M, false, 3, "MVFR"},
      {M, false, 5, "MVFR"},     {M, false, 5.1f, "VFR"},  {400, false, 10, "LIFR"},   {5000, false, 0.5f, "LIFR"},
      {M, false, M, nullptr},    {-800, false, 10, "VFR"}, {-800, false, -1, nullptr},
  };
  for (const auto &c : cases)
    EXPECT_EQ(text(MOS_flight_of(c.cig, c.unlimited, c.vis)), c.flight ? c.flight : "none")
        << c.cig << " ft " << c.unlimited << ", " << c.vis << " mi";
}

TEST(FlightCategory, StationFamiliesFromTheirCategories) {
  for (int model : {MOS_ETA, MOS_NAM, MOS_AVN, MOS_GFS, MOS_ECS}) {
    MOS_report r = station(model, kGfsCases);
    int i = 0;
    for (const Case &c : kGfsCases) EXPECT_EQ(text(MOS_flight_slot(&r, i++)), want(c)) << model << " slot " << i - 1;
  }

  // The NGM's own tables: ceiling 1-2 LIFR, 3 IFR, 4 MVFR, 5-7 VFR (its
  // 3,000 to 7,500 ft counts as VFR); visibility 1-2 LIFR, 3 IFR, 4 MVFR, 5 VFR.
  std::initializer_list<Case> ngm = {
      {1, 5, "LIFR"}, {2, 5, "LIFR"},  {3, 5, "IFR"},  {4, 5, "MVFR"}, {5, 5, "VFR"},
      {7, 5, "VFR"},  {7, 1, "LIFR"},  {7, 2, "LIFR"}, {7, 3, "IFR"},  {7, 4, "MVFR"},
      {4, 3, "IFR"},  {8, 6, nullptr}, {M, 4, "MVFR"}, {6, M, "VFR"},  {M, M, nullptr},
  };
  MOS_report r = station(MOS_NGM, ngm);
  int i = 0;
  for (const Case &c : ngm) EXPECT_EQ(text(MOS_flight_slot(&r, i++)), want(c)) << "NGM slot " << i - 1;
  EXPECT_EQ(MOS_flight_slot(&r, -1), MOS_FLT_NONE);
  EXPECT_EQ(MOS_flight_slot(&r, MOS_SLOTS), MOS_FLT_NONE);

  // The twelve-hourly families: only a report that carries both.
  for (int model : {MOS_MRF, MOS_GFSX}) {
    MOS_report one = station(model, {{3, M, nullptr}, {5, M, nullptr}});
    EXPECT_EQ(MOS_flight_rows(&one), 0);
    EXPECT_EQ(MOS_flight_slot(&one, 0), MOS_FLT_NONE);
    MOS_report both = station(model, {{3, M, "IFR"}, {M, 5, "MVFR"}});
    EXPECT_EQ(MOS_flight_rows(&both), 1);
    EXPECT_EQ(text(MOS_flight_slot(&both, 0)), "IFR");
    EXPECT_EQ(text(MOS_flight_slot(&both, 1)), "MVFR");
  }
}

TEST(FlightCategory, GridProductsFromFeetMilesAndCategories) {
  // NBM: hundreds of feet (-88 unlimited) and tenths of a mile.
  std::initializer_list<Case> nbm = {
      {4, 100, "LIFR"}, {5, 100, "IFR"}, {9, 100, "IFR"}, {10, 100, "MVFR"}, {30, 100, "MVFR"}, {31, 100, "VFR"},
      {U, 100, "VFR"},  {U, 9, "LIFR"},  {U, 10, "IFR"},  {U, 29, "IFR"},    {U, 30, "MVFR"},   {U, 50, "MVFR"},
      {U, 51, "VFR"},   {M, 51, "VFR"},  {20, M, "MVFR"}, {M, M, nullptr},
  };
  for (int model : {MOS_NBH, MOS_NBS, MOS_NBE, MOS_NBX}) {
    MOSG_report *r = grid(model, {"CIG", "VIS"}, nbm);
    int k = 0;
    for (const Case &c : nbm) EXPECT_EQ(text(MOSG_flight(r, k++)), want(c)) << model << " column " << k - 1;
    EXPECT_EQ(MOSG_flight(r, r->ncols), MOS_FLT_NONE);
  }
  // One of the two rows: enough for the hourly and three-hourly products,
  // not for the twelve-hourly ones.
  EXPECT_EQ(text(MOSG_flight(grid(MOS_NBS, {"VIS"}, {{M, 29, "IFR"}}), 0)), "IFR");
  EXPECT_EQ(MOSG_flight_rows(grid(MOS_NBE, {"VIS"}, {{M, 29, nullptr}})), 0);
  EXPECT_EQ(MOSG_flight(grid(MOS_NBX, {"CIG"}, {{5, M, nullptr}}), 0), MOS_FLT_NONE);

  // LAMP: the GFS categories.
  for (int model : {MOS_LAV, MOS_LEV}) {
    MOSG_report *r = grid(model, {"CIG", "VIS"}, kGfsCases);
    int k = 0;
    for (const Case &c : kGfsCases) EXPECT_EQ(text(MOSG_flight(r, k++)), want(c)) << model << " column " << k - 1;
  }
}
