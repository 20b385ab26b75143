#include "model/Bookmarks.h"

#include "model/FileUrls.h"
#include "platform/LogCategories.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>
#include <QtEndian>

#include <atomic>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace Bookmarks {

namespace {

constexpr char kMagic[4] = {'T', 'K', 'B', 'M'};
constexpr quint8 kVersion = 1;
constexpr quint8 kHasBirthTime = 0x1;

struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
    bool hasBirthTime = false;
    qint64 birthSeconds = 0;
    quint32 birthNanoseconds = 0;

    bool sameFile(const Identity& other) const {
        if (device != other.device || inode != other.inode)
            return false;
        // An inode number is reused after deletion; the birth time tells the files apart.
        if (hasBirthTime && other.hasBirthTime)
            return birthSeconds == other.birthSeconds && birthNanoseconds == other.birthNanoseconds;
        return true;
    }
};

struct Record {
    QString path;
    std::optional<Identity> identity; // absent for a record that is only a path
};

std::optional<Identity> identityOf(const QByteArray& nativePath) {
    struct statx info {};
    if (statx(AT_FDCWD, nativePath.constData(), AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &info) != 0)
        return std::nullopt;
    Identity identity;
    identity.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    identity.inode = info.stx_ino;
    if (info.stx_mask & STATX_BTIME) {
        identity.hasBirthTime = true;
        identity.birthSeconds = info.stx_btime.tv_sec;
        identity.birthNanoseconds = info.stx_btime.tv_nsec;
    }
    return identity;
}

bool exists(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

template <typename T> void append(QByteArray& bytes, T value) {
    const T little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

template <typename T> bool take(const QByteArray& bytes, qsizetype& at, T& value) {
    if (at + qsizetype(sizeof(T)) > bytes.size())
        return false;
    value = qFromLittleEndian<T>(bytes.constData() + at);
    at += sizeof(T);
    return true;
}

QByteArray encodeRecord(const QString& path, const Identity& identity) {
    QByteArray bytes(kMagic, sizeof kMagic);
    append<quint8>(bytes, kVersion);
    append<quint8>(bytes, identity.hasBirthTime ? kHasBirthTime : 0);
    append<quint64>(bytes, identity.device);
    append<quint64>(bytes, identity.inode);
    append<qint64>(bytes, identity.birthSeconds);
    append<quint32>(bytes, identity.birthNanoseconds);
    bytes.append(path.toUtf8());
    return bytes;
}

std::optional<Record> decodeRecord(const QByteArray& bytes) {
    if (bytes.startsWith('/')) {
        const QString path = QString::fromUtf8(bytes);
        if (path.toUtf8() != bytes || path.contains(QChar(0)))
            return std::nullopt;
        return Record{QDir::cleanPath(path), std::nullopt};
    }
    if (!bytes.startsWith(QByteArrayView(kMagic, sizeof kMagic)))
        return std::nullopt;
    qsizetype at = sizeof kMagic;
    quint8 version = 0, flags = 0;
    Identity identity;
    if (!take(bytes, at, version) || version != kVersion || !take(bytes, at, flags) ||
        !take(bytes, at, identity.device) || !take(bytes, at, identity.inode) ||
        !take(bytes, at, identity.birthSeconds) || !take(bytes, at, identity.birthNanoseconds))
        return std::nullopt;
    identity.hasBirthTime = flags & kHasBirthTime;
    // The path is the record's rest: a NUL in it would name another file than it shows.
    const QString path = QString::fromUtf8(bytes.mid(at));
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)))
        return std::nullopt;
    return Record{QDir::cleanPath(path), identity};
}

// A launcher is there only while it is the very file recorded: one put in its place (say, by
// another user in a shared folder) is not what the user chose to start. Other files, which
// editors replace through a rename, are found by their path.
bool presentAsRecorded(const Record& record) {
    if (!record.identity || !record.path.endsWith(QLatin1String(".desktop")))
        return exists(record.path);
    const auto now = identityOf(QFile::encodeName(record.path));
    return now && now->sameFile(*record.identity);
}

std::atomic<bool> g_stopped{false};

