#include "cli/options.h"

#include "resources/texts.h"

namespace torvane::cli {
namespace {

Error Usage(std::u16string_view what, std::u16string_view argument = {}) {
  return Error{ErrorKind::kUsage, 0, std::u16string(what) + std::u16string(argument)};
}

// Sets the flag a switch names; false when it names none.
bool SetSwitch(Options& o, std::u16string_view name) {
  bool* flag = name == u"--all"        ? &o.all
               : name == u"--dry-run"  ? &o.dryRun
               : name == u"--json"     ? &o.json
               : name == u"--quiet"    ? &o.quiet
               : name == u"--no-pause" ? &o.noPause
               : name == u"--force"    ? &o.force
                                       : nullptr;
  if (flag) *flag = true;
  return flag != nullptr;
}

bool IsHelp(std::u16string_view arg) { return arg == u"--help" || arg == u"-h" || arg == u"/?"; }

}  // namespace

Result<Options> ParseArguments(const std::vector<std::u16string>& args) {
  Options o;
  for (const std::u16string& arg : args) {
    if (arg == u"--") break;
    if (IsHelp(arg)) return o;
  }
  std::vector<std::u16string> positional;
  bool optionsEnded = false;
  bool patchDirGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::u16string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != u'-' || arg == u"-") {
      positional.push_back(arg);
    } else if (arg == u"--") {
      optionsEnded = true;
    } else if (arg == u"--patch-dir" || arg.rfind(u"--patch-dir=", 0) == 0) {
      const bool inline_value = arg.size() > 11;
      if (!inline_value && i + 1 == args.size()) return Usage(texts::kCliNeedsValue, arg);
      o.patchDir = inline_value ? arg.substr(12) : args[++i];
      if (o.patchDir.empty()) return Usage(texts::kCliNeedsValue, u"--patch-dir");
      patchDirGiven = true;
    } else if (!SetSwitch(o, arg)) {
      return Usage(texts::kCliUnknownOption, arg);
    }
  }
  if (positional.empty()) return Usage(texts::kCliNoCommand);
  if (positional[0] == u"patch") {
    o.command = Command::kPatch;
  } else if (positional[0] == u"restore") {
    o.command = Command::kRestore;
  } else if (positional[0] == u"info") {
    o.command = Command::kInfo;
  } else {
    return Usage(texts::kCliUnknownCommand, positional[0]);
  }
  if (positional.size() < 2 && o.command != Command::kInfo) return Usage(texts::kCliNoPath);
  if (positional.size() > 2) return Usage(texts::kCliExtraArgument, positional[2]);
  if (positional.size() == 2) o.gamePath = positional[1];
  if (o.all && o.command != Command::kRestore) return Usage(texts::kCliOnlyRestore, u"--all");
  if (patchDirGiven && o.command == Command::kRestore) {
    return Usage(texts::kCliOnlyPatch, u"--patch-dir");
  }
  if (o.force && o.command != Command::kPatch) return Usage(texts::kCliOnlyPatch, u"--force");
  if (o.command == Command::kInfo && (o.dryRun || o.noPause)) {
    return Usage(texts::kCliNotForInfo, o.dryRun ? u"--dry-run" : u"--no-pause");
  }
  return o;
}

}  // namespace torvane::cli
