// GLib first: its headers use names that Qt defines as macros.
#include <glib.h>

#include "platform/xdg/XdgAutostartLoginItem.h"

#include "platform/AtomicFile.h"
#include "platform/PrivateFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <memory>

namespace {

const auto kExecutableName = QStringLiteral("tuckaway");

// One argument of an Exec key: quoted when it holds a reserved character, with the
// characters that stay special inside quotes escaped, and % doubled so that no part
// of a path is taken for a field code.
QString quoteExecArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);

    QString quoted;
    for (const QChar c : argument) {
        if (needsQuotes && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            quoted += u'\\';
        quoted += c;
        if (c == u'%')
            quoted += u'%';
    }
    return needsQuotes ? u'"' + quoted + u'"' : quoted;
}

// A value of the key file's string type: backslashes and control characters escaped.
QString escapeKeyFileString(const QString& value) {
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

// Booleans as a session manager reads them: a missing or malformed value gives the fallback.
bool readBoolean(GKeyFile* file, const char* key, bool fallback) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, G_KEY_FILE_DESKTOP_GROUP, key, &error);
    if (error) {
        g_error_free(error);
        return fallback;
    }
    return value;
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString executablePath)
    : m_executablePath(std::move(executablePath)) {}

QString XdgAutostartLoginItem::entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/org.tuckaway.Tuckaway.desktop");
}

LoginItemStatus XdgAutostartLoginItem::status() const {
    const QString path = entryPath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return LoginItemStatus::NotRegistered;

    std::unique_ptr<GKeyFile, KeyFileDeleter> file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), QFile::encodeName(path).constData(), G_KEY_FILE_NONE,
                                   nullptr) ||
        !g_key_file_has_group(file.get(), G_KEY_FILE_DESKTOP_GROUP))
        return LoginItemStatus::Disabled;
    if (readBoolean(file.get(), G_KEY_FILE_DESKTOP_KEY_HIDDEN, false) ||
        !readBoolean(file.get(), "X-GNOME-Autostart-enabled", true))
        return LoginItemStatus::Disabled;
    return LoginItemStatus::Enabled;
}

QString XdgAutostartLoginItem::execValue() const {
    const QString executable =
        m_executablePath.isEmpty() ? QCoreApplication::applicationFilePath() : m_executablePath;
    const QString canonical = QFileInfo(executable).canonicalFilePath();
    const QString onPath = QStandardPaths::findExecutable(kExecutableName);
    if (!canonical.isEmpty() && !onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == canonical)
        return kExecutableName;
    return quoteExecArgument(QFileInfo(executable).absoluteFilePath());
}

QByteArray XdgAutostartLoginItem::entryContent() const {
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Tuckaway\n"
                                        "Exec=%1\n"
                                        "Icon=org.tuckaway.Tuckaway\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(escapeKeyFileString(execValue()));
    return text.toUtf8();
}

bool XdgAutostartLoginItem::registerItem() {
    const QString path = entryPath();
    // Owner-only, as the data file: nobody else may change what runs at login.
    if (!PrivateFolder::createMissing(QFileInfo(path).absolutePath()))
        return false;
    return AtomicFile::write(path, entryContent(), QFileDevice::ReadOwner | QFileDevice::WriteOwner, nullptr);
}

bool XdgAutostartLoginItem::unregisterItem() {
    const QString path = entryPath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return QFile::remove(path);
}
