#include "base/link_check.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/system_api.h"

namespace sollux {
namespace {

// A stick as Windows shows it: each existing path with the path that the system names a handle
// opened by it (through a link: what the link points to; none: it cannot be opened), and its
// attributes; short names made long as listed.
class StickEntries : public RealSystemApi {
 public:
  struct Entry {
    std::wstring final_path;
    DWORD attributes = FILE_ATTRIBUTE_DIRECTORY;
  };
  std::map<std::wstring, Entry> entries;  // without the \\?\ prefix
  std::map<std::wstring, std::wstring> long_names;

  HANDLE CreateFileW(const wchar_t* path, DWORD, DWORD, DWORD, DWORD) override {
    const auto found = entries.find(Plain(path));
    if (found == entries.end() || found->second.final_path.empty()) return INVALID_HANDLE_VALUE;
    return reinterpret_cast<HANDLE>(&found->second);
  }
  DWORD GetFileAttributesW(const wchar_t* path) override {
    const auto found = entries.find(Plain(path));
    return found == entries.end() ? INVALID_FILE_ATTRIBUTES : found->second.attributes;
  }
  DWORD GetFinalPathNameByHandleW(HANDLE handle, wchar_t* path, DWORD size, DWORD) override {
    const std::wstring final_path = L"\\\\?\\" + EntryOf(handle).final_path;
    if (final_path.size() >= size) return static_cast<DWORD>(final_path.size() + 1);
    final_path.copy(path, final_path.size());
    path[final_path.size()] = L'\0';
    return static_cast<DWORD>(final_path.size());
  }
  DWORD GetLongPathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) override {
    const auto found = long_names.find(Plain(path));
    const std::wstring long_path = found == long_names.end() ? Plain(path) : found->second;
    if (long_path.size() >= size) return 0;
    long_path.copy(buffer, long_path.size());
    buffer[long_path.size()] = L'\0';
    return static_cast<DWORD>(long_path.size());
  }
  BOOL CloseHandle(HANDLE) override { return TRUE; }

 private:
  static std::wstring Plain(const std::wstring& path) {
    return path.starts_with(L"\\\\?\\") ? path.substr(4) : path;
  }
  static const Entry& EntryOf(HANDLE handle) { return *reinterpret_cast<const Entry*>(handle); }
};

// The first level that leads elsewhere is named: a junction, a link that Wine shows as a plain
// file (either's handle names another path), a link that leads nowhere (a reparse point that
// cannot be opened), a path outside the top; a short name for a long one, and levels not made
// yet, are no links.
TEST(LinkCheckTest, NamesTheFirstLevelThatLeadsElsewhere) {
  StickEntries stick;
  const std::wstring top = L"E:\\_Backup_";
  for (const wchar_t* plain :
       {L"", L"\\PC", L"\\PC\\a.txt", L"\\PC\\Program Files", L"\\PC\\Program Files\\f.txt"}) {
    stick.entries[top + plain] = {top + plain};
  }
  constexpr DWORD kLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  stick.entries[top + L"\\PC\\junction"] = {L"C:\\Users\\anna", kLink};
  stick.entries[top + L"\\PC\\dangling"] = {L"", kLink};
  stick.entries[top + L"\\PC\\junction\\x.txt"] = {L"C:\\Users\\anna\\x.txt"};
  stick.entries[top + L"\\PC\\Sollux.lock"] = {L"C:\\Users\\anna\\secret.txt"};
  stick.entries[top + L"\\PC\\PROGRA~1\\f.txt"] = {top + L"\\PC\\Program Files\\f.txt"};
  stick.long_names[top + L"\\PC\\PROGRA~1\\f.txt"] = top + L"\\PC\\Program Files\\f.txt";
  // The stick's root is trusted; _Backup_ itself may be a link (on another stick, F:).
  stick.entries[L"E:\\"] = {L"E:\\"};
  stick.entries[L"F:\\"] = {L"F:\\"};
  stick.entries[L"F:\\_Backup_"] = {L"C:\\Users\\anna\\decoy", kLink};
  stick.entries[L"F:\\_Backup_\\PC"] = {L"C:\\Users\\anna\\decoy\\PC"};
  const ScopedSystemApi scoped(stick);
  const LinkCheck check(top);
  EXPECT_EQ(L"F:\\_Backup_", LinkCheck(L"F:\\_Backup_").FirstLink(L"F:\\_Backup_\\PC\\x.txt"));
  const struct {
    std::wstring path;
    std::wstring link;
  } cases[] = {
      {top + L"\\PC\\a.txt", L""},
      {top + L"\\PC\\new\\deeper\\b.txt", L""},
      {top + L"\\PC\\PROGRA~1\\f.txt", L""},
      {top + L"\\PC\\junction\\x.txt", top + L"\\PC\\junction"},
      {L"\\\\?\\" + top + L"\\PC\\junction\\x.txt", top + L"\\PC\\junction"},
      {top + L"\\PC\\Sollux.lock", top + L"\\PC\\Sollux.lock"},
      {top + L"\\PC\\dangling\\y.txt", top + L"\\PC\\dangling"},
      {L"D:\\elsewhere", L"D:\\elsewhere"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path));
    EXPECT_EQ(c.link, check.FirstLink(c.path));
  }
}

}  // namespace
}  // namespace sollux
