#include "MainWindow.h"

#include "CharMap.h"
#include "Controls.h"
#include "Display.h"
#include "Fonts.h"
#include "Icon.h"
#include "QtServices.h"
#include "TextArea.h"

#include "formats/Clocks.h"
#include "io/ByteFiles.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>

namespace vellum::ui {
namespace {

// "&Variable Name", 30 spaces, "Filename".
const QString kHeaderCaption =
    QStringLiteral("&Variable Name") + QString(30, QLatin1Char(' ')) + QStringLiteral("Filename");

QLabel* makeLabel(const QString& caption, const QRect& rect, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    label->setGeometry(rect);
    return label;
}

} // namespace

MainWindow::MainWindow(EditorServices services, StartUpSteps moreSteps)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowIcon(programIcon());
    setFont(controlFont());
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();

    if (services.dlgFile == nullptr) {
        dlgFile_ = std::make_unique<QtFileDialog>(this);
        services.dlgFile = dlgFile_.get();
    }
    if (services.dlgString == nullptr) {
        dlgString_ = std::make_unique<QtFileDialog>(this);
        services.dlgString = dlgString_.get();
    }
    if (services.boxes == nullptr) {
        boxes_ = std::make_unique<QtMessageBoxes>(this);
        services.boxes = boxes_.get();
    }
    if (services.clock == nullptr) {
        clock_ = std::make_unique<LocalClock>();
        services.clock = clock_.get();
    }
    if (services.files == nullptr) {
        files_ = std::make_unique<io::DiskFiles>();
        services.files = files_.get();
    }

    doc_ = std::make_unique<Document>(std::make_shared<TextAreaBox>(txtMain_));
    doc_->setObserver(this);
    editor_ = std::make_unique<Editor>(*doc_, services);
    // Qt lays out and converts the whole text on every load and paste; past a
    // few megabytes the window would stop answering for seconds.
    editor_->setTextSizeLimit(kMaxTextBytes);
    txtMain_->setSizeLimit(kMaxTextBytes);
    connect(txtMain_, &TextArea::pasteTooLarge, this,
            [this, boxes = services.boxes](std::size_t bytes) {
                boxes->showError(Editor::tooLargeMessage("The pasted text", bytes, kMaxTextBytes),
                                 kErrorTitle);
            });
    wire();
    Form_Load(moreSteps);
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
    txtMain_ = new TextArea(this);
    txtMain_->setObjectName(QStringLiteral("txtMain"));
    txtMain_->setGeometry(0, 0, 315, 275);

    auto button = [this](const char* name, const QString& caption, const QRect& rect) {
        auto* b = new CommandButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(rect);
        return b;
    };
    cmdNew_ = button("cmdNew", QStringLiteral("&New"), {319, 4, 97, 23});
    cmdSave_ = button("cmdSave", QStringLiteral("&Save"), {319, 27, 45, 23});
    cmdSaveAs_ = button("cmdSaveAs", QStringLiteral("Save &As"), {365, 27, 51, 23});
    cmdLoad_ = button("cmdLoad", QStringLiteral("&Load"), {319, 50, 97, 23});
    cmdLoadS_ = button("cmdLoadS", QStringLiteral("Load .&85s"), {319, 73, 97, 23});
    cmdString_ =
        button("cmdString", QStringLiteral("Compile into TI-8&5 String"), {319, 105, 97, 29});

    lblHeader_ = new WrappingLabel(kHeaderCaption, this);
    lblHeader_->setObjectName(QStringLiteral("lblHeader"));
    lblHeader_->setGeometry(316, 144, 100, 35);

    txtVarName_ = new NameBox(this);
    txtVarName_->setObjectName(QStringLiteral("txtVarName"));
    txtVarName_->setText(QStringLiteral("XXXXXXXX"));
    txtVarName_->setGeometry(326, 155, 86, 8);
    lblHeader_->setBuddy(txtVarName_); // Alt+V goes to the name box

    lblFileName_ = makeLabel(QStringLiteral("XXXXXXXX"), {326, 178, 84, 8}, this);
    lblFileName_->setObjectName(QStringLiteral("lblFileName"));
    lblSave_ = makeLabel(QStringLiteral("MODIFIED"), {324, 192, 83, 7}, this);
    lblSave_->setObjectName(QStringLiteral("lblSave"));
    lblSave_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    cmdCharMap_ = button("cmdCharMap", QStringLiteral("Character Map"), {319, 205, 97, 19});

    lblSize_ = makeLabel(QString::fromLatin1(Document::kSizePrefix), {318, 226, 66, 8}, this);
    lblSize_->setObjectName(QStringLiteral("lblSize"));

    QWidget* order[] = {txtMain_,  cmdNew_,    cmdSave_,    cmdSaveAs_, cmdLoad_,
                        cmdLoadS_, cmdString_, txtVarName_, cmdCharMap_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

void MainWindow::wire() {
    connect(cmdNew_, &QPushButton::clicked, this, [this] { editor_->cmdNew_Click(); });
    connect(cmdSave_, &QPushButton::clicked, this, [this] { editor_->cmdSave_Click(); });
    connect(cmdSaveAs_, &QPushButton::clicked, this, [this] { editor_->cmdSaveAs_Click(); });
    connect(cmdLoad_, &QPushButton::clicked, this, [this] { editor_->cmdLoad_Click(); });
    connect(cmdLoadS_, &QPushButton::clicked, this, [this] { editor_->cmdLoadS_Click(); });
    connect(cmdString_, &QPushButton::clicked, this, [this] { editor_->cmdString_Click(); });
    connect(cmdCharMap_, &QPushButton::clicked, this, &MainWindow::cmdCharMap_Click);
    // txtMain's changes reach the document through its TextBox.
    connect(txtVarName_, &QLineEdit::textEdited, this, &MainWindow::txtVarName_Edited);
    connect(txtVarName_, &NameBox::lostFocus, this, [this] { doc_->txtVarName_LostFocus(); });
}

void MainWindow::Form_Load(const StartUpSteps& moreSteps) {
    doc_->IsSaved = true;
    editor_->cmdNew_Click();
    if (moreSteps) {
        moreSteps(*this);
    }
    txtMain_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::cmdCharMap_Click() {
    if (charMap_ == nullptr) {
        charMap_ = new CharMap(this, [this](std::uint8_t code) { insertFromCharMap(code); });
    }
    charMap_->show();
    charMap_->raise();
    charMap_->activateWindow();
}

void MainWindow::insertFromCharMap(std::uint8_t code) {
    txtMain_->replaceSelection(code);
    txtMain_->setFocus(Qt::OtherFocusReason);
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    editor_->Form_QueryUnload(cancel);
    if (cancel) {
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
        if (const QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
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
}

} // namespace vellum::ui
