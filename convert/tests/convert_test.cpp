// The conversion layer: code pages, shapes and ring order, the type table
// through a real write and read, what the writer refuses or reports, readers
// bounded on hostile files, and output files that touch nothing else.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

#include "CodePage.h"
#include "MapReader.h"
#include "MapWriter.h"
#include "OutputFile.h"
#include "RowStore.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"

using namespace Terrix::Convert;
using Terrix::FileKind;

namespace {

const std::string kBeijing = "\xE5\x8C\x97\xE4\xBA\xAC";  // 北京 in UTF-8
const std::string kBeijingGbk = "\xB1\xB1\xBE\xA9";

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}

void AddRing(GeometryInput& g, InputPart kind, const std::vector<std::pair<double, double>>& points) {
  g.BeginPart(kind);
  for (const auto& [x, y] : points) g.AddVertex(x, y);
}

const std::vector<std::pair<double, double>> kSquareCw = {{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}};
const std::vector<std::pair<double, double>> kSquareCcw = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}};
const std::vector<std::pair<double, double>> kHoleCw = {{1, 1}, {1, 2}, {2, 2}, {2, 1}, {1, 1}};
const std::vector<std::pair<double, double>> kFarCw = {{10, 0}, {10, 1}, {11, 1}, {11, 0}, {10, 0}};

// Reads every element of the file's first layer.
struct ReadBack {
  explicit ReadBack(const std::string& path, const std::string& codePage = "GBK")
      : map(path, diagnostics),
        codePage_(codePage),
        reader(path, map.Layers().at(0), codePage_, &diagnostics) {}
  Feature Read(int index) {
    Feature f;
    EXPECT_EQ(reader.Read(index, f), Terrix::Result::Success) << index;
    return f;
  }
  Diagnostics diagnostics;
  MapFile map;
  CodePage codePage_;
  FeatureReader reader;
};

}  // namespace

TEST(CodePage, NamesAsUsersWriteThem) {
  EXPECT_EQ(CodePage("latin1").Name(), "ISO-8859-1");
  EXPECT_EQ(CodePage("iso_8859-1").Name(), "ISO-8859-1");
  EXPECT_EQ(CodePage("Windows-1252").Name(), "CP1252");
  EXPECT_EQ(CodePage("cp936").Name(), "GBK");
  EXPECT_EQ(CodePage("utf8").Name(), "UTF-8");
  EXPECT_EQ(CodePage("54936").Name(), "GB18030");
  EXPECT_TRUE(CodePage("GB18030").HoldsAllCharacters());
  EXPECT_FALSE(CodePage("GBK").HoldsAllCharacters());
  EXPECT_THROW(CodePage("NO-SUCH-PAGE"), ConversionError);
  EXPECT_THROW(CodePage("UTF-16"), ConversionError) << "the format's own bytes are ASCII";
}

TEST(CodePage, EncodesStrictlyAndDecodesWhatItCan) {
  const CodePage gbk("GBK");
  std::string out;
  EXPECT_EQ(gbk.Encode(kBeijing + " ok", out).replaced, 0u);
  EXPECT_EQ(out, kBeijingGbk + " ok");
  out.clear();
  const CodePage::EncodeResult r = gbk.Encode("S\xC3\xA3o Paulo C\xC3\xB4te", out);
  EXPECT_EQ(r.replaced, 2u);
  EXPECT_EQ(r.firstReplaced, U'\u00E3');
  EXPECT_EQ(out, "S?o Paulo C?te");
  out.clear();
  EXPECT_EQ(gbk.Encode("a\xFF"
                       "b",
                       out)
                .firstReplaced,
            U'\uFFFD')
      << "a byte that is no UTF-8";
  EXPECT_EQ(out, "a?b");

  std::string text;
  EXPECT_EQ(gbk.Decode(kBeijingGbk, text), 0u);
  EXPECT_EQ(text, kBeijing);
  text.clear();
  EXPECT_EQ(gbk.Decode("x\xFF", text), 1u);
  EXPECT_EQ(text, "x\xEF\xBF\xBD");
  EXPECT_EQ(DescribeCharacter(U'\u00F4'), "U+00F4 '\xC3\xB4'");
}