// Mount table file systems whose reads may stall on a network or a user-space daemon.
bool remoteType(const QByteArray& type) {
    static const QByteArrayList remote = {"nfs", "nfs4", "cifs", "smb3",      "smbfs", "ncpfs",
                                          "afs", "9p",   "ceph", "glusterfs", "fuse",  "sshfs"};
    return remote.contains(type) || type.startsWith("fuse.");
}

// The same test by a folder's own file system, for the places a search starts from.
bool remoteFolder(const QString& path) {
    struct statfs info {};
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE
    case 0x73757245: // Coda
    case 0x5346414F: // AFS
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
        return true;
    default:
        return false;
    }
}

// Mount points of remote file systems, read from the mount table without touching them.
QSet<QString> remoteMountPoints() {
    QSet<QString> points;
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return points;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const qsizetype separator = line.indexOf(" - ");
        const QByteArrayList fields = line.left(separator).split(' ');
        if (separator < 0 || fields.size() < 5)
            continue;
        if (!remoteType(line.mid(separator + 3).split(' ').value(0)))
            continue;
        QByteArray point = fields.at(4); // blanks and the like are written as octal escapes
        for (qsizetype at = point.indexOf('\\'); at >= 0 && at + 3 < point.size();
             at = point.indexOf('\\', at + 1))
            point.replace(at, 4, QByteArray(1, char(point.mid(at + 1, 3).toInt(nullptr, 8))));
        points.insert(QFile::decodeName(point));
    }
    return points;
}

// One bounded search for a file by its identity.
class Search {
public:
    Search(const Identity& target, const SearchLimits& limits)
        : m_target(target)
        , m_limits(limits)
        , m_remote(remoteMountPoints()) {
        m_clock.start();
        const QString trash =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
        m_skipped.insert(QDir::cleanPath(trash));
    }

    // Whether the search ended early because searches were stopped: no answer to remember.
    bool stopped() const { return g_stopped.load(); }

    std::optional<QString> run(const QString& oldPath) {
        const QString folder = QFileInfo(oldPath).path();
        const QString parent = QFileInfo(folder).path();
        QList<QPair<QString, int>> roots = {{folder, 3}, {parent, 2}};
        roots.append({QDir::homePath(), 3});
        for (auto location : {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation,
                              QStandardPaths::DownloadLocation, QStandardPaths::MusicLocation,
                              QStandardPaths::PicturesLocation, QStandardPaths::MoviesLocation}) {
            const QString path = QStandardPaths::writableLocation(location);
            if (!path.isEmpty())
                roots.append({path, 3});
        }
        for (const auto& [root, depth] : roots) {
            if (onRemote(QDir::cleanPath(root)))
                continue;
            if (auto found = walk(QDir::cleanPath(root), depth))
                return found;
            if (exhausted())
                break;
        }
        return std::nullopt;
    }

private:
    bool exhausted() const {
        return m_entries >= m_limits.maxEntries || m_clock.elapsed() >= m_limits.maxMilliseconds ||
               g_stopped.load(std::memory_order_relaxed);
    }

    bool onRemote(const QString& root) const {
        for (const QString& point : m_remote) {
            if (root == point || root.startsWith(point + QLatin1Char('/')) || point == QLatin1String("/"))
                return true;
        }
        return remoteFolder(root);
    }

    // Breadth first, so that nearby places are looked at before deep ones.
    std::optional<QString> walk(const QString& root, int maxDepth) {
        QList<QPair<QString, int>> queue = {{root, 0}};
        while (!queue.isEmpty() && !exhausted()) {
            const auto [folder, depth] = queue.takeFirst();
            // A folder seen before is looked at again only when it may now be searched deeper.
            const int reach = maxDepth - depth;
            if (m_skipped.contains(folder) || m_scanned.value(folder, -1) >= reach)
                continue;
            m_scanned.insert(folder, reach);
            DIR* dir = ::opendir(QFile::encodeName(folder).constData());
            if (!dir)
                continue;
            // The bounds hold inside a folder too: a slow or huge folder ends the search in it.
            while (dirent* entry = ::readdir(dir)) {
                ++m_entries;
                if (exhausted())
                    break;
                const QByteArray name(entry->d_name);
                if (name == "." || name == "..")
                    continue;
                const QString path = folder + QLatin1Char('/') + QFile::decodeName(name);
                if (entry->d_ino == m_target.inode) {
                    const auto identity = identityOf(QFile::encodeName(path));
                    if (identity && identity->sameFile(m_target)) {
                        ::closedir(dir);
                        return path;
                    }
                }
                // Hidden folders (caches, repositories, the trash) are left out, and links are not followed.
                if (depth < maxDepth && !name.startsWith('.') && isFolder(entry, path) &&
                    !m_remote.contains(path))
                    queue.append({path, depth + 1});
            }
            ::closedir(dir);
        }
        return std::nullopt;
    }

