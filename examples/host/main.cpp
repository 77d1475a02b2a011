// Opens a vector map file and prints its kind and element counts.
#include <TerrixLib.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  const std::string narrow = argv[1];
  const std::wstring path(narrow.begin(), narrow.end());  // ASCII paths in this example

  Terrix::Terrix_FastReader reader;
  const std::int32_t rc = reader.Open(path.c_str());
  if (rc != Terrix::Result::Success) {
    std::fprintf(stderr, "%s: %s (%d)\n", argv[1], Terrix::ResultMessage(rc), rc);
    return 1;
  }
  int points = 0, arcs = 0, polygons = 0;
  std::printf("kind %d\n", reader.GetShapeType());
  if (reader.GetPointCount(&points) >= 0) std::printf("points %d\n", points);
  if (reader.GetArcCount(&arcs) >= 0) std::printf("lines or arcs %d\n", arcs);
  if (reader.GetPolygonCount(&polygons) >= 0) std::printf("polygons %d\n", polygons);
  return 0;
}
