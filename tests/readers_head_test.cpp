// The memory reader's and the editing reader's own head-area operations.
#include <gtest/gtest.h>

#include "builder/MapFileBuilder.h"
#include "terrix/MemReader.h"
#include "terrix/Reader.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using tb::MapFileBuilder;

namespace {
MapFileBuilder Counted(int kind) {
  return MapFileBuilder(kind).Count(0, 10).Count(1, 11).Count(2, 20).Count(3, 21).Count(4, 30).Count(5, 31);
}
}  // namespace

TEST(MemReaderHead, ShapeTypesAndCountsForAnyKind) {
  tb::TempDir dir;
  Terrix_MemReader r;
  struct Case {
    int kind;
    int shape;
  };
  for (Case k : {Case{tb::kPoint, 1}, Case{tb::kLine, 3}, Case{tb::kNetwork, 3}, Case{tb::kRegion, 5},
                 Case{tb::kTable, -1}}) {
    Counted(k.kind).WriteTo(dir.Path("f"));
    ASSERT_EQ(r.Open(dir.WidePath("f").c_str()), Result::Success);
    EXPECT_EQ(r.GetShapeType(), k.shape) << k.kind;
    int c = -1;
    EXPECT_EQ(r.GetPntCount(&c), 10) << "the count operations do not look at the kind";
    EXPECT_EQ(c, 10);
    EXPECT_EQ(r.GetArcCount(nullptr), 10);
    EXPECT_EQ(r.GetNetPntCount(&c), 20);
    EXPECT_EQ(c, 20);
    EXPECT_EQ(r.GetRegCount(&c), 30);
    EXPECT_EQ(c, 30);
  }
  MapFileBuilder(tb::kRegion).Count(1, 0).WriteTo(dir.Path("g"));
  ASSERT_EQ(r.Open(dir.WidePath("g").c_str()), Result::Success);
  int c = -1;
  r.GetArcCount(&c);
  EXPECT_EQ(c, 0);
  r.ReadAsPolyArc();
  EXPECT_EQ(r.GetShapeType(), 3) << "a region file read as a line file";
  ASSERT_EQ(r.Open(dir.WidePath("g").c_str()), Result::Success);
  EXPECT_EQ(r.GetShapeType(), 5) << "ReadAsPolyArc lasts until the next Open";
}

TEST(EditReaderHead, RefusalsAndKinds) {
  tb::TempDir dir;
  Terrix_Reader r;
  Counted(tb::kNetwork).WriteTo(dir.Path("net"));
  EXPECT_EQ(r.Open(dir.WidePath("net").c_str()), Result::BadMagic) << "network files are not edited";
  EXPECT_EQ(r.Open(dir.WidePath("missing").c_str()), Result::CannotOpen);

  // A refused head closes the file at once: the reader forgets the kind and counts.
  Counted(tb::kRegion).RefusalFlag(2).WriteTo(dir.Path("refused"));
  EXPECT_EQ(r.Open(dir.WidePath("refused").c_str()), Result::Refused);
  int count = -1;
  EXPECT_EQ(r.GetInfo(&count, nullptr, nullptr), 0);
  EXPECT_EQ(count, 0);
  Counted(tb::kRegion).DirectoryCount(2000).WriteTo(dir.Path("far"));
  EXPECT_EQ(r.Open(dir.WidePath("far").c_str()), Result::CannotOpen);
  EXPECT_EQ(r.GetInfo(nullptr, nullptr, nullptr), 0);

  // A magic that does not match keeps what was read before the check (the
  // head), but not the counts behind it.
  Counted(tb::kRegion).Magic("WMAP`D21").WriteTo(dir.Path("mismatch"));
  EXPECT_EQ(r.Open(dir.WidePath("mismatch").c_str()), Result::BadMagic);
  int shape = 0;
  EXPECT_EQ(r.GetInfo(nullptr, &shape, nullptr), 0);
  EXPECT_EQ(shape, 5);
}

TEST(EditReaderHead, GetInfoPerKind) {
  tb::TempDir dir;
  Terrix_Reader r;
  struct Case {
    int kind;
    int result;
    int count;
    int shape;
  };
  for (Case k : {Case{tb::kPoint, 10, 10, 1}, Case{tb::kLine, 10, 10, 3}, Case{tb::kRegion, 30, 30, 5},
                 Case{tb::kTable, 10, 10, -7}}) {
    Counted(k.kind).Tics(70000, 0).WriteTo(dir.Path("f"));
    ASSERT_EQ(r.Open(dir.WidePath("f").c_str()), Result::Success);
    int count = -1, shape = -7, tics = -1;
    EXPECT_EQ(r.GetInfo(&count, &shape, &tics), k.result);
    EXPECT_EQ(count, k.count);
    EXPECT_EQ(shape, k.shape) << "a table file leaves the caller's shape type";
    EXPECT_EQ(tics, 70000) << "the whole stored tic count";
  }
}
