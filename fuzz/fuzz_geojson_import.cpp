// terrix import over any input: the answer is a clear error, or a map file
// that reads back with every element and record. The first byte picks the
// options (lossy or strict, the file kind, the code page).
#include <cstdio>
#include <string>

#include "FuzzInput.h"
#include "Import.h"
#include "MapReader.h"

void FuzzOne(const fuzz::Input& in) {
  using namespace Terrix::Convert;
  if (in.size < 1) return;
  Terrix::Tool::ImportOptions options;
  options.write.lossy = (in.data[0] & 1) != 0;
  const int kind = (in.data[0] >> 1) & 7;
  using Terrix::FileKind;
  if (kind >= 1 && kind <= 4)
    options.kind = std::array{FileKind::Point, FileKind::Line, FileKind::Region, FileKind::Table}[kind - 1];
  options.write.codePage = (in.data[0] & 0x10) != 0 ? "GB18030" : "GBK";
  std::FILE* input = ::fmemopen(const_cast<std::uint8_t*>(in.data + 1), in.size - 1, "rb");
  if (input == nullptr) return;
  static const std::string output = "/tmp/fuzz-geojson-" + std::to_string(::getpid()) + ".tmf";
  std::remove(output.c_str());
  Diagnostics diagnostics;
  bool written = false;
  try {
    Terrix::Tool::ImportGeoJson(input, "input", in.size - 1, output, options, diagnostics);
    written = true;
  } catch (const ConversionError&) {
    // A clear error: nothing may be left behind.
    if (std::FILE* left = std::fopen(output.c_str(), "rb")) {
      std::fclose(left);
      fuzz::Fail("a failed import left its output");
    }
  }
  std::fclose(input);
  if (!written) return;
  MapFile map(output, diagnostics);
  const CodePage page(options.write.codePage);
  for (const LayerInfo& layer : map.Layers()) {
    if (layer.count != layer.storedCount) fuzz::Fail("the written file holds fewer elements than it claims");
    FeatureReader reader(output, layer, page, nullptr);
    if (!reader.Fields().empty() && reader.RecordCount() != layer.count)
      fuzz::Fail("an element without its record");
    Feature feature;
    for (std::int32_t i = 0; i < layer.count; ++i)
      if (reader.Read(i, feature) != Terrix::Result::Success)
        fuzz::Fail("a written element does not read back");
  }
  std::remove(output.c_str());
}
