#include "platform/xdg/LinkEntry.h"

#include "platform/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxFileSize = 64 * 1024;
constexpr qsizetype kMaxBaseName = 60;
constexpr char kGroup[] = "Desktop Entry";

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileDeleter>;

QString take(gchar* text) {
    const QString result = text ? QString::fromUtf8(text) : QString();
    g_free(text);
    return result;
}

// The address's host and path in letters, digits, dots and dashes: no hidden file, no
// folder, nothing a shell or another file manager trips over.
QString baseNameFor(const QUrl& url) {
    QString name;
    for (const QChar c : url.host() + url.path(QUrl::FullyDecoded)) {
        if ((c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('.') || c == QLatin1Char('_'))
            name += c;
        else if (!name.endsWith(QLatin1Char('-')))
            name += QLatin1Char('-');
    }
    const auto isEdge = [](QChar c) { return c == QLatin1Char('-') || c == QLatin1Char('.'); };
    while (!name.isEmpty() && isEdge(name.front()))
        name.remove(0, 1);
    name.truncate(kMaxBaseName);
    while (!name.isEmpty() && isEdge(name.back()))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("link") : name;
}

bool makePrivateFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        return false;
    struct stat info {};
    const QByteArray native = QFile::encodeName(folder);
    if (::stat(native.constData(), &info) == 0 && info.st_uid == ::getuid() && (info.st_mode & 0077))
        ::chmod(native.constData(), 0700);
    return true;
}

} // namespace

std::optional<LinkEntry> LinkEntry::read(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize)
        return std::nullopt;
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), QFile::encodeName(path).constData(), G_KEY_FILE_NONE,
                                   nullptr) ||
        take(g_key_file_get_string(file.get(), kGroup, "Type", nullptr)) != QLatin1String("Link"))
        return std::nullopt;
    LinkEntry entry;
    entry.url = QUrl(take(g_key_file_get_string(file.get(), kGroup, "URL", nullptr)), QUrl::StrictMode);
    if (!entry.url.isValid() || entry.url.isRelative())
        return std::nullopt;
    entry.name = take(g_key_file_get_locale_string(file.get(), kGroup, "Name", nullptr, nullptr));
    entry.icon = take(g_key_file_get_string(file.get(), kGroup, "Icon", nullptr));
    entry.ours = g_key_file_get_boolean(file.get(), kGroup, kMarkerKey, nullptr);
    return entry;
}

std::optional<QString> LinkEntry::create(const QString& folder, const QUrl& url, const QString& name) {
    if (!makePrivateFolder(folder))
        return std::nullopt;
    KeyFile file(g_key_file_new());
    // The marker first: a file cut short by a crash still says whose it is, and is cleaned up.
    g_key_file_set_boolean(file.get(), kGroup, kMarkerKey, TRUE);
    g_key_file_set_string(file.get(), kGroup, "Type", "Link");
    g_key_file_set_string(file.get(), kGroup, "Name", name.toUtf8().constData());
    g_key_file_set_string(file.get(), kGroup, "Icon", "text-html");
    g_key_file_set_string(file.get(), kGroup, "URL", url.toEncoded().constData());
    gsize length = 0;
    gchar* data = g_key_file_to_data(file.get(), &length, nullptr);
    const QByteArray bytes(data, qsizetype(length));
    g_free(data);

    const QString base = folder + QLatin1Char('/') + baseNameFor(url);
    for (int number = 1; number <= 1000; ++number) {
        const QString path = number == 1 ? base + QStringLiteral(".desktop")
                                         : QStringLiteral("%1-%2.desktop").arg(base).arg(number);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            const QFileInfo taken(path);
            if (taken.exists() || taken.isSymLink())
                continue; // another link's file, or anything else: never replaced
            qCWarning(lcStore) << "cannot write the link file" << path << out.errorString();
            return std::nullopt;
        }
        if (out.write(bytes) != bytes.size() || !out.flush() || ::fsync(out.handle()) != 0) {
            qCWarning(lcStore) << "cannot write the link file" << path << out.errorString();
            out.remove();
            return std::nullopt;
        }
        return path;
    }
    return std::nullopt;
}
