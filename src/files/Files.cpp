// Files over the POSIX calls: O_EXCL | O_NOFOLLOW creation, renameat2's
// RENAME_NOREPLACE, random names that another user cannot foresee, and
// descriptors duplicated for the names that stand for them.
#include "files/Files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

// Room for the random part and the dot within a file system's 255 bytes.
constexpr std::size_t MaxStemBytes = 200;

std::string FolderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// "." + name + "." + eight random letters or digits, in folder.
std::string RandomName(const std::string& folder, const std::string& name)
{
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    // Built by appending only: GCC 12 at -O3 warns falsely (-Wrestrict) on
    // "." + name.substr(...) + ".", the temporary string added to itself.
    std::string path = folder;
    path += "/.";
    path.append(name, 0, MaxStemBytes);
    path += '.';
    for (int i = 0; i < 8; ++i) path += Letters[random() % (sizeof Letters - 1)];
    return path;
}

// The open descriptor a name stands for ("-" is standard output), or -1.
int DescriptorNamed(const std::string& path)
{
    if (path == "-" || path == "/dev/stdout") return STDOUT_FILENO;
    if (path == "/dev/stderr") return STDERR_FILENO;
    for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const std::size_t digits = path.size() - prefix.size();
        if (path.size() > prefix.size() && digits <= 6 && path.compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(path.begin() + static_cast<std::ptrdiff_t>(prefix.size()), path.end(),
                        [](unsigned char c) { return std::isdigit(c) != 0; }))
            return std::stoi(path.substr(prefix.size()));
    }
    return -1;
}

[[noreturn]] void Fail(const std::string& doing, const std::string& path, const std::string& why)
{
    throw Error(doing, path, why);
}

// Writes all of data to fd, naming path in any error.
void WriteAll(int fd, const std::string& path, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("write", path, Reason(errno));
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

// Calls make(name) with fresh random names until one is free: make returns
// false only when the name is taken (EEXIST).
template <typename Make>
std::string FirstFreeName(const std::string& folder, const std::string& stem, Make&& make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = RandomName(folder, stem);
        if (make(name)) return name;
    }
    Fail("write in", folder, "no free temporary name");
}

} // namespace

std::string Reason(int error)
{
    return std::strerror(error);
}

Input::Input(const std::string& path) : path_(path)
{
    struct stat info {};
    // Decided before the open: opening a device can itself do something.
    if (stat(path.c_str(), &info) != 0) {
        error_ = errno;
        problem_ = error_ == ENOENT || error_ == ENOTDIR ? Problem::Missing : Problem::Unreadable;
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        problem_ = Problem::Folder;
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        problem_ = Problem::NotAFile;
        return;
    }
    fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        problem_ = error_ == ENOENT ? Problem::Missing : Problem::Unreadable;
        return;
    }
    // Something else may have been put at the name since the look.
    if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem_ = Problem::NotAFile;
        close(fd_);
        fd_ = -1;
        return;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
}

Input::~Input()
{
    if (fd_ >= 0) close(fd_);
}

std::string Input::Why() const
{
    switch (problem_) {
    case Problem::None:
        return "";
    case Problem::Missing:
        return "it does not exist";
    case Problem::Folder:
        return "it is a folder";
    case Problem::NotAFile:
        return "it is not a regular file";
    case Problem::Unreadable:
        break;
    }
    return Reason(error_);
}

std::size_t Input::Read(void* data, std::size_t size)
{
    auto* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (fd_ >= 0 && done < size) {
        const ssize_t n = read(fd_, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("read", path_, Reason(errno));
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

TempFile::TempFile(const std::string& target) : target_(target)
{
    struct stat info {};
    if (stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) Fail("write", target, "it is a folder");
        if (!S_ISREG(info.st_mode)) Fail("write", target, "it is not a regular file");
    } else {
        info.st_mode = 0;
    }
    const std::string leaf = std::filesystem::path(target).filename().string();
    temp_ = FirstFreeName(FolderOf(target), leaf, [&](const std::string& name) {
        fd_ = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0) return true;
        if (errno != EEXIST) Fail("write", target_, Reason(errno));
        return false;
    });
    // The replacement keeps the mode of what it replaces, before it holds anything.
    if (info.st_mode != 0 && fchmod(fd_, info.st_mode & 07777) != 0) Fail("write", target, Reason(errno));
}

TempFile::~TempFile()
{
    if (fd_ >= 0) close(fd_);
    if (!placed_) unlink(temp_.c_str());
}

void TempFile::Write(const void* data, std::size_t size)
{
    WriteAll(fd_, target_, data, size);
}

void TempFile::Close()
{
    if (fd_ < 0) return;
    // Some file systems report a full disk only here.
    const int result = close(fd_);
    fd_ = -1;
    if (result != 0 && errno != EINTR) Fail("write", target_, Reason(errno));
}

void TempFile::Replace()
{
    Close();
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) Fail("write", target_, Reason(errno));
    placed_ = true;
}

bool TempFile::PlaceIfFree(const std::string& path)
{
    Close();
    placed_ = RenameIfFree(temp_, path);
    return placed_;
}

