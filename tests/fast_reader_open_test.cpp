// Opening files with the fast reader: head checks in their order, counts,
// extent, projection, control points and topology.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "builder/MapFileBuilder.h"
#include "core/File.h"
#include "terrix/FastReader.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using tb::MapFileBuilder;

namespace {

class FastReaderOpen : public ::testing::Test {
 protected:
  std::int32_t OpenBuilt(const MapFileBuilder& b, const std::string& name = "f") {
    b.WriteTo(dir.Path(name));
    return reader.Open(dir.WidePath(name).c_str());
  }
  tb::TempDir dir;
  Terrix_FastReader reader;
};

tb::Bytes Tics(int n) {
  tb::ByteWriter w;
  for (int i = 0; i < n; ++i) w.f64(i).f64(i + 0.5).f64(-i).f64(100.0 + i);
  return w.take();
}

}  // namespace

TEST_F(FastReaderOpen, HeadChecksInTheirOrder) {
  // The refusal flag is looked at before the directory limits and the magic.
  EXPECT_EQ(OpenBuilt(MapFileBuilder(tb::kPoint).RefusalFlag(1).DirectoryOffset(5000).Magic("XXXXXXXX")),
            Result::Refused);
  // Directory limits come before the magic.
  EXPECT_EQ(OpenBuilt(MapFileBuilder(tb::kPoint).DirectoryCount(1025).Magic("XXXXXXXX")), Result::CannotOpen);
  EXPECT_EQ(OpenBuilt(MapFileBuilder(tb::kPoint).DirectoryOffset(1025)), Result::CannotOpen);
  EXPECT_EQ(OpenBuilt(MapFileBuilder(tb::kPoint).DirectoryOffset(1024).DirectoryCount(1024)),
            Result::Success);
  // Kind and magic must belong together; kinds 3, 5 and 6 do not exist.
  EXPECT_EQ(OpenBuilt(MapFileBuilder(tb::kPoint).Magic("WMAP`D21")), Result::BadMagic);
  for (std::int16_t kind : {3, 5, 6, -1, 8}) {
    EXPECT_EQ(OpenBuilt(MapFileBuilder(tb::kLine).KindField(kind)), Result::BadMagic) << kind;
    EXPECT_EQ(OpenBuilt(MapFileBuilder(tb::kLine).KindField(kind).Magic("WMAP`D2" + std::to_string(kind))),
              Result::BadMagic);
  }
  for (int kind : {tb::kLine, tb::kPoint, tb::kRegion, tb::kNetwork, tb::kTable}) {
    EXPECT_EQ(OpenBuilt(MapFileBuilder(kind)), Result::Success) << kind;
    EXPECT_EQ(reader.GetShapeType(), kind);
  }
  EXPECT_EQ(reader.Open(dir.WidePath("none").c_str()), Result::CannotOpen);
  EXPECT_EQ(reader.GetShapeType(), 0) << "a failed open leaves the reader as constructed";
}

TEST_F(FastReaderOpen, ShortAndOddFiles) {
  // A file shorter than the head area reads as far as it goes.
  tb::Bytes head = MapFileBuilder(tb::kPoint).Count(0, 5).Count(1, 6).Build();
  head.resize(264);  // cut inside the element counts, behind word 0
  tb::WriteFile(dir.Path("cut"), head);
  ASSERT_EQ(reader.Open(dir.WidePath("cut").c_str()), Result::Success);
  int count = -7;
  EXPECT_EQ(reader.GetPointCount(&count), 5);
  EXPECT_EQ(count, 0) << "the record count was cut off and reads as 0";
  double xmin = 1;
  reader.GetExtentInfo(&xmin, nullptr, nullptr, nullptr);
  EXPECT_EQ(xmin, 0.0);
  EXPECT_EQ(reader.GetTicInfo(0, nullptr), Result::IoError);

  tb::WriteFile(dir.Path("empty"), {});
  EXPECT_EQ(reader.Open(dir.WidePath("empty").c_str()), Result::BadMagic);

  // A negative directory count passes the signed limit and holds no entries;
  // a directory of fewer entries than a section needs is not read past.
  ASSERT_EQ(OpenBuilt(MapFileBuilder(tb::kLine).DirectoryCount(-3).Tics(1, 0)), Result::Success);
  TERRIX_Tic_Info tic{};
  EXPECT_EQ(reader.GetTicInfo(0, &tic), Result::IoError);
  ASSERT_EQ(OpenBuilt(MapFileBuilder(tb::kLine).DirectoryCount(3).Count(1, 2)), Result::Success);
  TERRIX_Topology topo{};
  EXPECT_EQ(reader.GetTopoInfo(1, &topo), Result::IoError) << "entry 3 is beyond a 3-entry directory";
}

