// The words each front end shows for a stage of a job or a restore: the window's button
// (and its taskbar button's tooltip), and the command line's stage line for people and its
// name for tools. The texts themselves are resources/texts.h's.
#pragma once

#include <string_view>

#include "job/job_observer.h"

namespace torvane {

struct StageWords {
  std::u16string_view button;  // "正在清理多余文件…"
  std::u16string_view line;    // "整理多余文件……"
  std::u16string_view name;    // the JSON stage line's result: "tidying"
};

const StageWords& WordsOf(JobStage stage);

}  // namespace torvane