TEST(CodePage, CutsOnCharacterBoundaries) {
  const CodePage gbk("GBK"), utf8("UTF-8"), latin1("ISO-8859-1");
  const std::string text = kBeijing + "\xE5\xB8\x82";  // 北京市: 6 GBK bytes, 9 UTF-8 bytes
  EXPECT_EQ(gbk.FittingPrefix(text, 5), 6u) << "two characters, 4 bytes";
  EXPECT_EQ(gbk.FittingPrefix(text, 6), 9u);
  EXPECT_EQ(utf8.FittingPrefix(text, 5), 3u);
  EXPECT_EQ(latin1.FittingPrefix("\xC3\xA9t\xC3\xA9", 2), 3u) << "é is one Latin-1 byte";
}

// Each thread keeps its own descriptors: conversions of several code pages on
// several threads at once give each its own answer.
TEST(CodePage, ThreadsConvertIndependently) {
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      const CodePage page(t % 2 == 0 ? "GBK" : "UTF-8");
      for (int i = 0; i < 2000; ++i) {
        std::string out;
        page.Encode(kBeijing, out);
        if (out != (t % 2 == 0 ? kBeijingGbk : kBeijing)) ++wrong;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST(CodePage, LibraryScopeRestoresTheThreadCodePage) {
  ASSERT_EQ(Terrix::SetThreadCodePage(65001), Terrix::Result::Success);
  {
    LibraryBytesScope scope;
    EXPECT_EQ(Terrix::GetThreadCodePage(), 28591u);
  }
  EXPECT_EQ(Terrix::GetThreadCodePage(), 65001u);
  Terrix::SetThreadCodePage(Terrix::DefaultCodePage);
}

TEST(Shape, OrientationGroupsRingsIntoPolygons) {
  GeometryInput in;
  AddRing(in, InputPart::OuterRing, kSquareCw);
  AddRing(in, InputPart::OuterRing, kSquareCcw);
  const double* x = in.X();
  const double* y = in.Y();
  EXPECT_LT(RingSignedArea(x, y, in.PartAt(0).range), 0) << "clockwise: negative";
  EXPECT_DOUBLE_EQ(RingSignedArea(x, y, in.PartAt(1).range), 16);

  // A first ring of either orientation: further rings that run the same way
  // start polygons, the others are holes.
  for (bool reversed : {false, true}) {
    GeometryInput g;
    auto flip = [&](std::vector<std::pair<double, double>> r) {
      if (reversed) std::reverse(r.begin(), r.end());
      return r;
    };
    AddRing(g, InputPart::OuterRing, flip(kSquareCw));
    AddRing(g, InputPart::InnerRing, flip(kSquareCcw));
    AddRing(g, InputPart::OuterRing, flip(kFarCw));
    std::vector<Range> rings = {g.PartAt(0).range, g.PartAt(1).range, g.PartAt(2).range};
    std::vector<std::uint32_t> starts;
    GroupRings(g.X(), g.Y(), rings, starts);
    EXPECT_EQ(starts, (std::vector<std::uint32_t>{0, 2, 3}));
  }
}

TEST(Shape, RingsAreCheckedClosedAndOriented) {
  GeometryInput in;
  AddRing(in, InputPart::OuterRing, kSquareCcw);
  AddRing(in, InputPart::InnerRing, {{1, 1}, {1, 2}, {2, 2}, {2, 1}});  // clockwise, unclosed
  AddRing(in, InputPart::InnerRing, {{1, 1}, {2, 2}, {1, 1}});
  AddRing(in, InputPart::InnerRing, {{1, 1}, {NAN, 2}, {2, 2}, {1, 1}});
  AddRing(in, InputPart::InnerRing, {{0, 0}, {1, 1}, {2, 2}, {0, 0}});
  ElementShape out;
  bool closed = false;
  ASSERT_EQ(AppendRing(in, in.PartAt(0).range, true, out, closed), PartProblem::None);
  EXPECT_FALSE(closed);
  EXPECT_LT(RingSignedArea(out.x.data(), out.y.data(), {0, 5}), 0) << "outer rings come out clockwise";
  ASSERT_EQ(AppendRing(in, in.PartAt(1).range, false, out, closed), PartProblem::None);
  EXPECT_TRUE(closed);
  EXPECT_EQ(out.x.size(), 10u) << "the hole got its closing point";
  EXPECT_GT(RingSignedArea(out.x.data(), out.y.data(), {5, 10}), 0) << "holes come out counter-clockwise";
  EXPECT_EQ(out.partStart, (std::vector<std::int32_t>{0, 5}));
  EXPECT_EQ(out.partType, (std::vector<std::int32_t>{Terrix::PartKind::Ring, Terrix::PartKind::InnerRing}));
  EXPECT_EQ(AppendRing(in, in.PartAt(2).range, false, out, closed), PartProblem::TooFewPoints);
  EXPECT_EQ(AppendRing(in, in.PartAt(3).range, false, out, closed), PartProblem::NotFinite);
  EXPECT_EQ(AppendRing(in, in.PartAt(4).range, false, out, closed), PartProblem::NoArea);
  EXPECT_EQ(out.x.size(), 10u) << "a refused ring adds nothing";
}

TEST(Shape, RingOrderToldApart) {
  auto classify = [](std::vector<std::vector<std::pair<double, double>>> rings) {
    GeometryInput in;
    for (const auto& r : rings) AddRing(in, InputPart::OuterRing, r);
    ShapeView view;
    view.type = Terrix::ShapeType::Polygon;
    view.x = in.X();
    view.y = in.Y();
    for (std::size_t k = 0; k < in.PartCount(); ++k) view.parts.push_back(in.PartAt(k).range);
    return ClassifyRingOrder(view);
  };
  EXPECT_EQ(classify({kSquareCw, kSquareCcw}), RingOrder::InOrder);
  EXPECT_EQ(classify({kSquareCw, kFarCw}), RingOrder::SeveralOuterRings);
  EXPECT_EQ(classify({kSquareCw, kHoleCw}), RingOrder::AgainstOrder) << "a hole running the wrong way";
  EXPECT_EQ(classify({kSquareCcw}), RingOrder::AgainstOrder);
}

TEST(RowStore, RowsComeBackInOrderAcrossBlocks) {
  RowStore store;
  Value v;
  const std::string big(3 << 20, 'x');  // larger than a block
  for (int r = 0; r < 40000; ++r) {
    store.BeginRow();
    v.SetInteger(r);
    store.Put(0, v);
    if (r == 7) {
      v.SetText(big.data(), big.size());
      store.Put(3, v);
    }
    v.kind = ValueKind::DateTime;
    v.date = {2000 + r % 50, 1 + r % 12, 1 + r % 28};
    v.time = {r % 24, r % 60, r % 60, static_cast<std::uint32_t>(r)};
    store.Put(1, v);
    store.EndRow(static_cast<std::uint32_t>(r % 3));
  }
  RowStore::Reader reader(store);
  std::vector<std::pair<std::uint32_t, Value>> values;
  std::size_t count = 0;
  std::uint32_t elements = 0;
  for (int r = 0; r < 40000; ++r) {
    ASSERT_TRUE(reader.Next(values, count, elements)) << r;
    ASSERT_EQ(count, r == 7 ? 3u : 2u);
    EXPECT_EQ(values[0].second.integer, r);
    EXPECT_EQ(elements, static_cast<std::uint32_t>(r % 3));
    const Value& stamp = values[count - 1].second;
    EXPECT_EQ(stamp.date.year, 2000 + r % 50);
    EXPECT_EQ(stamp.time.nanosecond, static_cast<std::uint32_t>(r));
    if (r == 7) {
      EXPECT_EQ(values[1].second.bytes, big);
    }
  }
  EXPECT_FALSE(reader.Next(values, count, elements));
}

class Written : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir_.Path(name); }
  tb::TempDir dir_;
  Diagnostics diagnostics_;
};

