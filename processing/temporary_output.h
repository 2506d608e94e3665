#pragma once

#include <string>

namespace processing {

// Outputs are written under a temporary name beside their final path and renamed there when
// complete, so a final name only ever holds a complete output. The temporaries' names are
// short whatever the final name (any legal name of up to 255 bytes works), say whose they are
// (a hash of the final name, and the writing process), and are removed when the run fails,
// when SIGINT, SIGTERM or SIGHUP ends the process, and, if a process died without cleaning up,
// by the next run over the same output.

// A new temporary path in the directory of `finalPath`, unique within this process and among
// running ones: ".<16 hex digits of a hash of the final name>-<pid>-<n>.brvtmp".
std::string TemporaryPathFor(const std::string& finalPath);

// Adds `path` (a file or a directory tree) to the temporaries removed if SIGINT, SIGTERM or
// SIGHUP ends the process; the handlers are installed by the first call and re-raise the
// signal after the removal, so the exit status still tells the signal. Thread-safe.
void RegisterTemporary(const std::string& path);
// After a rename or a removal: the path is no longer the process's to remove.
void UnregisterTemporary(const std::string& path);

// Removes the temporaries of `finalPath` whose writing process no longer runs (files, or
// directory trees for raw data outputs). Errors are ignored: a leftover stays a leftover.
void RemoveStaleTemporaries(const std::string& finalPath);

// The same for every output of `directory`: the temporaries of any final name whose writing
// process no longer runs.
void RemoveStaleTemporariesIn(const std::string& directory);

}  // namespace processing
