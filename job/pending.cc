// Operations of BackupJob that are not built yet. Each one stops the program with a message
// rather than pretending that it did its work.
#include <cstdio>
#include <cstdlib>

#include "job/backup_job.h"

namespace sollux {
namespace {

[[noreturn]] void NotBuilt(const char* operation) {
  std::fprintf(stderr, "BackupJob::%s is not built yet\n", operation);
  std::fflush(stderr);
  std::abort();
}

}  // namespace

bool BackupJob::Run(int, bool) { NotBuilt("Run"); }

}  // namespace sollux
