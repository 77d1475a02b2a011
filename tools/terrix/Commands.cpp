#include "Commands.h"

#include <TerrixLib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "Encoding.h"
#include "FileDetect.h"
#include "GeoJsonExport.h"
#include "GeoJsonImport.h"
#include "Output.h"
#include "Progress.h"
#include "VectorModel.h"

namespace terrix {

namespace {

std::string ExtentLine(const double e[4]) {
  return "  extent: " + ShortestNumber(e[0]) + " " + ShortestNumber(e[1]) + " " + ShortestNumber(e[2]) + " " +
         ShortestNumber(e[3]) + "\n";
}

void InfoVector(const std::string& path, std::ostream& out) {
  VectorFile file(path);
  Terrix::Terrix_FastReader& r = file.Reader();
  out << path << ": " << file.KindName() << " (kind " << file.Kind() << ")\n";
  double e[4];
  r.GetExtentInfo(&e[0], &e[1], &e[2], &e[3]);
  out << ExtentLine(e);
  out << "  projection type: " << static_cast<int>(static_cast<unsigned char>(r.GetProjectionInfo(nullptr)))
      << "\n";
  out << "  tics: " << r.GetTicCount() << "\n";
  for (const ClassInfo& c : file.Classes()) {
    long live = 0, deleted = 0, failed = 0;
    if (c.elementClass != ElementClass::Row) {
      Progress progress(std::string("count ") + ElementClassName(c.elementClass), c.count);
      for (int i = 0; i < c.count; ++i) {
        progress.Update(i);
        const std::int32_t rc = file.ReadGeometry(c.elementClass, i, nullptr);
        if (rc == Terrix::Result::Success)
          ++live;
        else if (rc == Terrix::Result::NotInUse)
          ++deleted;
        else
          ++failed;
      }
      out << "  " << ElementClassName(c.elementClass) << ": " << live << " in use, " << deleted << " deleted";
      if (failed > 0) out << ", " << failed << " unreadable";
      out << "\n";
    }
    const TableDesc table = file.DescribeTable(c.attributeSelector);
    out << "  attribute table of the " << ElementClassName(c.elementClass) << ": ";
    if (table.status != Terrix::Result::Success) {
      out << "none (" << Terrix::ResultMessage(table.status) << ")\n";
      continue;
    }
    out << table.recordCount << " records, " << table.fields.size() << " fields\n";
    for (const FieldDesc& f : table.fields)
      out << "    " << f.name << "  type " << f.typeCode << "  width " << f.width << "\n";
  }
}

std::string FirstWord(const wchar_t* text) {
  return WideToUtf8(text);
}

void InfoProject(const std::string& path, std::ostream& out) {
  Terrix::Terrix_Prj project;
  const std::int32_t items = project.LoadProject(Utf8ToWide(path).c_str());
  if (items < 0) FailWithCode(path, "loading the project", items);
  out << path << ": map project file, " << items << " items\n";
  double e[4];
  project.GetExtentInfo(&e[0], &e[1], &e[2], &e[3]);
  out << ExtentLine(e);
  out << "  projection type: "
      << static_cast<int>(static_cast<unsigned char>(project.GetProjectionInfo(nullptr))) << "\n";
  wchar_t text[256] = {};
  project.GetMpjDesc(text);
  out << "  description: " << FirstWord(text) << "\n";
  for (int i = 0; i < items; ++i) {
    wchar_t name[256] = {};
    wchar_t desc[256] = {};
    double v1 = 0, v2 = 0;
    const std::int32_t kind = project.GetItemInfo(i, name, &v1, &v2);
    project.GetItemDesc(i, desc);
    out << "  item " << i << ": " << FirstWord(name) << "  kind " << kind << "  values " << ShortestNumber(v1)
        << " " << ShortestNumber(v2) << "  " << FirstWord(desc) << "\n";
  }
}

void InfoColors(const std::string& path, std::ostream& out) {
  Terrix::Terrix_ColorLib colors;
  const std::int32_t count = colors.LoadColors(Utf8ToWide(path).c_str());
  if (count < 0) FailWithCode(path, "loading the colour library", count);
  out << path << ": colour library, " << count << " colours, " << colors.GetHead().inkCount << " inks\n";
  for (int n = 1; n <= count; ++n) {
    const tagRGBTRIPLE rgb = colors.GetRGB(n);
    const Terrix::CMYKQUAD cmyk = colors.GetCMYK(n);
    out << "  colour " << n << ": RGB " << int(rgb.rgbtRed) << " " << int(rgb.rgbtGreen) << " "
        << int(rgb.rgbtBlue) << "  CMYK% " << int(cmyk.cmykCyan) << " " << int(cmyk.cmykMagenta) << " "
        << int(cmyk.cmykYellow) << " " << int(cmyk.cmykBlack) << "\n";
  }
}

void InfoLegend(const std::string& path, std::ostream& out) {
  Terrix::Terrix_Legend legend;
  const std::int32_t count = legend.Open(Utf8ToWide(path).c_str());
  if (count < 0) FailWithCode(path, "opening the legend", count);
  out << path << ": legend file, " << count << " entries\n";
  // A damaged head may claim a billion entries; the listing stops early.
  constexpr int kListed = 1000;
  for (int i = 0; i < std::min(count, kListed); ++i) {
    Terrix::TERRIX_LegendItem item{};
    Terrix::PNT_INFOstruct point{};
    Terrix::LIN_INFOstruct line{};
    Terrix::REG_INFOstruct region{};
    const std::int32_t kind = legend.GetLegendInfo(i, &item, &point, &line, &region);
    const char* what = kind == 1   ? "point style"
                       : kind == 0 ? "line style"
                       : kind == 2 ? "region style"
                                   : "no style";
    out << "  entry " << i << ": kind " << kind << " (" << (kind < 0 ? Terrix::ResultMessage(kind) : what)
        << "), style offset " << item.styleOffset << "\n";
  }
  if (count > kListed) out << "  ... " << (count - kListed) << " more entries not listed\n";
  legend.Close();
}

void InfoSymbol(const std::string& path, std::ostream& out) {
  Terrix::Terrix_Symbol symbol;
  const std::int32_t rc = symbol.Open(Utf8ToWide(path).c_str());
  if (rc < 0) FailWithCode(path, "opening the symbol library", rc);
  out << path << ": symbol library, head";
  static const char digits[] = "0123456789abcdef";
  for (std::uint8_t b : symbol.head.data) out << ' ' << digits[b >> 4] << digits[b & 15];
  out << "\n";
  symbol.Close();
}

ImportKind ParseKind(const std::string& kind) {
  if (kind == "point") return ImportKind::Point;
  if (kind == "line") return ImportKind::Line;
  if (kind == "region") return ImportKind::Region;
  if (kind == "table") return ImportKind::Table;
  throw ToolError(kind, "unknown kind (point, line, region or table)");
}

}  // namespace

int RunInfo(const std::vector<std::string>& files, const InfoOptions& options, std::ostream& out) {
  for (const std::string& path : files) {
    if (options.symbol) {
      InfoSymbol(path, out);
      continue;
    }
    switch (DetectFileType(path)) {
      case FileType::VectorMap:
        InfoVector(path, out);
        break;
      case FileType::Project:
        InfoProject(path, out);
        break;
      case FileType::ColorLibrary:
        InfoColors(path, out);
        break;
      case FileType::Legend:
        InfoLegend(path, out);
        break;
      default:
        throw ToolError(path, "not a recognised file (unknown magic; use --symbol for a symbol library)");
    }
  }
  return 0;
}

int RunExport(const std::string& file, const std::string& output, bool wkt, std::ostream& out) {
  if (DetectFileType(file) != FileType::VectorMap)
    throw ToolError(file, "not a vector map file (unknown magic)");
  const ExportFormat format = wkt ? ExportFormat::Wkt : ExportFormat::GeoJson;
  if (output.empty() || output == "-") {
    ExportVectorFile(file, out, format);
    return 0;
  }
  PendingOutput pending(output);
  {
    std::ofstream stream(pending.TemporaryPath(), std::ios::binary | std::ios::trunc);
    if (!stream) throw ToolError(output, "cannot write");
    ExportVectorFile(file, stream, format);
    stream.close();
    if (!stream) throw ToolError(output, "writing failed");
  }
  pending.Commit();
  return 0;
}

int RunImport(const std::string& input, const std::string& output, const std::string& kind,
              std::ostream& out) {
  const ImportReport report = ImportGeoJson(input, output, ParseKind(kind));
  out << output << ": " << report.elements << " elements from " << report.features << " features";
  if (report.skipped > 0) out << " (" << report.skipped << " without a geometry of the kind, skipped)";
  out << "\n";
  return 0;
}

}  // namespace terrix

