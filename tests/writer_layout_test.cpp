// The file assembly of Terrix_Writer, checked on the written bytes: head area,
// directory of every kind, section placement, zero gaps, per-element blocks,
// lifecycle (Close without Flush, reuse, copies, refusals).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "WriterTestSupport.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using wt::FileView;

namespace {

std::uint64_t Bits(double d) {
  std::uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

/// The head area of a new, empty file of `kind` as the format description gives it.
tb::ByteWriter ExpectedHeadArea(const char* magic, std::int16_t kind,
                                std::vector<std::pair<std::uint32_t, std::uint32_t>> dir,
                                const std::vector<std::int32_t>& counts, const double extent[4]) {
  tb::ByteWriter w;
  w.raw(magic, 8).i16(kind).i16(0).i32(657).i32(16).zeros(71);
  // Projection: zero except the three parameters that start at 1.0.
  tb::Bytes projection(169, 0);
  tb::Poke(projection, 141, 1.0);
  tb::Poke(projection, 153, 1.0);
  tb::Poke(projection, 161, 1.0);
  w.bytes(projection);
  for (int i = 0; i < 11; ++i) w.i32(i < static_cast<int>(counts.size()) ? counts[i] : 0);
  for (int i = 0; i < 4; ++i) w.f64(extent[i]);
  w.zeros(256).i32(0).u32(0).zeros(57);
  dir.resize(16, {0, 0});
  for (const auto& [offset, length] : dir) w.u32(offset).u32(length).u16(0xFFFF);
  return w;
}

tb::Bytes ExpectedEmptyAttributeHead() {
  tb::ByteWriter h;
  h.u8(0x60).u8(0x44).u8(0xDC).u8(0x07).u8(0x05).u8(0x16).zeros(6).u32(348).zeros(304);
  h.u16(0x4460).i16(0).u32(1).u32(1).zeros(16);
  return h.take();
}

class WriterLayout : public ::testing::Test {
 protected:
  tb::TempDir dir;
};

TEST_F(WriterLayout, EmptyPointFileIsExactlyTheDescribedBytes) {
  Terrix_Writer w;
  ASSERT_EQ(w.Create(dir.WidePath("p.wt").c_str(), 1), Result::Success);
  w.Flush();
  w.Close();

  const double initial[4] = {wt::kBoundsStart, wt::kBoundsStart, -wt::kBoundsStart, -wt::kBoundsStart};
  tb::ByteWriter expected =
      ExpectedHeadArea("WMAP`D22", 1, {{817, 93}, {910, 2}, {912, 349}, {1261, 32}, {1293, 4}}, {}, initial);
  expected.zeros(93).zeros(2).bytes(ExpectedEmptyAttributeHead()).zeros(1);
  for (int i = 0; i < 4; ++i) expected.f64(initial[i]);
  expected.i32(65536);
  ASSERT_EQ(expected.size(), 1297u);

  const FileView f(dir.Path("p.wt"));
  EXPECT_EQ(f.bytes, expected.data());
  // The start values of the bounds are this decimal value, not the largest double.
  EXPECT_EQ(Bits(f.ExtentWord(0)), 0x7FB99999999999AAull);
  EXPECT_EQ(Bits(f.ExtentWord(2)), 0xFFB99999999999AAull);
}

TEST_F(WriterLayout, LineFileOfOneLine) {
  Terrix_Writer w;
  ASSERT_EQ(w.Create(dir.WidePath("l.wt").c_str(), 0), Result::Success);
  wt::OwnedGeometry g({{1, 2}, {3, -4}, {5, 6}}, {0});
  ASSERT_EQ(w.AddArcInfo(wt::InUseLine(), *g, 0), Result::Success);
  w.Flush();
  w.Close();

  const FileView f(dir.Path("l.wt"));
  EXPECT_EQ(std::string(f.bytes.begin(), f.bytes.begin() + 8), "WMAP`D21");
  EXPECT_EQ(f.At<std::int16_t>(8), 0);
  f.ExpectContiguous({0, 1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(f.Entry(0), std::make_pair(817u, 114u));
  EXPECT_EQ(f.Entry(1), std::make_pair(931u, 50u));
  EXPECT_EQ(f.Length(2), 349u);
  EXPECT_EQ(f.Length(3), 48u);  // 24 x L
  EXPECT_EQ(f.Length(4), 55u);
  EXPECT_EQ(f.Length(5), 392u);
  EXPECT_EQ(f.Length(6), 64u);
  EXPECT_EQ(f.Length(7), 8u);
  for (int e = 8; e < 16; ++e) EXPECT_EQ(f.Entry(e), std::make_pair(0u, 0u)) << e;
  for (int e = 0; e < 16; ++e) EXPECT_EQ(f.Flag(e), 0xFFFF) << e;
  EXPECT_EQ(f.bytes.size(), f.Offset(7) + f.Length(7));

  const std::vector<std::int32_t> counts = {1, 2, 0, 1, 0, 0, 0, 2, 0, 1, 0};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(f.Count(i), counts[i]) << "word " << i;
  const double extent[4] = {1, -4, 5, 6};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f.ExtentWord(i), extent[i]);

  // Record 0 reserved and zero; record 1 with its count and offset.
  EXPECT_TRUE(f.AllZero(817, 57));
  EXPECT_EQ(f.At<std::uint8_t>(817 + 57), 1);
  EXPECT_EQ(f.At<std::int32_t>(817 + 57 + 10), 3);
  EXPECT_EQ(f.At<std::uint32_t>(817 + 57 + 14), 2u);
  EXPECT_TRUE(f.AllZero(931, 2));
  const double coords[6] = {1, 2, 3, -4, 5, 6};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f.At<double>(933 + 8 * i), coords[i]);
  // Topology and the reserved node sections are never written.
  EXPECT_TRUE(f.AllZero(f.Offset(3), 48 + 55 + 392));
  for (std::uint32_t k = 0; k < 2; ++k) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(f.At<double>(f.Offset(6) + 32 * k + 8 * i), extent[i]);
    EXPECT_EQ(f.At<std::int32_t>(f.Offset(7) + 4 * k), 65536);
  }
  // The gaps of the head area.
  EXPECT_TRUE(f.AllZero(20, 71));
  EXPECT_TRUE(f.AllZero(336, 256 + 8 + 57));
}

TEST_F(WriterLayout, RegionFileSectionsAndArcListOffset) {
  Terrix_Writer w;
  ASSERT_EQ(w.Create(dir.WidePath("r.wt").c_str(), 2), Result::Success);
  wt::OwnedGeometry g({{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}, {0});
  ASSERT_EQ(w.AddPolygonInfo(wt::InUseRegion(), *g), Result::Success);
  w.Flush();
  const FileView once(dir.Path("r.wt"));
  w.Flush();  // a second Flush writes the same bytes: the offsets do not move again
  w.Close();
  const FileView f(dir.Path("r.wt"));
  EXPECT_EQ(f.bytes, once.bytes);

  EXPECT_EQ(f.At<std::int16_t>(8), 2);
  f.ExpectContiguous({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  const std::uint32_t lengths[12] = {114, 90, 392, 48, 55, 392, 64, 8, 80, 349, 64, 8};
  for (int e = 0; e < 12; ++e) EXPECT_EQ(f.Length(e), lengths[e]) << e;
  EXPECT_EQ(f.bytes.size(), f.Offset(11) + f.Length(11));

  const std::vector<std::int32_t> counts = {1, 2, 0, 1, 1, 2, 0, 2, 0, 1, 0};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(f.Count(i), counts[i]) << "word " << i;

  // Polygon record 1: two values at 8 x 10 + 2 of section 1; record 0 is shifted too.
  const std::uint32_t regions = f.Offset(8);
  EXPECT_EQ(f.At<std::int32_t>(regions + 40 + 1), 2);
  EXPECT_EQ(f.At<std::uint32_t>(regions + 40 + 5), 82u);
  EXPECT_EQ(f.At<std::uint32_t>(regions + 5), 82u);
  const std::uint32_t s1 = f.Offset(1);
  EXPECT_TRUE(f.AllZero(s1, 2));
  EXPECT_EQ(f.At<double>(s1 + 2 + 16 * 2 + 8), 1.0);  // y of the third point
  EXPECT_EQ(f.At<std::int32_t>(s1 + 82), 6);          // V + k = 5 + 1
  EXPECT_EQ(f.At<std::int32_t>(s1 + 86), 1);          // arc record 1
  // The arc table of a region file (entry 2) is reserved and stays zero.
  EXPECT_TRUE(f.AllZero(f.Offset(2), 392));
  EXPECT_EQ(f.At<std::uint16_t>(f.Offset(9)), 0x4460);
  for (std::uint32_t k = 0; k < 2; ++k) EXPECT_EQ(f.At<std::int32_t>(f.Offset(11) + 4 * k), 65536);
}

TEST_F(WriterLayout, TableFile) {
  Terrix_Writer w;
  ASSERT_EQ(w.Create(dir.WidePath("t0.wt").c_str(), 7), Result::Success);
  w.Flush();
  w.Close();
  const FileView empty(dir.Path("t0.wt"));
  EXPECT_EQ(std::string(empty.bytes.begin(), empty.bytes.begin() + 8), "WMAP`D28");
  EXPECT_EQ(empty.Entry(0), std::make_pair(817u, 349u));
  EXPECT_EQ(empty.Entry(1), std::make_pair(1166u, 2u));
  EXPECT_EQ(empty.bytes.size(), 1168u);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(empty.Count(i), 0);

  ASSERT_EQ(w.Create(dir.WidePath("t1.wt").c_str(), 7), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"n", 3, 4, 0, 0), 1);
  ASSERT_TRUE(w.WriteLongAttribute(0, 0, 11));
  ASSERT_TRUE(w.WriteLongAttribute(1, 0, 22));
  w.Flush();
  w.Close();
  const FileView f(dir.Path("t1.wt"));
  const std::uint32_t at = 348 + 39 + 3 * 5;
  EXPECT_EQ(f.Entry(0), std::make_pair(817u, at));
  EXPECT_EQ(f.Entry(1), std::make_pair(817u + at, 2u));
  EXPECT_EQ(f.bytes.size(), 817u + at + 2);
  const std::uint32_t records = 817 + 348 + 39;
  EXPECT_EQ(f.At<std::uint8_t>(records), 1);
  EXPECT_EQ(f.At<std::int32_t>(records + 1), 0);
  EXPECT_EQ(f.At<std::int32_t>(records + 6), 11);
  EXPECT_EQ(f.At<std::int32_t>(records + 11), 22);
  EXPECT_TRUE(f.AllZero(817 + at, 2));
}

TEST_F(WriterLayout, CreateRefusalsAndWritersWithoutFile) {
  Terrix_Writer w;
  for (int kind : {3, 4, -1, 8}) {
    const std::string name = "k" + std::to_string(kind + 1);
    EXPECT_EQ(w.Create(dir.WidePath(name).c_str(), kind), Result::BadMagic) << kind;
    // The empty file exists; nothing may be added to it and Flush writes nothing.
    EXPECT_EQ(w.AddPointInfo(wt::InUsePoint(1, 1), *wt::OwnedGeometry({}, {}), "x"), Result::CannotOpen);
    EXPECT_EQ(w.AddFieldInfo(L"a", 0, 4, 0, 0), Result::CannotOpen);
    EXPECT_FALSE(w.WriteLongAttribute(0, 0, 1));
    MAP_PARAstruct p{};
    p.type = 9;
    w.WriteProjection(&p);
    w.Flush();
    EXPECT_TRUE(std::filesystem::exists(dir.Path(name)));
    EXPECT_EQ(std::filesystem::file_size(dir.Path(name)), 0u);
  }
  w.Close();
  EXPECT_EQ(w.Create(dir.WidePath("missing/dir/x.wt").c_str(), 1), Result::CannotOpen);
  EXPECT_EQ(w.Create(nullptr, 1), Result::CannotOpen);
  wt::OwnedGeometry g({{1, 1}}, {0});
  EXPECT_EQ(w.AddArcInfo(wt::InUseLine(), *g, 0), Result::CannotOpen);
  EXPECT_EQ(w.AddPolygonInfo(wt::InUseRegion(), *g), Result::CannotOpen);
  w.Flush();
  w.Close();
  w.Close();

  // Protected steps of a writer without file write nothing and say so.
  wt::StepWriter s;
  EXPECT_EQ(s.BuildMapPart(), Result::CannotOpen);
  EXPECT_EQ(s.WriteHeadInfo(), Result::CannotOpen);
  EXPECT_EQ(s.WriteEndInfo(), Result::CannotOpen);
}

TEST_F(WriterLayout, ProjectionAndCloseWithoutFlush) {
  MAP_PARAstruct p{};
  p.type = 3;
  p.coefficient = 0.5;
  p.param153 = 7.25;
  {
    Terrix_Writer w;
    ASSERT_EQ(w.Create(dir.WidePath("a.wt").c_str(), 1), Result::Success);
    w.AddPointInfo(wt::InUsePoint(1, 1), *wt::OwnedGeometry({}, {}), "n");
    w.Close();
    w.Close();  // nothing the second time
  }
  EXPECT_EQ(std::filesystem::file_size(dir.Path("a.wt")), 0u);

  Terrix_Writer w;
  ASSERT_EQ(w.Create(dir.WidePath("b.wt").c_str(), 1), Result::Success);
  w.WriteProjection(nullptr);
  EXPECT_EQ(std::filesystem::file_size(dir.Path("b.wt")), 0u);
  w.WriteProjection(&p);
  {
    const FileView before(dir.Path("b.wt"));
    ASSERT_EQ(before.bytes.size(), 91u + 169u);
    EXPECT_TRUE(before.AllZero(0, 91));
    EXPECT_EQ(std::memcmp(before.bytes.data() + 91, &p, sizeof p), 0);
  }
  w.Flush();
  w.Close();
  const FileView after(dir.Path("b.wt"));
  EXPECT_EQ(std::memcmp(after.bytes.data() + 91, &p, sizeof p), 0);
}

/// The same calls on a writer: a point file with notes, fields and values.
void WriteSample(Terrix_Writer& w, const std::wstring& path) {
  ASSERT_EQ(w.Create(path.c_str(), 1), Result::Success);
  wt::OwnedGeometry none({}, {});
  w.AddFieldInfo(L"name", 0, 6, 0, 0);
  w.AddPointInfo(wt::InUsePoint(1, 2), *none, "first");
  w.AddPointInfo(wt::InUsePoint(-3, 4), *none, "");
  w.WriteStringAttribute(0, 0, "abc");
  w.WriteStringAttribute(1, 0, "defghijk");
  w.Flush();
}

TEST_F(WriterLayout, ReusedWriterGivesTheBytesOfANewOne) {
  Terrix_Writer fresh;
  WriteSample(fresh, dir.WidePath("fresh.wt"));
  fresh.Close();

  // Reused after Close, and reused while still holding a file with collected
  // notes, points and records that must not leak into the next file.
  Terrix_Writer reused;
  WriteSample(reused, dir.WidePath("first.wt"));
  reused.Close();
  WriteSample(reused, dir.WidePath("again.wt"));
  ASSERT_EQ(reused.Create(dir.WidePath("open.wt").c_str(), 1), Result::Success);
  reused.AddPointInfo(wt::InUsePoint(100, 100), *wt::OwnedGeometry({}, {}), "left over");
  reused.AddFieldInfo(L"other", 3, 4, 0, 0);
  reused.WriteLongAttribute(0, 0, 5);
  WriteSample(reused, dir.WidePath("over.wt"));
  reused.Close();

  const tb::Bytes expected = tb::ReadFile(dir.Path("fresh.wt"));
  ASSERT_GT(expected.size(), 1297u);
  EXPECT_EQ(tb::ReadFile(dir.Path("first.wt")), expected);
  EXPECT_EQ(tb::ReadFile(dir.Path("again.wt")), expected);
  EXPECT_EQ(tb::ReadFile(dir.Path("over.wt")), expected);
}

TEST_F(WriterLayout, CopiesShareOneStateSafely) {
  Terrix_Writer original;
  WriteSample(original, dir.WidePath("s.wt"));
  {
    Terrix_Writer copy(original);
    Terrix_Writer assigned;
    assigned = original;
    // Destroying copies closes nothing while another copy lives.
  }
  original.Flush();  // still holds the file; rewriting gives the same bytes
  const tb::Bytes once = tb::ReadFile(dir.Path("s.wt"));

  Terrix_Writer copy(original);
  copy.Close();  // closes for both
  EXPECT_EQ(original.AddFieldInfo(L"late", 0, 1, 0, 0), Result::CannotOpen);
  original.Flush();
  original.Close();
  EXPECT_EQ(tb::ReadFile(dir.Path("s.wt")), once);
}

}  // namespace
