// Writing files so that a crash, a kill or a full disk never leaves a half file
// under a finished name, and cleaning up what killed runs left behind.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tazu::files {

// A name in the folder of `path` for the file while it is being written:
// ".tazu-{machine}-{process}-{unique}.tmp". Hidden, short (a target near the
// length limit still has one), tagged with this machine and process so that a
// later run can tell whose it is, and ending in ".tmp" so that no folder scan
// takes it for a finished picture, sound or document. A writer that picks the
// format by the name's ending is given `extension` after ".tmp" (".tmp.png"),
// still hidden and tagged, so the clean-up below knows it too.
std::string temp_path_beside(const std::string& path, std::string_view extension = {});

// True for a name that temp_path_beside makes, and for the names that earlier
// versions used (".tazu-{process}-{unique}.tmp.wav" and ".tmp.png").
bool is_temp_name(std::string_view name);

// Writes `content` to a temporary file beside `path`, checks every write,
// flushes it to the disk and renames it into place: afterwards `path` holds
// the whole content, or the call threw and nothing changed. Throws
// std::system_error (with the errno of the failing step) naming `path`.
void write_atomically(const std::string& path, std::string_view content);

// The same for a writer that needs the open file itself (one that seeks back
// to finish a header, say): `fill` writes through the descriptor, which is open
// for reading and writing, and throws on failure; it must not close it. What
// `fill` throws passes through after the temporary file is removed.
void write_atomically_with(const std::string& path, const std::function<void(int fd)>& fill);

// The same for a writer that takes a file name (an image library's save, say):
// `fill` writes the whole file under the name it is given, a temporary name
// beside `path` ending in `extension`; it is flushed to the disk and renamed
// into place. What `fill` throws passes through after the temporary file is
// removed; the file system's failures throw std::system_error naming `path`.
void write_atomically_named(const std::string& path, std::string_view extension,
                            const std::function<void(const std::string& tmp)>& fill);

// Removes the temporary files in `folder` (not below it) whose writer is gone:
// those of this machine whose process no longer runs, and any older than a day.
// Files of live writers stay. Returns the names removed; a folder that does not
// exist has none. Errors while removing are ignored: the next run tries again.
std::vector<std::string> remove_stale_temp_files(const std::string& folder);

}  // namespace tazu::files
