// The conversion layer's feature reader over any file, as the GDAL plugin and
// terrix read it: shapes inside their arrays, every ring in one polygon, values
// of their field's kind, texts in UTF-8; the live count and the notes.
#include "FuzzInput.h"
#include "MapReader.h"

namespace {

using namespace Terrix::Convert;

void CheckFeature(const Feature& f, const FeatureReader& reader) {
  const ShapeView& s = f.shape;
  if (s.vertexCount < 0 || (s.vertexCount > 0 && (s.x == nullptr || s.y == nullptr)))
    fuzz::Fail("vertex arrays");
  for (const Range& r : s.parts)
    if (r.begin < 0 || r.begin > r.end || r.end > s.vertexCount) fuzz::Fail("part outside the vertices");
  if (!s.polygonStarts.empty()) {
    if (s.polygonStarts.front() != 0 || s.polygonStarts.back() != s.parts.size())
      fuzz::Fail("polygon grouping");
    for (std::size_t k = 1; k < s.polygonStarts.size(); ++k)
      if (s.polygonStarts[k] <= s.polygonStarts[k - 1]) fuzz::Fail("empty or reversed polygon");
    ClassifyRingOrder(s);
  }
  if (f.values.size() != reader.Fields().size()) fuzz::Fail("value count");
  for (std::size_t i = 0; i < f.values.size(); ++i) {
    const Value& v = f.values[i];
    if (!v.IsNull() && v.kind != reader.Fields()[i].row->kind)
      fuzz::Fail("value of another kind than its field");
    for (std::size_t at = 0, length = 1; v.kind == ValueKind::Text && at < v.bytes.size(); at += length) {
      length = 1;
      if (DecodeUtf8(std::string_view(v.bytes).substr(at), length) == 0xFFFD &&
          v.bytes.compare(at, 3, "\xEF\xBF\xBD") != 0)
        fuzz::Fail("text that is not UTF-8");
    }
  }
}

}  // namespace

void FuzzOne(const fuzz::Input& in) {
  const std::wstring wide = in.path;
  const std::string path(wide.begin(), wide.end());
  try {
    Diagnostics diagnostics;
    MapFile map(path, diagnostics);
    const CodePage gbk;
    for (const LayerInfo& layer : map.Layers()) {
      if (static_cast<std::uint64_t>(layer.count) > in.size)
        fuzz::Fail("more elements than the file has bytes");
      FeatureReader reader(path, layer, gbk, &diagnostics);
      reader.HoldsNotes();
      if (reader.CountLive() > layer.count) fuzz::Fail("live count beyond the elements");
      Feature feature;
      for (std::int32_t i = -1; i <= layer.count; ++i) {
        const std::int32_t rc = reader.Read(i, feature);
        fuzz::Check(rc, "Read");
        if (rc == Terrix::Result::Success) CheckFeature(feature, reader);
      }
      reader.SkipGeometry(true);
      for (std::int32_t i = 0; i < layer.count; ++i)
        fuzz::Check(reader.Read(i, feature), "Read without geometry");
      reader.Changes().Report(reader.Fields(), gbk, path, diagnostics);
    }
  } catch (const ConversionError&) {
    // A file the library refuses: a clear error is the answer.
  }
}
