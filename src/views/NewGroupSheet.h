#pragma once

#include <QPointer>
#include <QWidget>

class QBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The new-group dialog, shown as a sheet over the panel's content. A separate window
// would take the activation from the panel, and the panel closes when it loses it.
class NewGroupSheet : public QWidget {
    Q_OBJECT
public:
    explicit NewGroupSheet(QWidget* parent);

    // Offers `text` in the field, selected so that typing replaces it; without, what the field
    // held when it was last dismissed.
    void open(const QString& text);
    void open();
    // Why what was typed is not taken; shown under the field until the text changes.
    void showProblem(const QString& text);
    QString problem() const;
    // The same sheet for another name (an item's): its title and its button's text.
    void setTextIds(const char* titleId, const char* actionId);
    void dismiss();

    QLineEdit* field() const { return m_field; }
    QWidget* card() const { return m_card; }
    QPushButton* createButton() const { return m_create; }
    QPushButton* cancelButton() const { return m_cancel; }
    QLabel* titleLabel() const { return m_title; }

signals:
    void createRequested();
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void retranslate();

    QWidget* m_card;
    QLabel* m_title;
    QLineEdit* m_field;
    QLabel* m_problem;
    QPushButton* m_cancel;
    QPushButton* m_create;
    QBoxLayout* m_buttons;
    QPointer<QWidget> m_returnFocus;
    const char* m_titleId = "alert.new_group.title";
    const char* m_actionId = "action.create";
};