// Every declared type is stored by the table's row for it and reads back as
// the same value, of the same kind; nulls come back null where the type has
// a stored null and as the type's zero elsewhere, with one warning each.
TEST_F(Written, EveryTypeReadsBackAsWritten) {
  struct Case {
    FieldType type;
    Value value;
    int code;
  };
  auto value = [](auto set) {
    Value v;
    set(v);
    return v;
  };
  std::vector<Case> cases = {
      {FieldType::Integer, value([](Value& v) { v.SetInteger(-2147483647 - 1); }), 3},
      {FieldType::Int16, value([](Value& v) { v.SetInteger(-32768); }), 2},
      {FieldType::Byte, value([](Value& v) { v.SetInteger(255); }), 1},
      {FieldType::Real, value([](Value& v) { v.SetReal(0.1); }), 5},
      {FieldType::Float32, value([](Value& v) { v.SetReal(0.5); }), 4},
      {FieldType::Boolean, value([](Value& v) { v.SetBool(true); }), 10},
      {FieldType::String, value([](Value& v) { v.SetText(kBeijing.data(), kBeijing.size()); }), 0},
      {FieldType::Text, value([](Value& v) { v.SetText("long text", 9); }), 9},
      {FieldType::Date, value([](Value& v) {
         v.kind = ValueKind::Date, v.date = {2024, 2, 29};
       }),
       6},
      {FieldType::Time, value([](Value& v) {
         v.kind = ValueKind::Time, v.time = {23, 59, 60, 5};
       }),
       7},
      {FieldType::DateTime, value([](Value& v) {
         v.kind = ValueKind::DateTime, v.date = {1969, 7, 20}, v.time = {20, 17, 40, 125000000};
       }),
       8},
      {FieldType::Binary, value([](Value& v) { v.SetBinary("\x00\x01\xFF", 3); }), 11},
      {FieldType::Integer64, value([](Value& v) { v.SetInteger(7, ValueKind::Integer64); }), 3},
  };
  {
    FeatureWriter writer(Path("t.tmf"), FileKind::Table, WriteOptions{}, diagnostics_);
    for (const Case& c : cases) writer.AddField("f" + std::to_string(static_cast<int>(c.type)), c.type);
    for (std::size_t f = 0; f < cases.size(); ++f) writer.ValueOf(static_cast<int>(f)) = cases[f].value;
    writer.Commit();
    writer.Commit();  // every value null
    writer.Finish();
  }
  ReadBack back(Path("t.tmf"));
  ASSERT_EQ(back.map.Layers().at(0).count, 2);
  const Feature first = back.Read(0), nulls = back.Read(1);
  for (std::size_t f = 0; f < cases.size(); ++f) {
    const Case& c = cases[f];
    const FieldDef& def = back.reader.Fields().at(f);
    EXPECT_EQ(def.code, c.code) << def.name;
    const Value& got = first.values[f];
    EXPECT_EQ(got.kind, c.value.kind) << def.name;
    std::string a, b;
    AppendAsText(a, got);
    AppendAsText(b, c.value);
    EXPECT_EQ(a, b) << def.name;
    EXPECT_EQ(nulls.values[f].IsNull(), def.row->holdsNull) << def.name;
  }
  const std::string warnings = Joined(diagnostics_.Warnings());
  const std::string integer = std::to_string(static_cast<int>(FieldType::Integer));
  const std::string date = std::to_string(static_cast<int>(FieldType::Date));
  EXPECT_NE(warnings.find("field \"f" + integer +
                          "\": 1 null value stored as 0 (the format has no null for long fields)"),
            std::string::npos)
      << warnings;
  EXPECT_EQ(warnings.find("field \"f" + date + "\": 1 null"), std::string::npos) << "a date keeps its null";
}

