// The batch script's helpers on generated hostile texts (test/random_text.h): shortening, file
// name characters, escaping for cmd.exe, and the per-computer backup folder.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <limits>

#include "base/folders.h"
#include "base/path.h"
#include "base/text.h"
#include "script/batch_escape.h"
#include "script/batch_script.h"
#include "script/path_rewrite.h"
#include "script/script_file_name.h"
#include "test/cmd_model.h"
#include "test/fake_machine.h"
#include "test/property_check.h"
#include "test/random_text.h"

namespace sollux {
namespace {

using test::InputCount;
using test::Property;
using test::RandomText;
using test::SeedFor;

WString UpToNul(const WString& text) { return WString(text.c_str()); }

// Characters that a Windows file name cannot hold.
bool ForbiddenInFileName(wchar_t c) {
  return c < 0x20 || std::wcschr(L"<>:\"/\\|?*", c) != nullptr;
}

// "~" and eight hexadecimal digits somewhere in `name`.
bool HasDigest(const WString& name) {
  for (size_t k = name.find(L'~'); k != WString::npos; k = name.find(L'~', k + 1)) {
    if (k + 9 <= name.size() &&
        name.substr(k + 1, 8).find_first_not_of(L"0123456789abcdef") == WString::npos) {
      return true;
    }
  }
  return false;
}

// A limit for ShortenPath: around the path's length, zero, or without any effect.
size_t RandomLimit(RandomText& random, const WString& path) {
  if (random.OneIn(20)) return 0;
  if (random.OneIn(20)) return std::numeric_limits<size_t>::max();
  return random.Below(path.size() + 10);
}

TEST(ScriptPropertyTest, ShortenedPathsFitTheLimit) {
  RandomText random(SeedFor("ShortenPath"));
  Property fits("ShortenPath fits the limit unless it answers the file name alone");
  Property root("PathRoot is the path's drive, or its server up to a separator");
  for (size_t i = InputCount(150000); i > 0; --i) {
    const WString path = random.Any();
    const size_t limit = RandomLimit(random, path);
    fits.SetContext("limit " + std::to_string(limit));
    fits.Try(path, [&] {
      const WString shortened = ShortenPath(path, limit);
      fits.Expect(shortened.size() <= limit || shortened == FileNamePart(path), "too long");
      if (limit >= path.size()) fits.Expect(shortened == path, "a path that fits changed");
    });
    root.Try(path, [&] {
      const WString r = PathRoot(path);
      root.Expect(path.starts_with(r), "not the beginning of the path");
      // The server name may be empty (\\\\\\x), and holds slashes when a backslash follows
      // them (\\\\a/b\\c): a backslash is looked for first.
      const bool drive = r.size() == 2 && r[1] == L':';
      const bool server = r.size() >= 2 && IsSeparator(r[0]) && r[0] == r[1] &&
                          r.size() < path.size() && IsSeparator(path[r.size()]) &&
                          r.find(L'\\', 2) == WString::npos;
      root.Expect(r.empty() || drive || server, "neither drive nor server");
    });
  }
}

TEST(ScriptPropertyTest, FileNamesHoldNoForbiddenCharacter) {
  RandomText random(SeedFor("ToFileNameChars"));
  Property chars("ToFileNameChars leaves no character that a file name forbids");
  Property fit("FitScriptFileName fits the limit, keeping the start, the end and a digest");
  for (size_t i = InputCount(150000); i > 0; --i) {
    const WString text = random.Any();
    chars.Try(text, [&] {
      const WString name = ToFileNameChars(text);
      chars.Expect(name.size() == text.size(), "length changed");
      for (const wchar_t c : name) {
        if (!chars.Expect(!ForbiddenInFileName(c), "forbidden character left")) break;
      }
    });
    const WString name = random.OneIn(2) ? L"RC_" + text + L"_smirfft.bat" : text;
    const size_t limit = random.Below(name.size() + 20);
    fit.SetContext("limit " + std::to_string(limit));
    fit.Try(name, [&] {
      const WString fitted = FitScriptFileName(name, limit);
      if (name.size() <= limit) {
        fit.Expect(fitted == name, "a name that fits changed");
        return;
      }
      // Too short a limit leaves the name as it is rather than make it longer.
      fit.Expect(fitted.size() <= limit || fitted.size() <= name.size(), "lengthened");
      if (fitted == name) return;
      fit.Expect(HasDigest(fitted), "no digest");
      if (name.starts_with(L"RC_")) fit.Expect(fitted.starts_with(L"RC_"), "start lost");
      if (name.ends_with(L"_smirfft.bat")) {
        // The switch letters go only where the digest leaves no room for them.
        const WString end = limit >= 3 + 9 + 12 ? L"_smirfft.bat" : L".bat";
        fit.Expect(fitted.ends_with(end), "end lost");
        fit.Expect(limit < 3 + 9 + 4 || fitted.size() <= limit, "fits, but longer than the limit");
      }
    });
  }
}

// Echo lines show exactly what they name and run nothing; a quoted folder reaches the program
// exactly. Control characters, and a double quote within a quoted folder, become "_".
TEST(ScriptPropertyTest, EscapedTextsReadBackThroughCmd) {
  RandomText random(SeedFor("EscapeForEcho"));
  Property echo("an escaped echo text shows the text and runs nothing");
  Property quoted("a quoted folder reaches the program whole");
  for (size_t i = InputCount(60000); i > 0; --i) {
    const WString text = random.OneIn(500) ? random.Text(40000) : random.Any();
    const WString read = test::ReadThroughShiftJis(text);
    echo.Try(text, [&] {
      WString expected = read;
      for (wchar_t& c : expected) {
        if (c < 0x20) c = L'_';
      }
      WString shown;
      echo.Expect(test::EchoShows(test::ReadThroughShiftJis(EscapeForEcho(text)), &shown),
                  "cmd.exe would act on it");
      echo.Expect(shown == expected, "shows something else");
    });
    quoted.Try(text, [&] {
      WString expected = read;
      for (wchar_t& c : expected) {
        if (c < 0x20 || c == L'"') c = L'_';
      }
      WString argument;
      quoted.Expect(test::QuotedArgument(test::ReadThroughShiftJis(QuotedFolder(text)), &argument),
                    "not one argument");
      quoted.Expect(argument == expected, "another argument");
    });
  }
}

// No element made only of full stops and blanks below the backup folder, so that nothing in
// the source or the computer's name climbs out of it.
bool StaysBelow(const WString& rest) {
  size_t start = 0;
  for (size_t k = 0; k <= rest.size(); ++k) {
    if (k < rest.size() && !IsSeparator(rest[k])) continue;
    const WString element = rest.substr(start, k - start);
    if (element.find(L'.') != WString::npos && element.find_first_not_of(L". ") == WString::npos) {
      return false;
    }
    start = k + 1;
  }
  return true;
}

TEST(ScriptPropertyTest, BackupFolderOfEverySourceLiesBelowIt) {
  test::ScopedFakeMachine machine;
  test::StageRandomMachine(machine);
  RandomText random(SeedFor("BackupDestinationFor"));
  Property below("BackupDestinationFor answers a path below a _Backup_ destination");
  Property other("BackupDestinationFor leaves any other destination as it is, unquoted");
  const WStringList names = {L"PC01", L"..", L".", L"...", L"a\\..\\..", L"", L"x:y", L"%Temp%"};
  for (size_t i = InputCount(100000); i > 0; --i) {
    const WString source = random.Any();
    machine.computer_name = random.OneIn(2) ? random.Pick(names) : random.Text(random.Below(20));
    machine.variables[L"COMPUTERNAME"] = random.OneIn(2) ? random.Pick(names) : random.Text();
    WString destination = random.Path() + random.Pick(WStringList{L"\\", L"/", L"\\\\"}) +
                          random.Pick(WStringList{L"_Backup_", L"_BACKUP_", L"_backup_"});
    if (random.OneIn(5)) destination = L'"' + destination + L'"';
    below.SetContext(destination);
    below.Try(source, [&] {
      // A slash after the last backslash keeps the last name from being the backup folder's.
      if (!EqualsIgnoreCase(FileNamePart(Unquote(UpToNul(destination))), kBackupFolderName)) return;
      const WString backup = NormalizeSeparators(Unquote(UpToNul(destination)), L'\\');
      const WString result = BackupDestinationFor(source.c_str(), destination.c_str());
      const bool inside = result.size() > backup.size() && result.starts_with(backup) &&
                          result[backup.size()] == L'\\';
      below.Expect(inside || result == backup, "not below the backup folder");
      below.Expect(StaysBelow(result.substr(std::min(result.size(), backup.size()))),
                   "climbs out of the backup folder");
    });
    const WString plain = random.Any();
    other.SetContext(plain);
    other.Try(source, [&] {
      const WString dest = Unquote(UpToNul(plain));
      if (EqualsIgnoreCase(FileNamePart(dest), kBackupFolderName)) return;
      other.Expect(BackupDestinationFor(source.c_str(), plain.c_str()) == dest, "changed");
    });
  }
}

}  // namespace
}  // namespace sollux
