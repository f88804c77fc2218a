// The diagnostic trace log: an append-only UTF-16LE text file per clock hour, in the "WC"
// folder of the scratch folder's "_trace_" folder, named after month, day and hour (MMDD_HH.txt).
// A new file starts with a byte-order mark and a header line (time, user, temporary folder,
// current directory, program path); every record is one line: time, program file name, message.
// The first record of a process also queues the trace files ten days old or more for deletion
// at process exit.
#ifndef SOLLUX_DIAG_TRACE_LOG_H_
#define SOLLUX_DIAG_TRACE_LOG_H_

#include <cstdint>
#include <vector>

#include "base/wstring.h"

namespace sollux {

// Appends one record line for `message`, its line breaks turned into TABs. False when the file
// could not be opened (the record is lost; the standard error stream says so).
bool WriteTrace(const WString& message);

// Appends `bytes` to the current hour's trace file, preceded by the mark and the header when
// the file is empty (empty bytes still open the file and start it). False when the file could
// not be opened.
bool AppendToTraceFile(const std::vector<uint8_t>& bytes);

// A copy of `text` in which every CR becomes the first character of `replacement` and every LF
// the rest of it (from its second character on).
WString FlattenLineBreaks(const WString& text, const WString& replacement);

// The code units of `text`, two bytes each, low byte first, without a terminator.
std::vector<uint8_t> WideTextBytes(const WString& text);

}  // namespace sollux

#endif  // SOLLUX_DIAG_TRACE_LOG_H_
