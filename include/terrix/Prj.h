/// @file
/// Terrix_Prj: the map project file, a list of the files that make up a map.
#pragma once

#include <cstdint>
#include <vector>

#include "terrix/Export.h"
#include "terrix/Records.h"
#include "terrix/StyleRecords.h"

namespace Terrix {

/// Loads a map project file, answers questions about the project and its items,
/// changes items in memory and writes them back into the file. Each object
/// holds its own copy of the items: copies are independent.
///
/// Item kinds cross the interface as shape type codes: 1 point, 3 line,
/// 5 region, 7 and 9 for two further kinds (stored as 1, 0, 2, 7 and 11).
/// Item indices count from 0; an index outside the loaded items is refused
/// with Result::IoError.
///
/// Texts of the file (the descriptions, item names) are 8-bit text converted
/// with the calling thread's code page (SetThreadCodePage) and handed out as
/// their first token: leading spaces are skipped and the token ends at the
/// next space. The file is open only within LoadProject and SaveProject.
/// Threads: an object is used by one thread at a time.
class TERRIX_API Terrix_Prj {
 public:
  /// A project with no items and a zero head.
  Terrix_Prj();
  /// An independent copy of the head and the items of `other`.
  /// @param other The project to copy.
  Terrix_Prj(const Terrix_Prj& other);
  /// Replaces the head and the items with copies of those of `other`.
  /// @param other The project to copy.
  /// @return This project.
  Terrix_Prj& operator=(const Terrix_Prj& other);
  /// Releases the items.
  ~Terrix_Prj();

  /// Loads the head and the items (those beyond the end of the file read as
  /// zeros): the item count (0 or more, or the stored count when it is
  /// negative, in which case nothing is loaded) on success,
  /// Result::CannotOpen, Result::BadMagic (magic or a format number other
  /// than 9) or Result::IoError on failure.
  ///
  /// On failure the object may hold part of the new project (its head, no items).
  /// @param path The file's path (converted to UTF-8 for the operating system).
  /// @return The item count; Result::CannotOpen when the file cannot be
  ///         opened; Result::BadMagic; Result::IoError when a read fails.
  std::int32_t LoadProject(const wchar_t* path);
  /// Replaces the head with the one of the existing file at `path` and writes
  /// the object's items over the file's item table. Writes at most the items
  /// both the file's head counts and the object holds; returns how many, or
  /// Result::CannotOpen, Result::IoError, Result::WriteBackFailed, or
  /// Result::NotHandled when the file's item table overlaps its head or
  /// starts past the end of the file.
  ///
  /// The file's magic and format number are not checked. A head that counts
  /// no items writes nothing and answers 0.
  /// @param path The existing project file (opened for update).
  /// @return The number of items written; Result::CannotOpen when the file
  ///         cannot be opened for update; Result::IoError when reading the
  ///         head fails; Result::NotHandled as told above;
  ///         Result::WriteBackFailed when a write fails (the items before it
  ///         are written).
  std::int32_t SaveProject(const wchar_t* path);

  /// Stores the four extent values, in head order, through the pointers given.
  /// @param extent0 Receives the first value; may be null.
  /// @param extent1 Receives the second value; may be null.
  /// @param extent2 Receives the third value; may be null.
  /// @param extent3 Receives the fourth value; may be null.
  void GetExtentInfo(double* extent0, double* extent1, double* extent2, double* extent3);
  /// The projection type; with `out`, also the projection, its coefficient at
  /// offset 52 set to 1.0 when the type is 0 or the coefficient is below 0.001.
  /// @param out Receives the projection; may be null.
  /// @return The projection type; 0: no projection.
  char GetProjectionInfo(MAP_PARAstruct* out);
  /// First token of the project description, or "NULL"; `out` holds 128 wide
  /// characters. Returns 0.
  /// @param out The caller's buffer of 128 wide characters, terminator
  ///            included; null writes nothing.
  /// @return 0.
  std::int32_t GetMpjDesc(wchar_t* out);
  /// First token of the item's description, or "NULL"; `out` holds 194 wide
  /// characters. Returns 0, or Result::IoError for an index out of range.
  /// @param index The item, from 0.
  /// @param out   The caller's buffer of 194 wide characters, terminator
  ///              included; null writes nothing.
  /// @return 0; Result::IoError for an index out of range.
  std::int32_t GetItemDesc(int index, wchar_t* out);
  /// The item's values through the pointers given and the first token of its
  /// name (or "字段名错误") into `name`, which holds 128 wide characters.
  /// Returns the item's interface kind code, 0 for a stored kind not in the
  /// table, or Result::IoError for an index out of range.
  /// @param index  The item, from 0.
  /// @param name   The caller's buffer of 128 wide characters, terminator
  ///               included; may be null.
  /// @param value1 Receives the item's first value; may be null.
  /// @param value2 Receives the item's second value; may be null.
  /// @return The interface kind code (1, 3, 5, 7 or 9), 0, or Result::IoError.
  std::int32_t GetItemInfo(int index, wchar_t* name, double* value1, double* value2);
  /// Changes an item in memory: values, name when given (cut to 127 bytes of
  /// 8-bit text), and kind when `kind` is an interface kind code. Returns the
  /// stored kind byte sign-extended, 0 with no items loaded, or
  /// Result::IoError for an index out of range.
  ///
  /// The name is converted with the thread's code page and cut at the last
  /// whole character that fits; the bytes behind its terminator stay. Nothing
  /// is written to a file: see SaveProject.
  /// @param index  The item, from 0.
  /// @param name   The new name; null keeps the old one.
  /// @param value1 The item's new first value.
  /// @param value2 The item's new second value.
  /// @param kind   An interface kind code (1, 3, 5, 7, 9); any other value
  ///               keeps the stored kind.
  /// @return The stored kind byte, sign-extended; 0 with no items loaded;
  ///         Result::IoError for an index out of range.
  std::int32_t SetItemInfo(int index, const wchar_t* name, double value1, double value2, int kind);

 private:
  /// The item at `index`, or null when it is out of range.
  PROJECTITEM* Item(int index);

  PROJECTHEAD head_;
  std::vector<PROJECTITEM> items_;
};

}  // namespace Terrix
