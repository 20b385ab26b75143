#include "platform/Preferences.h"

#include "platform/PrivateFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Preferences::Preferences(const QString& fileName, QObject* parent)
    : QObject(parent)
    , m_settings(fileName.isEmpty()
                     ? std::make_unique<QSettings>(QStringLiteral("Tuckaway"), QStringLiteral("Tuckaway"))
                     : std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

Preferences& Preferences::instance() {
    static Preferences* preferences = new Preferences();
    return *preferences;
}

// For the owner only, whatever the umask, like the data file. QSettings keeps the mode of the
// file it replaces, so the file is made private before it is written.
void Preferences::save() {
    const QString path = m_settings->fileName();
    PrivateFolder::make(QFileInfo(path).absolutePath());
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 077) != 0)
        ::fchmod(fd, info.st_mode & 0700);
    if (fd >= 0)
        ::close(fd);
    m_settings->sync();
}

bool Preferences::contains(const char* key) const {
    return m_settings->contains(QLatin1String(key));
}

int Preferences::columns() const {
    bool ok = false;
    const int value = m_settings->value(QLatin1String(kColumns)).toInt(&ok);
    return ok ? value : kDefaultColumns;
}

double Preferences::iconSize() const {
    return readReal(kIconSize, kDefaultIconSize);
}
double Preferences::panelHeight() const {
    return readReal(kPanelHeight, kDefaultPanelHeight);
}

bool Preferences::launchAtLogin() const {
    const QVariant value = m_settings->value(QLatin1String(kLaunchAtLogin));
    return value.isValid() ? value.toBool() : kDefaultLaunchAtLogin;
}

bool Preferences::previews() const {
    const QVariant value = m_settings->value(QLatin1String(kPreviews));
    return value.isValid() ? value.toBool() : kDefaultPreviews;
}

double Preferences::readReal(const char* key, double fallback) const {
    bool ok = false;
    const double value = m_settings->value(QLatin1String(key)).toDouble(&ok);
    return ok ? value : fallback;
}

// Writes the value; readers hear of it when it differs from what they read before.
template <typename T>
void Preferences::write(const char* key, T value, T current, void (Preferences::*changed)(T)) {
    const bool differs = !contains(key) || current != value;
    m_settings->setValue(QLatin1String(key), value);
    save();
    if (differs)
        emit(this->*changed)(value);
}

void Preferences::setColumns(int value) {
    write(kColumns, value, columns(), &Preferences::columnsChanged);
}

void Preferences::setIconSize(double value) {
    write(kIconSize, value, iconSize(), &Preferences::iconSizeChanged);
}

void Preferences::setPanelHeight(double value) {
    write(kPanelHeight, value, panelHeight(), &Preferences::panelHeightChanged);
}

void Preferences::setLaunchAtLogin(bool value) {
    write(kLaunchAtLogin, value, launchAtLogin(), &Preferences::launchAtLoginChanged);
}

void Preferences::setPreviews(bool value) {
    write(kPreviews, value, previews(), &Preferences::previewsChanged);
}

QKeySequence Preferences::globalShortcut() const {
    const QVariant value = m_settings->value(QLatin1String(kGlobalShortcut));
    const QString text = value.isValid() ? value.toString() : QLatin1String(kDefaultGlobalShortcut);
    return QKeySequence::fromString(text, QKeySequence::PortableText);
}

void Preferences::setGlobalShortcut(const QKeySequence& keys) {
    const bool differs = !contains(kGlobalShortcut) || keys != globalShortcut();
    // Stored even when empty: that is "off", not "default".
    m_settings->setValue(QLatin1String(kGlobalShortcut), keys.toString(QKeySequence::PortableText));
    save();
    if (differs)
        emit globalShortcutChanged(keys);
}

QUuid Preferences::currentNook() const {
    return QUuid::fromString(m_settings->value(QLatin1String(kCurrentNook)).toString());
}

void Preferences::setCurrentNook(const QUuid& id) {
    if (id == currentNook())
        return;
    m_settings->setValue(QLatin1String(kCurrentNook), id.toString(QUuid::WithoutBraces));
    save();
}

int Preferences::effectiveColumns() const {
    const int value = columns();
    return value > 0 ? value : kDefaultColumns;
}

double Preferences::effectiveIconSize() const {
    const double value = iconSize();
    return value > 0 ? value : kDefaultIconSize;
}

double Preferences::effectivePanelHeight() const {
    const double value = panelHeight();
    return value > 0 ? value : kDefaultPanelHeight;
}
