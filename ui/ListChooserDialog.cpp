#include "ListChooserDialog.h"

#include "Fonts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellum::ui {

std::optional<std::size_t> QtListChooser::choose(const std::string& title,
                                                 const std::string& prompt,
                                                 const std::vector<std::string>& items) {
    QDialog dialog(owner_);
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QString::fromStdString(prompt), &dialog);
    label->setFont(controlFont());
    layout->addWidget(label);

    // The names are calculator characters: the calculator font draws them all.
    auto* list = new QListWidget(&dialog);
    list->setFont(calculatorFont());
    list->setSpacing(2); // the selection bar would otherwise touch the glyphs
    list->setUniformItemSizes(true);
    for (const std::string& item : items) {
        list->addItem(QString::fromStdString(item));
    }
    list->setCurrentRow(0);
    label->setBuddy(list);
    layout->addWidget(list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    for (QAbstractButton* button : buttons->buttons()) {
        button->setFont(controlFont());
    }
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);

    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(list->currentRow());
}

} // namespace vellum::ui
