// The editing reader over any file, on a copy it may change: every read, then
// element records changed in memory (each read back as set), written back in
// place, and the changed file read again by the editing and the fast reader.
#include <cstring>

#include "FuzzInput.h"

namespace {

using namespace Terrix;
using R = Terrix_Reader;

/// Up to 50 elements of one kind set as read, in use, with a byte of the input
/// in the last byte (a display parameter in every record): each reads back as set.
template <typename Record, typename Read, typename Set>
void ChangeElements(R& r, int count, std::uint8_t salt, Read read, Set set, const char* what) {
  for (int i = -1; i < std::min(count, 50) + 1; ++i) {
    Record wanted{}, after{};
    (r.*read)(i, &wanted, nullptr);
    auto* bytes = reinterpret_cast<std::uint8_t*>(&wanted);
    bytes[0] = 1;
    bytes[sizeof(Record) - 1] ^= static_cast<std::uint8_t>(salt + i) | 1;
    const std::int32_t rc = (r.*set)(i, wanted);
    fuzz::Check(rc, what);
    if (rc == Result::Success && (r.*read)(i, &after, nullptr) == Result::Success &&
        std::memcmp(&wanted, &after, sizeof(Record)) != 0)
      fuzz::Fail(what);
  }
}

}  // namespace

void FuzzOne(const fuzz::Input& in) {
  support::ReadAllEdit(in.path, fuzz::Check);
  const std::uint8_t salt = in.size > 0 ? in.data[in.size / 2] : 0;
  {
    R r;
    fuzz::Check(r.Open(in.path), "Open");
    int count = 0;
    r.GetInfo(&count, nullptr, nullptr);
    ChangeElements<TERRIX_PntInfo>(r, count, salt, &R::ReadPointInfo, &R::SetPointInfo, "SetPointInfo");
    ChangeElements<TERRIX_LineInfo>(r, count, salt, &R::ReadArcInfo, &R::SetArcInfo, "SetArcInfo");
    ChangeElements<TERRIX_RegInfo>(r, count, salt, &R::ReadPolygonInfo, &R::SetPolygonInfo, "SetPolygonInfo");
    const std::int32_t written = r.WriteGeomInfo();
    if (written != Result::WriteBackFailed) fuzz::Check(written, "WriteGeomInfo");
    r.Close();
  }
  // Whatever was written, the file is still just input to the readers.
  support::ReadAllEdit(in.path, fuzz::Check);
  support::ReadAllFast(in.path, fuzz::Check);
}
