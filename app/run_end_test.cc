#include "app/run_end.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test/child_process.h"
#include "test/fake_machine.h"

namespace sollux {
namespace {

const HANDLE kLog = reinterpret_cast<HANDLE>(uintptr_t{21});

// A machine without a console whose event log and shell answer as a test says.
class EventMachine : public test::ScopedFakeMachine {
 public:
  bool log_opens = true;
  HRESULT bitlocker_result = S_OK;
  int bitlocker_value = 0;
  struct Event {
    WORD type;
    DWORD id;
    std::wstring text;
  };
  std::vector<Event> events;
  int logs_open = 0;

  HANDLE GetStdHandle(DWORD) override { return nullptr; }
  HANDLE RegisterEventSourceW(const wchar_t* source) override {
    if (!log_opens || std::wstring(source) != L"Sollux") return nullptr;
    ++logs_open;
    return kLog;
  }
  BOOL ReportEventW(HANDLE log, WORD type, DWORD id, const wchar_t* text) override {
    EXPECT_EQ(kLog, log);
    events.push_back({type, id, text});
    return TRUE;
  }
  BOOL DeregisterEventSource(HANDLE log) override {
    EXPECT_EQ(kLog, log);
    --logs_open;
    return TRUE;
  }
  HRESULT BitLockerProtection(const wchar_t*, int* value) override {
    *value = bitlocker_value;
    return bitlocker_result;
  }
};

// Every run ends with one event: its ID the exit code past 1000, its level by the outcome, its
// text the verdict first and then the lines; a log that cannot be opened changes nothing.
TEST(EndRunTest, OneEventOfTheOutcomeWithTheSummary) {
  const struct {
    BackupOutcome outcome;
    WORD type;
    DWORD id;
    const wchar_t* verdict;
  } cases[] = {
      {BackupOutcome::kAllInBackup, EVENTLOG_INFORMATION_TYPE, 1000, L"THE BACKUP IS GOOD"},
      {BackupOutcome::kNotRun, EVENTLOG_ERROR_TYPE, 1001, L"NOTHING WAS BACKED UP"},
      {BackupOutcome::kNotAllInBackup, EVENTLOG_ERROR_TYPE, 1002, L"THE BACKUP IS NOT COMPLETE"},
      {BackupOutcome::kLargeChange, EVENTLOG_WARNING_TYPE, 1003, L"The backup is complete, but"},
      {BackupOutcome::kOnOwnDisk, EVENTLOG_WARNING_TYPE, 1004, L"The backup is only on this PC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    for (const bool log_opens : {true, false}) {
      EventMachine machine;
      machine.log_opens = log_opens;
      testing::internal::CaptureStdout();
      EndRun(c.outcome, {L"E:\\_Backup_\\PC01", {L"a warning", L"checked"}, {L"event only"}},
             false);
      const std::string said = testing::internal::GetCapturedStdout();
      EXPECT_EQ(0, machine.logs_open);
      // The console ends with the lines, then the verdict; the event-only line is not said.
      const std::string verdict(c.verdict, c.verdict + std::wcslen(c.verdict));
      EXPECT_NE(std::string::npos, said.find("a warning\nchecked\n" + verdict));
      EXPECT_EQ(std::string::npos, said.find("event only"));
      if (!log_opens) {
        EXPECT_TRUE(machine.events.empty());
        continue;
      }
      ASSERT_EQ(1u, machine.events.size());
      EXPECT_EQ(c.type, machine.events[0].type);
      EXPECT_EQ(c.id, machine.events[0].id);
      const std::wstring& text = machine.events[0].text;
      EXPECT_EQ(0u, text.find(c.verdict));
      EXPECT_NE(std::wstring::npos, text.find(L"backup to E:\\_Backup_\\PC01\r\n"));
      EXPECT_NE(std::wstring::npos, text.find(L"\r\na warning\r\nchecked\r\nevent only"));
    }
  }
}

// The Event Viewer shows an event's text through the source's message file, Sollux.exe: its
// message table gives each ID's text as the event's one string.
TEST(EndRunTest, SolluxExeCarriesTheMessageOfEveryEvent) {
  const HMODULE program =
      ::LoadLibraryExW(test::SolluxProgram().c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(nullptr, program);
  for (DWORD id = kFirstEventId; id <= kFirstEventId + 4; ++id) {
    SCOPED_TRACE(id);
    const std::wstring given = L"THE BACKUP IS GOOD\r\nSollux 1.0 on PC01";
    DWORD_PTR strings[] = {reinterpret_cast<DWORD_PTR>(given.c_str())};
    wchar_t text[256] = {};
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, program, id,
                         0x0409, text, 256, reinterpret_cast<va_list*>(strings));
    EXPECT_EQ(given + L"\r\n", std::wstring(text, length));
  }
  ::FreeLibrary(program);
}

// Locked counts as encrypted; a value the shell does not document, or no answer (Wine), is not
// known and makes no line.
TEST(StickEncryptionTest, ShellPropertyValues) {
  const struct {
    HRESULT result;
    int value;
    Encryption expected;
  } cases[] = {
      {S_OK, 1, Encryption::kOn},      {S_OK, 6, Encryption::kOn},
      {S_OK, 2, Encryption::kOff},     {S_OK, 3, Encryption::kUnknown},
      {S_OK, 0, Encryption::kUnknown}, {E_NOTIMPL, 2, Encryption::kUnknown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EventMachine machine;
    machine.bitlocker_result = c.result;
    machine.bitlocker_value = c.value;
    EXPECT_EQ(c.expected, StickEncryption(L"E:\\"));
  }
}

constexpr int64_t kNow = 1796000000;
constexpr int64_t kDay = 24 * 60 * 60;

// The record's lines as written, read back; the console's note about an unencrypted stick at
// most once a week for that stick.
TEST(StickRecordTest, UnencryptedSaidOnceAWeekPerStick) {
  const Stick buffalo{L"BUFFALO", L"A1B2-C3D4"}, elecom{L"ELECOM", L"5E6F-7A8B"};
  const struct {
    const char* name;
    StickBackup earlier;
    bool say;
  } cases[] = {
      {"never said", {kNow - kDay, 0, buffalo, false}, true},
      {"said six days ago", {kNow - 6 * kDay, 0, buffalo, true}, false},
      {"said eight days ago", {kNow - 8 * kDay, 0, buffalo, true}, true},
      {"said of another stick", {kNow - kDay, 0, elecom, true}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<StickBackup> read = StickBackups({StickRecordLine(c.earlier)});
    ASSERT_EQ(1u, read.size());
    EXPECT_EQ(c.earlier.stick.serial, read[0].stick.serial);
    EXPECT_EQ(c.earlier.unencrypted_said, read[0].unencrypted_said);
    EXPECT_EQ(c.say, SayUnencrypted(buffalo, read, kNow));
  }
}

// Each stick by its last backup, newest first, only when the record names more than one; a run
// that copied nothing (1) is no backup of a stick.
TEST(StickRecordTest, SticksLineNamesEachStickWithItsLastBackup) {
  const Stick buffalo{L"BUFFALO", L"A1B2-C3D4"}, elecom{L"ELECOM", L"5E6F-7A8B"};
  const WStringList one = {StickRecordLine({kNow - 23 * kDay, 0, elecom, false}),
                           StickRecordLine({kNow - 3600, 1, buffalo, false})};
  EXPECT_EQ(L"", SticksLine(StickBackups(one), kNow));
  WStringList two = one;
  two.push_back(StickRecordLine({kNow - 60, 3, {L"BUFFALO", L"a1b2-c3d4"}, false}));
  two.push_back(L"not a line of the record");
  EXPECT_EQ(
      L"USB sticks with this PC's backups, and their last backup: BUFFALO (a1b2-c3d4): "
      L"today; ELECOM (5E6F-7A8B): 23 days ago",
      SticksLine(StickBackups(two), kNow));
}

// /? and /unattended anywhere after the program's name; any other argument is ignored.
TEST(ReadSwitchesTest, TwoSwitchesAndNothingElse) {
  const struct {
    WStringList arguments;
    bool usage, unattended;
  } cases[] = {
      {{L"Sollux.exe"}, false, false},
      {{L"Sollux.exe", L"/?"}, true, false},
      {{L"Sollux.exe", L"/UNATTENDED"}, false, true},
      {{L"Sollux.exe", L"--task", L"/unattended"}, false, true},
      {{L"/?", L"/x", L"-?", L"unattended"}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const RunSwitches switches = ReadSwitches(c.arguments);
    EXPECT_EQ(c.usage, switches.usage);
    EXPECT_EQ(c.unattended, switches.unattended);
  }
}

}  // namespace
}  // namespace sollux
