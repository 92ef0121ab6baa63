#include "platform/desktop/DiskUsage.h"

#include <QFile>

#include <ftw.h>
#include <sys/stat.h>

namespace gaugelet {

namespace {

thread_local qint64 walkTotal = 0;

int addEntry(const char*, const struct stat* st, int type, struct FTW*)
{
    // Files (special files included) and links as themselves; not folders.
    if (st && (type == FTW_F || type == FTW_SL))
        walkTotal += qint64(st->st_blocks) * 512;
    return 0;
}

} // namespace

qint64 DiskUsage::allocatedBytes(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0)
        return 0;
    if (!S_ISDIR(st.st_mode))
        return qint64(st.st_blocks) * 512;
    // Walk from the link's target, so that a link given as path is followed.
    char* real = ::realpath(name.constData(), nullptr);
    if (!real)
        return 0;
    walkTotal = 0;
    ::nftw(real, addEntry, 16, FTW_PHYS | FTW_MOUNT);
    ::free(real);
    return walkTotal;
}

} // namespace gaugelet
