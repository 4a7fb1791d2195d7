// File paths as text, spelled the way POSIX Python's os.path spells them, so
// that a path the host wrote and the path the module computes compare alike.
#pragma once

#include <string>
#include <string_view>

namespace tazu::paths {

// os.path.join(base, path): `path` itself when it is absolute, else `base`
// and `path` with one "/" between them.
std::string join(std::string_view base, std::string_view path);

// os.path.normpath: "." and empty parts dropped, ".." taking away the part
// before it (at the root it goes; at the start of a relative path it stays),
// exactly two leading slashes kept as two, and "." for nothing left. Purely
// lexical: "a/b/.." is "a" even when b is a link.
std::string normalize(std::string_view path);

// Whether two spellings name one file: equal once each is joined to `base`
// (the working directory they are relative to) and normalised.
bool same_file(std::string_view base, std::string_view a, std::string_view b);

// os.path.exists: the file system knows the path. The empty path and a path
// holding a NUL byte do not exist; any failure to look is "no".
bool exists(std::string_view path);

}  // namespace tazu::paths
