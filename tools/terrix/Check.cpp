// terrix check: the library's geometry checks over every element, and the
// ring order told apart: elements that hold several polygons (each outer ring
// clockwise, in order) from rings that run against the order.
#include <vector>

#include "Commands.h"
#include "JsonText.h"
#include "MapReader.h"
#include "Progress.h"

namespace Terrix::Tool {

using namespace Terrix::Convert;

namespace {

struct Tally {
  Tally(const char* checkName, bool fails = true) : name(checkName), failure(fails) {}
  const char* name;
  std::int64_t checked = 0, failing = 0;
  std::vector<std::int32_t> first;  // the first failing elements
  bool failure;                     // a failing element makes the check fail the file

  void Record(std::int32_t element, bool fails) {
    ++checked;
    if (!fails) return;
    ++failing;
    if (first.size() < 20) first.push_back(element);
  }
};

}  // namespace

int RunCheck(const Options& options, std::ostream& out, Diagnostics& diagnostics) {
  const InputPath input(options.operands.at(0));
  const CodePage codePage(options.codePage);
  MapFile map(input.Path(), diagnostics);
  std::vector<Tally> tallies = {
      Tally("empty geometry"),
      Tally("empty parts"),
      Tally("self-intersection"),
      Tally("short segments"),
      Tally("ring order against the convention"),
      Tally("several outer rings (several polygons in one element, each outer ring clockwise: in order)",
            false),
      Tally("unclosed rings"),
  };
  Tally& against = tallies[4];
  Tally& severalOuter = tallies[5];
  std::int64_t unreadable = 0;
  for (const LayerInfo& layer : map.Layers()) {
    if (layer.elementClass == ElementClass::Row) continue;
    FeatureReader reader(input.Path(), layer, codePage, &diagnostics);
    reader.SkipFields(std::vector<bool>(reader.Fields().size(), true));
    const bool points = layer.elementClass == ElementClass::Point || layer.elementClass == ElementClass::Node;
    const bool polygons = layer.elementClass == ElementClass::Region;
    ProgressLine progress(std::string("check ") + ElementClassName(layer.elementClass));
    Feature feature;
    for (std::int32_t i = 0; i < layer.count; ++i) {
      if ((i & 0xFFF) == 0) progress.Update(static_cast<double>(i) / layer.count);
      const std::int32_t rc = reader.Read(i, feature);
      if (rc == Result::NotInUse) continue;
      if (rc != Result::Success) {
        ++unreadable;
        continue;
      }
      // A point's container has no parts, which the emptiness check counts as
      // empty: the part checks do not apply to points.
      if (points) continue;
      Geometry* g = &reader.Container();
      tallies[0].Record(i, CheckEmptyGeo(g));
      tallies[1].Record(i, CheckEmptyParts(g));
      tallies[2].Record(i, CheckSelfIntersect(g));
      tallies[3].Record(i, CheckShortSegment(g, 0.0));
      if (!polygons) continue;
      const bool outOfOrder = CheckUnRingOrder(g);
      const RingOrder order = outOfOrder ? ClassifyRingOrder(feature.shape) : RingOrder::InOrder;
      against.Record(i, outOfOrder && order != RingOrder::SeveralOuterRings);
      severalOuter.Record(i, outOfOrder && order == RingOrder::SeveralOuterRings);
      tallies[6].Record(i, CheckUnclosedRing(g, 0.0) > 0);
    }
  }
  bool failed = unreadable > 0;
  for (const Tally& t : tallies) failed = failed || (t.failure && t.failing > 0);
  if (options.json) {
    std::string json = "{\"file\":";
    AppendJsonString(json, input.Name());
    json += ",\"kind\":";
    AppendJsonString(json, FileKindName(map.Kind()));
    json += ",\"checks\":[";
    bool first = true;
    for (const Tally& t : tallies) {
      if (t.checked == 0) continue;
      if (!first) json += ',';
      first = false;
      json += "{\"check\":";
      AppendJsonString(json, t.name);
      json += ",\"checked\":" + std::to_string(t.checked) + ",\"failing\":" + std::to_string(t.failing) +
              ",\"failure\":" + (t.failure ? "true" : "false") + ",\"first\":[";
      for (std::size_t k = 0; k < t.first.size(); ++k)
        json += (k > 0 ? "," : "") + std::to_string(t.first[k]);
      json += "]}";
    }
    json +=
        "],\"unreadable\":" + std::to_string(unreadable) + ",\"passed\":" + (failed ? "false" : "true") + "}";
    out << json << "\n";
  } else {
    out << input.Name() << ": " << FileKindName(map.Kind()) << "\n";
    for (const Tally& t : tallies) {
      out << "  " << t.name << ": ";
      if (t.checked == 0) {
        out << "not applicable\n";
        continue;
      }
      out << t.failing << " of " << t.checked << " elements" << (t.failure ? " fail" : "");
      for (std::size_t k = 0; k < t.first.size(); ++k) out << (k == 0 ? ": " : ", ") << t.first[k];
      if (t.failing > static_cast<std::int64_t>(t.first.size())) out << ", ...";
      out << "\n";
    }
    if (unreadable > 0) out << "  unreadable elements: " << unreadable << "\n";
  }
  return failed ? kExitFailed : kExitSuccess;
}

}  // namespace Terrix::Tool
