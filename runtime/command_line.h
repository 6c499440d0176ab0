// Building a command line that the platform's parser (CommandLineToArgvW, the C runtime)
// splits back into exactly the arguments it was built from.
#pragma once

#include <string>
#include <string_view>

namespace torvane {

// `argument` in double quotes, with quotes and the backslashes before them escaped.
std::u16string QuoteArgument(std::u16string_view argument);

}  // namespace torvane
