// The project file over any input: load, every getter on every item (and the
// neighbours out of range), items changed in memory, then saved over a copy of
// the input; the saved copy must load back with the items the object held.
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "terrix/Prj.h"

namespace {

using namespace Terrix;

struct ItemView {
  std::int32_t kind;
  double value1, value2;
  std::wstring name, description;
};

ItemView View(Terrix_Prj& project, int index) {
  ItemView v{};
  wchar_t name[128] = {}, description[194] = {};
  v.kind = project.GetItemInfo(index, name, &v.value1, &v.value2);
  fuzz::CheckCount(v.kind, "GetItemInfo");
  fuzz::CheckCount(project.GetItemDesc(index, description), "GetItemDesc");
  v.name = name;
  v.description = description;
  return v;
}

bool Same(const ItemView& a, const ItemView& b) {
  return a.kind == b.kind && std::memcmp(&a.value1, &b.value1, sizeof(double)) == 0 &&
         std::memcmp(&a.value2, &b.value2, sizeof(double)) == 0 && a.name == b.name &&
         a.description == b.description;
}

}  // namespace

TERRIX_FUZZ_FILE(path, data, size) {
  fuzz::InputFile target(data, size);
  if (!target.Ok()) return;
  Terrix_Prj project;
  const std::int32_t items = project.LoadProject(path);
  // A stored count of 0 or less comes back as it is.
  fuzz::CheckRange(items, INT16_MIN, INT16_MAX, "LoadProject");
  double extent[4];
  project.GetExtentInfo(&extent[0], &extent[1], &extent[2], &extent[3]);
  MAP_PARAstruct projection;
  project.GetProjectionInfo(&projection);
  project.GetProjectionInfo(nullptr);
  wchar_t description[128];
  project.GetMpjDesc(description);
  const int shown = std::min(items, 64);
  for (int i = -1; i <= shown; ++i) View(project, i);

  // Every interface kind, a name of several words, odd values.
  const int kinds[] = {0, 1, 2, 3, 4, 5, 6, -1};
  for (int i = -1; i <= std::min(shown, 8); ++i) {
    const std::int32_t rc =
        project.SetItemInfo(i, i % 2 == 0 ? L"名称 two words" : nullptr, -0.0, 1e308 * i, kinds[(i + 8) % 8]);
    fuzz::CheckRange(rc, -128, 127, "SetItemInfo");  // the stored kind byte
  }

  const std::int32_t saved = project.SaveProject(target.Path());
  fuzz::CheckCount(saved, "SaveProject");
  if (saved > 0) {
    Terrix_Prj reloaded;
    fuzz::CheckRange(reloaded.LoadProject(target.Path()), INT16_MIN, INT16_MAX, "LoadProject");
    for (int i = 0; i < std::min(saved, 64); ++i)
      if (!Same(View(project, i), View(reloaded, i))) fuzz::Fail("a saved item loads back changed");
  }
}
