// The writer driven by the input through the model of support/WriterModel.h:
// the input chooses the file, the model keeps what it must hold, and the three
// readers must read it back bit for bit, as a converter needs it.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include "FuzzInput.h"
#include "support/WriterModel.h"

namespace {

/// The model's choices from the fuzzer's input.
struct FuzzSource {
  FuzzedDataProvider& in;
  int Int(int lo, int hi) { return in.ConsumeIntegralInRange(lo, hi); }
  bool Bool() { return in.ConsumeBool(); }
  std::uint64_t Bits() { return in.ConsumeIntegral<std::uint64_t>(); }
  double Real() { return in.ConsumeFloatingPointInRange(-1000.0, 1000.0); }
  std::string Text(std::size_t max) { return in.ConsumeRandomLengthString(max); }
  void Fill(void* out, std::size_t n) { in.ConsumeData(out, n); }
  bool More() const { return in.remaining_bytes() > 0; }
};

const std::wstring& OutputPath() {
  static const std::wstring path = [] {
    char dir[] = "/tmp/terrix-fuzz-writer-XXXXXX";
    const std::string file = std::string(mkdtemp(dir) != nullptr ? dir : "/tmp") + "/written.tmf";
    return std::wstring(file.begin(), file.end());
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  FuzzSource source{in};
  Terrix::Terrix_Writer writer;
  writer_model::Model model;
  model.Write(source, writer, OutputPath());
  model.Check(OutputPath());
  if (!model.error.empty()) fuzz::Fail(model.error.c_str());
  return 0;
}
