// Where the settings store lives, and that nobody but its user can reach or redirect it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

#include "host/settings_store.h"
#include "tovdock/host.h"

namespace tov {
namespace host {

namespace {

/// The folder that holds the applications' folders: the first of the XDG folder and `~/.config`
/// that is set, else a private subfolder of the temporary folder, which `shared` then tells.
std::filesystem::path configBase(bool& shared) {
  shared = false;
  // Relative values are ignored, as the XDG base directory rules demand.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home && *home) return std::filesystem::path(home) / ".config";
  shared = true;
  return std::filesystem::temp_directory_path() / ("tovdock-" + std::to_string(getuid()));
}

/// Creates the folders of `dir` that are missing, each private to the user.
std::string makePrivateFolders(const std::filesystem::path& dir) {
  std::filesystem::path at;
  for (const auto& part : dir) {
    at /= part;
    if (::mkdir(at.c_str(), 0700) == 0) {
      ::chmod(at.c_str(), 0700);  // whatever the umask took away or left
      continue;
    }
    const int error = errno;
    struct stat st {};
    if (::stat(at.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
    return "cannot create the folder " + dir.string() + " (" + at.string() + ": " + std::strerror(error) +
           ")";
  }
  return {};
}

/// The fallback folder is shared with every user of the machine: it is used only when it is a
/// real folder that this user owns and nobody else may enter.
std::string checkPrivateFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), 0700) == 0) ::chmod(folder.c_str(), 0700);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0)
    return "cannot create the folder " + folder.string() + " (" + std::strerror(errno) + ")";
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)
    return "the folder " + folder.string() + " is not a private folder of user " +
           std::to_string(::geteuid()) + " (owner only, mode 0700); it was not used";
  return {};
}

/// A missing file is created empty and private; a link or anything but a regular file is refused.
std::string prepareFile(const std::filesystem::path& file, const std::string& where, bool& empty) {
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0) {
    if (errno != ENOENT) return "cannot use " + where + " (" + std::strerror(errno) + ")";
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return "cannot create " + where + " (" + std::strerror(errno) + ")";
    if (fd >= 0) {
      ::fchmod(fd, 0600);
      ::close(fd);
    }
    if (::lstat(file.c_str(), &st) != 0) return "cannot use " + where + " (" + std::strerror(errno) + ")";
  }
  if (S_ISLNK(st.st_mode)) return where + " is a symbolic link" + kLeftAlone;
  if (!S_ISREG(st.st_mode)) return where + " is not a regular file" + kLeftAlone;
  empty = st.st_size == 0;
  return {};
}

}  // namespace

StorePlace defaultPlace(const std::string& application) {
  bool shared = false;
  const auto base = configBase(shared);
  std::string name = application;
  for (char& c : name)
    if (c == '/') c = '_';
  if (name.empty() || name == "." || name == "..") name = "tovdock";
  return {base / name / "settings.sqlite", shared ? base : std::filesystem::path()};
}

std::string preparePlace(const StorePlace& place, const std::string& where, bool& empty) {
  if (!place.privateFolder.empty())
    if (auto why = checkPrivateFolder(place.privateFolder); !why.empty()) return why;
  if (const auto dir = place.file.parent_path(); !dir.empty())
    if (auto why = makePrivateFolders(dir); !why.empty()) return why;
  return prepareFile(place.file, where, empty);
}

}  // namespace host

std::filesystem::path DefaultHostServices::defaultStorePath(const std::string& application) {
  return host::defaultPlace(application).file;
}

std::string DefaultHostServices::programName() {
  // The executable's file name is complete; comm is cut at 15 characters and serves as fallback.
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && !exe.filename().empty()) {
    std::string name = exe.filename().string();
    constexpr std::string_view deleted = " (deleted)";
    if (name.ends_with(deleted)) name.resize(name.size() - deleted.size());
    if (!name.empty()) return name;
  }
  std::ifstream comm("/proc/self/comm");
  std::string name;
  if (comm && std::getline(comm, name) && !name.empty()) return name;
  return "tovdock";
}

}  // namespace tov
