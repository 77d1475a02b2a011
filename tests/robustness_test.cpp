// Damaged files are normal input: random corruptions of real map files are
// opened and read through every reading operation. The sanitizer build turns
// any read or write outside a buffer into a failure; here every answer must
// also be one of the library's result codes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <set>
#include <string>

#include "builder/MapFileBuilder.h"
#include "terrix/FastReader.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;

namespace {

const std::set<std::int32_t> kCodes = {Result::Success,  Result::IoError,     Result::NotInUse,
                                       Result::NotHandled, Result::BadArcList, Result::CannotOpen,
                                       Result::BadMagic, Result::NoMemory,    Result::Refused};

// Changes a few bytes: anywhere in the file, in the head area and directory,
// or a whole 32-bit word set to an extreme value.
void Corrupt(tb::Bytes& b, std::mt19937& rng) {
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int e = 0; e < edits; ++e) {
    const std::size_t limit = (rng() % 2 == 0) ? std::min<std::size_t>(b.size(), 1000) : b.size();
    const std::size_t at = rng() % limit;
    switch (rng() % 3) {
      case 0:
        b[at] = static_cast<std::uint8_t>(rng());
        break;
      case 1:
        b[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
      default: {
        static const std::uint32_t extremes[] = {0, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 1, 0xFFFF};
        const std::uint32_t v = extremes[rng() % 6];
        if (at + 4 <= b.size()) std::memcpy(b.data() + at, &v, 4);
      }
    }
  }
}

void ExpectCode(std::int32_t rc, const char* what) {
  EXPECT_TRUE(kCodes.count(rc) == 1) << what << " answered " << rc;
}

// Every reading operation of the fast reader over the first elements and fields.
void ReadEverything(Terrix_FastReader& r) {
  int points = 0, arcs = 0, polygons = 0;
  r.GetPointCount(&points);
  r.GetArcCount(&arcs);
  r.GetPolygonCount(&polygons);
  Geometry* g = CreateGeometry();
  for (int i = -1; i < std::min(points, 300) + 1; ++i) {
    TERRIX_PntInfo p;
    ExpectCode(r.ReadPointInfo(i, &p, g), "ReadPointInfo");
    EmptyGeometry(g);
    char note[260];
    ExpectCode(r.GetNoteInfo(i, note), "GetNoteInfo");
    WKBPoint wp;
    ExpectCode(r.ReadPointWKB(i, nullptr, &wp), "ReadPointWKB");
  }
  for (int i = -1; i < std::min(arcs, 300) + 1; ++i) {
    TERRIX_LineInfo l;
    ExpectCode(r.ReadArcInfo(i, &l, g), "ReadArcInfo");
    EmptyGeometry(g);
    WKBLineString wl{};
    ExpectCode(r.ReadArcWKB(i, nullptr, &wl), "ReadArcWKB");
    std::free(wl.points);
    TERRIX_Topology t;
    ExpectCode(r.GetTopoInfo(i, &t), "GetTopoInfo");
  }
  for (int i = -1; i < std::min(polygons, 300) + 1; ++i) {
    TERRIX_RegInfo reg;
    ExpectCode(r.ReadPolygonInfo(i, &reg, g), "ReadPolygonInfo");
    EmptyGeometry(g);
    WKBPolygon wp{};
    ExpectCode(r.ReadPolygonWKB(i, nullptr, &wp), "ReadPolygonWKB");
  }
  DestroyGeometry(g);
  for (int t = -1; t < std::min(r.GetTicCount(), 50) + 1; ++t) {
    TERRIX_Tic_Info tic;
    ExpectCode(r.GetTicInfo(t, &tic), "GetTicInfo");
  }
  for (int selector : {0, 1, 2, 7, 3}) {
    r.SetAttributeType(selector);
    const std::int32_t fields = r.GetFieldCount();
    const std::int32_t records = r.GetRecordCount();
    for (int f = -1; f < std::min(fields, 40) + 1; ++f) {
      wchar_t name[21];
      int width, aux, auxByte;
      r.GetFieldInfo(f, name, &width, &aux, &auxByte);
      for (int rec = -1; rec < std::min(records, 200) + 1; ++rec) {
        r.ReadStringAttribute(rec, f);
        r.ReadDoubleAttribute(rec, f);
        r.ReadBinareyAttribute(rec, f);
        r.ReadTimeStampAttribute(rec, f);
      }
    }
    r.GetFieldIndex(L"name");
  }
}

void Hammer(const std::string& sample, unsigned seed, int rounds) {
  const tb::Bytes original = tb::ReadFile(sample);
  std::mt19937 rng(seed);
  tb::TempDir dir;
  const std::string path = dir.Path("damaged.tmf");
  for (int round = 0; round < rounds; ++round) {
    tb::Bytes damaged = original;
    Corrupt(damaged, rng);
    if (rng() % 8 == 0) damaged.resize(rng() % damaged.size());  // cut short too
    tb::WriteFile(path, damaged);
    Terrix_FastReader reader;
    const auto start = std::chrono::steady_clock::now();
    ExpectCode(reader.Open(dir.WidePath("damaged.tmf").c_str()), "Open");
    ReadEverything(reader);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "round " << round;
    if (::testing::Test::HasFailure()) {
      tb::WriteFile(sample + ".failing", damaged);
      FAIL() << "round " << round << " of " << sample << " (seed " << seed << "); file kept as .failing";
    }
  }
}

const std::string kSamples = std::string(TERRIX_SOURCE_DIR) + "/data/samples/";

// TERRIX_ROBUSTNESS_ROUNDS runs longer searches than the suite's default.
int RoundsFromEnv(int fallback) {
  const char* value = std::getenv("TERRIX_ROBUSTNESS_ROUNDS");
  return value != nullptr ? std::atoi(value) : fallback;
}

}  // namespace

TEST(Robustness, DamagedRegionFiles) { Hammer(kSamples + "countries.tmf", 1, RoundsFromEnv(150)); }
TEST(Robustness, DamagedPointFiles) { Hammer(kSamples + "cities.tmf", 2, RoundsFromEnv(150)); }
TEST(Robustness, DamagedLineFiles) { Hammer(kSamples + "borders.tmf", 3, RoundsFromEnv(150)); }
TEST(Robustness, DamagedTableFiles) { Hammer(kSamples + "countries-table.tmf", 4, RoundsFromEnv(150)); }