// 64-bit integers: a long where every value fits 32 bits, a double where
// every value is exact in 53 bits, decimal text otherwise; each reads back
// as 64-bit integers. Inferred fields widen and say so.
TEST_F(Written, IntegersAreStoredByWhatTheirValuesNeed) {
  const std::int64_t beyond = (std::int64_t{1} << 53) + 1;
  {
    FeatureWriter writer(Path("i.tmf"), FileKind::Table, WriteOptions{}, diagnostics_);
    const int small = writer.AddField("small", FieldType::Integer64);
    const int exact = writer.AddField("exact", FieldType::Integer64);
    const int big = writer.AddField("big", FieldType::Integer64);
    const int mixed = writer.AddField("mixed", FieldType::Infer);
    const int wide = writer.AddField("wide", FieldType::Int16);
    writer.ValueOf(small).SetInteger(-5, ValueKind::Integer64);
    writer.ValueOf(exact).SetInteger(std::int64_t{1} << 53, ValueKind::Integer64);
    writer.ValueOf(big).SetInteger(beyond, ValueKind::Integer64);
    writer.ValueOf(mixed).SetInteger(12);
    writer.ValueOf(wide).SetInteger(70000);
    writer.Commit();
    writer.ValueOf(mixed).SetText("twelve", 6);
    writer.Commit();
    writer.Finish();
  }
  ReadBack back(Path("i.tmf"));
  const auto& fields = back.reader.Fields();
  EXPECT_EQ(fields[0].code, 3);
  EXPECT_EQ(fields[1].code, 5);
  EXPECT_EQ(fields[2].code, 0);
  EXPECT_EQ(fields[3].code, 0) << "numbers and text: text";
  EXPECT_EQ(fields[4].code, 3) << "an Int16 field holding 70000 widens to a long";
  const Feature f = back.Read(0);
  EXPECT_EQ(f.values[0].integer, -5);
  EXPECT_EQ(f.values[1].integer, std::int64_t{1} << 53);
  EXPECT_EQ(f.values[2].integer, beyond);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f.values[static_cast<std::size_t>(i)].kind, ValueKind::Integer64);
  EXPECT_EQ(f.values[3].bytes, "12");
  EXPECT_EQ(back.Read(1).values[3].bytes, "twelve");
  const std::string warnings = Joined(diagnostics_.Warnings());
  for (const char* expected :
       {"\"exact\": 64-bit integers stored as doubles", "\"big\": 64-bit integers stored as decimal text",
        "\"mixed\": holds values of several kinds (text, numbers): stored as text",
        "\"wide\": holds integers beyond its declared range"})
    EXPECT_NE(warnings.find(expected), std::string::npos) << expected << "\n" << warnings;
}

