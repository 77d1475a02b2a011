// terrix info: what a file holds, as text or as one JSON document per file.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "JsonText.h"
#include "MapReader.h"
#include "Progress.h"

namespace Terrix::Tool {

using namespace Terrix::Convert;

namespace {

// A small JSON object written member by member.
class JsonObject {
 public:
  explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
  void Key(const char* key) {
    if (!first_) out_ += ',';
    first_ = false;
    AppendJsonString(out_, key);
    out_ += ':';
  }
  void Member(const char* key, const std::string& text) {
    Key(key);
    AppendJsonString(out_, text);
  }
  void Member(const char* key, std::int64_t n) {
    Key(key);
    out_ += std::to_string(n);
  }
  void Member(const char* key, double v) {
    Key(key);
    AppendShortest(out_, v);
  }
  void End() { out_ += '}'; }

 private:
  std::string& out_;
  bool first_ = true;
};

std::string Number(double v) {
  return ShortestNumber(v);
}

void Counts(FeatureReader& reader, std::int64_t& live, std::int64_t& deleted, std::int64_t& unreadable) {
  live = deleted = unreadable = 0;
  ProgressLine progress(std::string("count ") + ElementClassName(reader.Layer().elementClass));
  for (std::int32_t i = 0; i < reader.Layer().count; ++i) {
    if ((i & 0xFFF) == 0) progress.Update(static_cast<double>(i) / reader.Layer().count);
    const std::int32_t rc = reader.State(i);
    if (rc == Result::Success)
      ++live;
    else if (rc == Result::NotInUse)
      ++deleted;
    else
      ++unreadable;
  }
}

void InfoMap(const std::string& path, const std::string& name, const Options& options, std::ostream& out,
             Diagnostics& diagnostics) {
  const CodePage codePage(options.codePage);
  MapFile map(path, diagnostics);
  double e[4];
  const bool hasExtent = map.Extent(e);
  std::string json;
  JsonObject doc(json);
  if (options.json) {
    doc.Member("file", name);
    doc.Member("format", std::string("vector map"));
    doc.Member("kind", std::string(FileKindName(map.Kind())));
    doc.Member("kindCode", std::int64_t{static_cast<int>(map.Kind())});
    doc.Key("extent");
    if (hasExtent) {
      json += '[';
      for (int i = 0; i < 4; ++i) {
        if (i > 0) json += ',';
        AppendShortest(json, e[i]);
      }
      json += ']';
    } else {
      json += "null";
    }
    doc.Member("projectionType", std::int64_t{map.ProjectionType()});
    doc.Member("tics", std::int64_t{map.TicCount()});
    doc.Key("layers");
    json += '[';
  } else {
    out << name << ": " << FileKindName(map.Kind()) << " (kind " << static_cast<int>(map.Kind()) << ")\n";
    if (hasExtent)
      out << "  extent: " << Number(e[0]) << " " << Number(e[1]) << " " << Number(e[2]) << " " << Number(e[3])
          << "\n";
    else
      out << "  extent: none (no extent)\n";
    out << "  projection type: " << map.ProjectionType() << "\n";
    out << "  tics: " << map.TicCount() << "\n";
  }
  bool firstLayer = true;
  for (const LayerInfo& layer : map.Layers()) {
    FeatureReader reader(path, layer, codePage, &diagnostics);
    std::int64_t live = 0, deleted = 0, unreadable = 0;
    if (layer.elementClass != ElementClass::Row) Counts(reader, live, deleted, unreadable);
    const char* cls = ElementClassName(layer.elementClass);
    const std::int32_t status = reader.TableStatus();
    if (options.json) {
      if (!firstLayer) json += ',';
      firstLayer = false;
      JsonObject l(json);
      l.Member("class", std::string(cls));
      l.Member("stored", std::int64_t{layer.storedCount});
      if (layer.elementClass != ElementClass::Row) {
        l.Member("live", live);
        l.Member("deleted", deleted);
        l.Member("unreadable", unreadable);
      }
      l.Key("table");
      if (status != Result::Success) {
        json += "null";
      } else {
        JsonObject t(json);
        t.Member("records", std::int64_t{reader.RecordCount()});
        t.Key("fields");
        json += '[';
        for (std::size_t f = 0; f < reader.Fields().size(); ++f) {
          const FieldDef& d = reader.Fields()[f];
          if (f > 0) json += ',';
          JsonObject fo(json);
          fo.Member("name", d.name);
          fo.Member("type", std::int64_t{d.code});
          fo.Member("typeName", std::string(d.row->name));
          fo.Member("width", std::int64_t{d.width});
          fo.End();
        }
        json += ']';
        t.End();
      }
      l.End();
      continue;
    }
    if (layer.elementClass != ElementClass::Row) {
      out << "  " << cls << ": " << live << " in use, " << deleted << " deleted";
      if (unreadable > 0) out << ", " << unreadable << " unreadable";
      out << "\n";
    }
    out << "  attribute table of the " << cls << ": ";
    if (status != Result::Success) {
      out << "none (" << ResultMessage(status) << ")\n";
      continue;
    }
    out << reader.RecordCount() << " records, " << reader.Fields().size() << " fields\n";
    for (const FieldDef& d : reader.Fields())
      out << "    " << d.name << "  type " << d.code << " (" << d.row->name << ")  width " << d.width << "\n";
  }
  if (options.json) {
    json += ']';
    doc.End();
    out << json << "\n";
  }
}

void InfoProject(const std::string& path, const std::string& name, const Options& options,
                 std::ostream& out) {
  Terrix_Prj project;
  const std::int32_t items = project.LoadProject(Utf8ToWide(path).c_str());
  if (items < 0) FailWithCode(name, "loading the project", items);
  double e[4];
  project.GetExtentInfo(&e[0], &e[1], &e[2], &e[3]);
  wchar_t text[256] = {};
  project.GetMpjDesc(text);
  const int projection = static_cast<unsigned char>(project.GetProjectionInfo(nullptr));
  std::string json;
  JsonObject doc(json);
  if (options.json) {
    doc.Member("file", name);
    doc.Member("format", std::string("map project"));
    doc.Key("extent");
    json += '[' + Number(e[0]) + ',' + Number(e[1]) + ',' + Number(e[2]) + ',' + Number(e[3]) + ']';
    doc.Member("projectionType", std::int64_t{projection});
    doc.Member("description", WideToUtf8(text));
    doc.Key("items");
    json += '[';
  } else {
    out << name << ": map project file, " << items << " items\n";
    out << "  extent: " << Number(e[0]) << " " << Number(e[1]) << " " << Number(e[2]) << " " << Number(e[3])
        << "\n";
    out << "  projection type: " << projection << "\n";
    out << "  description: " << WideToUtf8(text) << "\n";
  }
  for (int i = 0; i < items; ++i) {
    wchar_t itemName[256] = {};
    wchar_t desc[256] = {};
    double v1 = 0, v2 = 0;
    const std::int32_t kind = project.GetItemInfo(i, itemName, &v1, &v2);
    project.GetItemDesc(i, desc);
    if (options.json) {
      if (i > 0) json += ',';
      JsonObject item(json);
      item.Member("name", WideToUtf8(itemName));
      item.Member("kind", std::int64_t{kind});
      item.Member("value1", v1);
      item.Member("value2", v2);
      item.Member("description", WideToUtf8(desc));
      item.End();
    } else {
      out << "  item " << i << ": " << WideToUtf8(itemName) << "  kind " << kind << "  values " << Number(v1)
          << " " << Number(v2) << "  " << WideToUtf8(desc) << "\n";
    }
  }
  if (options.json) {
    json += ']';
    doc.End();
    out << json << "\n";
  }
}

void InfoColors(const std::string& path, const std::string& name, const Options& options, std::ostream& out) {
  Terrix_ColorLib colors;
  const std::int32_t count = colors.LoadColors(Utf8ToWide(path).c_str());
  if (count < 0) FailWithCode(name, "loading the colour library", count);
  std::string json;
  JsonObject doc(json);
  if (options.json) {
    doc.Member("file", name);
    doc.Member("format", std::string("colour library"));
    doc.Member("inks", std::int64_t{colors.GetHead().inkCount});
    doc.Key("colours");
    json += '[';
  } else {
    out << name << ": colour library, " << count << " colours, " << colors.GetHead().inkCount << " inks\n";
  }
  for (int n = 1; n <= count; ++n) {
    const tagRGBTRIPLE rgb = colors.GetRGB(n);
    const CMYKQUAD cmyk = colors.GetCMYK(n);
    if (options.json) {
      if (n > 1) json += ',';
      JsonObject c(json);
      c.Key("rgb");
      json += '[' + std::to_string(rgb.rgbtRed) + ',' + std::to_string(rgb.rgbtGreen) + ',' +
              std::to_string(rgb.rgbtBlue) + ']';
      c.Key("cmyk");
      json += '[' + std::to_string(cmyk.cmykCyan) + ',' + std::to_string(cmyk.cmykMagenta) + ',' +
              std::to_string(cmyk.cmykYellow) + ',' + std::to_string(cmyk.cmykBlack) + ']';
      c.End();
    } else {
      out << "  colour " << n << ": RGB " << int(rgb.rgbtRed) << " " << int(rgb.rgbtGreen) << " "
          << int(rgb.rgbtBlue) << "  CMYK% " << int(cmyk.cmykCyan) << " " << int(cmyk.cmykMagenta) << " "
          << int(cmyk.cmykYellow) << " " << int(cmyk.cmykBlack) << "\n";
    }
  }
  if (options.json) {
    json += ']';
    doc.End();
    out << json << "\n";
  }
}

void InfoLegend(const std::string& path, const std::string& name, const Options& options, std::ostream& out) {
  Terrix_Legend legend;
  const std::int32_t count = legend.Open(Utf8ToWide(path).c_str());
  if (count < 0) FailWithCode(name, "opening the legend", count);
  // A damaged head may claim a billion entries; the listing stops early.
  constexpr int kListed = 1000;
  std::string json;
  JsonObject doc(json);
  if (options.json) {
    doc.Member("file", name);
    doc.Member("format", std::string("legend"));
    doc.Member("entries", std::int64_t{count});
    doc.Key("listed");
    json += '[';
  } else {
    out << name << ": legend file, " << count << " entries\n";
  }
  for (int i = 0; i < std::min(count, kListed); ++i) {
    TERRIX_LegendItem item{};
    PNT_INFOstruct point{};
    LIN_INFOstruct line{};
    REG_INFOstruct region{};
    const std::int32_t kind = legend.GetLegendInfo(i, &item, &point, &line, &region);
    const char* what = kind == 1   ? "point style"
                       : kind == 0 ? "line style"
                       : kind == 2 ? "region style"
                                   : "no style";
    if (options.json) {
      if (i > 0) json += ',';
      JsonObject entry(json);
      entry.Member("kind", std::int64_t{kind});
      entry.Member("styleOffset", std::int64_t{item.styleOffset});
      entry.End();
    } else {
      out << "  entry " << i << ": kind " << kind << " (" << (kind < 0 ? ResultMessage(kind) : what)
          << "), style offset " << item.styleOffset << "\n";
    }
  }
  if (options.json) {
    json += ']';
    doc.End();
    out << json << "\n";
  } else if (count > kListed) {
    out << "  ... " << (count - kListed) << " more entries not listed\n";
  }
  legend.Close();
}

void InfoSymbol(const std::string& path, const std::string& name, const Options& options, std::ostream& out) {
  Terrix_Symbol symbol;
  const std::int32_t rc = symbol.Open(Utf8ToWide(path).c_str());
  if (rc < 0) FailWithCode(name, "opening the symbol library", rc);
  std::string head;
  for (std::uint8_t b : symbol.head.data) {
    static const char digits[] = "0123456789abcdef";
    if (!head.empty() && !options.json) head += ' ';
    head += digits[b >> 4];
    head += digits[b & 15];
  }
  symbol.Close();
  if (options.json) {
    std::string json;
    JsonObject doc(json);
    doc.Member("file", name);
    doc.Member("format", std::string("symbol library"));
    doc.Member("head", head);
    doc.End();
    out << json << "\n";
  } else {
    out << name << ": symbol library, head " << head << "\n";
  }
}

void InfoFile(const std::string& operand, const Options& options, std::ostream& out,
              Diagnostics& diagnostics) {
  const InputPath input(operand);
  const std::string& path = input.Path();
  const std::string& name = input.Name();
  if (options.symbol) return InfoSymbol(path, name, options, out);
  switch (input.Format()) {
    case FileFormat::VectorMap:
      return InfoMap(path, name, options, out, diagnostics);
    case FileFormat::Project:
      return InfoProject(path, name, options, out);
    case FileFormat::ColorLibrary:
      return InfoColors(path, name, options, out);
    case FileFormat::Legend:
      return InfoLegend(path, name, options, out);
    case FileFormat::Unknown:
      break;
  }
  throw ConversionError(name, "not a recognised file (unknown magic; use --symbol for a symbol library)");
}

}  // namespace

int RunInfo(const Options& options, std::ostream& out, std::ostream& err, Diagnostics& diagnostics) {
  int status = kExitSuccess;
  for (const std::string& operand : options.operands) {
    try {
      InfoFile(operand, options, out, diagnostics);
    } catch (const std::exception& e) {
      out.flush();
      err << "terrix: " << e.what() << "\n";
      if (options.json) {
        std::string json;
        JsonObject doc(json);
        doc.Member("file", operand == "-" ? std::string("standard input") : operand);
        doc.Member("error", std::string(e.what()));
        doc.End();
        out << json << "\n";
      }
      status = kExitFailed;
    }
  }
  return status;
}

}  // namespace Terrix::Tool
