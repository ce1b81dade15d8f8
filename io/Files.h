#pragma once
// Whole-file reads and writes for the editor, the command-line tool and
// start-up. Paths are UTF-8 text; every failure is a Failure whose text is one
// line for the user.
//
// A read is bounded: a regular file larger than the bound is refused before
// anything is allocated, and anything that is not a regular file is refused at
// once, so a FIFO, /dev/zero or a huge sparse file can neither hang nor
// exhaust the program.
//
// A write never destroys a good file: replaceFile writes a staging file beside
// the target, flushes it, renames it over the target and flushes the folder.
// The staging file is private (0600) from its creation and has the target's
// owner, group, mode, ACLs and extended attributes before its first byte; a
// new file gets the mode of a plain create once complete. A symbolic link is
// written through to the file it names. A file the user may not write is
// refused ("Permission denied") even where its folder would allow a rename.
// Where a rename would split the file from its other hard links or give it
// another owner, or where the folder takes no staging file, the bytes are
// written into the file itself, with a flushed copy of the old content kept
// until they are complete. A character device or a FIFO is written in place
// as `cat > target` would; a folder is refused. A failure at any point leaves
// the old file byte-identical and no staging file behind.

#include "core/Outcome.h"
#include "io/Platform.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum::io {

// Paths are UTF-8 in the whole program and become std::filesystem::path only
// here (on Windows, wide characters).
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// The last part of a path, as std::filesystem::path::filename gives it ("" for
// a path that ends in a separator), without building a path where none is
// needed.
std::string fileNameOf(std::string_view pathUtf8);

// The folder part of path as path spells it, up to and with its last
// separator ("" for a bare name): a view into path, with nothing parsed but
// the file name. Two spellings of one folder give two different texts.
std::basic_string_view<std::filesystem::path::value_type>
spelledFolderOf(const std::filesystem::path& path);

// The path that the links at path finally lead to, whether or not anything
// stands there (path itself when it is no link).
Result<std::string> followLinks(std::string_view pathUtf8);

// Whether both paths name one existing file, through links or not.
bool sameFile(std::string_view aUtf8, std::string_view bUtf8);

// The path with its links and ".." resolved as far as it exists, made
// absolute; where the system cannot say, only made absolute and normal.
std::filesystem::path resolvedPath(const std::filesystem::path& path);

// Whether a failure means that the path names nothing.
bool isMissing(const Failure& failure);

// The kind and size of what stands at path (links followed). A missing path
// is Missing, not a failure.
Result<FileInfo> fileInfo(std::string_view pathUtf8);

// The stamp of what stands at path (links followed), to learn later whether
// another program replaced or changed it. A missing path is Missing.
Result<FileStamp> fileStamp(std::string_view pathUtf8);

// What stands at a path, from one look at the path itself and, only where it
// is a symbolic link, a second one through it.
struct Standing {
    FileInfo info;     // what the path leads to: Missing for nothing, or a link to nothing
    bool link = false; // the path itself is a symbolic link
};
Result<Standing> lookAt(std::string_view pathUtf8);

// The whole of a regular file of at most maxBytes. A larger one is refused as
// "<size> bytes, more than <maxBytes>" (EFBIG) without reading it. stamp,
// when given, receives the stamp of the very file read, taken before reading.
Result<std::string> readFile(std::string_view pathUtf8, std::uint64_t maxBytes,
                             FileStamp* stamp = nullptr);
// The first count bytes of a regular file (fewer when it is shorter): what a
// reader that looks at fixed positions needs, whatever the file's size.
Result<std::string> readPrefix(std::string_view pathUtf8, std::size_t count);
// Standard input up to its end, refused once it grows beyond maxBytes.
Result<std::string> readStandardInput(std::uint64_t maxBytes);

// Replaces the file at path by bytes, safely (see above). Creates the file
// when it is missing; its folder must exist. A path that names one of the
// program's own streams (as streamAt tells) is written as that stream.
Result<void> replaceFile(std::string_view pathUtf8, std::string_view bytes);
// Many files replaced at once, as replaceFile does but with one flush for all
// of them (per file system) instead of one per file: add stages a file
// (writing a device or FIFO at once), finish flushes the files that replace
// existing ones and renames every staged file, in order. Staging files not
// finished are removed with the batch.
class ReplaceBatch {
  public:
    struct Outcome {
        std::string target;
        Result<void> result;
    };

    ReplaceBatch() = default;
    ReplaceBatch(const ReplaceBatch&) = delete;
    ReplaceBatch& operator=(const ReplaceBatch&) = delete;
    ~ReplaceBatch();

    // add and addNew may be called from several threads at once, each for
    // its own target.
    //
    // standing, when given, is what a look at the path just found; it is
    // not looked at again. A file held in memory only (tmpfs) has nothing
    // to flush and is renamed into place at once. finish renames the other
    // files in the order of order (the inputs' order, say, for files staged
    // by several threads), or else in the order they were added.
    Result<void> add(std::string_view pathUtf8, std::string_view bytes,
                     const std::optional<Standing>& standing = std::nullopt,
                     std::optional<std::size_t> order = std::nullopt);
    // Writes a file where nothing stands yet, complete before it has a name,
    // with no look at the path beforehand: true when written; false when
    // something stands there (or the system cannot make a file without a
    // name), and nothing was written: add it then as any other file.
    Result<bool> addNew(std::string_view pathUtf8, std::string_view bytes);
    std::vector<Outcome> finish();

  private:
    struct Staged {
        std::filesystem::path staging;
        std::filesystem::path target;
        std::string targetUtf8;
        bool replacing = false; // an existing file is replaced
        std::size_t order = 0;
    };
    std::mutex lock_; // over staged_
    std::vector<Staged> staged_;
    const platform::User user_ = platform::currentUser(); // who makes the batch's files
};

// Writes bytes to standard output; a write error (a full disk, a closed pipe)
// is a failure.
Result<void> writeStandardOutput(std::string_view bytes);
// The program's own open streams, as they stand when this is made: an output
// path that names one (/dev/stdout, /dev/fd/N) or leads to the file that
// standard output or error was redirected to is written as that stream, never
// replaced. A batch of outputs takes them once; anything that may change the
// process's descriptors in between takes them anew.
class OwnStreams {
  public:
    OwnStreams();
    // The stream at path, where standing is what a look at path found
    // (Missing when none could be taken); nothing for any other path.
    std::optional<NativeHandle> at(std::string_view pathUtf8, const FileInfo& standing) const;

  private:
    std::vector<platform::OpenStream> writable_;
};
// The stream at path, as OwnStreams tells it, for a single output.
std::optional<NativeHandle> streamAt(std::string_view pathUtf8);
// Writes bytes to one of the program's open streams, from where it stands
// (at the end, for a stream opened to append).
Result<void> writeStream(NativeHandle stream, std::string_view bytes);

// Called first thing in main: an over-limit write then fails with "File too
// large" instead of killing the process.
void ignoreFileSizeSignal();

// Called first thing in main: SIGINT, SIGTERM and SIGHUP (Ctrl-C, Ctrl-Break
// and closing the console on Windows) then remove every staging file the
// process has made before they end it, as they would have, so that the
// parent learns which signal it was. Each target keeps its old or its new
// complete content.
void removeStagingOnSignals();

// Whether writing into a FIFO waits for a program to read from it, as
// `cat > fifo` does (the default), or fails at once. A window must never wait
// on a file: the editor turns waiting off before anything else.
void setFifoWritesWait(bool wait);
bool fifoWritesWait();

} // namespace vellum::io
