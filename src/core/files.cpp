#include "tazu/files.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <system_error>

namespace tazu::files {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = ".tazu-";
constexpr std::string_view kSuffix = ".tmp";

std::string hex(std::uint64_t v, int digits) {
  static const char* digit = "0123456789abcdef";
  std::string s(digits, '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) s[i] = digit[v & 0xf];
  return s;
}

// Eight hex digits that stand for this machine; processes of other machines
// writing into a shared folder have other tags.
const std::string& machine_tag() {
  static const std::string tag = [] {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    std::uint64_t h = 1469598103934665603ull;
    for (const char* p = host; *p; ++p) {
      h ^= static_cast<unsigned char>(*p);
      h *= 1099511628211ull;
    }
    return hex(h, 8);
  }();
  return tag;
}

bool all_of(std::string_view s, bool (*pred)(char)) {
  if (s.empty()) return false;
  for (char c : s)
    if (!pred(c)) return false;
  return true;
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_hex(char c) { return is_digit(c) || (c >= 'a' && c <= 'f'); }
bool is_word(char c) { return is_hex(c) || (c >= 'g' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The fields between the prefix and the end, split at "-": `tail` is what
// follows the last field (".tmp", or ".tmp.wav" and the like).
std::vector<std::string_view> fields_of(std::string_view name, std::string_view& tail) {
  std::string_view body = name.substr(kPrefix.size());
  const std::size_t tmp = body.rfind(kSuffix);
  tail = tmp == std::string_view::npos ? std::string_view() : body.substr(tmp);
  body = body.substr(0, tmp == std::string_view::npos ? body.size() : tmp);
  std::vector<std::string_view> out;
  for (std::size_t at = 0;;) {
    std::size_t dash = body.find('-', at);
    out.push_back(body.substr(at, dash == std::string_view::npos ? body.npos : dash - at));
    if (dash == std::string_view::npos) break;
    at = dash + 1;
  }
  return out;
}

struct Owner {
  bool this_machine = false;
  long pid = 0;
};

// Whose temporary file a name is. Names without a machine tag (those of the
// platform's Python writer, ".tazu-{process}-{unique}.tmp[.ext]", and of
// earlier versions) count as this machine's.
bool owner_of(std::string_view name, Owner& owner) {
  if (name.substr(0, kPrefix.size()) != kPrefix) return false;
  std::string_view tail;
  auto f = fields_of(name, tail);
  const std::string_view ext = tail.substr(std::min(tail.size(), kSuffix.size()));
  const bool plain = tail == kSuffix;
  const bool with_ext =
      ext.size() >= 2 && ext.size() <= 6 && ext[0] == '.' && all_of(ext.substr(1), is_word);
  if (!plain && !with_ext) return false;
  std::string_view pid;
  if (f.size() == 3 && f[0].size() == 8 && all_of(f[0], is_hex)) {
    owner.this_machine = f[0] == machine_tag();
    pid = f[1];
  } else if (f.size() == 2) {
    owner.this_machine = true;
    pid = f[0];
  } else {
    return false;
  }
  if (!all_of(pid, is_digit) || !all_of(f.back(), is_word) || pid.size() > 9) return false;
  std::from_chars(pid.data(), pid.data() + pid.size(), owner.pid);
  return owner.pid > 0;
}

bool process_gone(long pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

[[noreturn]] void fail(int err, const std::string& what, const std::string& path) {
  throw std::system_error(err, std::generic_category(), what + " " + path);
}

// Writes everything, going on after short writes and interrupted calls.
void write_all(int fd, std::string_view data, const std::string& path) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail(n < 0 ? errno : ENOSPC, "cannot write", path);
    data.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace

std::string temp_path_beside(const std::string& path, std::string_view extension) {
  static std::atomic<std::uint64_t> counter{0};
  // Random bits tell apart the copies of this code linked into different
  // modules of one process, whose counters start alike.
  static const std::uint64_t seed =
      (std::uint64_t(std::random_device{}()) << 32) ^ std::random_device{}();
  std::string name(kPrefix);
  name += machine_tag() + "-" + std::to_string(::getpid()) + "-";
  name += hex(seed + 0x9e3779b97f4a7c15ull * counter++, 12);
  name += kSuffix;
  name += extension;
  return (fs::path(path).parent_path() / name).string();
}

bool is_temp_name(std::string_view name) {
  Owner owner;
  return owner_of(name, owner);
}

void write_atomically_with(const std::string& path, const std::function<void(int fd)>& fill) {
  if (path.empty()) throw std::system_error(ENOENT, std::generic_category(), "empty file name");
  const std::string tmp = temp_path_beside(path);
  int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) fail(errno, "cannot create a file beside", path);
  try {
    fill(fd);
    // Flushed before the rename, so that a crash afterwards cannot leave the
    // new name pointing at an empty file.
    if (::fsync(fd) != 0 && errno != EINVAL) fail(errno, "cannot write", path);
    int fd_closing = fd;
    fd = -1;
    if (::close(fd_closing) != 0) fail(errno, "cannot write", path);
    if (::rename(tmp.c_str(), path.c_str()) != 0) fail(errno, "cannot move into place", path);
  } catch (...) {
    if (fd >= 0) ::close(fd);
    ::unlink(tmp.c_str());
    throw;
  }
}

void write_atomically(const std::string& path, std::string_view content) {
  write_atomically_with(path, [&](int fd) { write_all(fd, content, path); });
}

void write_atomically_named(const std::string& path, std::string_view extension,
                            const std::function<void(const std::string& tmp)>& fill) {
  if (path.empty()) throw std::system_error(ENOENT, std::generic_category(), "empty file name");
  const std::string tmp = temp_path_beside(path, extension);
  try {
    fill(tmp);
    int fd = ::open(tmp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail(errno, "cannot write", path);
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int err = errno;
    ::close(fd);
    if (!synced) fail(err, "cannot write", path);
    if (::rename(tmp.c_str(), path.c_str()) != 0) fail(errno, "cannot move into place", path);
  } catch (...) {
    ::unlink(tmp.c_str());
    throw;
  }
}

std::vector<std::string> remove_stale_temp_files(const std::string& folder) {
  std::vector<std::string> removed;
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  if (ec) return removed;
  const auto day_ago = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string name = it->path().filename().string();
    Owner owner;
    if (!owner_of(name, owner) || !it->is_regular_file(ec)) continue;
    const auto written = it->last_write_time(ec);
    const bool old = !ec && written < day_ago;
    if (!old && !(owner.this_machine && process_gone(owner.pid))) continue;
    if (fs::remove(it->path(), ec)) removed.push_back(name);
  }
  return removed;
}

}  // namespace tazu::files
