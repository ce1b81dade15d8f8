#include "Document.h"

#include "core/ByteScan.h"

#include <algorithm>

namespace vellum {

std::size_t countCharacters(std::string_view bytes) {
    return bytes.size() - bytescan::countCrLf(bytes);
}

void MemoryTextBox::setText(Bytes text) {
    text_ = std::move(text);
    count_ = countCharacters(text_);
    notifyChanged();
}

Document::Document() : Document(std::make_shared<MemoryTextBox>()) {}

Document::Document(std::shared_ptr<TextBox> textBox) : textBox_(std::move(textBox)) {
    textBox_->setChangeHandler([this] { txtMain_Change(); });
}

void Document::setText(Bytes text) {
    // Setting the same text is no change. The box's character count rules out
    // most other texts at once: a text has between half as many characters
    // as bytes and as many.
    const std::size_t count = textBox_->characterCount();
    const bool countFits = count <= text.size() && count >= text.size() - text.size() / 2;
    if (countFits && countCharacters(text) == count && textBox_->text() == text) {
        return;
    }
    textBox_->setText(std::move(text));
}

void Document::setNameBox(const Bytes& text, std::size_t caret) {
    showNameBox(text, caret);
    nameBoxPending_ = true;
}

void Document::takeOverNameBox() {
    if (nameBoxPending_) {
        txtVarName_LostFocus();
    }
}

void Document::showNameBox(const Bytes& text, std::size_t caret) {
    const bool changed = text != nameBox_;
    nameBox_ = text;
    nameBoxCaret_ = std::min(caret, nameBox_.size());
    if (changed) {
        txtVarName_Change();
    }
    if (observer_ != nullptr) {
        observer_->nameBoxChanged();
    }
}

void Document::captionsChanged() {
    if (observer_ != nullptr) {
        observer_->captionsChanged();
    }
}

void Document::RefreshStatus() {
    if (VarName.size() > kMaxNameLength) {
        VarName.resize(kMaxNameLength);
    }
    // Setting the box to VarName is a change whenever the two differ, and the
    // change handler then lower-cases the box.
    showNameBox(VarName, nameBoxCaret_);
    nameBoxPending_ = false;
    lblFileName_ = DocTitle;
    lblSave_ = IsSaved ? "" : kModified;
    captionsChanged();
}

void Document::txtMain_Change() {
    IsSaved = false;
    // The size of the string data a compile would write: the text with CR LF
    // pairs as single LFs, plus the two lead-in bytes.
    lblSize_ = kSizePrefix + std::to_string(textBox_->characterCount() + 2);
    captionsChanged();
}

void Document::txtVarName_Change() {
    const std::size_t caret = nameBoxCaret_;
    nameBox_ = Charset::toLower(nameBox_);
    nameBoxCaret_ = std::min(caret, nameBox_.size());
}

void Document::txtVarName_LostFocus() {
    if (!nameBox_.empty() && nameBox_ == VarName) {
        RefreshStatus();
        return;
    }
    VarName = storableName(nameBox_);
    IsSaved = false;
    RefreshStatus();
}

void Document::resetToNew() {
    setText({});
    DocTitle = kDefaultTitle;
    VarName = kDefaultVarName;
    IsSaved = true;
    HasPath = false;
    Encoding = TextEncoding::Utf8;
    RefreshStatus();
}

Bytes Document::storableName(const Bytes& name) {
    return name.empty() ? Bytes(kDefaultVarName) : name;
}

Bytes Document::TitleFromFileName(std::string_view fileTitle) {
    // A name typed without an extension is used as it is.
    const auto dot = fileTitle.find('.');
    return Charset::toLower(Charset::encodeText(Charset::fromUtf8(fileTitle.substr(0, dot))));
}

} // namespace vellum
