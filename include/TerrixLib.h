/// @file
/// TerrixLib: reads and writes the vector map files of the Terrix format.
///
/// Including this header gives a host the whole public interface. The
/// concepts shared by every part of it (file kinds, element numbering, attribute
/// tables, code pages, result codes, who frees what, threads) are described on
/// the main page of this documentation.
#pragma once

#include "terrix/CodePage.h"
#include "terrix/ColorLib.h"
#include "terrix/Export.h"
#include "terrix/FastReader.h"
#include "terrix/FileHooks.h"
#include "terrix/FileKind.h"
#include "terrix/Functions.h"
#include "terrix/Geometry.h"
#include "terrix/GeometryHolder.h"
#include "terrix/Legend.h"
#include "terrix/MemReader.h"
#include "terrix/Prj.h"
#include "terrix/Reader.h"
#include "terrix/Records.h"
#include "terrix/ResultCodes.h"
#include "terrix/StyleRecords.h"
#include "terrix/Symbol.h"
#include "terrix/Writer.h"
