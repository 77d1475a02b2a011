// Damaged files are normal input. One table of cases (a valid file, one edit,
// the code each reader must answer) runs through the three readers; random
// corruptions of the sample files then go through every reading operation,
// and every answer must be one of the library's result codes (the sanitizer
// build turns any access outside a buffer into a failure).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>

#include "builder/ElementRecords.h"
#include "support/ReadAll.h"

using namespace Terrix;
using namespace Terrix::Result;

namespace {

enum Op { kOpen, kPoint, kNote, kArc, kPolygon };

// Opens the file and answers Open's code, or that of one element read.
template <class Reader>
std::int32_t Answer(const std::wstring& path, Op op, int index) {
  Reader r;
  const std::int32_t open = r.Open(path.c_str());
  GeometryHolder g = MakeGeometry();
  char note[260];
  switch (op) {
    case kOpen:
      return open;
    case kPoint:
      return r.ReadPointInfo(index, nullptr, g.get());
    case kNote:
      return r.GetNoteInfo(index, note);
    case kArc:
      return r.ReadArcInfo(index, nullptr, g.get());
    default:
      return r.ReadPolygonInfo(index, nullptr, g.get());
  }
}

// A line file: arc 1 of two points, then two points at the end of the file
// that other arc records point at.
tb::ElementFile Lines(std::uint32_t* tail) {
  tb::ElementFile f(tb::kLine);
  f.AddArc({{1, 1}, {2, 2}});
  *tail = f.Coordinates().Points({{3, 4}, {5, 6}});
  return f;
}
tb::MapFileBuilder Arc(std::int32_t pointCount, std::uint8_t state = 1) {
  std::uint32_t tail = 0;
  tb::ElementFile f = Lines(&tail);
  f.AddArcRecord(state, pointCount, tail);
  return f.Build();
}
// A region file of arcs 1 (3 points), 2 (not in use) and 3, and polygon 1 (index 0) over arcs 1 and 3;
// `add` adds the polygon under test (index 1).
tb::MapFileBuilder Regions(const std::function<void(tb::ElementFile&)>& add) {
  tb::ElementFile f(tb::kRegion);
  f.AddArc({{0, 0}, {0, 9}, {9, 9}});
  f.AddArc({{9, 9}, {9, 0}}, 0);
  f.AddArc({{9, 0}, {0, 0}});
  f.AddPolygon({1, 3});
  add(f);
  return f.Build();
}
tb::MapFileBuilder Points() {
  tb::ElementFile f(tb::kPoint);
  f.AddPoint(1, 2, "note");
  f.AddPoint(3, 4, "", 0);
  return f.Build();
}
tb::MapFileBuilder Network() {
  tb::ElementFile f(tb::kNetwork);
  f.AddArc({{0, 0}, {1, 1}});
  f.AddNode(1, 1, tb::Bytes(94, 7));
  return f.Build();
}

struct Case {
  const char* what;
  std::function<tb::MapFileBuilder()> file;
  Op op;
  int index;
  std::int32_t fast, mem, edit;
};

TEST(DamagedFiles, EachReaderAnswersEachDamageWithItsCode) {
  const auto polygon = [](auto add) { return [=] { return Regions(add); }; };
  const Case cases[] = {
      {"valid line file", [] { return Arc(2); }, kArc, 1, Success, Success, Success},
      {"refusal flag set", [] { return Arc(2).RefusalFlag(1).DirectoryOffset(5000); }, kOpen, 0, Refused,
       Refused, Refused},
      {"directory count over 1024", [] { return Arc(2).DirectoryCount(1025).Magic("XXXXXXXX"); }, kOpen, 0,
       CannotOpen, CannotOpen, CannotOpen},
      {"directory offset over 1024", [] { return Arc(2).DirectoryOffset(1025); }, kOpen, 0, CannotOpen,
       CannotOpen, CannotOpen},
      {"directory at 1024 of 1024 entries", [] { return Arc(2).DirectoryOffset(1024).DirectoryCount(1024); },
       kOpen, 0, Success, Success, Success},
      {"magic of another kind", [] { return Arc(2).Magic("WMAP`D22"); }, kOpen, 0, BadMagic, BadMagic,
       BadMagic},
      {"kind 3 with its own magic", [] { return Arc(2).KindField(3).Magic("WMAP`D23"); }, kOpen, 0, BadMagic,
       BadMagic, BadMagic},
      {"kind -1", [] { return Arc(2).KindField(-1); }, kOpen, 0, BadMagic, BadMagic, BadMagic},
      {"network file", Network, kOpen, 0, Success, Success, BadMagic},
      {"network node read as a point", Network, kPoint, 0, Success, IoError, IoError},
      {"arc not in use", [] { return Arc(2, 0); }, kArc, 1, NotInUse, NotInUse, NotInUse},
      {"arc index equal to the count", [] { return Arc(2); }, kArc, 2, IoError, IoError, IoError},
      {"arc index -1", [] { return Arc(2); }, kArc, -1, IoError, IoError, IoError},
      {"arc running past the coordinate section", [] { return Arc(7); }, kArc, 1, IoError, IoError, Success},
      {"arc of more points than the file holds", [] { return Arc(1000); }, kArc, 1, IoError, IoError,
       NoMemory},
      {"arc of a negative point count", [] { return Arc(-4); }, kArc, 1, NoMemory, NoMemory, NoMemory},
      {"arc read in a point file", Points, kArc, 0, IoError, IoError, IoError},
      {"polygon read in a line file that claims polygons", [] { return Arc(2).Count(4, 3).Count(5, 4); },
       kPolygon, 0, IoError, IoError, IoError},
      {"point not in use", Points, kPoint, 1, NotInUse, NotInUse, NotInUse},
      {"point index equal to the count", Points, kPoint, 2, IoError, IoError, IoError},
      {"note of a point not in use", Points, kNote, 1, Success, Success, Success},
      {"note in a line file", [] { return Arc(2); }, kNote, 0, IoError, IoError, IoError},
      {"valid polygon", polygon([](tb::ElementFile&) {}), kPolygon, 0, Success, Success, Success},
      {"polygon not in use", polygon([](tb::ElementFile& f) { f.AddPolygon({1}, 0); }), kPolygon, 1, NotInUse,
       NotInUse, NotInUse},
      {"polygon without an arc list", polygon([](tb::ElementFile& f) { f.AddPolygonRecord(1, 0, 2); }),
       kPolygon, 1, BadArcList, BadArcList, BadArcList},
      {"polygon of a negative total", polygon([](tb::ElementFile& f) { f.AddPolygonList(-1, {1}); }),
       kPolygon, 1, BadArcList, BadArcList, BadArcList},
      {"polygon of a list longer than the file",
       polygon([](tb::ElementFile& f) { f.AddPolygonRecord(1, 0x7FFFFFFF, 2); }), kPolygon, 1, NoMemory,
       NoMemory, NoMemory},
      {"polygon of a total of 2^31 - 1", polygon([](tb::ElementFile& f) {
         f.AddPolygonList(0x7FFFFFFF, {1, 3});
       }),
       kPolygon, 1, NoMemory, NoMemory, NoMemory},
      {"polygon listing an arc past the arc table", polygon([](tb::ElementFile& f) {
         f.AddPolygonList(5, {1, 4});
       }),
       kPolygon, 1, IoError, IoError, IoError},
      {"polygon with an arc not in use inside", polygon([](tb::ElementFile& f) {
         f.AddPolygon({1, 2, 3});
       }),
       kPolygon, 1, Success, Success, NotInUse},
      {"polygon with an arc not in use last", polygon([](tb::ElementFile& f) {
         f.AddPolygon({1, 3, 2});
       }),
       kPolygon, 1, NotInUse, NotInUse, NotInUse},
      {"polygon index equal to the count", polygon([](tb::ElementFile&) {}), kPolygon, 1, IoError, IoError,
       IoError},
  };
  tb::TempDir dir;
  const std::wstring path = dir.WidePath("f.tmf");
  for (const Case& c : cases) {
    c.file().WriteTo(dir.Path("f.tmf"));
    EXPECT_EQ(Answer<Terrix_FastReader>(path, c.op, c.index), c.fast) << "fast reader: " << c.what;
    EXPECT_EQ(Answer<Terrix_MemReader>(path, c.op, c.index), c.mem) << "memory reader: " << c.what;
    EXPECT_EQ(Answer<Terrix_Reader>(path, c.op, c.index), c.edit) << "editing reader: " << c.what;
  }
  tb::WriteFile(dir.Path("f.tmf"), {});
  EXPECT_EQ(Answer<Terrix_FastReader>(path, kOpen, 0), BadMagic) << "empty file";
  EXPECT_EQ(Answer<Terrix_MemReader>(dir.WidePath("none"), kOpen, 0), CannotOpen) << "missing file";
  EXPECT_EQ(Answer<Terrix_Reader>(dir.WidePath("none"), kOpen, 0), CannotOpen) << "missing file";
}

void Corrupt(tb::Bytes& b, std::mt19937& rng) {
  static const std::uint32_t extremes[] = {0, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 1, 0xFFFF};
  for (int e = 0, edits = 1 + static_cast<int>(rng() % 4); e < edits; ++e) {
    const std::size_t at = rng() % ((rng() % 2 == 0) ? std::min<std::size_t>(b.size(), 1000) : b.size());
    const std::uint32_t v = extremes[rng() % 6];
    switch (rng() % 3) {
      case 0:
        b[at] = static_cast<std::uint8_t>(rng());
        break;
      case 1:
        b[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
      default:
        if (at + 4 <= b.size()) std::memcpy(b.data() + at, &v, 4);
    }
  }
}

void ExpectCode(std::int32_t rc, const char* what) {
  EXPECT_TRUE(support::IsResultCode(rc)) << what << " answered " << rc;
}

// TERRIX_ROBUSTNESS_ROUNDS runs longer searches than the suite's 100 rounds.
void Hammer(const tb::Bytes& original, unsigned seed) {
  const char* rounds = std::getenv("TERRIX_ROBUSTNESS_ROUNDS");
  std::mt19937 rng(seed);
  tb::TempDir dir;
  const std::wstring wide = dir.WidePath("damaged.tmf");
  for (int round = 0; round < (rounds != nullptr ? std::atoi(rounds) : 100); ++round) {
    tb::Bytes damaged = original;
    Corrupt(damaged, rng);
    if (rng() % 8 == 0) damaged.resize(rng() % damaged.size());  // cut short too
    tb::WriteFile(dir.Path("damaged.tmf"), damaged);
    const auto start = std::chrono::steady_clock::now();
    support::ReadAllFast(wide.c_str(), ExpectCode);
    support::ReadAllMem(wide.c_str(), round % 2 == 1, ExpectCode);
    support::ReadAllEdit(wide.c_str(), ExpectCode);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "round " << round;
    if (::testing::Test::HasFailure()) {
      const std::string kept = "robustness-failing-" + std::to_string(seed) + ".tmf";
      tb::WriteFile(kept, damaged);  // in the working directory, for a look
      FAIL() << "round " << round << " (seed " << seed << "); file kept as " << kept;
    }
  }
}

// Each sample file kind: regions, points, lines and a table, with its own seed.
TEST(Robustness, DamagedSampleFilesAnswerKnownCodes) {
  unsigned seed = 1;
  for (const char* name : {"countries.tmf", "cities.tmf", "borders.tmf", "countries-table.tmf"}) {
    SCOPED_TRACE(name);
    if (::testing::Test::HasFailure()) break;  // Hammer keeps the first failing file only
    Hammer(tb::ReadFile(std::string(TERRIX_SOURCE_DIR) + "/data/samples/" + name), seed++);
  }
}
}  // namespace
