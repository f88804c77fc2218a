// Sollux-restore's session, in two ways: one file's version, found by its name, back beside
// the original (file_way.cc), or a whole folder as it was at a backup (restore_session.cc).
// Each question may go back to the one before; what a switch gives is not asked.
#ifndef SOLLUX_RESTORE_SESSION_H_
#define SOLLUX_RESTORE_SESSION_H_

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "base/wstring.h"
#include "restore/backup_catalog.h"
#include "restore/restore_plan.h"
#include "restore/restore_session.h"
#include "restore/restorer.h"
#include "store/run_name.h"

namespace sollux {

struct Computer {
  BackupLocation location;
  WString name;
};

// What is not restored beside the copier's failures: files whose names cannot be written, and
// folders of the backup that are not offered.
struct Unrestored {
  uint64_t files = 0;
  uint64_t folders = 0;
  WStringList lines;

  void Add(const WString& line) {
    files += 1;
    lines.push_back(line);
  }
};

// One restore, as the preview says it and the copying does it.
struct Plan {
  WString what;  // the folders, or the file's original path
  WString when;  // the backup, as people say it
  WString where;
  std::vector<RestoreFile> files;
  Unrestored unrestored;
  WString aside;           // the folder that what is there is moved into; "" for none
  bool missing_only = false;  // files there are left as they are
  bool new_folder = false;    // `where` is a folder made for the restore
};

// A step of a way: the next step, the one before, or the end with an exit code.
enum class Step { kNext, kBack, kEnd };

// Say `line` on the error stream, for a choice that then has none, or a way that ends there.
std::nullopt_t Refuse(const WString& line);
Step End(const WString& line);
// The path that `target` names, relative to the working folder too; "" for none.
WString FullPath(const WString& target);
bool Exists(const WString& path);

class Session {
 public:
  explicit Session(const RestoreArguments& args);
  RestoreExit Run();

 private:
  std::optional<Computer> ChooseComputer();
  // The ways; nullopt when the person went back before their first question.
  std::optional<RestoreExit> FolderWay(const BackupCatalog& catalog);
  std::optional<RestoreExit> FileWay(const BackupCatalog& catalog);

  // The whole-folder way's steps.
  Step ChooseBackup(const std::vector<Backup>& backups, std::optional<Backup>* chosen);
  Step ChooseFolders(const BackupCatalog& catalog, const Backup& backup,
                     std::vector<BackedUpFolder>* chosen);
  Step ChooseWhere(const Backup& backup, WString* where);
  std::optional<Plan> FolderPlan(const BackupCatalog& catalog, const Backup& backup,
                                 const std::vector<BackedUpFolder>& folders, const WString& where);

  // The one-file way's steps (file_way.cc). A version is chosen with the backup whose date
  // names it.
  using ChosenVersion = std::pair<const FileVersion*, size_t>;
  Step FindFiles(const BackupCatalog& catalog, std::vector<FoundFile>* found,
                 std::optional<RestoreExit>* exit);
  Step ChooseFile(const std::vector<FoundFile>& found, const FoundFile** chosen);
  Step ChooseVersions(const BackupCatalog& catalog, const FoundFile& file,
                      std::vector<ChosenVersion>* chosen);
  std::optional<Plan> VersionPlan(const BackupCatalog& catalog, const FoundFile& file,
                                  const std::vector<ChosenVersion>& versions);
  void ListFound(const BackupCatalog& catalog, const std::vector<FoundFile>& found) const;
  WString VersionLine(const BackupCatalog& catalog, const FileVersion& version) const;
  // Where a file of a backed-up folder is on this PC now.
  WString PlaceOnThisPc(const FoundFile& file) const;

  // Both ways' end: the preview, the question, the copying and the summary.
  Step Go(const Plan& plan, std::optional<RestoreExit>* exit);
  void Preview(const Plan& plan) const;
  RestoreExit Summary(const Plan& plan, const RestoreOutcome& outcome);
  void OfferToOpen(const Plan& plan, RestoreExit exit) const;
  // The text that refuses `target`, on the stick's drive or in a backup; none when it is fine.
  std::optional<WString> Refused(const WString& target) const;
  WString Spoken(const RunName& run) const;
  // Whether a person answers the questions: not with /yes or /list.
  bool Asking() const { return !args_.yes && !args_.list; }

  const RestoreArguments args_;
  const WString stamp_;
  const LocalStamp today_;
  std::vector<BackupLocation> locations_;  // every one found, on the sticks and on this PC
  std::vector<RunName> names_;             // of the backups that can be rebuilt
  Computer computer_;
  bool all_folders_ = false;   // every folder of the backup was asked for
  bool missing_only_ = false;  // in place, only the files that are no longer there
};

}  // namespace sollux

#endif  // SOLLUX_RESTORE_SESSION_H_
