#include "views/ItemActions.h"

#include "model/BackgroundWork.h"
#include "model/Bookmarks.h"
#include "model/NookStore.h"
#include "platform/xdg/DesktopEntry.h"
#include "platform/xdg/FileManager.h"
#include "platform/xdg/OpenWith.h"
#include "views/NewGroupSheet.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeDatabase>
#include <QPointer>

ItemActions::ItemActions(NookStore& store, QWidget* panel)
    : QObject(panel)
    , m_store(store)
    , m_sheet(new NewGroupSheet(panel)) {
    m_sheet->setTextIds("alert.rename_item.title", "action.rename");
    connect(m_sheet, &NewGroupSheet::createRequested, this, &ItemActions::rename);
    connect(m_sheet, &NewGroupSheet::cancelled, m_sheet, &NewGroupSheet::dismiss);
}

void ItemActions::setPaths(const QSet<QUuid>& missing, const QHash<QUuid, QString>& paths) {
    for (const QUuid& id : missing)
        m_paths.remove(id);
    m_paths.insert(paths);
}

QString ItemActions::pathOf(const NookItem& item) const {
    const QString found = m_paths.value(item.id);
    return found.isEmpty() ? Bookmarks::recordedPath(item.bookmarkData).value_or(QString()) : found;
}

void ItemActions::extendMenu(QMenu* menu, const QList<NookItem>& items, QUuid groupID) {
    if (items.size() != 1) {
        QStringList paths;
        for (const NookItem& item : items)
            paths << pathOf(item);
        paths.removeAll(QString());
        QAction* copy = menu->addAction(qtTrId("action.copy_paths"), this, [paths] {
            QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
        });
        copy->setEnabled(!paths.isEmpty());
        return addMoveTo(menu, items, groupID);
    }
    const NookItem& item = items.first();
    const QString found = m_paths.value(item.id);
    const QString path = pathOf(item);
    if (!found.isEmpty() && !DesktopEntry::isDesktopEntryPath(found))
        addOpenWith(menu, item, found); // applications and web links open their own way
    QAction* show = menu->addAction(qtTrId("action.show_in_folder"), this, [this, found, item] {
        FileManager::showItem(found, this, [this, item] { emit showInFolderFailed(item); });
    });
    show->setEnabled(!found.isEmpty());
    QAction* copy = menu->addAction(qtTrId("action.copy_path"), this,
                                    [path] { QGuiApplication::clipboard()->setText(path); });
    copy->setEnabled(!path.isEmpty());
    addMoveTo(menu, items, groupID);
    menu->addAction(qtTrId("action.rename"), this, [this, item, groupID] { beginRename(item, groupID); });
}

// Every other nook, as the tabs show them.
void ItemActions::addMoveTo(QMenu* menu, const QList<NookItem>& items, QUuid groupID) {
    QMenu* nooks = menu->addMenu(qtTrId("action.move_to"));
    for (const NookGroup& group : m_store.groups()) {
        if (group.id == groupID)
            continue;
        QString name = group.name;
        nooks->addAction(name.replace(QLatin1Char('&'), QLatin1String("&&")), this,
                         [this, items, id = group.id] { emit moveRequested(items, id); });
    }
    nooks->setEnabled(!nooks->isEmpty());
}

// The list comes from the desktop's associations, read in the background: the menu shows
// at once and fills in when they are there.
void ItemActions::addOpenWith(QMenu* menu, const NookItem& item, const QString& path) {
    QMenu* applications = menu->addMenu(qtTrId("action.open_with"));
    applications->setEnabled(false);
    QPointer<QMenu> guard(applications);
    BackgroundWork::run(
        [this, guard, item, path] {
            static const QMimeDatabase database; // thread-safe
            const QList<OpenWith::Application> found =
                OpenWith::applicationsFor(database.mimeTypeForFile(path).name());
            // Through the application object: the menu may be closed and gone by now.
            QMetaObject::invokeMethod(QCoreApplication::instance(), [this, guard, item, found] {
                if (!guard)
                    return;
                for (const OpenWith::Application& application : found) {
                    QIcon icon = application.iconFile.isEmpty() ? QIcon() : QIcon(application.iconFile);
                    for (const QString& name : application.iconNames) {
                        if (icon.isNull())
                            icon = QIcon::fromTheme(name);
                    }
                    guard->addAction(icon, application.name, this,
                                     [this, item, id = application.id] { emit openWithRequested(item, id); });
                }
                if (found.isEmpty())
                    guard->addAction(qtTrId("action.open_with_none"))->setEnabled(false);
                guard->setEnabled(true);
            });
        },
        BackgroundWork::UserWaits);
}

void ItemActions::beginRename(const NookItem& item, QUuid groupID) {
    m_renaming = Renaming{item.id, groupID};
    // A search result shows its nook's name after its own; the field offers the stored name.
    const NookGroup* group = m_store.group(groupID);
    const qsizetype index = group ? indexOfItem(*group, item.id) : -1;
    m_sheet->open(index < 0 ? item.name : group->items.at(index).name);
}

void ItemActions::rename() {
    const QString name = m_sheet->field()->text().trimmed(); // blanks around a name go
    if (name.isEmpty())
        return m_sheet->showProblem(qtTrId("sheet.name_needed"));
    m_sheet->dismiss();
    if (m_renaming)
        m_store.renameItem(m_renaming->groupID, m_renaming->itemID, name);
    m_renaming.reset();
}
