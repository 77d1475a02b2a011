// Damaged files are normal input: random corruptions of real map files are
// opened and read through every reading operation of the three readers. The sanitizer build turns
// any read or write outside a buffer into a failure; here every answer must
// also be one of the library's result codes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <set>
#include <string>

#include "builder/MapFileBuilder.h"
#include "builder/AttributeSection.h"
#include "builder/ElementRecords.h"
#include "support/ReadAll.h"

using namespace Terrix;

namespace {

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
  EXPECT_TRUE(support::IsResultCode(rc)) << what << " answered " << rc;
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
    const std::wstring wide = dir.WidePath("damaged.tmf");
    const auto start = std::chrono::steady_clock::now();
    support::ReadAllFast(wide.c_str(), ExpectCode);
    support::ReadAllMem(wide.c_str(), round % 2 == 1, ExpectCode);
    support::ReadAllEdit(wide.c_str(), ExpectCode);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "round " << round;
    if (::testing::Test::HasFailure()) {
      const std::string kept = "robustness-failing-" + std::to_string(seed) + ".tmf";
      tb::WriteFile(kept, damaged);  // in the working directory, for a look
      FAIL() << "round " << round << " of " << sample << " (seed " << seed << "); file kept as " << kept;
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

TEST(Robustness, DamagedRegionFiles) { Hammer(kSamples + "countries.tmf", 1, RoundsFromEnv(100)); }
TEST(Robustness, DamagedPointFiles) { Hammer(kSamples + "cities.tmf", 2, RoundsFromEnv(100)); }
TEST(Robustness, DamagedLineFiles) { Hammer(kSamples + "borders.tmf", 3, RoundsFromEnv(100)); }
// No sample is a network file (the writer makes none): one is built byte by byte.
TEST(Robustness, DamagedNetworkFiles) {
  tb::TempDir dir;
  tb::ElementFile net(tb::kNetwork);
  net.AddArc({{0, 0}, {1, 0}, {1, 1}});
  net.AddArc({{1, 1}, {2, 2}});
  tb::Bytes style(94);
  for (std::size_t i = 0; i < style.size(); ++i) style[i] = static_cast<std::uint8_t>(i);
  net.AddNode(0, 0, style);
  net.AddNode(1, 1, style);
  net.AddNode(2, 2, style, 0);
  tb::MapFileBuilder file = net.Build();
  tb::AttributeSection arcs, nodes;
  arcs.Field("name", 0, 8).Field("len", 5, 8).Text(0, 0, "a").Put(1, 1, 2.5);
  nodes.Field("id", 3, 4).Put(0, 0, 7).Put(2, 0, 9);
  file.Section(2, arcs.Build()).Section(5, nodes.Build());
  file.WriteTo(dir.Path("net.tmf"));
  Hammer(dir.Path("net.tmf"), 5, RoundsFromEnv(100));
}

TEST(Robustness, DamagedTableFiles) { Hammer(kSamples + "countries-table.tmf", 4, RoundsFromEnv(100)); }
