#include "MainWindow.h"

#include "CharMap.h"
#include "Controls.h"
#include "Display.h"
#include "Fonts.h"
#include "Icon.h"
#include "TextArea.h"

#include "commands/Messages.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

namespace vellum::ui {
namespace {

// "&Variable Name", 30 spaces, "Filename".
const QString kHeaderCaption =
    QStringLiteral("&Variable Name") + QString(30, QLatin1Char(' ')) + QStringLiteral("Filename");

// The control's rectangle from the layout table.
QRect rectOf(std::string_view control) {
    const layout::Place& place = layout::placeOf(control);
    return {place.left, place.top, place.width, place.height};
}

// Names the control and puts it where the layout table says.
template <typename Control> Control* placed(Control* control, std::string_view name) {
    control->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    control->setGeometry(rectOf(name));
    return control;
}

// A standard key's bindings on this platform, and the Ctrl one people expect
// from every editor where the platform has none (Qt gives Ctrl as Command on
// macOS).
QList<QKeySequence> keysOf(QKeySequence::StandardKey standard, const QKeySequence& ctrl) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    if (!keys.contains(ctrl)) {
        keys.append(ctrl);
    }
    return keys;
}

// A red that stands out on the window's background, light or dark: Qt's
// palette has no colour of its own for an error.
QColor errorColour(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() >= 128 ? QColor(176, 0, 0)
                                                              : QColor(255, 110, 110);
}

QLabel* makeLabel(const QString& caption, std::string_view name, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    return placed(label, name);
}

} // namespace

MainWindow::MainWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
    // The controls are laid out for the calculator face: built without it, the
    // window would wrap its captions in whatever face stood in (on Windows,
    // with no font of that shape, "Variable Name" broke in two).
    registerFonts();
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowIcon(programIcon());
    setFont(controlFont());
    setFixedSize(kClientWidth, kClientHeight);
    // Where the window will appear, already while shell/ runs the start-up
    // steps before the first show: a box shown then stands over its owner,
    // so it appears there too.
    centreOnScreen();
    buildControls();

    doc_ = std::make_unique<Document>(std::make_shared<TextAreaBox>(txtMain_));
    doc_->setObserver(this);
    // Qt lays out and converts the whole text on every load and paste; past a
    // few megabytes the window would stop answering for seconds.
    txtMain_->setSizeLimit(kMaxTextBytes);
    txtMain_->setLineLengthLimit(kMaxLineBytes);
    wireControls();
    txtMain_->setFocus(Qt::OtherFocusReason); // first in the tab order
}

MainWindow::~MainWindow() {
    if (charMap_ != nullptr) {
        delete charMap_;
    }
    doc_->setObserver(nullptr);
}

