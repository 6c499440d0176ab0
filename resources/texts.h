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
inline constexpr char16_t kMsgNoQuarantine[] = u"无法创建用来保存原文件的文件夹：";
inline constexpr char16_t kMsgSourceMissing[] = u"（找不到）";
inline constexpr char16_t kMsgSourceUnreadable[] = u"（无法读取：";

// The outcome when something could not be done.
inline constexpr char16_t kMsgIncomplete[] = u"补丁没有全部完成，没有任何文件被删除。";
inline constexpr char16_t kMsgNotReplaced[] = u"以下文件未能替换，原文件仍在原处：";
inline constexpr char16_t kMsgKeptInVTemp[] = u"，原文件保存在：";
inline constexpr char16_t kMsgNotMoved[] = u"以下文件未能移入 vTemp，仍在原处：";
inline constexpr char16_t kMsgNotListed[] = u"以下文件夹无法读取，其中的文件没有整理：";
inline constexpr char16_t kMsgErrorPrefix[] = u"错误:";

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

}  // namespace torvane::texts

// The file description of the version resource, which Explorer shows for the program. A
// macro because torvane.rc reads it too; the resource compiler skips the C++ above.
#define TORVANE_FILE_DESCRIPTION "魔兽争霸III 1.24e 一键清理"
