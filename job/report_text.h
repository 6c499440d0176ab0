// The words of a report, the same for every front end: the window shows them in a message
// box with these flags and this title, the command line prints them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "job/game_info.h"
#include "job/report.h"

namespace torvane {

struct Message {
  std::u16string prompt;
  std::uint32_t flags = 0;  // the platform's message-box flags: buttons and icon
  std::u16string title;
};

// Who shows the words. The few that tell the user what to do next name that front end's
// way of doing it.
enum class Front { kWindow, kCommandLine };

// Nothing for a report whose question already said everything (a No, a restart).
std::optional<Message> MessageOf(const Report& report, Front front);

// One line of a message: the file, then why it stayed.
std::u16string LineOf(const Shortfall& shortfall);

// The stage while the work waits for another program to let go of `file`.
std::u16string WaitingText(std::u16string_view file);

// What `info` found, one fact a line, as the window's box and the command line show it.
std::u16string GameInfoText(const GameInfo& info);

}  // namespace torvane
