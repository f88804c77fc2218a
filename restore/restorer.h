// Copies files from a backup to the PC, never over a file that is there: one that is the same
// already is left alone, one that differs is first moved aside. Every copy is read back.
// Nothing on the PC is deleted and nothing on the stick is written.
#ifndef SOLLUX_RESTORE_RESTORER_H_
#define SOLLUX_RESTORE_RESTORER_H_

#include <cstdint>
#include <vector>

#include "base/win.h"
#include "base/wstring.h"

namespace sollux {

struct RestoreFile {
  WString source;  // on the stick
  WString target;  // on the PC
  WString aside;   // where what is at `target` goes first; "" when nothing is there
  uint64_t size = 0;
  uint64_t write_time = 0;
  DWORD attributes = 0;
  bool same = false;   // the file there is the same already
  bool there = false;  // something is there, and only what is missing comes back
};

struct RestoreOutcome {
  uint64_t restored = 0;
  uint64_t bytes = 0;
  uint64_t failed = 0;
  WStringList failed_lines;  // the first kNamedProblemLimit
  bool stick_gone = false;
};

// Looks at each target that has an `aside` (a file without one lies in a folder that is not
// there): sets `same` when the file there is the same already, and keeps `aside` only when
// another file or a folder is there; with `missing_only`, sets `there` instead, and nothing is
// moved aside.
void LookAtTargets(std::vector<RestoreFile>* files, bool missing_only = false);

// Copies what is to be copied (neither `same` nor `there`); `stick_root` ("E:\") is asked when a read fails, and a stick
// that no longer answers ends the restore.
RestoreOutcome CopyFiles(const std::vector<RestoreFile>& files, const WString& stick_root);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_RESTORER_H_
