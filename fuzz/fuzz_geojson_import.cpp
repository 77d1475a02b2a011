// terrix import over any input: the answer is a clear error, or a map file
// that reads back with every element and record. The first byte picks the
// options (lossy or strict, the file kind, the code page).
#include <unistd.h>

#include <cstdio>
#include <string>

#include "FuzzInput.h"
#include "Import.h"
#include "MapReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  Terrix::Tool::ImportOptions options;
  options.write.lossy = (data[0] & 1) != 0;
  const int kind = (data[0] >> 1) & 7;
  if (kind == 1) options.kind = Terrix::FileKind::Point;
  if (kind == 2) options.kind = Terrix::FileKind::Line;
  if (kind == 3) options.kind = Terrix::FileKind::Region;
  if (kind == 4) options.kind = Terrix::FileKind::Table;
  options.write.codePage = (data[0] & 0x10) != 0 ? "GB18030" : "GBK";
  std::FILE* in = ::fmemopen(const_cast<std::uint8_t*>(data + 1), size - 1, "rb");
  if (in == nullptr) return 0;
  static const std::string output = "/tmp/fuzz-geojson-" + std::to_string(::getpid()) + ".tmf";
  std::remove(output.c_str());
  Terrix::Convert::Diagnostics diagnostics;
  bool written = false;
  try {
    Terrix::Tool::ImportGeoJson(in, "input", size - 1, output, options, diagnostics);
    written = true;
  } catch (const Terrix::Convert::ConversionError&) {
    // A clear error: nothing may be left behind.
    if (std::FILE* left = std::fopen(output.c_str(), "rb")) {
      std::fclose(left);
      fuzz::Fail("a failed import left its output");
    }
  }
  std::fclose(in);
  if (!written) return 0;
  Terrix::Convert::MapFile map(output, diagnostics);
  const Terrix::Convert::CodePage page(options.write.codePage);
  for (const Terrix::Convert::LayerInfo& layer : map.Layers()) {
    if (layer.count != layer.storedCount) fuzz::Fail("the written file holds fewer elements than it claims");
    Terrix::Convert::FeatureReader reader(output, layer, page, nullptr);
    if (!reader.Fields().empty() && reader.RecordCount() != layer.count)
      fuzz::Fail("an element without its record");
    Terrix::Convert::Feature feature;
    for (std::int32_t i = 0; i < layer.count; ++i)
      if (reader.Read(i, feature) != Terrix::Result::Success)
        fuzz::Fail("a written element does not read back");
  }
  std::remove(output.c_str());
  return 0;
}