std::string FollowLinks(const std::string& path)
{
    std::string at = path;
    // As many links as the system itself follows in one name.
    for (int step = 0; step < 40; ++step) {
        if (DescriptorNamed(at) >= 0) return at;
        struct stat info {};
        if (lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
        std::error_code ec;
        const std::filesystem::path to = std::filesystem::read_symlink(at, ec);
        if (ec) Fail("write", path, ec.message());
        at = to.is_absolute() ? to.string() : (std::filesystem::path(FolderOf(at)) / to).string();
    }
    Fail("write", path, Reason(ELOOP));
}

namespace {

// What a writer's name leads to by the policy of Output: the name at the end
// of its links, and what is there.
struct Destination {
    enum class Kind { Descriptor, Stream, Folder, File } kind;
    std::string at;
    int descriptor = -1; // for Descriptor
};

Destination Resolve(const std::string& path)
{
    const std::string at = FollowLinks(path);
    const int descriptor = DescriptorNamed(at);
    if (descriptor >= 0) return {Destination::Kind::Descriptor, at, descriptor};
    struct stat info {};
    if (stat(at.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return {S_ISDIR(info.st_mode) ? Destination::Kind::Folder : Destination::Kind::Stream, at};
    return {Destination::Kind::File, at};
}

} // namespace

Output::Output(const std::string& path) : path_(path)
{
    const Destination to = Resolve(path);
    switch (to.kind) {
    case Destination::Kind::Descriptor:
        // What stdio holds back for it comes first.
        if (to.descriptor == STDOUT_FILENO) std::fflush(stdout);
        fd_ = fcntl(to.descriptor, F_DUPFD_CLOEXEC, 3);
        if (fd_ < 0) Fail("write", path, Reason(errno));
        return;
    case Destination::Kind::Folder:
        Fail("write", path, "it is a folder");
    case Destination::Kind::Stream:
        // A pipe waits here for its reader, as the shell's > does.
        fd_ = open(to.at.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) Fail("write", path, Reason(errno));
        return;
    case Destination::Kind::File:
        try {
            file_ = std::make_unique<TempFile>(to.at);
        } catch (const Error& e) {
            Fail("write", path, e.reason);
        }
        return;
    }
}

std::string OutputProblem(const std::string& path)
{
    try {
        const Destination to = Resolve(path);
        if (to.kind == Destination::Kind::Folder) return "it is a folder";
        // A file is written beside its name and renamed: the folder must take one.
        if (to.kind == Destination::Kind::File && access(FolderOf(to.at).c_str(), W_OK | X_OK) != 0)
            return Reason(errno);
    } catch (const Error& e) {
        return e.reason;
    }
    return {};
}

Output::~Output()
{
    if (fd_ >= 0) close(fd_);
}

void Output::Write(const void* data, std::size_t size)
{
    if (file_) {
        try {
            file_->Write(data, size);
        } catch (const Error& e) {
            Fail("write", path_, e.reason);
        }
        return;
    }
    WriteAll(fd_, path_, data, size);
}

void Output::Commit()
{
    if (file_) {
        try {
            file_->Replace();
        } catch (const Error& e) {
            Fail("write", path_, e.reason);
        }
        file_.reset();
        return;
    }
    if (fd_ < 0) return;
    const int result = close(fd_);
    fd_ = -1;
    if (result != 0 && errno != EINTR) Fail("write", path_, Reason(errno));
}

void WriteFile(const std::string& path, const void* data, std::size_t size)
{
    Output output(path);
    output.Write(data, size);
    output.Commit();
}

bool RenameIfFree(const std::string& from, const std::string& to)
{
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) Fail("write", to, Reason(errno));
#endif
    // A system or file system without the flag: a hard link never replaces either.
    if (link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return false;
        Fail("write", to, Reason(errno));
    }
    unlink(from.c_str());
    return true;
}

std::string MakeTempFolder(const std::string& folder, const std::string& prefix)
{
    return FirstFreeName(folder, prefix, [&](const std::string& name) {
        if (mkdir(name.c_str(), 0700) == 0) return true;
        if (errno != EEXIST) Fail("write in", folder, Reason(errno));
        return false;
    });
}

void CreateNewFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) Fail("create", path, Reason(errno));
    close(fd);
}

void TakeClosedStandardDescriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor: this one, as the ones below are open.
        const int opened = open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) close(opened);
    }
}

std::string StandardOutputProblem()
{
    const bool failedBefore = std::ferror(stdout) != 0;
    const int earlier = errno;
    errno = 0;
    if (std::fflush(stdout) == 0 && !failedBefore) return "";
    const int flags = fcntl(STDOUT_FILENO, F_GETFL);
    if (flags == -1 || (flags & O_ACCMODE) == O_RDONLY) return Reason(EBADF);
    if (errno != 0) return Reason(errno);
    // The failed write was earlier; what errno said then is the best guess.
    return earlier != 0 ? Reason(earlier) : "a write failed";
}

} // namespace files
