// The file assembly of Terrix_Writer, checked on the written bytes (offsets
// from the format description, not from the library): head area, directory of
// every kind, section placement, zero gaps, per-element blocks, field
// descriptors; what the writer refuses or repairs. What
// elements and values hold is the model round trip's (writer_model_test.cpp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "WriterTestSupport.h"
#include "terrix/ResultCodes.h"
#include "writer/ArcCoordinates.h"

using namespace Terrix;
using Counts = std::vector<std::int32_t>;
using Extent = std::array<double, 4>;

namespace {

constexpr std::size_t kDirectoryAt = 657, kFirstSection = 817;
constexpr double kBoundsStart = 1.79769313486232e307;
const Extent kInitialExtent = {kBoundsStart, kBoundsStart, -kBoundsStart, -kBoundsStart};

/// A written file's bytes with the readings the tests need.
struct FileView {
  tb::Bytes bytes;
  explicit FileView(const std::string& path) : bytes(tb::ReadFile(path)) {}
  template <typename T>
  T At(std::size_t offset) const {
    EXPECT_LE(offset + sizeof(T), bytes.size()) << "read beyond the file at " << offset;
    return offset + sizeof(T) <= bytes.size() ? tb::Peek<T>(bytes, offset) : T{};
  }
  std::uint32_t Offset(int entry) const { return At<std::uint32_t>(kDirectoryAt + 10 * entry); }
  std::uint32_t Length(int entry) const { return At<std::uint32_t>(kDirectoryAt + 10 * entry + 4); }
  /// The eleven element counts of the head area.
  std::vector<std::int32_t> Counts() const {
    std::vector<std::int32_t> c;
    for (int i = 0; i < 11; ++i) c.push_back(At<std::int32_t>(260 + 4 * i));
    return c;
  }
  /// Four f64 from `offset`: the head's extent by default.
  std::array<double, 4> Extent(std::size_t offset = 304) const {
    return {At<double>(offset), At<double>(offset + 8), At<double>(offset + 16), At<double>(offset + 24)};
  }
  tb::Bytes Slice(std::size_t from, std::size_t length) const {
    EXPECT_LE(from + length, bytes.size());
    return from + length <= bytes.size() ? tb::Bytes(bytes.begin() + from, bytes.begin() + from + length)
                                         : tb::Bytes{};
  }
  bool AllZero(std::size_t from, std::size_t length) const {
    return Slice(from, length) == tb::Bytes(length, 0);
  }
};

class WriterLayout : public ::testing::Test {
 protected:
  tb::TempDir dir;
  writer_support::StepWriter w;
  const Terrix::GeometryHolder none = writer_support::Geo({}, {});
  const TERRIX_LineInfo line = writer_support::InUse<TERRIX_LineInfo>();

