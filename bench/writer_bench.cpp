// Writing whole files with Terrix_Writer: a point file with two attributes and
// a region file of two-ring polygons, at two sizes each, to show time and
// memory growing linearly. Peak RSS is the process's; run one size per
// process (--benchmark_filter) to read it per size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "terrix/Geometry.h"
#include "terrix/Writer.h"

namespace {

using namespace Terrix;

std::wstring BenchPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  const std::string path =
      std::string(dir != nullptr ? dir : "/tmp") + "/" + name + "." + std::to_string(::getpid()) + ".tmf";
  return std::wstring(path.begin(), path.end());
}

void RemoveFile(const std::wstring& path) {
  std::remove(std::string(path.begin(), path.end()).c_str());
}

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

void BM_PointFileTwoAttributes(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  const std::wstring path = BenchPath("points");
  Geometry* unused = CreateGeometry();
  char name[16];
  for (auto _ : state) {
    Terrix_Writer w;
    w.Create(path.c_str(), 1);
    w.AddFieldInfo(L"id", 3, 4, 0, 0);
    w.AddFieldInfo(L"name", 0, 12, 0, 0);
    for (int i = 0; i < n; ++i) {
      TERRIX_PntInfo p{};
      p.state = 1;
      p.x = i * 0.5;
      p.y = -i * 0.25;
      w.AddPointInfo(p, *unused, "");
      w.WriteLongAttribute(i, 0, i);
      std::snprintf(name, sizeof name, "pt%d", i);
      w.WriteStringAttribute(i, 1, name);
    }
    w.Flush();
    w.Close();
  }
  DestroyGeometry(unused);
  RemoveFile(path);
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_PointFileTwoAttributes)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

/// A square ring of 5 vertices and an inner ring of 5 vertices, moved to `cx`.
void FillPolygon(Geometry& g, double cx) {
  const double outer[5][2] = {{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}};
  const double inner[5][2] = {{1, 1}, {3, 1}, {3, 3}, {1, 3}, {1, 1}};
  for (int i = 0; i < 5; ++i) {
    g.x[i] = cx + outer[i][0];
    g.y[i] = outer[i][1];
    g.x[5 + i] = cx + inner[i][0];
    g.y[5 + i] = inner[i][1];
  }
}

void BM_RegionFile(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  const std::wstring path = BenchPath("regions");
  Geometry* g = CreateGeometry();
  g->type = ShapeType::Polygon;
  g->vertexCount = 10;
  g->x = static_cast<double*>(std::calloc(10, sizeof(double)));
  g->y = static_cast<double*>(std::calloc(10, sizeof(double)));
  g->partCount = 2;
  g->partStart = static_cast<std::int32_t*>(std::calloc(2, sizeof(std::int32_t)));
  g->partType = static_cast<std::int32_t*>(std::calloc(2, sizeof(std::int32_t)));
  g->partStart[1] = 5;
  g->partType[0] = PartKind::Ring;
  g->partType[1] = PartKind::InnerRing;
  for (auto _ : state) {
    Terrix_Writer w;
    w.Create(path.c_str(), 2);
    w.AddFieldInfo(L"id", 3, 4, 0, 0);
    for (int i = 0; i < n; ++i) {
      FillPolygon(*g, 5.0 * i);
      TERRIX_RegInfo r{};
      r.state = 1;
      w.AddPolygonInfo(r, *g);
      w.WriteLongAttribute(i, 0, i);
    }
    w.Flush();
    w.Close();
  }
  DestroyGeometry(g);
  RemoveFile(path);
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_RegionFile)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
