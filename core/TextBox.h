#pragma once
// The main text box as the document sees it.
//
// While the user types, the text lives in the window's text widget; the
// document reads it through this interface only when a command needs it.
// Every change of the box, by the user or through setText, must end in a call
// of the change handler, exactly once per change.

#include "Charset.h"

#include <cstddef>
#include <functional>
#include <string_view>

namespace vellum {

class TextBox {
  public:
    virtual ~TextBox() = default;

    virtual Bytes text() const = 0;
    // Calls use with the text: without a copy where the box holds it as bytes.
    virtual void withText(const std::function<void(std::string_view text)>& use) const {
        use(text());
    }
    // Replaces the whole text; the caller has checked that it differs.
    virtual void setText(Bytes text) = 0;
    // Number of characters with a CR LF pair counted as one: what the size
    // readout needs, without converting the whole text on every keystroke.
    virtual std::size_t characterCount() const = 0;

    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  protected:
    void notifyChanged() const {
        if (changed_) {
            changed_();
        }
    }

  private:
    std::function<void()> changed_;
};

// A text box without a window: the text as plain bytes. Used by the command
// line tool and by tests.
class MemoryTextBox final : public TextBox {
  public:
    Bytes text() const override { return text_; }
    void withText(const std::function<void(std::string_view text)>& use) const override {
        use(text_);
    }
    void setText(Bytes text) override;
    std::size_t characterCount() const override { return count_; }

    // Stands for the user typing: replaces the text and reports the change.
    void typeText(const Bytes& text) { setText(text); }

  private:
    Bytes text_;
    std::size_t count_ = 0;
};

// Characters of a byte text with every CR LF pair counted as one.
std::size_t countCharacters(std::string_view bytes);

} // namespace vellum