  FileView Finish(const std::string& name) {
    w.Flush();
    w.Close();
    return FileView(dir.Path(name));
  }
  /// Entries laid from 817 in the given order, each directly behind the one
  /// before, with these lengths; every other entry (0, 0); every flag 0xFFFF.
  static void ExpectDirectory(const FileView& f, const std::vector<std::uint32_t>& lengths) {
    std::uint32_t at = kFirstSection;
    for (int e = 0; e < 16; ++e) {
      const std::uint32_t length = e < static_cast<int>(lengths.size()) ? lengths[e] : 0;
      EXPECT_EQ(f.Offset(e), e < static_cast<int>(lengths.size()) ? at : 0u) << "entry " << e;
      EXPECT_EQ(f.Length(e), length) << "entry " << e;
      EXPECT_EQ(f.At<std::uint16_t>(kDirectoryAt + 10 * e + 8), 0xFFFF) << "entry " << e;
      at += length;
    }
    EXPECT_EQ(f.bytes.size(), at);
  }
};

TEST_F(WriterLayout, EmptyPointFileIsExactlyTheDescribedBytes) {
  ASSERT_EQ(w.Create(dir.WidePath("p.tmf").c_str(), 1), Result::Success);
  const FileView f = Finish("p.tmf");

  tb::ByteWriter e;
  e.raw("WMAP`D22", 8).i16(1).i16(0).i32(657).i32(16).zeros(71);
  tb::Bytes projection(169, 0);  // zero except three parameters that start at 1.0
  for (std::size_t at : {141, 153, 161}) tb::Poke(projection, at, 1.0);
  e.bytes(projection).zeros(44);
  for (double d : kInitialExtent) e.f64(d);
  e.zeros(256).i32(0).u32(0).zeros(57);
  for (auto [offset, length] : {std::pair{817, 93}, {910, 2}, {912, 349}, {1261, 32}, {1293, 4}})
    e.u32(offset).u32(length).u16(0xFFFF);
  for (int i = 5; i < 16; ++i) e.u32(0).u32(0).u16(0xFFFF);
  e.zeros(93).zeros(2);  // record 0; the two leading bytes of section 1
  e.u8(0x60).u8(0x44).u8(0xDC).u8(0x07).u8(0x05).u8(0x16).zeros(6).u32(348).zeros(304);
  e.u16(0x4460).i16(0).u32(1).u32(1).zeros(16).zeros(1);  // the leading record is not written
  for (double d : kInitialExtent) e.f64(d);
  e.i32(65536);
  ASSERT_EQ(e.size(), 1297u);
  EXPECT_EQ(f.bytes, e.data());
  // The start values of the bounds are this decimal value, not the largest double.
  EXPECT_EQ(f.At<std::uint64_t>(304), 0x7FB99999999999AAull);
  EXPECT_EQ(f.At<std::uint64_t>(320), 0xFFB99999999999AAull);
}

TEST_F(WriterLayout, LineFileOfOneLine) {
  ASSERT_EQ(w.Create(dir.WidePath("l.tmf").c_str(), 0), Result::Success);
  const Terrix::GeometryHolder g = writer_support::Geo({{1, 2}, {3, -4}, {5, 6}}, {0});
  ASSERT_EQ(w.AddArcInfo(writer_support::InUse<TERRIX_LineInfo>(), *g, 0), Result::Success);
  const FileView f = Finish("l.tmf");

  EXPECT_EQ(f.Slice(0, 10), tb::ByteWriter().raw("WMAP`D21", 8).i16(0).data());
  ExpectDirectory(f, {114, 50, 349, 48, 55, 392, 64, 8});  // section 1 at 931; topology 24 x L
  EXPECT_EQ(f.Counts(), (Counts{1, 2, 0, 1, 0, 0, 0, 2, 0, 1, 0}));
  const Extent extent = {1, -4, 5, 6};
  EXPECT_EQ(f.Extent(), extent);
  // Record 0 reserved and zero; record 1 with its count and offset; the points
  // behind the two leading bytes of section 1.
  EXPECT_TRUE(f.AllZero(817, 57));
  EXPECT_EQ(f.Slice(817 + 57, 18), tb::ByteWriter().u8(1).zeros(9).i32(3).u32(2).data());
  EXPECT_EQ(f.Slice(931, 50), tb::ByteWriter().zeros(2).f64(1).f64(2).f64(3).f64(-4).f64(5).f64(6).data());
  // Topology and the reserved node sections are never written; every record,
  // record 0 included, gets the whole extent and the word 65536.
  EXPECT_TRUE(f.AllZero(f.Offset(3), 48 + 55 + 392));
  for (std::uint32_t k = 0; k < 2; ++k) {
    EXPECT_EQ(f.Extent(f.Offset(6) + 32 * k), extent);
    EXPECT_EQ(f.At<std::int32_t>(f.Offset(7) + 4 * k), 65536);
  }
}

TEST_F(WriterLayout, RegionFileSectionsAndArcListOffset) {
  ASSERT_EQ(w.Create(dir.WidePath("r.tmf").c_str(), 2), Result::Success);
  const Terrix::GeometryHolder g = writer_support::Geo({{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}, {0});
  ASSERT_EQ(w.AddPolygonInfo(writer_support::InUse<TERRIX_RegInfo>(), *g), Result::Success);
  w.Flush();
  const FileView once(dir.Path("r.tmf"));
  const FileView f = Finish("r.tmf");  // a second Flush: the list offsets do not move again
  EXPECT_EQ(f.bytes, once.bytes);

  EXPECT_EQ(f.At<std::int16_t>(8), 2);
  ExpectDirectory(f, {114, 90, 392, 48, 55, 392, 64, 8, 80, 349, 64, 8});
  EXPECT_EQ(f.Counts(), (Counts{1, 2, 0, 1, 1, 2, 0, 2, 0, 1, 0}));
  // Polygon record 1: two values at 8 x 10 + 2 of section 1; record 0 is shifted too.
  const std::uint32_t regions = f.Offset(8);
  EXPECT_EQ(f.Slice(regions + 40, 9), tb::ByteWriter().u8(1).i32(2).u32(82).data());
  EXPECT_EQ(f.At<std::uint32_t>(regions + 5), 82u);
  const std::uint32_t s1 = f.Offset(1);
  EXPECT_TRUE(f.AllZero(s1, 2));
  EXPECT_EQ(f.At<double>(s1 + 2 + 16 * 2 + 8), 1.0);                          // y of the third point
  EXPECT_EQ(f.Slice(s1 + 82, 8), tb::ByteWriter().i32(5 + 1).i32(1).data());  // [V + k, arc 1]
  // The arc table of a region file (entry 2) is reserved and stays zero.
  EXPECT_TRUE(f.AllZero(f.Offset(2), 392));
  EXPECT_EQ(f.At<std::uint16_t>(f.Offset(9) + 320), 0x4460);
  EXPECT_EQ(f.Slice(f.Offset(11), 8), tb::ByteWriter().i32(65536).i32(65536).data());
}

TEST_F(WriterLayout, TableFile) {
  ASSERT_EQ(w.Create(dir.WidePath("t0.tmf").c_str(), 7), Result::Success);
  const FileView empty = Finish("t0.tmf");
  EXPECT_EQ(empty.Slice(0, 10), tb::ByteWriter().raw("WMAP`D28", 8).i16(7).data());
  ExpectDirectory(empty, {349, 2});
  EXPECT_EQ(empty.Counts(), Counts(11, 0));

  ASSERT_EQ(w.Create(dir.WidePath("t1.tmf").c_str(), 7), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"n", 3, 4, 0, 0), 1);
  ASSERT_TRUE(w.WriteLongAttribute(0, 0, 11));
  ASSERT_TRUE(w.WriteLongAttribute(1, 0, 22));
  const FileView f = Finish("t1.tmf");
  ExpectDirectory(f, {348 + 39 + 3 * 5, 2});
  // Head: one field, three records (the leading one), 5 bytes a record, records at 387.
  EXPECT_EQ(f.At<std::uint32_t>(817 + 12), 387u);
  EXPECT_EQ(f.Slice(817 + 322, 10), tb::ByteWriter().i16(1).u32(3).u32(5).data());
  tb::ByteWriter field;
  field.text("n", 20).u8(3).u32(1).i16(4).i16(0).i8(0).u8(1).u16(0).u16(0).zeros(4);
  EXPECT_EQ(f.Slice(817 + 348, 39), field.data());
  EXPECT_EQ(f.Slice(817 + 348 + 39, 3 * 5 + 2),
            tb::ByteWriter().u8(1).i32(0).u8(1).i32(11).u8(1).i32(22).zeros(2).data());
}

TEST_F(WriterLayout, CreateRefusalsAndWritersWithoutFile) {
  const Terrix::GeometryHolder g = writer_support::Geo({{1, 1}}, {0});
  for (int kind : {3, 4, -1, 8}) {
    const std::string name = "k" + std::to_string(kind + 1);
    EXPECT_EQ(w.Create(dir.WidePath(name).c_str(), kind), Result::BadMagic) << kind;
    // The empty file exists; nothing may be added to it and Flush writes nothing.
    EXPECT_EQ(w.AddPointInfo(writer_support::InUsePoint(1, 1), *g, "x"), Result::CannotOpen);
    EXPECT_EQ(w.AddFieldInfo(L"a", 0, 4, 0, 0), Result::CannotOpen);
    EXPECT_FALSE(w.WriteLongAttribute(0, 0, 1));
    MAP_PARAstruct p{};
    p.type = 9;
    w.WriteProjection(&p);
    w.Flush();
    EXPECT_TRUE(std::filesystem::exists(dir.Path(name)));
    EXPECT_EQ(std::filesystem::file_size(dir.Path(name)), 0u);
  }
  EXPECT_EQ(w.Create(dir.WidePath("missing/dir/x.tmf").c_str(), 1), Result::CannotOpen);
  EXPECT_EQ(w.Create(nullptr, 1), Result::CannotOpen);
  EXPECT_EQ(w.AddArcInfo(writer_support::InUse<TERRIX_LineInfo>(), *g, 0), Result::CannotOpen);
  EXPECT_EQ(w.AddPolygonInfo(writer_support::InUse<TERRIX_RegInfo>(), *g), Result::CannotOpen);
  w.Flush();
  w.Close();
  w.Close();
  writer_support::StepWriter s;  // the protected steps of a writer without file write nothing
  EXPECT_EQ(s.BuildMapPart(), Result::CannotOpen);
  EXPECT_EQ(s.WriteHeadInfo(), Result::CannotOpen);
  EXPECT_EQ(s.WriteEndInfo(), Result::CannotOpen);
}

TEST_F(WriterLayout, PartRangesOutsideTheGeometryStayInsideItsArrays) {
  ASSERT_EQ(w.Create(dir.WidePath("l.tmf").c_str(), 0), Result::Success);
  const Terrix::GeometryHolder wild =
      writer_support::Geo(writer_support::Ramp(5), {0, 9, 3, -4});  // starts beyond and before the vertices
  EXPECT_EQ(w.AddArcInfo(line, *wild, 1), Result::PartSkipped);     // [9, 3) -> empty
  EXPECT_EQ(w.AddArcInfo(line, *wild, 2), Result::PartSkipped);     // [3, -4) -> empty
  EXPECT_EQ(w.AddArcInfo(line, *wild, 3), Result::PartSkipped);     // [-4, 5) -> 0..4
  const Terrix::GeometryHolder noArrays = writer_support::Geo({}, {});
  noArrays->vertexCount = 50;  // no x and y arrays behind it
  EXPECT_EQ(w.AddArcInfo(line, *noArrays, 0), Result::Success);
  noArrays->partCount = -2;  // only 0 and 1 are one-part geometries
  EXPECT_EQ(w.AddArcInfo(line, *noArrays, 0), Result::PartSkipped);
  const Terrix::GeometryHolder onlyY = writer_support::Geo(writer_support::Ramp(3), {0});
  std::free(onlyY->x);
  onlyY->x = nullptr;
  EXPECT_EQ(w.AddArcInfo(line, *onlyY, 0), Result::Success);
  const FileView f = Finish("l.tmf");
  const std::int32_t counts[6] = {0, 0, 5, 0, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f.At<std::int32_t>(f.Offset(0) + 57 * (i + 1) + 10), counts[i]) << i;
  EXPECT_EQ(f.Length(1), 2u + 16u * 5u);
}

TEST_F(WriterLayout, AttributeWritesOutsideTheTableAreRefused) {
  ASSERT_EQ(w.Create(dir.WidePath("a.tmf").c_str(), 7), Result::Success);
  EXPECT_EQ(w.GetCurrentRecord(), Result::NotHandled);  // no records yet
  ASSERT_EQ(w.AddFieldInfo(L"v", 3, 4, 0, 0), 1);
  const std::int32_t v = 5;
  EXPECT_TRUE(w.WriteAttribute(0, 0, &v));
  EXPECT_EQ(w.GetCurrentRecord(), Result::Success);  // slot 1 again: nothing appended
  for (const auto& [element, field] : {std::pair{2, 0}, {-1, 0}, {1, 1}, {1, -1}})
    EXPECT_FALSE(w.WriteLongAttribute(element, field, 1)) << element << ", " << field;
  EXPECT_FALSE(w.WriteStringAttribute(1, 0, nullptr));
  // Records exist: a further field would not fit them.
  EXPECT_EQ(w.AddFieldInfo(L"late", 0, 4, 0, 0), Result::NotHandled);
  const FileView f = Finish("a.tmf");
  EXPECT_EQ(f.At<std::uint32_t>(817 + 324), 2u);
  EXPECT_EQ(f.At<std::int32_t>(817 + 348 + 39 + 5 + 1), 5);
}

TEST_F(WriterLayout, NamesAreCutAtTwentyBytesOfCodePageText) {
  ASSERT_EQ(w.Create(dir.WidePath("n.tmf").c_str(), 7), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"abcdefghijklmnopqrstuvwxy", 9, 1, 0, 0), 1);
  ASSERT_EQ(w.AddFieldInfo(L"\u5b57\u6bb5\u540d", 0, 1, 0, 0), 2);  // 字段名
  ASSERT_EQ(w.AddFieldInfo(nullptr, 0, 1, 0, 0), 3);
  EXPECT_EQ(w.AddFieldInfo(L"wide", 0, 40000, 0, 0), Result::NotHandled);
  EXPECT_EQ(w.AddFieldInfo(L"negative", 0, -1, 0, 0), Result::NotHandled);
  for (int count = 4; count <= 32767; ++count) ASSERT_EQ(w.AddFieldInfo(L"z", 0, 0, 0, 0), count);
  EXPECT_EQ(w.AddFieldInfo(L"z", 0, 0, 0, 0), Result::NotHandled) << "a field count past the 16-bit count";
  const FileView f = Finish("n.tmf");
  EXPECT_EQ(f.Slice(817 + 348, 21), tb::ByteWriter().raw("abcdefghijklmnopqrst", 20).u8(9).data());
  tb::ByteWriter gbk;
  gbk.u8(0xD7).u8(0xD6).u8(0xB6).u8(0xCE).u8(0xC3).u8(0xFB).zeros(14);
  EXPECT_EQ(f.Slice(817 + 348 + 39, 20), gbk.data());
  EXPECT_TRUE(f.AllZero(817 + 348 + 78, 20));
  EXPECT_EQ(f.At<std::int16_t>(817 + 322), 32767);
}

