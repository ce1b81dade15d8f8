#pragma once
// The Qt side of ListChooser: a small modal dialog with a prompt, the list and
// OK and Cancel, over the main window.

#include "commands/Services.h"

class QWidget;

namespace vellum::ui {

class QtListChooser final : public ListChooser {
  public:
    explicit QtListChooser(QWidget* owner) : owner_(owner) {}

    std::optional<std::size_t> choose(const std::string& title, const std::string& prompt,
                                      const std::vector<std::string>& items) override;

  private:
    QWidget* owner_;
};

} // namespace vellum::ui
