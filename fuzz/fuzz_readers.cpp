// libFuzzer target: every reader and every loader of the library over one
// input file. Build with clang (see the README): the sanitizers report any
// read or write outside a buffer, and an unknown result code aborts.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/ReadAll.h"
#include "terrix/ColorLib.h"
#include "terrix/Legend.h"
#include "terrix/Prj.h"
#include "terrix/Symbol.h"

namespace {

void Check(std::int32_t rc, const char* what) {
  if (!support::IsResultCode(rc)) {
    std::fprintf(stderr, "%s answered the unknown code %d\n", what, rc);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input lives in an anonymous memory file, reached through its /proc path.
  const int fd = memfd_create("terrix-fuzz", 0);
  if (fd < 0) return 0;
  if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
    close(fd);
    return 0;
  }
  const std::string narrow = "/proc/self/fd/" + std::to_string(fd);
  const std::wstring path(narrow.begin(), narrow.end());

  support::ReadAllFast(path.c_str(), Check);
  support::ReadAllMem(path.c_str(), size % 2 == 1, Check);
  support::ReadAllEdit(path.c_str(), Check);

  Terrix::Terrix_Prj project;
  const std::int32_t items = project.LoadProject(path.c_str());
  for (int i = -1; i < std::min(items, 50) + 1; ++i) {
    wchar_t name[128], desc[194];
    double v1, v2;
    project.GetItemInfo(i, name, &v1, &v2);
    project.GetItemDesc(i, desc);
  }
  Terrix::Terrix_ColorLib colors;
  const std::int32_t count = colors.LoadColors(path.c_str());
  for (int n = -1; n < std::min(count, 100) + 2; ++n) {
    colors.GetRGB(n);
    colors.GetCMYK(n);
  }
  Terrix::Terrix_Legend legend;
  const std::int32_t entries = legend.Open(path.c_str());
  for (int i = -1; i < std::min(entries, 100) + 1; ++i) {
    Terrix::TERRIX_LegendItem item;
    Terrix::PNT_INFOstruct point;
    Terrix::LIN_INFOstruct line;
    Terrix::REG_INFOstruct region;
    legend.GetLegendInfo(i, &item, &point, &line, &region);
  }
  legend.Close();
  Terrix::Terrix_Symbol symbol;
  symbol.Open(path.c_str());
  symbol.Close();
  close(fd);
  return 0;
}