namespace terrix {

namespace {

struct CheckTally {
  explicit CheckTally(const char* checkName) : name(checkName) {}
  const char* name;
  long checked = 0;
  long failing = 0;
  std::vector<int> first;  // the first 20 failing elements

  void Record(int element, bool fails) {
    ++checked;
    if (!fails) return;
    ++failing;
    if (first.size() < 20) first.push_back(element);
  }
};

}  // namespace

int RunCheck(const std::string& file, std::ostream& out) {
  if (DetectFileType(file) != FileType::VectorMap)
    throw ToolError(file, "not a vector map file (unknown magic)");
  VectorFile vf(file);
  // The last two apply to polygons only; a check that met no element says so.
  std::vector<CheckTally> tallies = {CheckTally("empty geometry"),    CheckTally("empty parts"),
                                     CheckTally("self-intersection"), CheckTally("short segments"),
                                     CheckTally("ring order"),        CheckTally("unclosed rings")};
  Terrix::Geometry* g = Terrix::CreateGeometry();
  long unreadable = 0;
  out << file << ": " << vf.KindName() << "\n";
  for (const ClassInfo& c : vf.Classes()) {
    if (c.elementClass == ElementClass::Row) continue;
    const bool points = c.elementClass == ElementClass::Point || c.elementClass == ElementClass::Node;
    const bool polygons = c.elementClass == ElementClass::Region;
    Progress progress(std::string("check ") + ElementClassName(c.elementClass), c.count);
    for (int i = 0; i < c.count; ++i) {
      progress.Update(i);
      Terrix::EmptyGeometry(g);
      const std::int32_t rc = vf.ReadGeometry(c.elementClass, i, g);
      if (rc == Terrix::Result::NotInUse) continue;
      if (rc != Terrix::Result::Success) {
        ++unreadable;
        continue;
      }
      // A point container has no parts, which the emptiness check counts as
      // empty: the part checks do not apply to points.
      if (points) continue;
      tallies[0].Record(i, Terrix::CheckEmptyGeo(g));
      tallies[1].Record(i, Terrix::CheckEmptyParts(g));
      tallies[2].Record(i, Terrix::CheckSelfIntersect(g));
      tallies[3].Record(i, Terrix::CheckShortSegment(g, 0.0));
      if (polygons) {
        tallies[4].Record(i, Terrix::CheckUnRingOrder(g));
        tallies[5].Record(i, Terrix::CheckUnclosedRing(g, 0.0) > 0);
      }
    }
  }
  Terrix::DestroyGeometry(g);
  for (const CheckTally& t : tallies) {
    out << "  " << t.name << ": ";
    if (t.checked == 0) {
      out << "not applicable\n";
      continue;
    }
    out << t.failing << " of " << t.checked << " elements fail";
    for (std::size_t k = 0; k < t.first.size(); ++k) out << (k == 0 ? ": " : ", ") << t.first[k];
    if (t.failing > static_cast<long>(t.first.size())) out << ", ...";
    out << "\n";
  }
  if (unreadable > 0) out << "  unreadable elements: " << unreadable << "\n";
  return 0;
}

}  // namespace terrix
