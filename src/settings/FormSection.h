#pragma once

#include <QFrame>

class QLayout;
class QVBoxLayout;

// One rounded group of rows in the settings form, with thin lines between its rows.
class FormSection : public QFrame {
    Q_OBJECT
public:
    explicit FormSection(QWidget* parent = nullptr);

    void addRow(QLayout* row);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* m_rows;
};
