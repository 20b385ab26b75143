#pragma once

#include "model/ItemOrder.h"

#include <QWidget>

class AnimatedValue;
class ModifierTracker;
class QLineEdit;

// One tab: the group's name in a capsule that shows selection and hover, an Alt
// remove badge, a context menu (Open All, Rename, Sort by, Remove) and in-place renaming.
class TuckawayTabButton : public QWidget {
    Q_OBJECT
public:
    explicit TuckawayTabButton(const QString& name, QWidget* parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString& name);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    // The keyboard is on the row of tabs, at this one.
    bool isFocusMarked() const { return m_focusMarked; }
    void setFocusMarked(bool marked);

    bool isHovered() const { return m_hovered; }
    bool isRenaming() const { return m_renaming; }
    bool isBadgeShown() const { return m_hovered && m_altPressed; }
    QRect badgeRect() const;
    // Where the name is drawn: beside the badge while it shows or fades, never beneath it.
    QRect textRect() const;
    QLineEdit* renameField() const { return m_field; }

    // Offers the name, or `text` when given (a refused name, to be changed), selected.
    void beginRename(const QString& text = {});
    // How many items the group holds: the menu's Open All names the count when it is large.
    void setItemCount(int count) { m_itemCount = count; }
    // Open All's label for that many items.
    static QString openAllText(int count);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    static int tabHeight();

    // Whoever handles the drops of reorder drags on this tab (the tab bar).
    struct DropHandler {
        virtual ~DropHandler() = default;
        virtual void tabDragEntered(TuckawayTabButton* tab, QDragEnterEvent* event) = 0;
        virtual void tabDragMoved(TuckawayTabButton* tab, QDragMoveEvent* event) = 0;
        virtual void tabDropped(TuckawayTabButton* tab, QDropEvent* event) = 0;
    };
    void setDropHandler(DropHandler* handler) { m_dropHandler = handler; }

signals:
    void tapped();
    void renameRequested(const QString& name);
    void deleteRequested();
    void sortRequested(ItemOrder::Key key);
    void dragRequested();
    void openAllRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateHover(bool hovered);
    void setAltPressed(bool pressed);
    void commitRename();
    void endRename();
    void updateHighlight(int milliseconds);
    QFont nameFont() const;

    QString m_name;
    bool m_selected = false;
    bool m_focusMarked = false;
    bool m_hovered = false;
    bool m_renaming = false;
    bool m_altPressed = false;
    int m_itemCount = 0;
    QLineEdit* m_field = nullptr;
    ModifierTracker* m_altTracker;
    AnimatedValue* m_highlight;
    AnimatedValue* m_badge;
    DropHandler* m_dropHandler = nullptr;
    QPoint m_pressPos;
    bool m_pressed = false;
    bool m_pressOnBadge = false;
};