TEST_F(Written, MultiPartFeaturesAndPointsWithoutPosition) {
  {
    FeatureWriter writer(Path("p.tmf"), FileKind::Point, WriteOptions{}, diagnostics_);
    const int note = writer.AddField("terrix:note", FieldType::String);
    writer.Commit();  // no position: a point file cannot hold it
    AddRing(writer.Shape(), InputPart::Point, {{1, 2}});
    AddRing(writer.Shape(), InputPart::Point, {{3, 4}});
    AddRing(writer.Shape(), InputPart::Line, {{0, 0}, {1, 1}});
    writer.ValueOf(note).SetText(kBeijing.data(), kBeijing.size());
    writer.Shape().hasZ = true;
    writer.Commit();
    writer.Finish();
  }
  ReadBack back(Path("p.tmf"));
  ASSERT_EQ(back.map.Layers().at(0).count, 2);
  EXPECT_TRUE(back.reader.Fields().empty()) << "the note is no field";
  EXPECT_EQ(back.Read(1).note, kBeijing);
  EXPECT_DOUBLE_EQ(back.Read(1).shape.x[0], 3);
  const std::string warnings = Joined(diagnostics_.Warnings());
  for (const char* expected :
       {"1 multi-part feature became 2 elements", "1 feature held parts of another kind",
        "1 feature without a position not written", "Z values dropped from 1 feature"})
    EXPECT_NE(warnings.find(expected), std::string::npos) << expected << "\n" << warnings;
}

// What the format cannot hold stops the conversion, naming the feature, and
// leaves no file; the lossy mode cuts or skips it and says so. (Text and
// rings: the conversion cases of tests/conversion.)
TEST_F(Written, StrictByDefaultLossyOnRequest) {
  struct Case {
    const char* what;
    std::function<void(FeatureWriter&)> feature;
    const char* error;
    const char* warning;
  };
  const std::string note(300, 'n');
  const std::vector<Case> cases = {
      {"NaN",
       [](FeatureWriter& w) {
         AddRing(w.Shape(), InputPart::Point, {{NAN, 1}});
       },
       "feature 1: a point has a coordinate that is not a finite number",
       "1 point, line or ring that the format cannot hold"},
      {"note",
       [&](FeatureWriter& w) {
         AddRing(w.Shape(), InputPart::Point, {{1, 1}});
         w.SetNote(note);
       },
       "its note takes 300 bytes, more than the 259", "1 note cut at 259 bytes"},
  };
  for (const Case& c : cases) {
    for (bool lossy : {false, true}) {
      Diagnostics diagnostics;
      const std::string path = Path(std::string(c.what) + (lossy ? "-lossy.tmf" : ".tmf"));
      WriteOptions options;
      options.lossy = lossy;
      try {
        FeatureWriter writer(path, FileKind::Point, options, diagnostics);
        AddRing(writer.Shape(), InputPart::Point, {{0, 0}});
        writer.Commit();
        c.feature(writer);
        writer.Commit();
        writer.Finish();
        EXPECT_TRUE(lossy) << c.what << " passed";
        EXPECT_NE(Joined(diagnostics.Warnings()).find(c.warning), std::string::npos)
            << c.what << "\n"
            << Joined(diagnostics.Warnings());
      } catch (const ConversionError& e) {
        EXPECT_FALSE(lossy) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
      }
      EXPECT_EQ(Exists(path), lossy) << c.what;
      std::string partial = dir_.Path("");
      EXPECT_EQ(std::system(("ls " + partial + " | grep -q partial").c_str()) == 0, false)
          << "no temporary left";
    }
  }
  if (Exists(Path("note-lossy.tmf"))) {
    ReadBack back(Path("note-lossy.tmf"));
    EXPECT_EQ(back.Read(1).note, std::string(259, 'n'));
  }
}

