// The conversion layer: code pages, shapes, the type table through a real write
// and read, what the writer refuses or reports, output that touches nothing else.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "CodePage.h"
#include "MapReader.h"
#include "MapWriter.h"
#include "OutputFile.h"
#include "RowStore.h"
#include "builder/MapFileBuilder.h"

using namespace Terrix::Convert;
using Terrix::FileKind;

namespace {

const std::string kBeijing = "\xE5\x8C\x97\xE4\xBA\xAC";  // 北京 in UTF-8
const std::string kBeijingGbk = "\xB1\xB1\xBE\xA9";
using Ring = std::vector<std::pair<double, double>>;
const Ring kSquareCw = {{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}};
const Ring kSquareCcw = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}};
const Ring kFarCw = {{10, 0}, {10, 1}, {11, 1}, {11, 0}, {10, 0}};

// The warnings joined; each of `expected` must be among them.
std::string ExpectWarnings(const Diagnostics& diagnostics, std::initializer_list<std::string> expected) {
  std::string all;
  for (const std::string& l : diagnostics.Warnings()) all += l + "\n";
  for (const std::string& e : expected) EXPECT_NE(all.find(e), std::string::npos) << e << "\n" << all;
  return all;
}

void AddRing(GeometryInput& g, InputPart kind, const Ring& points) {
  g.BeginPart(kind);
  for (const auto& [x, y] : points) g.AddVertex(x, y);
}

Value Make(const std::function<void(Value&)>& set) {
  Value v;
  set(v);
  return v;
}

Value Stamp(ValueKind kind, DateParts date, TimeParts time = {}) {
  Value v;
  v.kind = kind, v.date = date, v.time = time;
  return v;
}

// Reads every element of the file's first layer.
struct ReadBack {
  explicit ReadBack(const std::string& path)
      : map(path, diagnostics), reader(path, map.Layers().at(0), gbk, &diagnostics) {}
  Feature Read(int index) {
    Feature f;
    EXPECT_EQ(reader.Read(index, f), Terrix::Result::Success) << index;
    return f;
  }
  Diagnostics diagnostics;
  MapFile map;
  CodePage gbk{"GBK"};
  FeatureReader reader;
};

}  // namespace

TEST(CodePage, NamesEncodingDecodingAndCuts) {
  const std::pair<const char*, const char*> names[] = {
      {"latin1", "ISO-8859-1"}, {"iso_8859-1", "ISO-8859-1"}, {"Windows-1252", "CP1252"}, {"cp936", "GBK"},
      {"utf8", "UTF-8"},        {"54936", "GB18030"}};
  for (const auto& [given, name] : names) EXPECT_EQ(CodePage(given).Name(), name) << given;
  EXPECT_TRUE(CodePage("GB18030").HoldsAllCharacters());
  EXPECT_FALSE(CodePage("GBK").HoldsAllCharacters());
  EXPECT_THROW(CodePage("NO-SUCH-PAGE"), ConversionError);
  EXPECT_THROW(CodePage("UTF-16"), ConversionError) << "the format's own bytes are ASCII";

  const CodePage gbk("GBK"), utf8("UTF-8"), latin1("ISO-8859-1");
  for (const auto& [in, expected, replaced, first] :
       std::vector<std::tuple<std::string, std::string, int, char32_t>>{
           {kBeijing + " ok", kBeijingGbk + " ok", 0, 0},
           {"S\xC3\xA3o C\xC3\xB4te", "S?o C?te", 2, U'\u00E3'},
           {"a\xFF", "a?", 1, U'\uFFFD'}}) {  // a byte that is no UTF-8
    std::string out;
    const CodePage::EncodeResult r = gbk.Encode(in, out);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(r.replaced, static_cast<std::size_t>(replaced)) << expected;
    EXPECT_EQ(r.firstReplaced, first) << expected;
  }
  std::string text;
  EXPECT_EQ(gbk.Decode(kBeijingGbk, text), 0u);
  EXPECT_EQ(text, kBeijing);
  EXPECT_EQ(gbk.Decode("x\xFF", text), 1u);
  EXPECT_EQ(text, kBeijing + "x\xEF\xBF\xBD");

  const std::string city = kBeijing + "\xE5\xB8\x82";  // 北京市: 6 GBK bytes, 9 UTF-8 bytes
  EXPECT_EQ(gbk.FittingPrefix(city, 5), 6u) << "two characters, 4 bytes";
  EXPECT_EQ(gbk.FittingPrefix(city, 6), 9u);
  EXPECT_EQ(utf8.FittingPrefix(city, 5), 3u);
  EXPECT_EQ(latin1.FittingPrefix("\xC3\xA9t\xC3\xA9", 2), 3u) << "é is one Latin-1 byte";
}

