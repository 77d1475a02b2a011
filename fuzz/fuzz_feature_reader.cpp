// The conversion layer's feature reader over any file, as the GDAL plugin and
// terrix read: every layer, every element with and without its geometry, the
// live count and the notes. Shapes must stay inside their arrays, polygons
// must group every ring once, values must be of their field's kind and texts
// valid UTF-8.
#include "FuzzInput.h"
#include "MapReader.h"

namespace {

void CheckFeature(const Terrix::Convert::Feature& f, const Terrix::Convert::FeatureReader& reader) {
  const Terrix::Convert::ShapeView& s = f.shape;
  if (s.vertexCount < 0 || (s.vertexCount > 0 && (s.x == nullptr || s.y == nullptr)))
    fuzz::Fail("vertex arrays");
  for (const Terrix::Convert::Range& r : s.parts)
    if (r.begin < 0 || r.begin > r.end || r.end > s.vertexCount) fuzz::Fail("part outside the vertices");
  if (!s.polygonStarts.empty()) {
    if (s.polygonStarts.front() != 0 || s.polygonStarts.back() != s.parts.size())
      fuzz::Fail("polygon grouping");
    for (std::size_t k = 1; k < s.polygonStarts.size(); ++k)
      if (s.polygonStarts[k] <= s.polygonStarts[k - 1]) fuzz::Fail("empty or reversed polygon");
    Terrix::Convert::ClassifyRingOrder(s);
  }
  if (f.values.size() != reader.Fields().size()) fuzz::Fail("value count");
  for (std::size_t i = 0; i < f.values.size(); ++i) {
    const Terrix::Convert::Value& v = f.values[i];
    if (!v.IsNull() && v.kind != reader.Fields()[i].row->kind)
      fuzz::Fail("value of another kind than its field");
    if (v.kind != Terrix::Convert::ValueKind::Text) continue;
    for (std::size_t at = 0; at < v.bytes.size();) {
      std::size_t length = 1;
      if (Terrix::Convert::DecodeUtf8(std::string_view(v.bytes).substr(at), length) == 0xFFFD &&
          v.bytes.compare(at, 3, "\xEF\xBF\xBD") != 0)
        fuzz::Fail("text that is not UTF-8");
      at += length;
    }
  }
}

}  // namespace

TERRIX_FUZZ_FILE(widePath, data, size) {
  const std::wstring wide = widePath;
  const std::string path(wide.begin(), wide.end());
  try {
    Terrix::Convert::Diagnostics diagnostics;
    Terrix::Convert::MapFile map(path, diagnostics);
    const Terrix::Convert::CodePage gbk;
    for (const Terrix::Convert::LayerInfo& layer : map.Layers()) {
      if (static_cast<std::uint64_t>(layer.count) > size) fuzz::Fail("more elements than the file has bytes");
      Terrix::Convert::FeatureReader reader(path, layer, gbk, &diagnostics);
      reader.HoldsNotes();
      if (reader.CountLive() > layer.count) fuzz::Fail("live count beyond the elements");
      Terrix::Convert::Feature feature;
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
  } catch (const Terrix::Convert::ConversionError&) {
    // A file the library refuses: a clear error is the answer.
  }
}
