// Sollux: backs up PLUMA's data folders and the user's documents with one double click. Two
// switches: /? for the usage, /unattended for the Task Scheduler; any other argument is ignored.
#include <clocale>

#include "app/planning.h"
#include "base/console.h"
#include "base/program.h"
#include "base/ui_text.h"

int wmain(int argc, wchar_t** argv, wchar_t** /*envp*/) {
  // The user's locale governs the C runtime's lower-casing and wide-to-multibyte conversions.
  std::setlocale(LC_ALL, "");
  sollux::SetArgumentList(argc, argv);
  const sollux::RunSwitches switches = sollux::ReadSwitches(sollux::ArgumentList());
  if (switches.usage) {
    sollux::OutputLine(sollux::Say(sollux::Text::kUsage, {sollux::ProgramVersion()}));
    return 0;
  }
  // A scheduled task shows the exit code: 1 when the batch file was not written or not run (or
  // another backup to the stick was running), 2 when files are not in the backup, 3 when all
  // is in but a folder's backup changed much (its old files are kept as versions), 4 when all is
  // in but on the PC's own disk, since no stick was plugged in.
  return static_cast<int>(sollux::PlanBackup(switches));
}
