#include "views/FileChooser.h"

#include "platform/DesktopFileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QPointer>

namespace FileChooser {

namespace {

class FilesAndFolders : public QFileDialog {
public:
    FilesAndFolders(QWidget* parent, const QString& title)
        : QFileDialog(parent, title, QDir::homePath()) {
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(QFileDialog::ExistingFiles);
        setAttribute(Qt::WA_DeleteOnClose);
    }

    void accept() override {
        // The base class would go into a selected folder rather than take it.
        const QString here = QDir::cleanPath(directory().absolutePath());
        for (const QString& path : selectedFiles()) {
            const QFileInfo info(path);
            if (!info.exists())
                return; // a name typed wrong: the dialog stays
            if (QDir::cleanPath(info.absoluteFilePath()) != here)
                m_chosen << QUrl::fromLocalFile(info.absoluteFilePath());
        }
        if (!m_chosen.isEmpty())
            QDialog::accept();
    }

    QList<QUrl> chosen() const { return m_chosen; }

private:
    QList<QUrl> m_chosen;
};

} // namespace

void chooseWithQt(QWidget* parent, const QString& title, Done done) {
    auto* dialog = new FilesAndFolders(parent, title);
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, done] { done(dialog->chosen()); });
    dialog->open();
}

void chooseWithDesktop(QWidget* parent, const QString& title, Done done) {
    QPointer<QWidget> guard(parent);
    DesktopFileChooser::choose(title, done, [guard, parent, title, done] {
        if (guard || !parent)
            chooseWithQt(guard, title, done);
    });
}

} // namespace FileChooser