// The coordinates of the arcs grow in blocks: an arc larger than a block gets
// one of its own, values come back in order, and a refused element's values
// are dropped across block ends.
TEST(ArcCoordinates, BlocksKeepOrderAndDropTheLastValues) {
  Terrix::detail::ArcCoordinates c;
  std::vector<double> expected;
  for (std::size_t n : {std::size_t{3}, std::size_t{1} << 20, std::size_t{5}, (std::size_t{1} << 21) + 7}) {
    double* at = c.Append(n);
    for (std::size_t i = 0; i < n; ++i) at[i] = static_cast<double>(expected.size() + i);
    for (std::size_t i = 0; i < n; ++i) expected.push_back(static_cast<double>(expected.size()));
  }
  ASSERT_EQ(c.size(), expected.size());
  c.Truncate(expected.size() - ((std::size_t{1} << 21) + 7) - 2);
  expected.resize(c.size());
  std::vector<double> got;
  int blocks = 0;
  EXPECT_TRUE(c.ForEachBlock([&](const double* v, std::size_t n) {
    ++blocks;
    got.insert(got.end(), v, v + n);
    return true;
  }));
  EXPECT_EQ(got, expected);
  EXPECT_EQ(blocks, 3) << "the oversized arc's block went with it, the one before keeps 3 of its 5";
  EXPECT_FALSE(c.ForEachBlock([](const double*, std::size_t) { return false; }));
  c.Release();
  EXPECT_TRUE(c.empty());
}

}  // namespace
