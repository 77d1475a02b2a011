// Symbol visibility of the library's exported interface.
#pragma once

#if defined(TERRIX_BUILDING_LIBRARY)
#define TERRIX_API __attribute__((visibility("default")))
#else
#define TERRIX_API
#endif
