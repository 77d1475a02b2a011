// The writer driven by the input through the model of support/WriterModel.h:
// the input chooses the file, the model keeps what it must hold, and the three
// readers must read it back bit for bit, as a converter needs it. The file is
// written over the input's own memory file.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzInput.h"
#include "support/WriterModel.h"

namespace {

/// The model's choices from the fuzzer's input.
struct FuzzSource {
  FuzzedDataProvider in;
  int Int(int lo, int hi) { return in.ConsumeIntegralInRange(lo, hi); }
  bool Bool() { return in.ConsumeBool(); }
  std::uint64_t Bits() { return in.ConsumeIntegral<std::uint64_t>(); }
  double Real() { return in.ConsumeFloatingPointInRange(-1000.0, 1000.0); }
  std::string Text(std::size_t max) { return in.ConsumeRandomLengthString(max); }
  void Fill(void* out, std::size_t n) { in.ConsumeData(out, n); }
  bool More() { return in.remaining_bytes() > 0; }
};

}  // namespace

void FuzzOne(const fuzz::Input& in) {
  FuzzSource source{FuzzedDataProvider(in.data, in.size)};
  Terrix::Terrix_Writer writer;
  writer_model::Model model;
  model.Write(source, writer, in.path);
  model.Check(in.path);
  if (!model.error.empty()) fuzz::Fail(model.error.c_str());
}
