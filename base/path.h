// Path and string utilities: separators, splitting and joining, file name parts, letter case,
// shortening. Text only: nothing here asks the file system (base/file_system.h does).
#ifndef SOLLUX_BASE_PATH_H_
#define SOLLUX_BASE_PATH_H_

#include <cstdint>

#include "base/wstring.h"

namespace sollux {

// Appends `separator` unless `path` is empty or already ends in a backslash or slash.
WString WithTrailingSeparator(WString path, wchar_t separator = L'\\');
// Removes exactly one trailing backslash or slash.
WString WithoutTrailingSeparator(WString path);
WString WithoutTrailingSeparator(const wchar_t* path);
// WithoutTrailingSeparator for a path that Windows is asked about, except that a drive keeps
// its root: "D:\", "D:/" and "D:" give "D:\". Windows reads "D:" alone as the drive's current
// folder, and msvcrt's status call finds nothing there at all.
WString WithoutTrailingSeparatorBelowRoot(WString path);

// Splits at every character of `delimiters`. An element that opens with a quote character
// runs to its closing quote before a delimiter is looked for. Adjacent delimiters give empty
// elements; a trailing delimiter gives none. Scanning stops at the first NUL.
WStringList SplitText(const WString& text, const wchar_t* delimiters);
WStringList SplitAtChar(const WString& text, wchar_t separator);
WString JoinWithText(const WStringList& list, const wchar_t* separator);
WString JoinWithChar(const WStringList& list, wchar_t separator);

// Rewrites every backslash and slash as `separator` and drops empty elements after the
// second, so that a UNC prefix survives: C:/a//b/ becomes C:\a\b, //server/share/ becomes
// \\server\share.
WString NormalizeSeparators(const WString& path, wchar_t separator = L'\\');

// The text after the last backslash, else after the last slash, else the whole path.
WString FileNamePart(const WString& path);
// The file name without its last extension; "" for "", " " and names holding "?".
WString FileStem(const WString& path);

// Lower-cased by the C runtime under the process locale; cut at the first NUL.
WString ToLower(const WString& text);
bool EqualsIgnoreCase(const WString& a, const WString& b);
// `path` is `folder` or lies below it (separators either way, letter case ignored); never for
// an empty `folder`.
bool IsWithin(const WString& path, const WString& folder);

// Backslash or slash.
bool IsSeparator(wchar_t c);
// Two backslashes at the start: a network path, or a path in the \\?\ form.
bool IsUncPath(const WString& path);
// "." or "..", the entries of a folder listing that name no file.
bool IsDotEntry(const WString& name);

// The text before the last backslash, else before the last slash, else a single backslash.
WString DirectoryPart(const WString& path);
WString DirectoryPart(const wchar_t* path);

// The text after the last full stop of the file name; "" when there is none, and for the
// names "", " " and names holding "?".
WString FileExtension(const WString& path);
WString FileExtension(const wchar_t* path);

// A drive letter and a colon: "D:".
bool IsDriveDesignator(const WString& text);
// "D:", "D:\" or "D:/": a whole drive.
bool IsDriveRoot(const WString& folder);
// A path that names the same folder whatever the current folder: X:\..., a whole drive or
// \\server\share... ("Data", ".", "\Data" and "C:Data" do not).
bool IsFullPath(const WString& path);

// The root of a path: "C:" for a drive path, "\\server" (or "//server") for a network path
// that goes on below the server, otherwise "".
WString PathRoot(const WString& path);

// Fits `path` into `max_length` UTF-16 units by replacing folders after the root and the first
// folder below it with "...": C:\Users\...\Master\Patterns. A path that fits comes back as it
// is; when even the root, the first folder and the last component do not fit, the last
// component comes back alone, also when it is longer than `max_length`.
WString ShortenPath(const WString& path, size_t max_length);

// The \\?\ form of an absolute path (\\?\UNC\server\share\... for a network path), with
// separators made backslashes and "." and ".." elements resolved; a path already in that form
// as it is; "" for a relative path.
WString LongPathForm(const WString& path);
// The path in the form that opens it: the \\?\ form of an absolute path, since one past
// MAX_PATH opens only so; a relative path as it is.
WString OpenablePath(const WString& path);

}  // namespace sollux

#endif  // SOLLUX_BASE_PATH_H_
