#pragma once

#include <QWidget>

// An outlined square drawn in the text colour; marks the small and the large end of the icon size slider.
class SquareGlyph : public QWidget {
    Q_OBJECT
public:
    SquareGlyph(int side, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {m_side + 4, m_side + 4}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_side;
};
