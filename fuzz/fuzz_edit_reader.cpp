// The editing reader over any file, on a copy it may change: every read, then
// element records changed in memory (each read back as set), written back in
// place, and the changed file read again by the editing and the fast reader.
#include <cstring>

#include "FuzzInput.h"

namespace {

using namespace Terrix;

/// The record of element i as read, marked in use and with one byte of the
/// input folded into its display parameters.
template <typename Record>
Record Changed(const Record& read, std::uint8_t salt) {
  Record r = read;
  auto* bytes = reinterpret_cast<std::uint8_t*>(&r);
  bytes[0] = 1;                           // state: in use
  bytes[sizeof(Record) - 1] ^= salt | 1;  // the last byte is a display parameter in every record
  return r;
}

template <typename Record>
void ExpectSame(const Record& set, const Record& read, const char* what) {
  if (std::memcmp(&set, &read, sizeof(Record)) != 0) fuzz::Fail(what);
}

/// Changes up to 50 elements of one kind through Set / Read member pairs.
template <typename Record, typename Read, typename Set>
void ChangeElements(Terrix_Reader& r, int count, std::uint8_t salt, Read read, Set set, const char* what) {
  for (int i = -1; i < std::min(count, 50) + 1; ++i) {
    Record before{};
    (r.*read)(i, &before, nullptr);
    const Record wanted = Changed(before, static_cast<std::uint8_t>(salt + i));
    const std::int32_t rc = (r.*set)(i, wanted);
    fuzz::Check(rc, what);
    if (rc != Result::Success) continue;
    Record after{};
    if ((r.*read)(i, &after, nullptr) == Result::Success) ExpectSame(wanted, after, what);
  }
}

}  // namespace

TERRIX_FUZZ_FILE(path, data, size) {
  support::ReadAllEdit(path, fuzz::Check);

  const std::uint8_t salt = size > 0 ? data[size / 2] : 0;
  {
    Terrix_Reader r;
    fuzz::Check(r.Open(path), "Open");
    int count = 0;
    r.GetInfo(&count, nullptr, nullptr);
    ChangeElements<TERRIX_PntInfo>(r, count, salt, &Terrix_Reader::ReadPointInfo,
                                   &Terrix_Reader::SetPointInfo, "SetPointInfo");
    ChangeElements<TERRIX_LineInfo>(r, count, salt, &Terrix_Reader::ReadArcInfo, &Terrix_Reader::SetArcInfo,
                                    "SetArcInfo");
    ChangeElements<TERRIX_RegInfo>(r, count, salt, &Terrix_Reader::ReadPolygonInfo,
                                   &Terrix_Reader::SetPolygonInfo, "SetPolygonInfo");
    const std::int32_t written = r.WriteGeomInfo();
    if (written != Result::WriteBackFailed) fuzz::Check(written, "WriteGeomInfo");
    r.Close();
  }
  // Whatever was written, the file is still just input to the readers.
  support::ReadAllEdit(path, fuzz::Check);
  support::ReadAllFast(path, fuzz::Check);
}
