/// @file
/// An owning handle for a Geometry container: DestroyGeometry runs when it goes.
#pragma once

#include <memory>

#include "terrix/Geometry.h"

namespace Terrix {

/// The deleter of GeometryHolder: releases a container and its arrays.
struct GeometryDeleter {
  /// Calls DestroyGeometry.
  /// @param geometry A container from CreateGeometry, or null.
  void operator()(Geometry* geometry) const { DestroyGeometry(geometry); }
};

/// A container from CreateGeometry that releases itself and its arrays.
using GeometryHolder = std::unique_ptr<Geometry, GeometryDeleter>;

/// A new, empty container in a holder. Like CreateGeometry, throws
/// std::bad_alloc when memory is exhausted.
/// @return The holder, never empty.
inline GeometryHolder MakeGeometry() {
  return GeometryHolder(CreateGeometry());
}

}  // namespace Terrix