    static bool isFolder(const dirent* entry, const QString& path) {
        if (entry->d_type != DT_UNKNOWN)
            return entry->d_type == DT_DIR;
        struct stat info {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    Identity m_target;
    SearchLimits m_limits;
    QElapsedTimer m_clock;
    int m_entries = 0;
    QHash<QString, int> m_scanned; // folder -> how many levels below it were searched
    QSet<QString> m_skipped;
    QSet<QString> m_remote;
};

QMutex g_mutex;
SearchLimits g_limits;
QHash<QByteArray, std::optional<QString>> g_searches; // record bytes -> where it was found, or a miss

} // namespace

std::optional<QByteArray> makeBookmark(const QUrl& url) {
    const std::optional<QString> local = FileUrls::localPath(url);
    if (!local)
        return std::nullopt;
    const QString path = *local;
    const auto identity = identityOf(QFile::encodeName(path));
    if (!identity)
        return std::nullopt;
    return encodeRecord(path, *identity);
}

std::optional<QUrl> resolveBookmark(const NookItem& item) {
    if (auto path = resolvePath(item.bookmarkData))
        return QUrl::fromLocalFile(*path);
    return std::nullopt;
}

std::optional<QString> resolvePath(const QByteArray& bookmarkData) {
    const std::optional<Record> record = decodeRecord(bookmarkData);
    if (!record) {
        qCDebug(lcBookmarks) << "unreadable bookmark of" << bookmarkData.size() << "bytes";
        return std::nullopt;
    }
    if (presentAsRecorded(*record))
        return record->path;
    if (!record->identity) {
        qCDebug(lcBookmarks) << "gone, and no identity to search by:" << record->path;
        return std::nullopt;
    }

    SearchLimits limits;
    {
        QMutexLocker lock(&g_mutex);
        const auto known = g_searches.constFind(bookmarkData);
        if (known != g_searches.constEnd()) {
            const std::optional<QString> place = known.value();
            if (!place)
                return std::nullopt;
            const auto identity = identityOf(QFile::encodeName(*place));
            if (identity && identity->sameFile(*record->identity))
                return place;
            // Moved again since: search anew.
        }
        limits = g_limits;
    }

    if (g_stopped)
        return std::nullopt;
    Search search(*record->identity, limits);
    const std::optional<QString> found = search.run(record->path);
    if (search.stopped())
        return std::nullopt; // cut short: not a miss worth remembering
    qCDebug(lcBookmarks) << record->path
                         << (found ? QStringLiteral("moved to ") + *found : QStringLiteral("not found"));
    QMutexLocker lock(&g_mutex);
    g_searches.insert(bookmarkData, found);
    return found;
}

void stopSearches() {
    g_stopped = true;
}

std::optional<QString> presentPath(const QByteArray& bookmarkData) {
    const std::optional<Record> record = decodeRecord(bookmarkData);
    if (record && presentAsRecorded(*record))
        return record->path;
    return std::nullopt;
}

std::optional<QString> recordedPath(const QByteArray& bookmarkData) {
    const std::optional<Record> record = decodeRecord(bookmarkData);
    if (!record)
        return std::nullopt;
    return record->path;
}

bool sameIdentity(const QByteArray& a, const QByteArray& b) {
    const std::optional<Record> first = decodeRecord(a);
    const std::optional<Record> second = decodeRecord(b);
    return first && second && first->identity && second->identity &&
           first->identity->sameFile(*second->identity);
}

quint64 inodeOf(const QByteArray& bookmarkData) {
    const std::optional<Record> record = decodeRecord(bookmarkData);
    return record && record->identity ? record->identity->inode : 0;
}

void setSearchLimits(const SearchLimits& limits) {
    QMutexLocker lock(&g_mutex);
    g_limits = limits;
}

void forgetSearches() {
    QMutexLocker lock(&g_mutex);
    g_searches.clear();
}

} // namespace Bookmarks
