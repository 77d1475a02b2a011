// What the plugin's test programs share: GDAL with the plugin loaded from
// the build (also for the programs they run), the GDAL programs run through
// the shell, datasets that close themselves and the CPLErrors of a stretch.
#pragma once

#include <cpl_conv.h>
#include <cpl_error.h>
#include <dirent.h>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/Command.h"

namespace ogrtest {

inline const std::string kOgrInfo = TERRIX_OGRINFO;
inline const std::string kOgr2Ogr = TERRIX_OGR2OGR;

class GdalEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR, 1);  // for the programs run below too
    CPLSetConfigOption("GDAL_DRIVER_PATH", TERRIX_GDAL_PLUGIN_DIR);
    GDALAllRegister();
  }
};

using support::CommandRun;

// A GDAL program's run, with what it printed on both streams in `out`.
inline CommandRun Command(const std::string& command) {
  CommandRun run = support::RunCommand(command);
  run.out += run.err;
  return run;
}

// The lines a GDAL program printed for CPLError warnings.
inline std::vector<std::string> WarningsOf(const std::string& out) {
  std::vector<std::string> warnings;
  std::size_t at = 0;
  while ((at = out.find("Warning 1: ", at)) != std::string::npos) {
    const std::size_t end = out.find('\n', at);
    warnings.push_back(out.substr(at, end - at));
    at = end;
  }
  return warnings;
}

// Each expected text in exactly one warning, and no other warning.
inline void ExpectExactlyTheWarnings(const std::vector<std::string>& warnings,
                                     const std::vector<std::string>& expected, const std::string& out) {
  EXPECT_EQ(warnings.size(), expected.size()) << out;
  for (const std::string& text : expected) {
    int matches = 0;
    for (const std::string& w : warnings) matches += w.find(text) != std::string::npos ? 1 : 0;
    EXPECT_EQ(matches, 1) << "\"" << text << "\" in\n" << out;
  }
}

inline std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.emplace_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct DatasetCloser {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

inline Dataset OpenVector(const std::string& path, const char* const* openOptions = nullptr) {
  return Dataset(
      GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, openOptions, nullptr));
}

inline Dataset CreateMap(const std::string& path) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("Terrix");
  return Dataset(driver != nullptr ? driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr);
}

// The CPLErrors raised while it lives (not shown).
class ErrorLog {
 public:
  ErrorLog() { CPLPushErrorHandlerEx(Handler, this); }
  ~ErrorLog() { CPLPopErrorHandler(); }
  ErrorLog(const ErrorLog&) = delete;
  ErrorLog& operator=(const ErrorLog&) = delete;
  std::vector<std::string> Of(CPLErr level) const {
    std::vector<std::string> out;
    for (const auto& [l, m] : entries_)
      if (l == level) out.push_back(m);
    return out;
  }
  std::string All() const {
    std::string all;
    for (const auto& e : entries_) all += e.second + "\n";
    return all;
  }

 private:
  static void CPL_STDCALL Handler(CPLErr level, CPLErrorNum, const char* message) {
    static_cast<ErrorLog*>(CPLGetErrorHandlerUserData())->entries_.emplace_back(level, message);
  }
  std::vector<std::pair<CPLErr, std::string>> entries_;
};

}  // namespace ogrtest
