// A layer's coordinate system beside its map file: the format's projection
// bytes mean nothing to the library, so the plugin keeps the coordinate system
// in NAME.prj as WKT, and reads WKT of any dialect there (its own, and the
// ESRI WKT that shapefiles carry).
#pragma once

#include <ogr_spatialref.h>

#include <string>

namespace Terrix::Ogr {

/// NAME.prj beside NAME.EXT.
std::string SidecarPath(const std::string& mapPath);

/// The coordinate system of the file's sidecar (NAME.prj, or NAME.PRJ), with
/// GIS axis order; null when there is none. A sidecar that cannot be read as
/// a coordinate system is said once (CPLError warning).
OGRSpatialReference* ReadSidecar(const std::string& mapPath);

/// The text written for a coordinate system: WKT1 as GDAL writes it, or WKT2
/// for one that WKT1 cannot express; empty when neither can.
std::string SidecarText(const OGRSpatialReference& srs);

/// After the map file was written: writes its coordinate system beside it, or
/// (`srs` null) removes a sidecar left from a file it replaced. A NAME.prj
/// that other files of the same name share (NAME.shp beside NAME.tmf) is
/// left as it is; when it then disagrees, a warning says the coordinate
/// system is not kept and how to keep it. Answers whether the file's
/// coordinate system reads back as it is.
bool WriteSidecar(const std::string& mapPath, const OGRSpatialReference* srs);

/// The sidecar of a map file that belongs to it alone (no other file shares
/// its name), or empty.
std::string OwnSidecar(const std::string& mapPath);

/// Removes the sidecar of a map file that was removed, unless other files
/// share its name.
void RemoveSidecar(const std::string& mapPath);

}  // namespace Terrix::Ogr
