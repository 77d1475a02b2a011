// TerrixLib: reads and writes the vector map files of the Terrix format.
// Including this header gives a host the whole public interface.
#pragma once

#include "terrix/CodePage.h"
#include "terrix/Export.h"
#include "terrix/FastReader.h"
#include "terrix/Functions.h"
#include "terrix/Geometry.h"
#include "terrix/Records.h"
#include "terrix/ResultCodes.h"
#include "terrix/Writer.h"