TEST_F(Written, TableRowsNeedAField) {
  FeatureWriter writer(Path("empty.tmf"), FileKind::Table, WriteOptions{}, diagnostics_);
  writer.Commit();
  EXPECT_THROW(writer.Finish(), ConversionError);
}

// Names that share their first word are told apart on reading; texts that
// do not decode and notes the library reads cut are counted.
TEST(HostileFiles, ReadingSaysWhatItChanged) {
  tb::TempDir dir;
  tb::ElementFile points(tb::kPoint);
  points.AddPoint(1, 2, std::string(300, 'x'));
  tb::AttributeSection table;
  table.Field("ROAD NAME", 0, 4).Field("ROAD WIDTH", 3, 4).Text(0, 0, "\xFF\xFF");
  points.Build().Section(2, table.Build()).WriteTo(dir.Path("p.tmf"));
  Diagnostics diagnostics;
  MapFile map(dir.Path("p.tmf"), diagnostics);
  CodePage gbk;
  FeatureReader reader(dir.Path("p.tmf"), map.Layers().at(0), gbk, &diagnostics);
  ASSERT_EQ(reader.Fields().size(), 2u);
  EXPECT_EQ(reader.Fields()[0].name, "ROAD");
  EXPECT_EQ(reader.Fields()[1].name, "ROAD_1");
  EXPECT_TRUE(reader.HoldsNotes());
  Feature f;
  ASSERT_EQ(reader.Read(0, f), Terrix::Result::Success);
  EXPECT_EQ(f.note, std::string(259, 'x'));
  reader.Changes().Report(reader.Fields(), gbk, "p.tmf", diagnostics);
  const std::string warnings = Joined(diagnostics.Warnings());
  for (const char* expected :
       {"\"ROAD\" -> \"ROAD_1\"", "\"ROAD\": 1 values hold bytes that are not GBK text",
        "1 notes are longer than 259 bytes"})
    EXPECT_NE(warnings.find(expected), std::string::npos) << expected << "\n" << warnings;
}

// Output goes through a temporary file and replaces only a regular file or
// nothing: a link's target is written with its permissions kept, an
// unfinished output leaves the old file as it was. (Devices, pipes and
// directories refused: the conversion cases and the tool's tests.)
TEST(Output, TouchesNothingButTheDestination) {
  tb::TempDir dir;
  const std::string target = dir.Path("target.tmf"), link = dir.Path("link.tmf");
  std::ofstream(target) << "old";
  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(::symlink("target.tmf", link.c_str()), 0);
  {
    OutputFile out(link);
    EXPECT_EQ(out.Destination(), dir.Path("target.tmf"));
    std::ofstream(out.TemporaryPath()) << "new";
    out.Commit();
  }
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file's permissions";
  std::ifstream in(target);
  std::string content;
  in >> content;
  EXPECT_EQ(content, "new");

  {
    OutputFile abandoned(target);
    std::ofstream(abandoned.TemporaryPath()) << "half";
  }
  std::ifstream again(target);
  again >> content;
  EXPECT_EQ(content, "new") << "an unfinished output leaves the file as it was";

  EXPECT_TRUE(IsStandardOutput("-"));
  EXPECT_TRUE(IsStandardOutput("/dev/stdout"));
}

// Field planning is linear in the number of fields: 20,000 names equal in
// their first 20 bytes get their suffixes at once.
TEST_F(Written, ThousandsOfFieldsPlanInLinearTime) {
  const auto start = std::chrono::steady_clock::now();
  {
    FeatureWriter writer(Path("wide.tmf"), FileKind::Table, WriteOptions{}, diagnostics_);
    for (int i = 0; i < 20000; ++i)
      writer.ValueOf(writer.AddField("a_common_long_prefix_" + std::to_string(i), FieldType::Infer))
          .SetInteger(i);
    writer.Commit();
    writer.Finish();
  }
  ReadBack back(Path("wide.tmf"));
  ASSERT_EQ(back.reader.Fields().size(), 20000u);
  EXPECT_EQ(back.reader.Fields()[19999].name, "a_common_long__19999");
  EXPECT_EQ(back.Read(0).values[19999].integer, 19999);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}
