#include "app/TrayIcon.h"

#include "app/AppIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
    , m_menu(std::make_unique<QMenu>())
    , m_tray(new QSystemTrayIcon(AppIcon::icon(), this)) {
    m_tray->setToolTip(qtTrId("tray.tooltip"));
    QAction* settings = m_menu->addAction(qtTrId("tray.settings"));
    settings->setObjectName(QStringLiteral("settings"));
    m_menu->addSeparator();
    QAction* quit = m_menu->addAction(qtTrId("tray.quit"));
    quit->setObjectName(QStringLiteral("quit"));
    connect(settings, &QAction::triggered, this, [this] { emit actionRequested(AppAction::OpenSettings); });
    connect(quit, &QAction::triggered, this, [this] { emit actionRequested(AppAction::Quit); });
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A quick second click arrives as a double click; it is a click all the same.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit actionRequested(AppAction::TogglePanel);
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::show() {
    m_tray->show();
}
