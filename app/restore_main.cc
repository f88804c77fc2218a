// Sollux-restore: puts a backed-up folder back as it was at any backup, and destroys nothing.
#include <clocale>

#include "base/program.h"
#include "restore/restore_session.h"

int wmain(int argc, wchar_t** argv, wchar_t** /*envp*/) {
  std::setlocale(LC_ALL, "");
  sollux::SetArgumentList(argc, argv);
  // 0: every file restored; 1: nothing done (the reason on one line); 2: files not restored.
  sollux::WStringList arguments = sollux::ArgumentList();
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return static_cast<int>(sollux::RunRestore(arguments));
}
