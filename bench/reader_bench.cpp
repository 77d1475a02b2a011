// Reading a region file with one string attribute per polygon through
// Terrix_FastReader, against shapelib reading the same polygons and strings
// from a shapefile, in the same run. The input is made once per process in a
// temporary directory: 49,560 polygons of 60 vertices (about 3 million
// vertices, some 48 MB of coordinates), written by Terrix_Writer and by
// shapelib's SHPCreate/DBFCreate, then read once to warm the page cache.
//
// Counters: bytes_per_second over the file(s) read, and per_polygon, the time
// one polygon with its attribute takes. Medians:
//   reader_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <shapefil.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "terrix/FastReader.h"
#include "terrix/Geometry.h"
#include "terrix/Writer.h"

namespace {

using namespace Terrix;

constexpr int kPolygons = 49560;
constexpr int kVertices = 60;  // per polygon, the last repeating the first
constexpr int kNameWidth = 16;

/// Vertex j of polygon i: a closed, clockwise ring around its own centre on a
/// grid, with a radius that varies so that the values are not all alike.
void Vertex(int i, int j, double& x, double& y) {
  const double cx = (i % 240) * 10.0 + 500000.0;
  const double cy = (i / 240) * 10.0 + 3000000.0;
  const int k = j % (kVertices - 1);  // the last vertex closes the ring
  const double angle = -2.0 * M_PI * k / (kVertices - 1);
  const double radius = 3.0 + 1.5 * std::sin(k * 0.7 + i * 0.01);
  x = cx + radius * std::cos(angle);
  y = cy + radius * std::sin(angle);
}

void Name(int i, char (&out)[kNameWidth + 1]) {
  std::snprintf(out, sizeof out, "polygon %07d", i);
}

std::uint64_t SizeOf(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return 0;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

/// Reads the whole file once so that the benchmarks find it in the page cache.
void Warm(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return;
  std::vector<char> block(1 << 20);
  while (std::fread(block.data(), 1, block.size(), f) > 0) {
  }
  std::fclose(f);
}

/// The two input files, made on first use and removed at exit.
class Inputs {
 public:
  static const Inputs& Get() {
    static const Inputs inputs;
    return inputs;
  }
  std::string terrixPath;
  std::string shapeBase;  // .shp, .shx and .dbf
  std::uint64_t terrixBytes = 0;
  std::uint64_t shapeBytes = 0;  // .shp + .dbf, the files the loop reads

  ~Inputs() {
    std::remove(terrixPath.c_str());
    for (const char* ext : {".shp", ".shx", ".dbf"}) std::remove((shapeBase + ext).c_str());
    ::rmdir(dir_.c_str());
  }

 private:
  Inputs() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/reader_bench.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) std::abort();
    dir_ = buffer.data();
    terrixPath = dir_ + "/polygons.tmf";
    shapeBase = dir_ + "/polygons";
    WriteTerrix();
    WriteShapefile();
    terrixBytes = SizeOf(terrixPath);
    shapeBytes = SizeOf(shapeBase + ".shp") + SizeOf(shapeBase + ".dbf");
    CheckSameGeometry();
    Warm(terrixPath);
    Warm(shapeBase + ".shp");
    Warm(shapeBase + ".shx");
    Warm(shapeBase + ".dbf");
  }

  void WriteTerrix() const {
    Terrix_Writer w;
    const std::wstring path(terrixPath.begin(), terrixPath.end());
    if (w.Create(path.c_str(), 2) != 99999) std::abort();
    w.AddFieldInfo(L"NAME", 0, kNameWidth, 0, 0);
    Geometry* g = CreateGeometry();
    g->type = 5;
    g->vertexCount = kVertices;
    g->partCount = 1;
    g->x = static_cast<double*>(std::calloc(kVertices, sizeof(double)));
    g->y = static_cast<double*>(std::calloc(kVertices, sizeof(double)));
    g->partStart = static_cast<std::int32_t*>(std::calloc(1, sizeof(std::int32_t)));
    g->partType = static_cast<std::int32_t*>(std::calloc(1, sizeof(std::int32_t)));
    g->partType[0] = 5;
    TERRIX_RegInfo record{};
    record.state = 1;
    char name[kNameWidth + 1];
    for (int i = 0; i < kPolygons; ++i) {
      for (int j = 0; j < kVertices; ++j) Vertex(i, j, g->x[j], g->y[j]);
      w.AddPolygonInfo(record, *g);
      Name(i, name);
      w.WriteStringAttribute(i, 0, name);
    }
    DestroyGeometry(g);
    w.Flush();
    w.Close();
  }