TEST_F(FastReaderOpen, CountsPerKind) {
  // Counts words: 10/11 section 0, 20/21 nodes, 30/31 polygons. -1: the
  // count does not apply, and the caller's value stays.
  struct Case {
    int kind, points, arcs, polygons;
  };
  for (Case k : {Case{tb::kPoint, 10, -1, -1}, Case{tb::kNetwork, 20, 10, -1}, Case{tb::kRegion, -1, 10, 30},
                 Case{tb::kLine, -1, 10, -1}, Case{tb::kTable, -1, -1, -1}}) {
    ASSERT_EQ(
        OpenBuilt(
            MapFileBuilder(k.kind).Count(0, 10).Count(1, 11).Count(2, 20).Count(3, 21).Count(4, 30).Count(
                5, 31)),
        Result::Success);
    int c = -5;
    EXPECT_EQ(reader.GetPointCount(&c), k.points) << k.kind;
    EXPECT_EQ(c, k.points < 0 ? -5 : k.points);
    c = -5;
    EXPECT_EQ(reader.GetArcCount(&c), k.arcs) << k.kind;
    EXPECT_EQ(c, k.arcs < 0 ? -5 : k.arcs);
    c = -5;
    EXPECT_EQ(reader.GetPolygonCount(&c), k.polygons) << k.kind;
    EXPECT_EQ(c, k.polygons < 0 ? -5 : k.polygons);
    EXPECT_EQ(reader.GetArcCount(nullptr), k.arcs);
  }

  // Record counts of 1 (the reserved record only) and 0 both give 0; a
  // negative one never gives a negative count.
  for (std::int32_t records : {1, 0, -4}) {
    ASSERT_EQ(OpenBuilt(MapFileBuilder(tb::kPoint).Count(0, 3).Count(1, records)), Result::Success);
    int c = 99;
    EXPECT_EQ(reader.GetPointCount(&c), 3);
    EXPECT_EQ(c, 0) << records;
  }
}

TEST_F(FastReaderOpen, ExtentAndProjection) {
  ASSERT_EQ(OpenBuilt(MapFileBuilder(tb::kLine).Extent(-1.5, -2.5, 3.25, 4e300)), Result::Success);
  double v[4] = {};
  reader.GetExtentInfo(&v[0], &v[1], &v[2], &v[3]);
  EXPECT_EQ(v[0], -1.5);
  EXPECT_EQ(v[1], -2.5);
  EXPECT_EQ(v[2], 3.25);
  EXPECT_EQ(v[3], 4e300);
  reader.GetExtentInfo(nullptr, nullptr, nullptr, nullptr);

  struct Case {
    std::uint8_t type;
    double stored;
    double handedOut;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Case& k : {Case{3, 0.0005, 1.0}, Case{3, 0.001, 0.001}, Case{3, 2.5, 2.5}, Case{3, -7.0, 1.0},
                        Case{0, 2.5, 1.0}, Case{0, nan, 1.0}, Case{3, nan, nan}}) {
    MapFileBuilder b(tb::kRegion);
    b.Projection(k.type, k.stored);
    b.HeadArea()[91 + 100] = 0x77;  // a parameter byte that passes through
    ASSERT_EQ(OpenBuilt(b), Result::Success);
    EXPECT_EQ(reader.GetProjectionInfo(nullptr), static_cast<char>(k.type));
    MAP_PARAstruct p;
    std::memset(&p, 0xCC, sizeof p);
    EXPECT_EQ(reader.GetProjectionInfo(&p), static_cast<char>(k.type));
    const double coefficient = p.coefficient;  // packed field: copy before binding a reference
    if (std::isnan(k.handedOut)) {
      EXPECT_TRUE(std::isnan(coefficient));
    } else {
      EXPECT_EQ(coefficient, k.handedOut) << int(k.type) << " " << k.stored;
    }
    EXPECT_EQ(p.params1[100 - 60], 0x77);
    // The stored projection is not changed by handing it out.
    MAP_PARAstruct again{};
    reader.GetProjectionInfo(&again);
    EXPECT_EQ(std::memcmp(&p, &again, sizeof p), 0);
  }
}

