#include "job/stage_words.h"

#include <cstddef>
#include <iterator>

#include "resources/texts.h"

namespace torvane {
namespace {

struct Row {
  JobStage stage;
  StageWords words;
};

// In the order of JobStage, so that a stage's words are found at its own index.
constexpr Row kRows[] = {
    {JobStage::kChecking, {texts::kStageChecking, texts::kCliStageChecking, u"checking"}},
    {JobStage::kRecovering, {texts::kStageRecovering, texts::kCliStageRecovering, u"recovering"}},
    {JobStage::kSettingAside,
     {texts::kStageSettingAside, texts::kCliStageSettingAside, u"setting-aside"}},
    {JobStage::kStaging, {texts::kStageStaging, texts::kCliStageStaging, u"staging"}},
    {JobStage::kSwapping, {texts::kStageSwapping, texts::kCliStageSwapping, u"swapping"}},
    {JobStage::kTidying, {texts::kStageTidying, texts::kCliStageTidying, u"tidying"}},
    {JobStage::kRestoring, {texts::kStageRestoring, texts::kCliStageRestoring, u"restoring"}},
    {JobStage::kFinishing, {texts::kStageFinishing, texts::kCliStageFinishing, u"finishing"}},
};

constexpr bool EveryStageAtItsIndex() {
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    if (static_cast<std::size_t>(kRows[i].stage) != i) return false;
  }
  return std::size(kRows) == static_cast<std::size_t>(JobStage::kFinishing) + 1;
}
static_assert(EveryStageAtItsIndex(), "one row per stage, in the order of JobStage");

}  // namespace

const StageWords& WordsOf(JobStage stage) { return kRows[static_cast<std::size_t>(stage)].words; }

}  // namespace torvane
