// The words of a report, the same for every front end, and the tone they are said in. The
// window chooses a box's look from the tone, the command line whether a line is an error;
// neither looks at the words to decide anything.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "job/game_info.h"
#include "job/report.h"

namespace torvane {

// How the words sound. A warning or a stop is an error the user has to act on: a stop
// refuses what was asked as it was given, a warning says what stands in the way or was
// not done. A question's safe answer is No; an offer that is asked (to start as
// administrator) keeps the tone of the trouble it offers a way out of.
enum class Tone { kInformation, kWarning, kStop, kQuestion };
inline bool IsError(Tone tone) { return tone == Tone::kWarning || tone == Tone::kStop; }

struct Words {
  std::u16string text;
  Tone tone = Tone::kInformation;
};

// Who shows the words. The few that tell the user what to do next name that front end's
// way of doing it.
enum class Front { kWindow, kCommandLine };

// Nothing for a report whose question already said everything (a No, a restart).
std::optional<Words> WordsOf(const Report& report, Front front);

// One line of a message: the file, then why it stayed.
std::u16string LineOf(const Shortfall& shortfall);

// The stage while the work waits for another program to let go of `file`.
std::u16string WaitingText(std::u16string_view file);

// What `info` found, one fact a line, as the window's box and the command line show it.
std::u16string GameInfoText(const GameInfo& info);

}  // namespace torvane