  void WriteShapefile() const {
    SHPHandle shp = SHPCreate(shapeBase.c_str(), SHPT_POLYGON);
    DBFHandle dbf = DBFCreate(shapeBase.c_str());
    if (shp == nullptr || dbf == nullptr) std::abort();
    DBFAddField(dbf, "NAME", FTString, kNameWidth, 0);
    std::vector<double> x(kVertices), y(kVertices);
    char name[kNameWidth + 1];
    for (int i = 0; i < kPolygons; ++i) {
      for (int j = 0; j < kVertices; ++j) Vertex(i, j, x[j], y[j]);
      SHPObject* o = SHPCreateSimpleObject(SHPT_POLYGON, kVertices, x.data(), y.data(), nullptr);
      SHPWriteObject(shp, -1, o);
      SHPDestroyObject(o);
      Name(i, name);
      DBFWriteStringAttribute(dbf, i, 0, name);
    }
    SHPClose(shp);
    DBFClose(dbf);
  }

  /// Both files hold the same vertices, bit for bit (first, middle, last polygon).
  void CheckSameGeometry() const {
    Terrix_FastReader reader;
    const std::wstring path(terrixPath.begin(), terrixPath.end());
    SHPHandle shp = SHPOpen(shapeBase.c_str(), "rb");
    if (reader.Open(path.c_str()) != 99999 || shp == nullptr) std::abort();
    Geometry* g = CreateGeometry();
    for (const int i : {0, kPolygons / 2, kPolygons - 1}) {
      SHPObject* o = SHPReadObject(shp, i);
      if (reader.ReadPolygonInfo(i, nullptr, g) != 99999 || o == nullptr || o->nVertices != g->vertexCount ||
          std::memcmp(o->padfX, g->x, sizeof(double) * kVertices) != 0 ||
          std::memcmp(o->padfY, g->y, sizeof(double) * kVertices) != 0) {
        std::fprintf(stderr, "polygon %d differs between the two files\n", i);
        std::abort();
      }
      SHPDestroyObject(o);
      EmptyGeometry(g);
    }
    DestroyGeometry(g);
    SHPClose(shp);
  }

  std::string dir_;
};

void ReportRates(benchmark::State& state, std::uint64_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(state.iterations() * kPolygons);
  state.counters["per_polygon"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPolygons,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FastReaderPolygons(benchmark::State& state) {
  const Inputs& in = Inputs::Get();
  const std::wstring path(in.terrixPath.begin(), in.terrixPath.end());
  Geometry* g = CreateGeometry();
  for (auto _ : state) {
    Terrix_FastReader reader;
    if (reader.Open(path.c_str()) != 99999) {
      state.SkipWithError("open failed");
      break;
    }
    reader.GetFieldCount();  // loads the polygon table's head and fields
    const int field = reader.GetFieldIndex(L"NAME");
    double sum = 0.0;
    std::size_t chars = 0;
    for (int i = 0; i < kPolygons; ++i) {
      TERRIX_RegInfo record;
      if (reader.ReadPolygonInfo(i, &record, g) != 99999) {
        state.SkipWithError("polygon read failed");
        break;
      }
      sum += g->x[g->vertexCount - 1];
      const char* name = reader.ReadStringAttribute(i, field);
      chars += name != nullptr ? std::strlen(name) : 0;
      EmptyGeometry(g);
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(chars);
  }
  DestroyGeometry(g);
  ReportRates(state, in.terrixBytes);
}
BENCHMARK(BM_FastReaderPolygons)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ShapelibPolygons(benchmark::State& state) {
  const Inputs& in = Inputs::Get();
  for (auto _ : state) {
    SHPHandle shp = SHPOpen(in.shapeBase.c_str(), "rb");
    DBFHandle dbf = DBFOpen(in.shapeBase.c_str(), "rb");
    if (shp == nullptr || dbf == nullptr) {
      state.SkipWithError("open failed");
      break;
    }
    double sum = 0.0;
    std::size_t chars = 0;
    for (int i = 0; i < kPolygons; ++i) {
      SHPObject* o = SHPReadObject(shp, i);
      if (o == nullptr) {
        state.SkipWithError("polygon read failed");
        break;
      }
      sum += o->padfX[o->nVertices - 1];
      const char* name = DBFReadStringAttribute(dbf, i, 0);
      chars += name != nullptr ? std::strlen(name) : 0;
      SHPDestroyObject(o);
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(chars);
    SHPClose(shp);
    DBFClose(dbf);
  }
  ReportRates(state, in.shapeBytes);
}
BENCHMARK(BM_ShapelibPolygons)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
