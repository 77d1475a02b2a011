// Terrix_Reader: the editing reader, which changes element records of an
// existing file in place.
#pragma once

#include <cstdint>
#include <memory>

#include "terrix/Export.h"
#include "terrix/Geometry.h"
#include "terrix/Records.h"

namespace Terrix {

namespace detail {
struct EditReaderState;
}

/// Opens point, line, region and table files for update, reads them like the
/// fast reader (attribute records one at a time, straight from the file), and
/// writes changed element records back over the same bytes. Network files are
/// refused. Copies share the open file and every loaded table.
class TERRIX_API Terrix_Reader {
 public:
  Terrix_Reader();
  Terrix_Reader(const Terrix_Reader& other);
  Terrix_Reader& operator=(const Terrix_Reader& other);
  virtual ~Terrix_Reader();

  std::int32_t Open(const wchar_t* path);
  void Close();
  /// Element count (regions of a region file, else points or lines); see the README.
  int GetInfo(int* count, int* shapeType, int* ticCount);
  void GetExtentInfo(double* xmin, double* ymin, double* xmax, double* ymax);
  char GetProjection(MAP_PARAstruct* projection);
  std::int32_t GetTicInfo(int index, TERRIX_Tic_Info* tic);

  // Reading and changing elements.

  // Attribute access.

 protected:
  std::int32_t ReadHeadInfo();

 private:
  std::shared_ptr<detail::EditReaderState> state_;
};

}  // namespace Terrix
