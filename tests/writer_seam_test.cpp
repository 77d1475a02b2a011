// Failed writes in each step of Terrix_Writer::Flush, injected through the
// file seam: the step reports -9983, the later steps still write.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "WriterTestSupport.h"
#include "core/File.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using Terrix::core::FileSeam;
using wt::FileView;

namespace {

enum Step { kHead, kGeomInfo, kGeometry, kFieldInfo, kRecords, kEndInfo, kStepCount };
const char* const kStepNames[kStepCount] = {"WriteHeadInfo",  "WriteGeomInfo",  "WriteGeometry",
                                            "WriteFieldInfo", "WriteRecordAll", "WriteEndInfo"};

/// A region file in which every step has something to write.
void Fill(wt::StepWriter& w, const std::wstring& path) {
  ASSERT_EQ(w.Create(path.c_str(), 2), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"id", 3, 4, 0, 0), 1);
  wt::OwnedGeometry rings(wt::Ramp(9), {0, 5});
  ASSERT_EQ(w.AddPolygonInfo(wt::InUseRegion(), *rings), Result::Success);
  ASSERT_TRUE(w.WriteLongAttribute(0, 0, 1));
}

std::array<std::int32_t, kStepCount> RunSteps(wt::StepWriter& w) {
  EXPECT_EQ(w.BuildMapPart(), Result::Success);
  return {w.WriteHeadInfo(),  w.WriteGeomInfo(),  w.WriteGeometry(),
          w.WriteFieldInfo(), w.WriteRecordAll(), w.WriteEndInfo()};
}

TEST(WriterSeam, EachFlushStepFailsAloneAndFlushGoesOn) {
  tb::TempDir dir;
  // The reference file, and the number of writes each step makes.
  std::array<long, kStepCount + 1> firstWriteOf{};
  {
    wt::StepWriter w;
    Fill(w, dir.WidePath("ref.wt"));
    FileSeam::Reset();
    ASSERT_EQ(w.BuildMapPart(), Result::Success);
    std::int32_t (wt::StepWriter::*steps[kStepCount])() = {
        &wt::StepWriter::WriteHeadInfo,  &wt::StepWriter::WriteGeomInfo,  &wt::StepWriter::WriteGeometry,
        &wt::StepWriter::WriteFieldInfo, &wt::StepWriter::WriteRecordAll, &wt::StepWriter::WriteEndInfo};
    for (int s = 0; s < kStepCount; ++s) {
      firstWriteOf[s] = FileSeam::WriteCount() + 1;
      ASSERT_EQ((w.*steps[s])(), Result::Success) << kStepNames[s];
      ASSERT_GT(FileSeam::WriteCount() + 1, firstWriteOf[s]) << kStepNames[s] << " writes nothing";
    }
    w.Close();
  }
  const tb::Bytes reference = tb::ReadFile(dir.Path("ref.wt"));
  FileSeam::Reset();

  for (int failing = 0; failing < kStepCount; ++failing) {
    SCOPED_TRACE(kStepNames[failing]);
    const std::string name = "fail" + std::to_string(failing) + ".wt";

    // Step by step: only the failing step reports the failure.
    wt::StepWriter stepwise;
    Fill(stepwise, dir.WidePath(name));
    FileSeam::Reset();
    FileSeam::FailWriteAt(firstWriteOf[failing]);
    const std::array<std::int32_t, kStepCount> results = RunSteps(stepwise);
    for (int s = 0; s < kStepCount; ++s)
      EXPECT_EQ(results[s], s == failing ? Result::IoError : Result::Success) << kStepNames[s];
    stepwise.Close();

    // Through Flush: the later steps still write their sections.
    wt::StepWriter flushed;
    Fill(flushed, dir.WidePath(name));
    FileSeam::Reset();
    FileSeam::FailWriteAt(firstWriteOf[failing]);
    flushed.Flush();
    flushed.Close();
    FileSeam::Reset();
    const FileView f(dir.Path(name));
    EXPECT_NE(f.bytes, reference);
    if (failing != kEndInfo) {
      EXPECT_EQ(f.bytes.size(), reference.size());
    }
    if (failing != kHead) {
      ASSERT_GE(f.bytes.size(), wt::kFirstSection);
      EXPECT_TRUE(std::equal(reference.begin(), reference.begin() + wt::kFirstSection, f.bytes.begin()));
    }
    if (failing != kRecords && failing != kFieldInfo) {
      // The attribute table (entry 9) is intact.
      const FileView ref(dir.Path("ref.wt"));
      const std::size_t at = ref.Offset(9), end = at + ref.Length(9);
      ASSERT_LE(end, f.bytes.size());
      EXPECT_TRUE(std::equal(reference.begin() + at, reference.begin() + end, f.bytes.begin() + at));
    }
  }
}

TEST(WriterSeam, FailedProjectionWriteLeavesTheWriterUsable) {
  tb::TempDir dir;
  wt::StepWriter w;
  ASSERT_EQ(w.Create(dir.WidePath("p.wt").c_str(), 1), Result::Success);
  MAP_PARAstruct p{};
  p.type = 4;
  FileSeam::Reset();
  FileSeam::FailWriteAt(1);
  w.WriteProjection(&p);  // lost on disk, kept in memory
  FileSeam::Reset();
  w.Flush();
  w.Close();
  const FileView f(dir.Path("p.wt"));
  EXPECT_EQ(f.bytes.size(), 1297u);
  EXPECT_EQ(f.At<std::uint8_t>(wt::kProjectionAt), 4);
}

}  // namespace