TEST_F(FastReaderOpen, TicsAndTopology) {
  MapFileBuilder b(tb::kLine);
  tb::ByteWriter coords;
  coords.zeros(10).bytes(Tics(3));
  b.Section(1, coords.take()).Tics(3, 10).Count(0, 2).Count(1, 3);
  tb::ByteWriter topo;
  for (int r = 0; r < 3; ++r)
    for (int v = 0; v < 6; ++v) topo.i32(r * 10 + v);
  b.Section(3, topo.take());
  ASSERT_EQ(OpenBuilt(b), Result::Success);

  EXPECT_EQ(reader.GetTicCount(), 3);
  TERRIX_Tic_Info tic{};
  EXPECT_EQ(reader.GetTicInfo(3, &tic), Result::IoError) << "index equal to the count";
  EXPECT_EQ(reader.GetTicInfo(-1, &tic), Result::IoError);
  EXPECT_EQ(reader.GetTicInfo(1, nullptr), Result::Success) << "loads the table, copies nothing";
  ASSERT_EQ(reader.GetTicInfo(2, &tic), Result::Success);
  double values[4];
  std::memcpy(values, tic.data, sizeof values);
  EXPECT_EQ(values[0], 2.0);
  EXPECT_EQ(values[3], 102.0);

  TERRIX_Topology t{};
  ASSERT_EQ(reader.GetTopoInfo(2, &t), Result::Success);
  EXPECT_EQ(t.values[0], 20);
  EXPECT_EQ(t.values[5], 25);
  EXPECT_EQ(reader.GetTopoInfo(3, &t), Result::IoError) << "beyond the arc records";
  EXPECT_EQ(reader.GetTopoInfo(-1, &t), Result::IoError);
  EXPECT_EQ(reader.GetTopoInfo(1, nullptr), Result::IoError);

  // Only the low 16 bits of the tic count are handed out.
  ASSERT_EQ(OpenBuilt(MapFileBuilder(tb::kPoint).Tics(70000, 0)), Result::Success);
  EXPECT_EQ(reader.GetTicCount(), 4464);
  ASSERT_EQ(OpenBuilt(MapFileBuilder(tb::kPoint).Tics(0xFFFF, 0)), Result::Success);
  EXPECT_EQ(reader.GetTicCount(), -1);

  // A hostile tic count costs no memory beyond the file: tics past the end read as zeros.
  b.Tics(0x7FFFFFFF, 10);
  ASSERT_EQ(OpenBuilt(b), Result::Success);
  std::memset(&tic, 0xAA, sizeof tic);
  ASSERT_EQ(reader.GetTicInfo(2000000000, &tic), Result::Success);
  for (std::uint8_t byte : tic.data) EXPECT_EQ(byte, 0);
  ASSERT_EQ(reader.GetTicInfo(1, &tic), Result::Success);
  std::memcpy(values, tic.data, sizeof values);
  EXPECT_EQ(values[3], 101.0);
}

