// The project file over any input: load, every getter on every item (and the
// neighbours out of range), items changed in memory, then saved over a copy of
// the input; the saved copy must load back with the items the object held.
#include <string>

#include "FuzzInput.h"
#include "terrix/Prj.h"

namespace {

using namespace Terrix;

/// An item as the getters answer it, compared bit for bit.
std::wstring View(Terrix_Prj& project, int index) {
  wchar_t name[128] = {}, description[194] = {};
  double values[2] = {};
  const std::int32_t kind = project.GetItemInfo(index, name, &values[0], &values[1]);
  fuzz::CheckCount(kind, "GetItemInfo");
  fuzz::CheckCount(project.GetItemDesc(index, description), "GetItemDesc");
  std::wstring view(reinterpret_cast<const wchar_t*>(values), sizeof values / (sizeof(wchar_t)));
  return view + std::to_wstring(kind) + L'|' + name + L'|' + description;
}

}  // namespace

void FuzzOne(const fuzz::Input& in) {
  const fuzz::File target(in.data, in.size);
  if (target.path.empty()) return;
  Terrix_Prj project;
  const std::int32_t items = project.LoadProject(in.path);
  // A stored count of 0 or less comes back as it is.
  fuzz::CheckShort(items, "LoadProject");
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
    fuzz::CheckByte(rc, "SetItemInfo");  // the stored kind byte
  }

  const std::int32_t saved = project.SaveProject(target.path.c_str());
  fuzz::CheckCount(saved, "SaveProject");
  if (saved <= 0) return;
  Terrix_Prj reloaded;
  fuzz::CheckShort(reloaded.LoadProject(target.path.c_str()), "LoadProject");
  for (int i = 0; i < std::min(saved, 64); ++i)
    if (View(project, i) != View(reloaded, i)) fuzz::Fail("a saved item loads back changed");
}
