// Reading and writing files so that neither a hostile folder nor a failing
// disk can turn a write against what is already there: only regular files
// are read, and every regular file is written under an exclusive temporary
// name beside its target and renamed into place once complete, keeping the
// mode of the file it replaces. A device, a pipe, standard output ("-") and
// the names of open descriptors (/dev/stdout, /dev/fd/N) are written
// directly; a link is followed, never replaced. Free of SDL, so that the
// tools link it as well as the show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace files {

// A file that could not be read or written; the message names it and says
// why ("cannot write 'PATH': REASON"), and both come apart too.
class Error : public std::runtime_error {
public:
    Error(const std::string& doing, const std::string& path, const std::string& reason)
        : std::runtime_error("cannot " + doing + " '" + path + "': " + reason), path(path), reason(reason)
    {
    }
    std::string path;
    std::string reason;
};

// The system's text for an errno value, e.g. "No space left on device".
std::string Reason(int error);

// A regular file opened for reading. The open never waits: a named pipe or
// a device is refused, not opened, and so is a folder.
class Input {
public:
    enum class Problem { None, Missing, Folder, NotAFile, Unreadable };

    explicit Input(const std::string& path);
    ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    Problem problem() const { return problem_; }
    // Why the file cannot be read, in words ("it is a folder", "Permission
    // denied"); "" when it can.
    std::string Why() const;
    // The file's size when it was opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to size bytes: fewer only where the file ends. Throws Error
    // naming the file when the read fails.
    std::size_t Read(void* data, std::size_t size);

private:
    std::string path_;
    int fd_ = -1;
    Problem problem_ = Problem::None;
    int error_ = 0;
    std::uint64_t size_ = 0;
};

// A new file under a random name (".TARGET.XXXXXXXX") in the folder of its
// target, made with O_CREAT | O_EXCL | O_NOFOLLOW so that nothing already
// there, a link included, is ever opened. Where the target is a regular
// file, the new one takes its mode (0600 stays 0600) before anything is
// written to it. Every error names the target. Removed again unless it was
// given its name.
class TempFile {
public:
    // Refuses a target that is a folder, a device or a pipe (or a link to one):
    // renaming over it would replace what the system needs there.
    explicit TempFile(const std::string& target);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(const void* data, std::size_t size);
    // Closes the file and renames it to the target, replacing the entry
    // there (a link is replaced, not followed).
    void Replace();
    // Closes the file and gives it the name `path`, in the same folder, only
    // if nothing has that name; false when something has.
    bool PlaceIfFree(const std::string& path);

private:
    void Close();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool placed_ = false;
};

// The name a writer's output goes to once links are followed: the file at
// the end of the chain of links at path (which may not exist yet), or path
// itself where it is no link. Throws Error naming path for a loop.
std::string FollowLinks(const std::string& path);

// Where a writer's output goes, by the one policy for every writer:
// - "-", /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N: that
//   open descriptor itself, written where it stands (a file opened with >>
//   is appended to);
// - a device or a pipe: opened and written directly;
// - a regular file or no file: a TempFile, renamed into place by Commit;
// - a link to any of these: as what it leads to; the link itself stays.
// A folder is refused. Every error names path.
class Output {
public:
    explicit Output(const std::string& path);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void Write(const void* data, std::size_t size);
    // Puts a file in place, or closes what was opened; an error if that fails.
    void Commit();
    // Whether the output is written as it goes (nothing is kept back).
    bool Direct() const { return file_ == nullptr; }

private:
    std::string path_;
    std::unique_ptr<TempFile> file_;
    int fd_ = -1;
};

// Before any work: "" when an Output at path can be made by the policy
// above, else why not ("it is a folder", "Permission denied" for a folder
// that takes no new file). Nothing is opened or made.
std::string OutputProblem(const std::string& path);

// The whole of data as the output path (see Output): on any failure a file
// that was at path is left as it was.
void WriteFile(const std::string& path, const void* data, std::size_t size);

// Renames from to to (both in one folder) only if nothing has the name to;
// false when something has. Throws Error on any other failure.
bool RenameIfFree(const std::string& from, const std::string& to);

// A new folder of our own, mode 0700, under a random name ".PREFIX.XXXXXXXX"
// in folder; its path. Throws Error naming folder when it cannot be made.
std::string MakeTempFolder(const std::string& folder, const std::string& prefix);

// A new empty file at path, made exclusively (no link followed, nothing
// replaced). Throws Error naming it when it cannot be made.
void CreateNewFile(const std::string& path);

// Descriptors 0, 1 and 2 that were closed when the program started are
// opened on /dev/null, read-only: no file the program opens can take their
// place (and receive its messages), and a write to a closed standard output
// or error still fails, as it would have.
void TakeClosedStandardDescriptors();

// Flushes standard output: "" when everything printed there arrived, else
// why not ("No space left on device", "Bad file descriptor" for a closed one).
std::string StandardOutputProblem();

} // namespace files
