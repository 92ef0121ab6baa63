#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace gaugelet {

// The few file operations the content store needs, with the operating
// system's error code kept, so callers can tell "not there" from "could not
// be read". Symbolic links are never followed by the operations that change
// or list things, and reads never open a link or a non-regular file.
class FileSystem {
public:
    struct Error {
        QString operation; // "read", "write", "mkdir", "rename", "remove", "list", "exchange"
        QString path;
        int code = 0;      // errno

        // The file (or one of its parent folders) does not exist.
        bool isMissing() const;
        QString describe() const;
        bool operator==(const Error&) const = default;
    };

    enum class EntryKind { missing, directory, regularFile, symlink, other };

    // What is at path, without following a final symbolic link.
    static EntryKind entryKind(const QString& path);

    // Which entry is at path (not following a final link): its device and
    // inode, and when it last changed (a rename, a change of its contents or
    // of its permissions), so that one entry later found under that name can
    // be told from another made there since.
    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 changedNs = 0;
        bool operator==(const Identity&) const = default;
    };
    static std::optional<Identity> identity(const QString& path);

    // A digest (SHA-256) of a whole tree as it is now, never following a
    // symbolic link: every entry's path, kind, permissions, owner, size,
    // inode, modification and change times, a link's target and a regular
    // file's contents. Any change anywhere under path (contents, an entry
    // added, removed or renamed, permissions) gives another digest. None
    // when the tree has more than maxEntries entries or maxBytes in its
    // files, or any of it cannot be read.
    static std::optional<QByteArray> treeDigest(const QString& path, int maxEntries, qint64 maxBytes);

    enum class Links { refuse, follow };
    static constexpr qint64 noLimit = -1;

    // The whole of a regular file. A folder (EISDIR) or a special file such as
    // a FIFO (EINVAL) is refused without blocking, and so is a symbolic link
    // (ELOOP) unless links are followed. A file larger than maxBytes is
    // refused (EFBIG) before anything is read.
    static Result<QByteArray, Error> readFile(const QString& path, qint64 maxBytes = noLimit,
                                              Links links = Links::refuse);

    // Writes bytes to a temporary file beside path, then renames it over path.
    static Result<void, Error> writeFileAtomically(const QString& path, const QByteArray& bytes);

    // Creates a folder and any missing parents.
    static Result<void, Error> makePath(const QString& path);
    // Creates one folder (its parent must exist). Succeeds when a real folder
    // is already there; a symbolic link there is refused (ELOOP), and so is
    // anything else that is not a folder (ENOTDIR).
    static Result<void, Error> makeFolder(const QString& path);

    // Names of a folder's immediate entries, hidden ones included, sorted
    // (by UTF-16 code unit), so that every run visits them alike.
    static Result<QStringList, Error> listDirectory(const QString& path);

    // Removes a file, a link (not its target) or a whole folder tree without
    // following any symbolic link inside it.
    static Result<void, Error> removeTree(const QString& path);

    static Result<void, Error> rename(const QString& from, const QString& to);
    // Renames only when nothing is at `to` (EEXIST otherwise), so no file or
    // folder already there, empty or not, is ever replaced.
    static Result<void, Error> renameWithoutReplacing(const QString& from, const QString& to);

    // Puts replacement in target's place in one step and removes what was
    // there before. Uses an atomic exchange of the two names; where the file
    // system cannot exchange, renames the old item aside, moves the
    // replacement in and renames the old item back if that fails. Either way,
    // when this fails the old item is still at target. A failure to remove the
    // old item after a successful swap is not reported.
    static Result<void, Error> replaceItem(const QString& target, const QString& replacement);

    // Test seam: behave as a file system without an atomic exchange.
    static void setExchangeUnsupportedForTesting(bool unsupported);
    // Test seam: called by treeDigest with each entry's path (relative to the
    // top, "" for the top) between reading its status and reading it.
    static void setTreeDigestHookForTesting(std::function<void(const QByteArray& relative)> hook);
};

} // namespace gaugelet
