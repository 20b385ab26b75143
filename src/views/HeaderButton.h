#pragma once

#include <QAbstractButton>
#include <QStringList>

// A borderless header button showing one monochrome symbol, with a soft highlight
// under the pointer.
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

private:
    int m_side;
    QStringList m_names;
    QString m_fallback;
    bool m_emphasized = false;
};
