#pragma once
// The Qt side of the commands' interfaces: the common file dialog and the
// message boxes, modal to the main window.

#include "commands/Services.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace vellum::ui {

// "description|pattern|description|pattern" as Qt name filters. Each filter
// shows its description and matches its patterns (";"-separated patterns
// become Qt's space-separated ones; "*.*" matches every file, with or without
// a dot, as it does in the calculator users' world).
QStringList nameFilters(const std::string& filter);

// dlgFile and dlgString. Remembers which filter pair the user chose last and
// selects it again at the next show, as long as the new list has that many.
class QtFileDialog final : public FileDialog {
  public:
    explicit QtFileDialog(QWidget* owner) : owner_(owner) {}

    FileChoice showOpen(const DialogSettings& settings) override;
    FileChoice showSave(const DialogSettings& settings) override;

    // The filter pair chosen last, counted from 0.
    int filterIndex() const { return filterIndex_; }

  private:
    FileChoice show(const DialogSettings& settings, bool save);

    QWidget* owner_;
    int filterIndex_ = 0;
};

class QtMessageBoxes final : public MessageBoxes {
  public:
    explicit QtMessageBoxes(QWidget* owner) : owner_(owner) {}

    Answer askYesNoCancel(const std::string& message, const std::string& title) override;
    bool askYesNoCritical(const std::string& message, const std::string& title) override;
    bool askYesNo(const std::string& message, const std::string& title) override;
    void showError(const std::string& message, const std::string& title) override;
    void showWarning(const std::string& message, const std::string& title) override;

  private:
    QWidget* owner_;
};

} // namespace vellum::ui