void MainWindow::buildControls() {
    // Created in tab order, which is also the stacking order: the name box
    // lies over the header label, the title label over its bottom edge.
    txtMain_ = placed(new TextArea(this), "txtMain");

    auto button = [this](std::string_view name, const QString& caption) {
        return placed(new CommandButton(caption, this), name);
    };
    cmdNew_ = button("cmdNew", QStringLiteral("&New"));
    cmdSave_ = button("cmdSave", QStringLiteral("&Save"));
    cmdSaveAs_ = button("cmdSaveAs", QStringLiteral("Save &As"));
    cmdLoad_ = button("cmdLoad", QStringLiteral("&Load"));
    cmdLoadS_ = button("cmdLoadS", QStringLiteral("Load .&85s"));
    cmdString_ = button("cmdString", QStringLiteral("Compile into TI-8&5 String"));

    lblHeader_ = placed(new WrappingLabel(kHeaderCaption, this), "lblHeader");

    txtVarName_ = placed(new NameBox(this), "txtVarName");
    txtVarName_->setText(QStringLiteral("XXXXXXXX"));
    lblHeader_->setBuddy(txtVarName_); // Alt+V goes to the name box

    lblFileName_ = makeLabel(QStringLiteral("XXXXXXXX"), "lblFileName", this);
    lblSave_ = makeLabel(QStringLiteral("MODIFIED"), "lblSave", this);
    lblSave_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    cmdCharMap_ = button("cmdCharMap", QStringLiteral("Character Map"));

    lblSize_ = makeLabel(QString::fromLatin1(Document::kSizePrefix), "lblSize", this);

    // In the free corner under the size readout, so the layout stays as it is.
    lblNote_ = makeLabel(QString(), "lblNote", this);
    lblNote_->setWordWrap(true);
    lblNote_->hide();
    noteTimer_ = new QTimer(this);
    noteTimer_->setSingleShot(true);
    noteTimer_->setInterval(kNoteMilliseconds);
    connect(noteTimer_, &QTimer::timeout, lblNote_, &QWidget::hide);

    QWidget* order[] = {txtMain_,  cmdNew_,    cmdSave_,    cmdSaveAs_, cmdLoad_,
                        cmdLoadS_, cmdString_, txtVarName_, cmdCharMap_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

template <typename Command> void MainWindow::run(Command command) {
    if (editor_ != nullptr) {
        // The command has shown whatever went wrong; the window only follows
        // the document's captions.
        (void)command(*editor_);
    }
}

void MainWindow::wireControls() {
    connect(cmdNew_, &QPushButton::clicked, this,
            [this] { run([](Editor& e) { return e.cmdNew_Click(); }); });
    connect(cmdSave_, &QPushButton::clicked, this,
            [this] { run([](Editor& e) { return e.cmdSave_Click(); }); });
    connect(cmdSaveAs_, &QPushButton::clicked, this,
            [this] { run([](Editor& e) { return e.cmdSaveAs_Click(); }); });
    connect(cmdLoad_, &QPushButton::clicked, this,
            [this] { run([](Editor& e) { return e.cmdLoad_Click(); }); });
    connect(cmdLoadS_, &QPushButton::clicked, this,
            [this] { run([](Editor& e) { return e.cmdLoadS_Click(); }); });
    connect(cmdString_, &QPushButton::clicked, this,
            [this] { run([](Editor& e) { return e.cmdString_Click(); }); });
    connect(cmdCharMap_, &QPushButton::clicked, this, &MainWindow::cmdCharMap_Click);
    connect(txtMain_, &TextArea::pasteTooLarge, this, [this](std::size_t bytes) {
        run([bytes](Editor& e) {
            e.reportPasteTooLarge(bytes, kMaxTextBytes);
            return 0;
        });
    });
    connect(txtMain_, &TextArea::pasteLineTooLong, this, [this](std::size_t bytes) {
        run([bytes](Editor& e) {
            e.reportPasteLineTooLong(bytes, kMaxLineBytes);
            return 0;
        });
    });
    connect(txtMain_, &TextArea::pasteReplaced, this, &MainWindow::showPasteNote);
    connect(txtMain_, &TextArea::textEdited, lblNote_, &QWidget::hide);
    // txtMain's changes reach the document through its TextBox.
    connect(txtVarName_, &QLineEdit::textEdited, this, &MainWindow::txtVarName_Edited);
    connect(txtVarName_, &NameBox::lostFocus, this, [this] { doc_->txtVarName_LostFocus(); });
    wireShortcuts();
}

void MainWindow::wireShortcuts() {
    const auto shortcut = [this](QKeySequence::StandardKey standard, QKeyCombination ctrl,
                                 auto slot) {
        auto* keys = new QShortcut(this);
        keys->setKeys(keysOf(standard, QKeySequence(ctrl)));
        connect(keys, &QShortcut::activated, this, [this, slot] {
            // The focus stays where it is, so a name still being typed is
            // taken over as leaving the box would.
            doc_->takeOverNameBox();
            slot();
        });
    };
    shortcut(QKeySequence::New, Qt::CTRL | Qt::Key_N, [this] { cmdNew_->click(); });
    shortcut(QKeySequence::Open, Qt::CTRL | Qt::Key_O, [this] { cmdLoad_->click(); });
    shortcut(QKeySequence::Save, Qt::CTRL | Qt::Key_S, [this] { cmdSave_->click(); });
    shortcut(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S,
             [this] { cmdSaveAs_->click(); });
    // Through the close request, so the unsaved-changes prompt runs.
    shortcut(QKeySequence::Close, Qt::CTRL | Qt::Key_W, [this] { close(); });
    shortcut(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q, [this] { close(); });
}

void MainWindow::wire(Editor& editor) {
    editor_ = &editor;
    editor.setTextSizeLimit(kMaxTextBytes);
    editor.setLineLengthLimit(kMaxLineBytes);
    showSizeLimit();
}

void MainWindow::cmdCharMap_Click() {
    if (charMap_ == nullptr) {
        charMap_ = new CharMap(this, [this](std::uint8_t code, CharMap::FocusAfter focus) {
            insertFromCharMap(code, focus);
        });
    }
    charMap_->show();
    charMap_->raise();
    charMap_->activateWindow();
}

void MainWindow::insertFromCharMap(std::uint8_t code, CharMap::FocusAfter focus) {
    txtMain_->replaceSelection(code);
    if (focus == CharMap::FocusAfter::Text) {
        txtMain_->setFocus(Qt::OtherFocusReason);
        activateWindow();
    }
}

void MainWindow::showPasteNote(std::size_t replaced) {
    // Told without a box: the paste has happened and the user goes on typing.
    lblNote_->setText(QString::fromStdString(messages::replacedCharacters(replaced)));
    lblNote_->show();
    noteTimer_->start();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (editor_ != nullptr && !isDone(editor_->Form_QueryUnload())) {
        event->ignore();
        return;
    }
    event->accept();
    if (charMap_ != nullptr) {
        charMap_->close();
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        centreOnScreen(); // again, now that the frame is known
    }
    QWidget::showEvent(event);
}

void MainWindow::centreOnScreen() {
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MainWindow::nameBoxChanged() {
    const QString shown = displayLine(doc_->nameBox());
    if (txtVarName_->text() != shown) {
        txtVarName_->setText(shown);
    }
    txtVarName_->setCursorPosition(static_cast<int>(doc_->nameBoxCaret()));
}

void MainWindow::txtVarName_Edited(const QString& text) {
    // The caret as a character offset (the box may hold characters outside
    // the 16-bit range until they are folded).
    const std::size_t caret = text.left(txtVarName_->cursorPosition()).toStdU32String().size();
    doc_->setNameBox(lineBytes(text), caret);
}

void MainWindow::captionsChanged() {
    lblFileName_->setText(displayLine(doc_->lblFileName()));
    lblSave_->setText(QString::fromStdString(doc_->lblSave()));
    const QString size = QString::fromStdString(doc_->lblSize());
    if (lblSize_->text() != size) {
        lblSize_->setText(size);
        // The size label fits its caption and keeps its left edge.
        lblSize_->resize(lblSize_->fontMetrics().horizontalAdvance(size), lblSize_->height());
    }
    showSizeLimit();
}

void MainWindow::showSizeLimit() {
    const bool tooLong = editor_ != nullptr && editor_->textTooLongForString();
    const QString tip =
        tooLong ? QString::fromStdString(messages::dataSizeOverLimit(editor_->largestStringData()))
                : QString();
    if (tip == lblSize_->toolTip()) {
        return; // as it was: runs at every keystroke, so nothing is set again
    }
    QPalette look = palette();
    if (tooLong) {
        look.setColor(QPalette::WindowText, errorColour(look));
    }
    lblSize_->setPalette(look);
    lblSize_->setToolTip(tip);
}

} // namespace vellum::ui
