// Recognises the files the tool handles by their magic, not by their name.
#pragma once

#include <cstddef>
#include <string>

namespace terrix {

enum class FileType { VectorMap, Project, ColorLibrary, Legend, Unknown };

/// The type that a file's first bytes announce (8 are needed).
FileType FileTypeOfMagic(const char* bytes, std::size_t length);
/// Reads the first bytes of the file. Throws ToolError when it cannot be read.
FileType DetectFileType(const std::string& path);
const char* FileTypeName(FileType type);

}  // namespace terrix
