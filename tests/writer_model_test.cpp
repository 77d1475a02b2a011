// The writer against its model (support/WriterModel.h, shared with the fuzz
// target): files of every kind chosen by a seeded generator, written with one
// writer reused from file to file, read back by the three readers.
#include <gtest/gtest.h>

#include <random>

#include "builder/MapFileBuilder.h"
#include "support/WriterModel.h"

namespace {

/// The model's choices from a fixed sequence of pseudo-random numbers.
class SeededSource {
 public:
  explicit SeededSource(std::uint64_t seed) : rng_(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Bool() { return (rng_() & 1) != 0; }
  std::uint64_t Bits() { return rng_(); }
  double Real() { return std::uniform_real_distribution<double>(-1000.0, 1000.0)(rng_); }
  /// Any bytes, often spaces and letters so that texts have words and ends to trim.
  std::string Text(std::size_t max) {
    std::string s(static_cast<std::size_t>(Int(0, static_cast<int>(max))), ' ');
    for (char& c : s) c = Bool() ? static_cast<char>(rng_()) : " xy"[Int(0, 2)];
    return s;
  }
  void Fill(void* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
      static_cast<std::uint8_t*>(out)[i] = static_cast<std::uint8_t>(rng_());
  }
  bool More() const { return true; }

 private:
  std::mt19937_64 rng_;
};

TEST(WriterModel, FilesOfEveryKindReadBackAsTheModelSays) {
  tb::TempDir dir;
  const std::wstring path = dir.WidePath("model.tmf");
  Terrix::Terrix_Writer writer;  // reused: nothing of one file may leak into the next
  for (std::uint64_t seed = 1; seed <= 300; ++seed) {
    SeededSource in(seed);
    writer_model::Model model;
    model.Write(in, writer, path);
    model.Check(path);
    ASSERT_EQ(model.error, "") << "seed " << seed;
  }
}

}  // namespace