TEST_F(FastReaderOpen, FailedReadsAtEachStep) {
  MapFileBuilder b(tb::kLine);
  b.Section(1, Tics(2)).Tics(2, 0).Count(1, 2).Section(3, tb::Bytes(48, 1));
  b.WriteTo(dir.Path("f"));
  // Reads of the head area: head, projection, counts, extent, tics, directory.
  for (long n = 1; n <= 6; ++n) {
    core::FileSeam::Reset();
    core::FileSeam::FailReadAt(n);
    EXPECT_EQ(reader.Open(dir.WidePath("f").c_str()), Result::IoError) << "read " << n;
  }
  core::FileSeam::Reset();
  ASSERT_EQ(reader.Open(dir.WidePath("f").c_str()), Result::Success);
  EXPECT_EQ(core::FileSeam::ReadCount(), 6);

  // A failed table load answers -9983 once; the table is not read again.
  core::FileSeam::FailReadAt(1);
  TERRIX_Tic_Info tic{};
  EXPECT_EQ(reader.GetTicInfo(0, &tic), Result::IoError);
  const long reads = core::FileSeam::ReadCount();
  EXPECT_EQ(reader.GetTicInfo(0, &tic), Result::Success);
  EXPECT_EQ(core::FileSeam::ReadCount(), reads);
  core::FileSeam::FailReadAt(1);
  TERRIX_Topology t{};
  EXPECT_EQ(reader.GetTopoInfo(0, &t), Result::IoError);
  core::FileSeam::Reset();
}

TEST_F(FastReaderOpen, CloseThenOpenAnotherKind) {
  MapFileBuilder line(tb::kLine);
  line.Section(1, Tics(2)).Tics(2, 0).Count(0, 4).Count(1, 5).Extent(1, 2, 3, 4);
  ASSERT_EQ(OpenBuilt(line, "line"), Result::Success);
  TERRIX_Tic_Info tic{};
  ASSERT_EQ(reader.GetTicInfo(1, &tic), Result::Success);
  reader.Close();
  EXPECT_EQ(reader.GetTicCount(), 0);
  int c = 0;
  EXPECT_EQ(reader.GetArcCount(&c), 0) << "a closed reader is as constructed: kind 0, counts 0";

  MapFileBuilder point(tb::kPoint);
  tb::ByteWriter tics;
  tics.f64(9).f64(9).f64(9).f64(9);
  point.Section(1, tics.take()).Tics(1, 0).Count(0, 7).Count(1, 8);
  ASSERT_EQ(OpenBuilt(point, "point"), Result::Success);
  EXPECT_EQ(reader.GetShapeType(), tb::kPoint);
  EXPECT_EQ(reader.GetPointCount(&c), 7);
  EXPECT_EQ(reader.GetTicInfo(1, &tic), Result::IoError) << "the first file's tics are gone";
  ASSERT_EQ(reader.GetTicInfo(0, &tic), Result::Success);
  double x;
  std::memcpy(&x, tic.data, 8);
  EXPECT_EQ(x, 9.0);
}

TEST_F(FastReaderOpen, CopiesShareStateSafely) {
  ASSERT_EQ(OpenBuilt(MapFileBuilder(tb::kRegion).Count(4, 2).Count(5, 3)), Result::Success);
  {
    Terrix_FastReader copy(reader);
    int c = 0;
    EXPECT_EQ(copy.GetPolygonCount(&c), 2);
    Terrix_FastReader assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetShapeType(), tb::kRegion);
  }  // destroying the copies leaves the original usable
  EXPECT_EQ(reader.GetShapeType(), tb::kRegion);
  auto* heap = new Terrix_FastReader(reader);
  heap->Close();  // closing one closes the shared file for both
  EXPECT_EQ(reader.GetShapeType(), 0);
  delete heap;
}
