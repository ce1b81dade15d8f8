#include "QtServices.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace vellum::ui {
namespace {

QString fromUtf8(const std::string& text) {
    // Messages may carry CR LF between their lines; a Qt label wants '\n'.
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// A box centred over its owner's window, also over one not shown yet (a box
// at start-up stands where the window will appear). Qt settles a box's size
// in its show event (on Windows it widens it to its title) after placing it
// by an earlier size, so it is placed again there, before it reaches the
// screen.
class CentredBox final : public QMessageBox {
  public:
    CentredBox(Icon icon, const std::string& title, const std::string& message,
               StandardButtons buttons, QWidget* owner)
        : QMessageBox(icon, fromUtf8(title), fromUtf8(message), buttons, owner), owner_(owner) {}

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (owner_ != nullptr) {
            QRect frame = frameGeometry();
            frame.moveCenter(owner_->window()->geometry().center());
            move(frame.topLeft());
        }
    }

  private:
    const QWidget* owner_;
};

} // namespace

QStringList nameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (QString pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        // Qt reads the patterns from the last parentheses and, with
        // HideNameFilterDetails, shows only what stands before them.
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

FileChoice QtFileDialog::showOpen(const DialogSettings& settings) {
    return show(settings, false);
}

FileChoice QtFileDialog::showSave(const DialogSettings& settings) {
    return show(settings, true);
}

FileChoice QtFileDialog::show(const DialogSettings& settings, bool save) {
    QFileDialog dialog(owner_, QString::fromStdString(settings.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A typed name need not exist: the commands deal with missing files.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = nameFilters(settings.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(filterIndex_ < filters.size() ? filterIndex_ : 0));
    }
    if (!settings.fileName.empty()) {
        dialog.selectFile(QString::fromStdString(settings.fileName));
    }
    dialog.setWindowModality(Qt::WindowModal);

    const bool accepted = dialog.exec() == QDialog::Accepted;
    // With the details hidden Qt may report the filter by its description.
    const QString selected = dialog.selectedNameFilter();
    for (qsizetype i = 0; i < filters.size(); ++i) {
        if (filters[i] == selected || filters[i].startsWith(selected + QStringLiteral(" ("))) {
            filterIndex_ = static_cast<int>(i);
            break;
        }
    }
    FileChoice choice;
    if (!accepted || dialog.selectedFiles().isEmpty()) {
        return choice; // cancelled: empty path
    }
    const QString path = dialog.selectedFiles().constFirst();
    choice.path = path.toStdString();
    choice.fileTitle = QFileInfo(path).fileName().toStdString();
    return choice;
}

Answer QtMessageBoxes::askYesNoCancel(const std::string& message, const std::string& title) {
    CentredBox box(QMessageBox::Question, title, message,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner_);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel); // closing the box answers Cancel
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool QtMessageBoxes::askYesNoCritical(const std::string& message, const std::string& title) {
    CentredBox box(QMessageBox::Critical, title, message, QMessageBox::Yes | QMessageBox::No,
                   owner_);
    // No, so that a held Enter key cannot walk through one box after another
    // and leave a broken file behind.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtMessageBoxes::askYesNo(const std::string& message, const std::string& title) {
    CentredBox box(QMessageBox::Question, title, message, QMessageBox::Yes | QMessageBox::No,
                   owner_);
    // These questions guard a file: Enter alone must not replace it.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

namespace {

void showWithOk(QMessageBox::Icon icon, const std::string& message, const std::string& title,
                QWidget* owner) {
    CentredBox box(icon, title, message, QMessageBox::Ok, owner);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

} // namespace

void QtMessageBoxes::showError(const std::string& message, const std::string& title) {
    showWithOk(QMessageBox::Critical, message, title, owner_);
}

void QtMessageBoxes::showWarning(const std::string& message, const std::string& title) {
    showWithOk(QMessageBox::Warning, message, title, owner_);
}

} // namespace vellum::ui
