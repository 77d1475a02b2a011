/// @file
/// Symbol visibility of the library's exported interface.
#pragma once

#if defined(TERRIX_BUILDING_LIBRARY)
/// Marks a class or function as part of the exported interface. The library is
/// built with hidden visibility; only what carries this macro is exported.
#define TERRIX_API __attribute__((visibility("default")))
#else
/// Empty for a host: the declarations it sees need no visibility attribute.
#define TERRIX_API
#endif
