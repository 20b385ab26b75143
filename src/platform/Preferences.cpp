#include "Preferences.h"

#include <QCoreApplication>

Preferences& Preferences::instance() {
    static Preferences* preferences = new Preferences();
    return *preferences;
}

Preferences::Preferences()
    : m_settings(QStringLiteral("Tuckaway"), QStringLiteral("Tuckaway"))
    , m_seen(snapshot()) {}

bool Preferences::contains(const char* key) const {
    return m_settings.contains(QLatin1String(key));
}

int Preferences::columns() const {
    bool ok = false;
    const int value = m_settings.value(QLatin1String(kColumns)).toInt(&ok);
    return ok ? value : kDefaultColumns;
}

double Preferences::iconSize() const {
    return readReal(kIconSize, kDefaultIconSize);
}
double Preferences::panelHeight() const {
    return readReal(kPanelHeight, kDefaultPanelHeight);
}

bool Preferences::launchAtLogin() const {
    const QVariant value = m_settings.value(QLatin1String(kLaunchAtLogin));
    return value.isValid() ? value.toBool() : kDefaultLaunchAtLogin;
}

double Preferences::readReal(const char* key, double fallback) const {
    bool ok = false;
    const double value = m_settings.value(QLatin1String(key)).toDouble(&ok);
    return ok ? value : fallback;
}

// Writes the value; readers hear of it when it differs from what they read before.
template <typename T>
void Preferences::write(const char* key, T value, T current, void (Preferences::*changed)(T)) {
    const bool differs = !contains(key) || current != value;
    m_settings.setValue(QLatin1String(key), value);
    m_settings.sync();
    m_seen = snapshot();
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

QKeySequence Preferences::globalShortcut() const {
    const QVariant value = m_settings.value(QLatin1String(kGlobalShortcut));
    const QString text = value.isValid() ? value.toString() : QLatin1String(kDefaultGlobalShortcut);
    return QKeySequence::fromString(text, QKeySequence::PortableText);
}

void Preferences::setGlobalShortcut(const QKeySequence& keys) {
    const bool differs = !contains(kGlobalShortcut) || keys != globalShortcut();
    // Stored even when empty: that is "off", not "default".
    m_settings.setValue(QLatin1String(kGlobalShortcut), keys.toString(QKeySequence::PortableText));
    m_settings.sync();
    m_seen = snapshot();
    if (differs)
        emit globalShortcutChanged(keys);
}

QUuid Preferences::currentNook() const {
    return QUuid::fromString(m_settings.value(QLatin1String(kCurrentNook)).toString());
}

void Preferences::setCurrentNook(const QUuid& id) {
    if (id == currentNook())
        return;
    m_settings.setValue(QLatin1String(kCurrentNook), id.toString(QUuid::WithoutBraces));
    m_settings.sync();
}

int Preferences::effectiveColumns() const {
    const int value = columns();
    return value > 0 ? value : kDefaultColumns;
}

double Preferences::cellWidth() const {
    const double size = iconSize();
    return size > 0 ? size + 20.0 : kDefaultIconSize + 20.0;
}

double Preferences::effectiveIconSize() const {
    return cellWidth() - 20.0;
}

double Preferences::effectivePanelHeight() const {
    const double value = panelHeight();
    return value > 0 ? value : kDefaultPanelHeight;
}

double Preferences::frameWidth(int columns, double cellWidth) {
    return (columns - 1) * 8.0 + cellWidth * columns + 48.0;
}

double Preferences::frameWidth() const {
    return frameWidth(effectiveColumns(), cellWidth());
}

Preferences::Snapshot Preferences::snapshot() const {
    return {columns(), iconSize(), panelHeight(), launchAtLogin(), globalShortcut()};
}

void Preferences::reload() {
    // Another QSettings in this process shares the cache, so compare with what readers last saw.
    const Snapshot old = m_seen;
    m_settings.sync();
    m_seen = snapshot();
    if (m_seen.columns != old.columns)
        emit columnsChanged(m_seen.columns);
    if (m_seen.iconSize != old.iconSize)
        emit iconSizeChanged(m_seen.iconSize);
    if (m_seen.panelHeight != old.panelHeight)
        emit panelHeightChanged(m_seen.panelHeight);
    if (m_seen.launchAtLogin != old.launchAtLogin)
        emit launchAtLoginChanged(m_seen.launchAtLogin);
    if (m_seen.globalShortcut != old.globalShortcut)
        emit globalShortcutChanged(m_seen.globalShortcut);
}
