// A test with a fresh directory for its files and the file seam reset before
// and after, so that a planned failure never leaks into another test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "builder/MapFileBuilder.h"
#include "core/File.h"

namespace support {

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override { Terrix::core::FileSeam::Reset(); }
  void TearDown() override { Terrix::core::FileSeam::Reset(); }

  /// Writes the bytes to `name` in the test's directory; returns the wide path.
  std::wstring Write(const std::string& name, const tb::Bytes& bytes) {
    tb::WriteFile(dir.Path(name), bytes);
    return dir.WidePath(name);
  }

  tb::TempDir dir;
};

}  // namespace support