// Each thread keeps its own descriptors: several at once each get their own answer.
TEST(CodePage, ThreadsConvertIndependently) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (const char* name : {"GBK", "UTF-8", "GBK", "UTF-8"})
    threads.emplace_back([name, &wrong] {
      const CodePage page(name);
      const std::string& expected = page.Name() == "GBK" ? kBeijingGbk : kBeijing;
      for (int i = 0; i < 2000; ++i) {
        std::string out;
        page.Encode(kBeijing, out);
        wrong += out != expected;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

// Rings of a first ring's orientation start polygons, the others are holes;
// outer rings are written clockwise, holes counter-clockwise; rings the format
// cannot hold are refused without adding anything.
TEST(Shape, RingsGroupedCheckedAndOrdered) {
  for (bool reversed : {false, true}) {
    GeometryInput g;
    for (Ring r : {kSquareCw, kSquareCcw, kFarCw}) {
      if (reversed) std::reverse(r.begin(), r.end());
      AddRing(g, InputPart::OuterRing, r);
    }
    std::vector<Range> rings = {g.PartAt(0).range, g.PartAt(1).range, g.PartAt(2).range};
    std::vector<std::uint32_t> starts;
    GroupRings(g.X(), g.Y(), rings, starts);
    EXPECT_EQ(starts, (std::vector<std::uint32_t>{0, 2, 3})) << reversed;
  }

  GeometryInput in;
  AddRing(in, InputPart::OuterRing, kSquareCcw);
  AddRing(in, InputPart::InnerRing, {{1, 1}, {1, 2}, {2, 2}, {2, 1}});  // clockwise, unclosed
  ElementShape out;
  bool closed = false;
  ASSERT_EQ(AppendRing(in, in.PartAt(0).range, true, out, closed), PartProblem::None);
  EXPECT_FALSE(closed);
  EXPECT_LT(RingSignedArea(out.x.data(), out.y.data(), {0, 5}), 0) << "outer rings come out clockwise";
  ASSERT_EQ(AppendRing(in, in.PartAt(1).range, false, out, closed), PartProblem::None);
  EXPECT_TRUE(closed);
  EXPECT_DOUBLE_EQ(RingSignedArea(out.x.data(), out.y.data(), {5, 10}), 1) << "closed, counter-clockwise";
  EXPECT_EQ(out.partStart, (std::vector<std::int32_t>{0, 5}));
  EXPECT_EQ(out.partType, (std::vector<std::int32_t>{Terrix::PartKind::Ring, Terrix::PartKind::InnerRing}));
  for (const auto& [ring, problem] :
       std::vector<std::pair<Ring, PartProblem>>{{{{1, 1}, {2, 2}, {1, 1}}, PartProblem::TooFewPoints},
                                                 {{{1, 1}, {NAN, 2}, {2, 2}, {1, 1}}, PartProblem::NotFinite},
                                                 {{{0, 0}, {1, 1}, {2, 2}, {0, 0}}, PartProblem::NoArea}}) {
    AddRing(in, InputPart::InnerRing, ring);
    EXPECT_EQ(AppendRing(in, in.PartAt(in.PartCount() - 1).range, false, out, closed), problem);
  }
  EXPECT_EQ(out.x.size(), 10u) << "a refused ring adds nothing";
}

TEST(RowStore, RowsComeBackInOrderAcrossBlocks) {
  RowStore store;
  const std::string big(3 << 20, 'x');  // larger than a block
  for (int r = 0; r < 40000; ++r) {
    store.BeginRow();
    store.Put(0, Make([&](Value& i) { i.SetInteger(r); }));
    if (r == 7) store.Put(3, Make([&](Value& t) { t.SetText(big.data(), big.size()); }));
    store.Put(1, Stamp(ValueKind::DateTime, {}, {0, 0, 0, static_cast<std::uint32_t>(r)}));
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
    EXPECT_EQ(values[count - 1].second.time.nanosecond, static_cast<std::uint32_t>(r));
    EXPECT_TRUE(r != 7 || values[1].second.bytes == big) << "the text larger than a block";
  }
  EXPECT_FALSE(reader.Next(values, count, elements));
}

class Written : public ::testing::Test {
 protected:
  tb::TempDir dir_;
  Diagnostics diagnostics_;
};

// Every type is stored by its row of the table and reads back as the same
// value of the same kind; nulls come back null where the type has one, else as
// zero with a warning. 64-bit integers: long, double when exact in 53 bits, or
// text. Fields whose values do not fit their type widen and say so.
TEST_F(Written, EveryTypeReadsBackAsWritten) {
  struct Case {
    FieldType type;
    Value value;
    int code;
  };
  const std::vector<Case> cases = {
      {FieldType::Integer, Make([](Value& v) { v.SetInteger(-2147483647 - 1); }), 3},
      {FieldType::Int16, Make([](Value& v) { v.SetInteger(-32768); }), 2},
      {FieldType::Byte, Make([](Value& v) { v.SetInteger(255); }), 1},
      {FieldType::Real, Make([](Value& v) { v.SetReal(0.1); }), 5},
      {FieldType::Float32, Make([](Value& v) { v.SetReal(0.5); }), 4},
      {FieldType::Boolean, Make([](Value& v) { v.SetBool(true); }), 10},
      {FieldType::String, Make([](Value& v) { v.SetText(kBeijing.data(), kBeijing.size()); }), 0},
      {FieldType::Text, Make([](Value& v) { v.SetText("long text", 9); }), 9},
      {FieldType::Date, Stamp(ValueKind::Date, {2024, 2, 29}), 6},
      {FieldType::Time, Stamp(ValueKind::Time, {}, {23, 59, 60, 5}), 7},
      {FieldType::DateTime, Stamp(ValueKind::DateTime, {1969, 7, 20}, {20, 17, 40, 125000000}), 8},
      {FieldType::Binary, Make([](Value& v) { v.SetBinary("\x00\x01\xFF", 3); }), 11},
      {FieldType::Integer64, Make([](Value& v) { v.SetInteger(-5, ValueKind::Integer64); }), 3},
      {FieldType::Integer64,
       Make([](Value& v) { v.SetInteger(std::int64_t{1} << 53, ValueKind::Integer64); }), 5},
      {FieldType::Integer64,
       Make([](Value& v) { v.SetInteger((std::int64_t{1} << 53) + 1, ValueKind::Integer64); }), 0},
      {FieldType::Int16, Make([](Value& v) { v.SetInteger(70000); }), 3},
  };
  {
    FeatureWriter writer(dir_.Path("t.tmf"), FileKind::Table, WriteOptions{}, diagnostics_);
    for (std::size_t f = 0; f < cases.size(); ++f)
      writer.ValueOf(writer.AddField("f" + std::to_string(f), cases[f].type)) = cases[f].value;
    const int mixed = writer.AddField("mixed", FieldType::Infer);
    writer.ValueOf(mixed).SetInteger(12);
    writer.Commit();
    writer.ValueOf(mixed).SetText("twelve", 6);
    writer.Commit();  // every other value null
    writer.Finish();
  }
  ReadBack back(dir_.Path("t.tmf"));
  ASSERT_EQ(back.map.Layers().at(0).count, 2);
  const Feature first = back.Read(0), nulls = back.Read(1);
  for (std::size_t f = 0; f < cases.size(); ++f) {
    const FieldDef& def = back.reader.Fields().at(f);
    EXPECT_EQ(def.code, cases[f].code) << def.name;
    EXPECT_EQ(first.values[f].kind, cases[f].value.kind) << def.name;
    std::string a, b;
    AppendAsText(a, first.values[f]);
    AppendAsText(b, cases[f].value);
    EXPECT_EQ(a, b) << def.name;
    EXPECT_EQ(nulls.values[f].IsNull(), def.row->holdsNull) << def.name;
  }
  EXPECT_EQ(back.reader.Fields().back().code, 0) << "numbers and text: text";
  EXPECT_EQ(first.values.back().bytes, "12");
  EXPECT_EQ(nulls.values.back().bytes, "twelve");
  const std::string warnings = ExpectWarnings(
      diagnostics_,
      {"field \"f0\": 1 null value stored as 0 (the format has no null for long fields)",
       "\"f13\": 64-bit integers stored as doubles", "\"f14\": 64-bit integers stored as decimal text",
       "\"mixed\": holds values of several kinds (text, numbers): stored as text",
       "\"f15\": holds integers beyond its declared range"});
  EXPECT_EQ(warnings.find("field \"f8\": 1 null"), std::string::npos) << "a date keeps its null";
}

// What the format cannot hold stops the conversion, naming the feature, leaving
// no file nor temporary; the lossy mode cuts or skips it and says so. Either way
// multi-part features split, parts of another kind and Z values are dropped.
TEST_F(Written, StrictByDefaultLossyOnRequest) {
  for (const auto& [what, x, note, error, warning] :
       std::vector<std::tuple<std::string, double, std::string, std::string, std::string>>{
           {"NaN", NAN, "", "feature 1: a point has a coordinate that is not a finite number",
            "1 point, line or ring that the format cannot hold"},
           {"note", 1, std::string(300, 'n'), "its note takes 300 bytes, more than the 259",
            "1 note cut at 259 bytes"}}) {
    for (bool lossy : {false, true}) {
      Diagnostics diagnostics;
      const std::string path = dir_.Path(std::string(what) + (lossy ? "-lossy.tmf" : ".tmf"));
      WriteOptions options;
      options.lossy = lossy;
      try {
        FeatureWriter writer(path, FileKind::Point, options, diagnostics);
        AddRing(writer.Shape(), InputPart::Point, {{1, 2}});
        AddRing(writer.Shape(), InputPart::Point, {{3, 4}});
        AddRing(writer.Shape(), InputPart::Line, {{0, 0}, {1, 1}});
        writer.Shape().hasZ = true;
        writer.Commit();
        AddRing(writer.Shape(), InputPart::Point, {{x, 1}});
        writer.SetNote(note);
        writer.Commit();
        writer.Finish();
        EXPECT_TRUE(lossy) << what << " passed";
        ExpectWarnings(diagnostics,
                       {warning, "1 multi-part feature became 2 elements",
                        "1 feature held parts of another kind", "Z values dropped from 1 feature"});
      } catch (const ConversionError& e) {
        EXPECT_FALSE(lossy) << e.what();
        EXPECT_NE(std::string(e.what()).find(error), std::string::npos) << e.what();
      }
      EXPECT_EQ(::access(path.c_str(), F_OK) == 0, lossy) << what;
      EXPECT_NE(std::system(("ls " + dir_.Path("") + " | grep -q partial").c_str()), 0)
          << "no temporary left";
    }
  }
  ReadBack back(dir_.Path("note-lossy.tmf"));
  EXPECT_EQ(back.Read(1).shape.x[0], 3) << "the second point, its own element";
  EXPECT_EQ(back.Read(2).note, std::string(259, 'n'));

  FeatureWriter writer(dir_.Path("empty.tmf"), FileKind::Table, WriteOptions{}, diagnostics_);
  writer.Commit();
  EXPECT_THROW(writer.Finish(), ConversionError);
}

// Output goes through a temporary file: a link's target is written, an
// unfinished output leaves the old file as it was. (Devices, pipes and
// directories refused: the conversion cases and the tool's tests.)
TEST_F(Written, OutputTouchesNothingButTheDestination) {
  const std::string target = dir_.Path("target.tmf"), link = dir_.Path("link.tmf");
  std::ofstream(target) << "old";
  ASSERT_EQ(::symlink("target.tmf", link.c_str()), 0);
  std::string content;
  {
    OutputFile out(link);
    EXPECT_EQ(out.Destination(), target);
    std::ofstream(out.TemporaryPath()) << "new";
    out.Commit();
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
  EXPECT_EQ((std::ifstream(target) >> content, content), "new");
  {
    OutputFile abandoned(target);
    std::ofstream(abandoned.TemporaryPath()) << "half";
  }
  EXPECT_EQ((std::ifstream(target) >> content, content), "new")
      << "an unfinished output leaves the file as it was";
  EXPECT_TRUE(IsStandardOutput("-"));
}

// Field planning is linear in the number of fields: 20,000 names equal in
// their first 20 bytes get their suffixes at once.
TEST_F(Written, ThousandsOfFieldsPlanInLinearTime) {
  const auto start = std::chrono::steady_clock::now();
  {
    FeatureWriter writer(dir_.Path("wide.tmf"), FileKind::Table, WriteOptions{}, diagnostics_);
    for (int i = 0; i < 20000; ++i)
      writer.ValueOf(writer.AddField("a_common_long_prefix_" + std::to_string(i), FieldType::Infer))
          .SetInteger(i);
    writer.Commit();
    writer.Finish();
  }
  ReadBack back(dir_.Path("wide.tmf"));
  ASSERT_EQ(back.reader.Fields().size(), 20000u);
  EXPECT_EQ(back.reader.Fields()[19999].name, "a_common_long__19999");
  EXPECT_EQ(back.Read(0).values[19999].integer, 19999);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}
