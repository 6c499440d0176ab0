// Every text the program shows, in one place. The quoted Chinese texts are the product's
// own and must stay exactly as they are (spaces and full-width punctuation included).
#pragma once

namespace torvane::texts {

// Main window.
inline constexpr char16_t kMainCaption[] = u"魔兽争霸III 1.24e （一键清理 + Torvane）";
inline constexpr char16_t kLabelCaption[] = u"魔兽主程序：";
inline constexpr char16_t kButtonCaption[] = u"一键清理多余文件 + 一键打1.24e补丁";

// Message-box titles.
inline constexpr char16_t kTitleError[] = u"错误提示";
inline constexpr char16_t kTitleInfo[] = u"提示";
inline constexpr char16_t kTitleStandby[] = u"提示! 待命状态...";

// The patch job.
inline constexpr char16_t kMsgNoPath[] = u"请先设置魔兽主程序路径！";
inline constexpr char16_t kMsgProbeFailed[] =
    u"文件操作失败，可能是杀软防火墙拦截 或 没用管理员权限运行本程序！";
inline constexpr char16_t kMsgDone[] = u"清理完成！补丁完成";

// Refusals before anything is touched.
inline constexpr char16_t kMsgWildcards[] =
    u"路径中不能含有通配符 * 或 ?，请填写魔兽主程序的完整路径！";
inline constexpr char16_t kMsgNotFullPath[] =
    u"请填写魔兽主程序的完整路径，例如 D:\\Games\\Warcraft III\\war3.exe";
inline constexpr char16_t kMsgFolderMissing[] = u"找不到魔兽主程序所在的文件夹：";
inline constexpr char16_t kMsgCheckPath[] = u"请检查路径是否正确。";
inline constexpr char16_t kMsgSourcesMissing[] =
    u"补丁文件不全，游戏文件夹没有任何改动。\r\n以下文件应放在本程序旁边的 patch 文件夹中：";
inline constexpr char16_t kMsgCannotMakeVTemp[] = u"无法创建用来保存原文件的文件夹：";
inline constexpr char16_t kMsgSourceMissing[] = u"（找不到）";
inline constexpr char16_t kMsgSourceUnreadable[] = u"（无法读取：";

inline constexpr char16_t kMsgDriveRoot[] =
    u"本程序不处理直接放在磁盘根目录（或网络共享的根目录）下的游戏，因为那样会把整个磁盘当作"
    u"游戏文件夹来整理。没有任何改动。\r\n"
    u"请把游戏移到一个文件夹中（例如 D:\\Games\\Warcraft III\\），再选择其中的 war3.exe。";
inline constexpr char16_t kMsgWindowsFolder[] =
    u"这是 Windows 系统文件夹，不是魔兽争霸III的游戏文件夹。没有任何改动。";
inline constexpr char16_t kMsgNoWar3Mpq[] =
    u"这个文件夹里没有 War3.mpq，不像是魔兽争霸III的游戏文件夹，为避免误整理其他文件，"
    u"没有任何改动。\r\n请选择游戏安装文件夹中的 war3.exe：";
inline constexpr char16_t kMsgLinkedVTemp[] =
    u"vTemp 是一个链接（联接点或符号链接），本程序不会通过链接移动文件。";
inline constexpr char16_t kMsgLinkedFolder[] =
    u"这个文件夹是一个链接（联接点或符号链接），本程序不会进入链接整理其中的文件。";
inline constexpr char16_t kMsgUnplainName[] =
    u"  文件名以点或空格结尾（或是设备名），Windows 无法按这个名字移动它，没有移动";

// The outcome when something could not be done.
inline constexpr char16_t kMsgSetUnchanged[] =
    u"补丁没有完成：版本文件一个也没有替换，游戏保持原样，也没有整理任何文件。";
inline constexpr char16_t kMsgSetFailedAt[] = u"出错的文件：";
inline constexpr char16_t kMsgTidyIncomplete[] = u"补丁已完成，但多余文件没有全部整理。";
inline constexpr char16_t kMsgCopyDiffers[] = u"复制出的文件与 patch 文件夹中的不一致";
// A move to another drive whose copy, read back, differs from the file: the file stays.
inline constexpr char16_t kMsgMovedCopyDiffers[] = u"复制到另一个磁盘的文件与原文件不一致";
inline constexpr char16_t kMsgSetNotUndone[] =
    u"补丁没有完成，而且有的文件没能恢复原样，游戏现在可能无法运行。没有删除任何原有文件："
    u"没能放回原处的原文件保存在 vTemp 文件夹中，";
inline constexpr char16_t kMsgPutBackFromMenu[] =
    u"请用窗口系统菜单中的“还原上次的修改…”把它们放回。";
inline constexpr char16_t kCliPutBackWithRestore[] =
    u"请运行 torvane-cli restore <war3.exe 的完整路径> 把它们放回。";
inline constexpr char16_t kMsgRollbackIncomplete[] = u"以下文件未能恢复原样：";
inline constexpr char16_t kMsgNotMoved[] = u"以下文件未能移入 vTemp，仍在原处：";
inline constexpr char16_t kMsgNotListed[] = u"以下文件夹无法读取，其中的文件没有整理：";
inline constexpr char16_t kMsgErrorPrefix[] = u"错误:";

// The journal: putting things back, and an interrupted job made whole.
inline constexpr char16_t kMsgGoneSince[] = u"  不见了（可能已被手动移走）";
inline constexpr char16_t kMsgNameTaken[] = u"  已被另一个文件占用，原文件仍保存在：";
inline constexpr char16_t kMsgChangedSince[] = u"  在本程序写入后已被修改，保留未删";
inline constexpr char16_t kMsgJournalUnreadable[] =
    u"无法读取本程序的操作记录，为避免弄乱文件，没有任何改动：";
inline constexpr char16_t kMsgRecoveredHead[] = u"发现上次的操作在 ";
inline constexpr char16_t kMsgRecoveredJob[] = u" 被中断（程序被关闭或电脑断电）。";
inline constexpr char16_t kMsgRecoveredRestore[] = u" 的还原被中断。再次还原即可完成。";
inline constexpr char16_t kMsgRecoveredSetBack[] =
    u"版本文件已全部恢复为原来的版本（没有混合版本）。";
inline constexpr char16_t kMsgRecoveredSetKept[] = u"版本文件完整。";
inline constexpr char16_t kMsgRecoveredMoves[] =
    u"已移入 vTemp 的文件保留在 vTemp 中，可用“还原上次的修改”放回。";
inline constexpr char16_t kMsgRecoveredNothingLost[] = u"没有任何文件丢失。";
inline constexpr char16_t kMsgNothingToRestore[] = u"没有可以还原的修改。";
inline constexpr char16_t kMsgJournalLineHead[] = u"第 ";
inline constexpr char16_t kMsgJournalLineTail[] = u" 行：";
inline constexpr char16_t kMsgJournalWhatToDo[] =
    u"请把这个文件移出 vTemp 文件夹后再试；其余能读取的操作记录仍可以用“还原上次的修改…”还原。";
inline constexpr char16_t kMsgJournalSwapped[] =
    u"这个操作记录在读取之后被换成了另一个文件或被改动过，或者它在别处还有名字（硬链接）。";
inline constexpr char16_t kMsgJournalRefused[] =
    u"本程序的操作记录中有一行指向游戏文件夹以外的文件（这个文件可能被改动过），"
    u"为避免弄乱文件，没有按它做任何改动：";
inline constexpr char16_t kMsgForeignJournal[] =
    u"vTemp 中有一份没有完成的操作记录不属于这个游戏文件夹（可能是从别处复制来的），"
    u"为避免弄乱文件，没有任何改动：";
inline constexpr char16_t kMsgAnotherJob[] =
    u"另一个清理或还原正在这个游戏文件夹上进行，请等它完成后再试。游戏文件夹没有任何改动。";
inline constexpr char16_t kMsgCannotLock[] =
    u"无法锁定这个游戏文件夹，为避免弄乱文件，没有任何改动：";
inline constexpr char16_t kMsgSetNotCommitted[] =
    u"版本文件已全部替换，但无法在操作记录中记下这一点，所以没有整理多余文件：";
inline constexpr char16_t kMsgRestoreAskHead[] = u"将还原 ";
inline constexpr char16_t kMsgRestoreAskFiles[] = u" 的修改：放回 ";
inline constexpr char16_t kMsgRestoreAskRemove[] = u" 个文件，删除本程序写入的 ";
inline constexpr char16_t kMsgRestoreAskTail[] = u" 个替换文件。确定还原吗？";
inline constexpr char16_t kMsgRestored[] = u"还原完成：放回 ";
inline constexpr char16_t kMsgRestoredRemoved[] = u" 个文件，删除 ";
inline constexpr char16_t kMsgRestoredTail[] = u" 个替换文件。";
inline constexpr char16_t kMsgRestoredPartly[] = u"还原没有全部完成，没有任何文件被删除或覆盖：";

// Before anything is touched: programs using the game, and the rights to change it.
inline constexpr char16_t kMsgProgramsRunning[] =
    u"以下程序正在使用游戏文件，请先关闭它们，然后再试一次：";
inline constexpr char16_t kMsgProcessOpen[] = u"（进程 ";
inline constexpr char16_t kMsgProcessClose[] = u"）";
inline constexpr char16_t kMsgNothingChanged[] = u"游戏文件夹没有任何改动。";
inline constexpr char16_t kMsgNoRightsHead[] = u"本程序没有修改游戏文件夹的权限：";
inline constexpr char16_t kMsgOfferAdmin[] =
    u"游戏装在受保护的文件夹（例如 Program Files）中时，需要以管理员身份运行本程序。\r\n"
    u"要以管理员身份重新启动本程序吗？";
inline constexpr char16_t kMsgCannotChange[] = u"无法修改游戏文件夹中的以下文件或文件夹：";
inline constexpr char16_t kMsgRestartFailed[] = u"无法以管理员身份启动本程序。";
// Too little room on the game's drive for the staged replacements: the drive, the
// megabytes needed and those free go between these.
inline constexpr char16_t kMsgNoSpaceHead[] = u"磁盘空间不足：打补丁需要在 ";
inline constexpr char16_t kMsgNoSpaceNeeds[] = u" 上有 ";
inline constexpr char16_t kMsgNoSpaceFree[] = u" MB 可用空间，现在只有 ";
inline constexpr char16_t kMsgNoSpaceTail[] = u" MB。请先腾出空间，然后再试一次。";

// Versions read from the game's and the patch folder's files.
inline constexpr char16_t kMsgVersionMismatch[] =
    u"patch 文件夹中的 war3.exe 和 game.dll 版本不一致，用它们打补丁后游戏可能无法启动：";
inline constexpr char16_t kMsgVersionGoOn[] = u"仍要继续吗？（选“否”则不做任何改动）";
inline constexpr char16_t kMsgAlreadyPatched[] =
    u"游戏已经是 patch 文件夹中的版本，文件夹也已整理过，再运行一次不会有任何改动：";
inline constexpr char16_t kMsgAlreadyGoOn[] = u"仍要运行吗？";
inline constexpr char16_t kMsgVersionSeparator[] = u"  版本 ";
inline constexpr char16_t kInfoGameFolder[] = u"游戏文件夹：";
inline constexpr char16_t kInfoGameVersion[] = u"游戏版本：";
inline constexpr char16_t kInfoPatchFolder[] = u"patch 文件夹：";
inline constexpr char16_t kInfoPatchVersion[] = u"patch 文件夹中的版本：";
inline constexpr char16_t kInfoNoVersion[] = u"（不详）";
inline constexpr char16_t kInfoRestorable[] = u"可以还原的修改：";
inline constexpr char16_t kInfoTimes[] = u" 次";
inline constexpr char16_t kInfoNewest[] = u"（最近一次在 ";
inline constexpr char16_t kInfoRestoreStops[] = u"还原到这里会停下，更早的修改无法还原：";
inline constexpr char16_t kInfoUnfinished[] =
    u"有一份没有完成的操作记录，下次清理或还原前会先处理它：";
inline constexpr char16_t kInfoUnreadable[] = u"无法读取的操作记录：";
inline constexpr char16_t kInfoInstalls[] = u"注册表中登记的魔兽争霸III安装位置：";
inline constexpr char16_t kInfoNoInstalls[] = u"注册表中没有登记魔兽争霸III的安装位置。";

// The window while a job runs.
inline constexpr char16_t kMsgJobRunning[] =
    u"正在处理游戏文件，请等待完成，不要关闭本程序。\r\n处理完成后窗口会自动关闭。";
inline constexpr char16_t kStageChecking[] = u"正在检查…";
inline constexpr char16_t kStageRecovering[] = u"正在修复上次中断的操作…";
inline constexpr char16_t kStageSettingAside[] = u"正在移开 msvcn80.dll…";
inline constexpr char16_t kStageStaging[] = u"正在准备补丁文件…";
inline constexpr char16_t kStageSwapping[] = u"正在替换版本文件…";
inline constexpr char16_t kStageTidying[] = u"正在清理多余文件…";
inline constexpr char16_t kStageRestoring[] = u"正在还原…";
inline constexpr char16_t kStageFinishing[] = u"即将完成…";
// While another program holds a file for a moment; the file follows, then "…". The
// command line says the same.
inline constexpr char16_t kStageWaiting[] = u"等待其他程序释放 ";

// The window's system menu.
inline constexpr char16_t kMenuRestore[] = u"还原上次的修改…";
inline constexpr char16_t kMenuOpenVTemp[] = u"打开 vTemp 文件夹";
inline constexpr char16_t kMenuVersionInfo[] = u"版本信息…";
inline constexpr char16_t kMsgNoVTemp[] =
    u"这个游戏文件夹里还没有 vTemp 文件夹（本程序还没有在这里保存过文件）：";
inline constexpr char16_t kMsgCannotOpenFolder[] = u"无法打开文件夹：";

// The path picker.
inline constexpr char16_t kDefaultFilter[] = u"所有类型 (*.*) | *.*";
inline constexpr char16_t kDefaultTitle[] = u"打开文件";
inline constexpr char16_t kMsgNotAFolder[] =
    u"注意:你选择的不是文件夹！\r\n你想选择这个文件所在的文件目录(Y/N)？";
inline constexpr char16_t kMsgWrongTypeHead[] =
    u"不能选择不适合的类型文件，或者文件夹 ！\r\n只能选择〖";
inline constexpr char16_t kMsgWrongTypeTail[] = u"〗这些类型的文件";

// The main window's font (stored for its path picker too) and the picker's stored filter.
inline constexpr char16_t kWar3Filter[] = u"war3.exe | war3.exe";
inline constexpr char16_t kSimSunFace[] = u"宋体";

// --- The command line (torvane-cli.exe): its help, usage errors and progress lines ---
inline constexpr char16_t kCliHelp[] =
    u"torvane-cli —— 魔兽争霸III 1.24e 一键清理（命令行版）\n"
    u"\n"
    u"用法：\n"
    u"  torvane-cli patch <war3.exe 的完整路径> [选项]\n"
    u"      替换版本文件并整理多余文件（与窗口中的按钮相同）。\n"
    u"  torvane-cli restore <war3.exe 的完整路径> [选项]\n"
    u"      还原上一次的修改。\n"
    u"  torvane-cli info [<war3.exe 的完整路径>] [--json] [--patch-dir <文件夹>]\n"
    u"      显示游戏文件夹、游戏和 patch 文件夹的版本、可还原的修改和注册表中找到的安装位置，\n"
    u"      不改动任何东西。\n"
    u"\n"
    u"选项：\n"
    u"  --all               （restore）依次还原所有记录下的修改，从最新的开始。\n"
    u"  --dry-run           只列出将要移动、替换、还原的文件，不改动任何东西（也不创建 vTemp）。\n"
    u"  --patch-dir <文件夹> （patch）从这个文件夹取四个替换文件（game.dll、storm.dll、\n"
    u"                      war3.exe、war3patch.mpq 直接放在其中），而不是本程序旁的 patch "
    u"文件夹。\n"
    u"  --json              每行输出一个 JSON 对象（step、path、result、error），UTF-8 编码。\n"
    u"  --quiet             只输出错误。\n"
    u"  --no-pause          跳过四次 1 秒的停顿（窗口版保留这些停顿）。\n"
    u"  --force             （patch）patch 文件夹中 war3.exe 与 game.dll 版本不一致，或游戏已是\n"
    u"                      该版本时，仍然继续（否则不做任何改动，退出代码 1）。\n"
    u"  --help              显示本说明。\n"
    u"\n"
    u"所有输出都写到标准输出；重定向到文件或管道时为 UTF-8 编码。\n"
    u"\n"
    u"退出代码：\n"
    u"  0  完成\n"
    u"  1  游戏文件夹没有改动：没有改动任何文件就停止了（路径不对、缺少替换文件、游戏正在运行、\n"
    u"     没有写入权限、磁盘空间不足、另一个操作正在进行、没有可以还原的修改），\n"
    u"     或者改动已全部撤销\n"
    u"  2  只完成了一部分（没有完成的部分已列出；没有任何文件丢失）\n"
    u"  3  命令行用法错误\n"
    u"  4  程序内部错误\n"
    u"  info 命令：0 已读取，1 路径不对\n";
inline constexpr char16_t kCliRunAsAdministrator[] =
    u"命令行不会自行提升权限：请在以管理员身份打开的命令提示符中再运行一次。";
inline constexpr char16_t kCliSeeHelp[] = u"用 torvane-cli --help 查看用法。";
inline constexpr char16_t kCliNoCommand[] = u"缺少命令（patch、restore 或 info）。";
inline constexpr char16_t kCliUnknownCommand[] = u"未知的命令：";
inline constexpr char16_t kCliUnknownOption[] = u"未知的选项：";
inline constexpr char16_t kCliNoPath[] = u"缺少 war3.exe 的路径。";
inline constexpr char16_t kCliExtraArgument[] = u"多余的参数：";
inline constexpr char16_t kCliNeedsValue[] = u"这个选项需要一个值：";
inline constexpr char16_t kCliOnlyRestore[] = u"只能用于 restore 的选项：";
inline constexpr char16_t kCliOnlyPatch[] = u"只能用于 patch 的选项：";
inline constexpr char16_t kCliNotForInfo[] = u"不能用于 info 的选项：";
inline constexpr char16_t kCliAnsweredNo[] =
    u"（命令行自动回答：否，没有任何改动；加 --force 则回答“是”）";
inline constexpr char16_t kCliInternalError[] = u"程序内部错误：";
inline constexpr char16_t kCliDryRunHead[] = u"（试运行：以下改动都不会真正进行）";
inline constexpr char16_t kCliStageChecking[] = u"检查路径和替换文件……";
inline constexpr char16_t kCliStageRecovering[] = u"发现被中断的操作，正在恢复……";
inline constexpr char16_t kCliStageSettingAside[] = u"移开 msvcn80.dll……";
inline constexpr char16_t kCliStageStaging[] = u"复制替换文件……";
inline constexpr char16_t kCliStageSwapping[] = u"替换版本文件……";
inline constexpr char16_t kCliStageTidying[] = u"整理多余文件……";
inline constexpr char16_t kCliStageRestoring[] = u"还原……";
inline constexpr char16_t kCliStageFinishing[] = u"收尾……";
inline constexpr char16_t kCliFiles[] = u"  文件：";
inline constexpr char16_t kCliAnsweredYes[] = u"（命令行自动回答：是）";
// What a dry run answers where the real call would fail: the system's own wording.
inline constexpr char16_t kCliErrNotFound[] = u"系统找不到指定的文件。";
inline constexpr char16_t kCliErrExists[] = u"当文件已存在时，无法创建该文件。";
inline constexpr char16_t kCliErrDenied[] = u"拒绝访问。";
inline constexpr char16_t kCliErrNotEmpty[] = u"目录不是空的。";
inline constexpr char16_t kCliErrTooLarge[] = u"文件大小超出允许的限制，无法保存。";

}  // namespace torvane::texts

// The file description of the version resource, which Explorer shows for the program. A
// macro because torvane.rc reads it too; the resource compiler skips the C++ above.
#define TORVANE_FILE_DESCRIPTION "魔兽争霸III 1.24e 一键清理"
