// Files over the POSIX calls: O_EXCL | O_NOFOLLOW creation, renameat2's
// RENAME_NOREPLACE, and random names that another user cannot foresee.
#include "files/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

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

[[noreturn]] void Fail(const std::string& doing, const std::string& path, const std::string& why)
{
    throw Error(doing, path, why);
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
    }
    const std::string leaf = std::filesystem::path(target).filename().string();
    temp_ = FirstFreeName(FolderOf(target), leaf, [&](const std::string& name) {
        fd_ = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0) return true;
        if (errno != EEXIST) Fail("write", target_, Reason(errno));
        return false;
    });
}

TempFile::~TempFile()
{
    if (fd_ >= 0) close(fd_);
    if (!placed_) unlink(temp_.c_str());
}

void TempFile::Write(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("write", target_, Reason(errno));
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
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

void WriteFile(const std::string& path, const void* data, std::size_t size)
{
    TempFile file(path);
    file.Write(data, size);
    file.Replace();
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

} // namespace files
