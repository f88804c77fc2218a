// The fixed texts of the generated batch file, exactly as they are written into it. The tabs
// and the double blank are part of the file that users read and that cmd.exe runs.
#ifndef SOLLUX_SCRIPT_BATCH_LITERALS_H_
#define SOLLUX_SCRIPT_BATCH_LITERALS_H_

namespace sollux {

// First line of the multi-source form.
inline constexpr wchar_t kBatchEchoOff[] = L"@echo off";
// Banner line that names the copy tool.
inline constexpr wchar_t kBatchEchoTool[] = L"\r\necho\t";
// Banner line that names a source folder or the destination.
inline constexpr wchar_t kBatchEchoFolder[] = L"\r\necho\t\t\t";
// Banner line that prints an empty line.
inline constexpr wchar_t kBatchEchoEmpty[] = L"\r\necho.";
// Banner line that shows the list-only note.
inline constexpr wchar_t kBatchEchoNote[] = L"\r\necho\t\t";
// End of the multi-source banner.
inline constexpr wchar_t kBatchEchoOn[] = L"\r\n@echo on";
// Start of the single-source banner.
inline constexpr wchar_t kBatchRemTool[] = L"rem\t";
// Between the tool name and the source in the single-source banner.
inline constexpr wchar_t kBatchRemToolSeparator[] = L"\t";
// Second line of the single-source banner.
inline constexpr wchar_t kBatchRemNote[] = L"\r\nrem\t\t\t";
// Third line of the single-source banner.
inline constexpr wchar_t kBatchRemEnd[] = L"\r\nrem";
// The note shown when files are only listed.
inline constexpr wchar_t kBatchListOnlyNote[] =
    L"Specifies that files are to be listed only (and not copied, deleted, or time stamped).";
// Changes to the temporary folder before the copies run.
inline constexpr wchar_t kBatchChangeToTemp[] = L"cd /d %Temp%";
// Prefix of every command line of the multi-source form: two blanks before the ampersand, one
// tab after it.
inline constexpr wchar_t kBatchPausedCommand[] = L"timeout /t 10  &\t";
// Short pause line.
inline constexpr wchar_t kBatchShortPause[] = L"timeout /t 10";
// Long pause line.
inline constexpr wchar_t kBatchLongPause[] = L"timeout /t 100";
// Separator of the lines and end of the text.
inline constexpr wchar_t kBatchLineBreak[] = L"\r\n";

}  // namespace sollux

#endif  // SOLLUX_SCRIPT_BATCH_LITERALS_H_
