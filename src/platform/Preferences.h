#pragma once

#include <QKeySequence>
#include <QObject>
#include <QSettings>
#include <QUuid>

#include <memory>

// The user's preferences, with their defaults and ranges in one place. Reads apply the
// default while a key is absent (or unreadable); nothing is ever written unless a setter
// is called. Each key has its own change signal, so every reader follows a change at its
// next redraw. The application makes one and hands it to whoever reads it.
class Preferences : public QObject {
    Q_OBJECT
public:
    struct Range {
        double minimum;
        double maximum;
        double step;
    };

    static constexpr auto kColumns = "columns";
    static constexpr auto kIconSize = "iconSize";
    static constexpr auto kPanelHeight = "panelHeight";
    static constexpr auto kLaunchAtLogin = "launchAtLogin";
    static constexpr auto kCurrentNook = "currentNook";
    static constexpr auto kGlobalShortcut = "globalShortcut";
    static constexpr auto kPreviews = "previews";

    static constexpr int kDefaultColumns = 4;
    static constexpr double kDefaultIconSize = 52.0;
    static constexpr double kDefaultPanelHeight = 440.0;
    static constexpr bool kDefaultLaunchAtLogin = false;
    // Files show what they hold (from the desktop's thumbnails) instead of their type's icon.
    static constexpr bool kDefaultPreviews = true;
    // Bound by none of the common desktops out of the box.
    static constexpr auto kDefaultGlobalShortcut = "Ctrl+Alt+Space";

    static constexpr int kColumnChoices[] = {3, 4, 5};
    static constexpr Range kIconSizeRange{36.0, 64.0, 4.0};
    static constexpr Range kPanelHeightRange{200.0, 640.0, 20.0};

    // The user's settings file unless `fileName` names another (an INI file).
    explicit Preferences(const QString& fileName = {}, QObject* parent = nullptr);

    // The application's, on the main thread; only the application's wiring reaches for it.
    static Preferences& instance();

    int columns() const;
    double iconSize() const;
    double panelHeight() const;
    bool launchAtLogin() const;
    bool contains(const char* key) const;

    void setColumns(int value);
    void setIconSize(double value);
    void setPanelHeight(double value);
    void setLaunchAtLogin(bool value);

    // The keys that show and hide the panel from anywhere; empty when turned off.
    QKeySequence globalShortcut() const;
    void setGlobalShortcut(const QKeySequence& keys);

    bool previews() const;
    void setPreviews(bool value);

    // The nook last selected, so the panel reopens on it after a restart; null when none.
    QUuid currentNook() const;
    void setCurrentNook(const QUuid& id);

    // The values to size with: stored values that are not positive (only hand-edited
    // files hold them) are replaced by the default, so no grid is drawn without columns.
    int effectiveColumns() const;
    double effectiveIconSize() const;
    double effectivePanelHeight() const;

signals:
    void columnsChanged(int columns);
    void iconSizeChanged(double iconSize);
    void panelHeightChanged(double panelHeight);
    void launchAtLoginChanged(bool enabled);
    void globalShortcutChanged(const QKeySequence& keys);
    void previewsChanged(bool enabled);

private:
    void save();
    double readReal(const char* key, double fallback) const;
    template <typename T> void write(const char* key, T value, T current, void (Preferences::*changed)(T));

    std::unique_ptr<QSettings> m_settings;
};
