#include "platform/file_ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/ini_format.h"

namespace ulz {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    // Hands the descriptor over so that the caller can see close() fail.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

enum class ReadStatus { Ok, Missing, Failed };

// Reads a regular file whole. O_NONBLOCK keeps a FIFO standing in the file's
// place from blocking the open; anything but a regular file is refused.
ReadStatus readRegularFile(const std::string& path, std::string& content, struct stat& st) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadStatus::Failed;

    // One byte more than the size seen, so that an unchanged file ends in one read.
    content.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == content.size()) content.resize(content.size() * 2);
        const ssize_t n = ::read(fd.get(), content.data() + used, content.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            return ReadStatus::Failed;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    content.resize(used);
    return ReadStatus::Ok;
}

// The file a chain of symbolic links ends at, so that a write replaces that
// file and not the link. Nothing when the chain loops.
std::optional<std::string> resolveLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::error_code ec;
        const std::string link = std::filesystem::read_symlink(path, ec).string();
        if (ec || link.empty()) return std::nullopt;
        if (link.front() == '/') {
            path = link;
        } else {
            path = path.substr(0, path.rfind('/') + 1) + link;
        }
    }
    return std::nullopt;
}

// The process umask, read without changing it: umask() can only be read by
// setting it, which would race with other threads creating files.
mode_t currentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (!status) return 022;
    mode_t mask = 022;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::string_view(line).starts_with("Umask:")) {
            mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
            break;
        }
    }
    std::fclose(status);
    return mask;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Makes the rename itself durable; a failure here leaves a complete file
// either way, so it is not reported.
void syncFolder(const std::string& folder) {
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

// Writes `data` to a temporary file beside `target` and renames it over the
// target: a reader, or a crash, sees the old file or the new one, never a mix.
// `old` is the target's status when it exists.
bool replaceFile(const std::string& target, std::string_view data, const struct stat* old) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    // Hidden, and short enough for NAME_MAX whatever the target's name.
    std::string temp = folder + "." + base.substr(0, 200) + ".XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) return false;

    mode_t mode = 0666 & ~currentUmask();
    if (old) {
        mode = old->st_mode & 07777;
        // Keeps the owner when root writes another user's file; anyone else
        // can only give the file away to themselves, so a failure is expected.
        if (::fchown(fd.get(), old->st_uid, old->st_gid) != 0) {
        }
    }
    bool ok = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), data) && ::fsync(fd.get()) == 0;
    if (::close(fd.release()) != 0) ok = false;
    if (ok && std::rename(temp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

}  // namespace

FileIni::FileIni(const std::string& path) : path_(path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path_ = absolute.string();
}

std::string FileIni::readString(const std::string& section, const std::string& key,
                                const std::string& def) const {
    std::string content;
    struct stat st;
    if (readRegularFile(path_, content, st) != ReadStatus::Ok) return def;
    return iniLookup(content, section, key).value_or(def);
}

void FileIni::writeString(const std::string& section, const std::string& key,
                          const std::string& value) {
    const std::optional<std::string> target = resolveLinks(path_);
    if (!target) throw IniWriteError(path_);

    std::string content;
    struct stat st;
    const ReadStatus status = readRegularFile(*target, content, st);
    // A file that exists but cannot be read would lose its other settings.
    if (status == ReadStatus::Failed) throw IniWriteError(path_);
    if (status == ReadStatus::Ok) {
        // rename() asks only the folder for permission: without this check a
        // read-only file in a writable folder would be replaced all the same.
        const Fd probe(::open(target->c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        if (probe.get() < 0) throw IniWriteError(path_);
    }

    const std::string updated = iniReplace(content, section, key, value);
    if (!replaceFile(*target, updated, status == ReadStatus::Ok ? &st : nullptr)) {
        throw IniWriteError(path_);
    }
}

}  // namespace ulz
