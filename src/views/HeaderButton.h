#pragma once

#include <QAbstractButton>
#include <QStringList>

// A borderless header button showing one monochrome symbol, with a soft highlight
// under the pointer. Tab reaches it (a click does not take the keyboard from where it
// is); it then shows a focus ring, and Space or Enter presses it.
class HeaderButton : public QAbstractButton {
    Q_OBJECT
public:
    HeaderButton(int side, QWidget* parent = nullptr);

    // Theme names, best first, and the bundled fallback.
    void setSymbol(const QStringList& themeNames, const QString& fallback);
    QStringList symbolNames() const { return m_names; }
    // Full text colour when emphasized, the secondary tone otherwise.
    void setEmphasized(bool emphasized);
    bool isEmphasized() const { return m_emphasized; }

    QSize sizeHint() const override { return {m_side, m_side}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_side;
    QStringList m_names;
    QString m_fallback;
    bool m_emphasized = false;
};
