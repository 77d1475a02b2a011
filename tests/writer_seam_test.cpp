// Failed writes injected through the file seam into Terrix_Writer::Flush:
// whichever write fails, the step that made it answers -9983, every other step
// 99999, and Flush goes on with the later steps.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "WriterTestSupport.h"
#include "core/File.h"
#include "terrix/ResultCodes.h"

using namespace Terrix;
using Terrix::core::FileSeam;

namespace {

constexpr int kSteps = 6;
constexpr int kHead = 0, kGeomInfo = 1, kEndInfo = 5;
const char* const kStepNames[kSteps] = {"WriteHeadInfo",  "WriteGeomInfo",  "WriteGeometry",
                                        "WriteFieldInfo", "WriteRecordAll", "WriteEndInfo"};
using Step = std::int32_t (writer_support::StepWriter::*)();
const Step kStepCalls[kSteps] = {
    &writer_support::StepWriter::WriteHeadInfo,  &writer_support::StepWriter::WriteGeomInfo,
    &writer_support::StepWriter::WriteGeometry,  &writer_support::StepWriter::WriteFieldInfo,
    &writer_support::StepWriter::WriteRecordAll, &writer_support::StepWriter::WriteEndInfo};

/// A file of `kind` in which every step writes, with enough elements that the
/// per-element blocks and the polygon table outgrow any small output buffer.
void Fill(writer_support::StepWriter& w, const std::wstring& path, int kind) {
  constexpr int kElements = 9000;
  ASSERT_EQ(w.Create(path.c_str(), kind), Result::Success);
  ASSERT_EQ(w.AddFieldInfo(L"id", 3, 4, 0, 0), 1);
  const Terrix::GeometryHolder ring = writer_support::Geo(writer_support::Ramp(4), {0});
  for (int e = 0; e < kElements; ++e) {
    if (kind == 0) w.AddArcInfo(writer_support::InUse<TERRIX_LineInfo>(), *ring, 0);
    if (kind == 1) w.AddPointInfo(writer_support::InUsePoint(e, -e), *ring, e % 2 != 0 ? "note" : "");
    if (kind == 2) w.AddPolygonInfo(writer_support::InUse<TERRIX_RegInfo>(), *ring);
    ASSERT_TRUE(w.WriteLongAttribute(e, 0, e + 1));
  }
}

TEST(WriterSeam, EveryFailedWriteIsReportedByItsStepAndFlushGoesOn) {
  tb::TempDir dir;
  for (const int kind : {1, 0, 2, 7}) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    // The reference file, and the writes each step makes: step s makes
    // writes firstWrite[s] .. firstWrite[s + 1] - 1.
    std::array<long, kSteps + 1> firstWrite{};
    {
      writer_support::StepWriter w;
      Fill(w, dir.WidePath("ref.tmf"), kind);
      FileSeam::Reset();
      ASSERT_EQ(w.BuildMapPart(), Result::Success);
      for (int s = 0; s < kSteps; ++s) {
        firstWrite[s] = FileSeam::WriteCount() + 1;
        ASSERT_EQ((w.*kStepCalls[s])(), Result::Success) << kStepNames[s];
      }
      firstWrite[kSteps] = FileSeam::WriteCount() + 1;
    }
    // Each table of element records goes out in one write.
    EXPECT_EQ(firstWrite[kGeomInfo + 1] - firstWrite[kGeomInfo], kind == 2 ? 2 : kind == 7 ? 0 : 1);
    const tb::Bytes reference = writer_support::ReadBytes(dir.Path("ref.tmf"));

    for (long failing = 1; failing < firstWrite[kSteps]; ++failing) {
      int step = 0;
      while (failing >= firstWrite[step + 1]) ++step;
      SCOPED_TRACE("write " + std::to_string(failing) + " of " + kStepNames[step]);
      {
        writer_support::StepWriter w;
        Fill(w, dir.WidePath("steps.tmf"), kind);
        FileSeam::Reset();
        FileSeam::FailWriteAt(failing);
        ASSERT_EQ(w.BuildMapPart(), Result::Success);
        for (int s = 0; s < kSteps; ++s)
          EXPECT_EQ((w.*kStepCalls[s])(), s == step ? Result::IoError : Result::Success) << kStepNames[s];
      }
      if (failing != firstWrite[step]) continue;
      // Through Flush, failing the first write of each step.
      {
        writer_support::StepWriter w;
        Fill(w, dir.WidePath("flush.tmf"), kind);
        FileSeam::Reset();
        FileSeam::FailWriteAt(failing);
        w.Flush();
      }
      FileSeam::Reset();
      // Something is lost, and the steps after the failing one still wrote:
      // the last one reaches the end of the file.
      const tb::Bytes f = writer_support::ReadBytes(dir.Path("flush.tmf"));
      EXPECT_NE(f, reference);
      if (step != kEndInfo) {
        EXPECT_EQ(f.size(), reference.size());
      }
      if (step != kHead && f.size() >= writer_support::kFirstSection) {
        EXPECT_TRUE(
            std::equal(reference.begin(), reference.begin() + writer_support::kFirstSection, f.begin()));
      }
    }
  }
}

TEST(WriterSeam, FailedProjectionWriteIsKeptForFlush) {
  tb::TempDir dir;
  writer_support::StepWriter w;
  ASSERT_EQ(w.Create(dir.WidePath("p.tmf").c_str(), 1), Result::Success);
  MAP_PARAstruct p{};
  p.type = 4;
  FileSeam::Reset();
  FileSeam::FailWriteAt(1);
  w.WriteProjection(&p);  // lost on disk, kept in memory
  FileSeam::Reset();
  w.Flush();
  w.Close();
  const writer_support::FileView f(dir.Path("p.tmf"));
  EXPECT_EQ(f.bytes.size(), 1297u);
  EXPECT_EQ(f.At<std::uint8_t>(writer_support::kProjectionAt), 4);
}

}  // namespace
