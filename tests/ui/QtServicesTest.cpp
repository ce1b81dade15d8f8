// Qt's file dialog and message boxes as the commands see them, driven by a
// timer that answers the modal dialog.
#include "ui/QtServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace vellum;
using namespace vellum::ui;

namespace {

// Runs `answer` on the modal dialog once it is up.
template <typename Dialog> void whenShown(std::function<void(Dialog*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

} // namespace

class QtServicesTest : public QObject {
    Q_OBJECT

  private slots:
    void filtersShowTheirDescriptionAndMatchTheirPatterns() {
        const QStringList filters =
            nameFilters("'Vellum' Files (*.vlm)|*.vlm|Regular Text Files|*.txt|All Files|*.*");
        QCOMPARE(filters, QStringList({"'Vellum' Files (*.vlm) (*.vlm)",
                                       "Regular Text Files (*.txt)", "All Files (*)"}));
        QCOMPARE(nameFilters("Both|*.a;*.b"), QStringList({"Both (*.a *.b)"}));
        QCOMPARE(nameFilters(""), QStringList());
    }

    void fileDialogReportsPathTitleAndRemembersTheFilter() {
        QWidget owner;
        QtFileDialog dialog(&owner);
        QTemporaryDir dir;
        const DialogSettings settings{"Save String", "TI-85 String|*.85s|All Files|*.*",
                                      (dir.path() + "/untitled.85s").toStdString()};
        QString shownTitle;
        QStringList shownFilters;
        QString shownFilter;
        whenShown<QFileDialog>([&](QFileDialog* d) {
            shownTitle = d->windowTitle();
            shownFilters = d->nameFilters();
            shownFilter = d->selectedNameFilter();
            QVERIFY(d->testOption(QFileDialog::HideNameFilterDetails));
            QCOMPARE(d->acceptMode(), QFileDialog::AcceptSave);
            d->selectNameFilter(d->nameFilters().at(1)); // the user picks "All Files"
            static_cast<QDialog*>(d)->accept();
        });
        const FileChoice choice = dialog.showSave(settings);
        QCOMPARE(shownTitle, QStringLiteral("Save String"));
        QCOMPARE(shownFilters.size(), 2);
        // The first pair at first use, shown as its description.
        QCOMPARE(shownFilter, QStringLiteral("TI-85 String"));
        QCOMPARE(QString::fromStdString(choice.path), dir.path() + "/untitled.85s");
        QCOMPARE(choice.fileTitle, std::string("untitled.85s"));
        QCOMPARE(dialog.filterIndex(), 1);

        // The next show selects the pair chosen last; a cancel reports nothing.
        whenShown<QFileDialog>([&](QFileDialog* d) {
            shownFilter = d->selectedNameFilter();
            QCOMPARE(d->acceptMode(), QFileDialog::AcceptOpen);
            d->reject();
        });
        const FileChoice cancelled = dialog.showOpen(settings);
        QVERIFY(cancelled.cancelled());
        QCOMPARE(cancelled.fileTitle, std::string());
        QCOMPARE(shownFilter, QStringLiteral("All Files"));
    }

    void unsavedQuestionBox() {
        QWidget owner;
        QtMessageBoxes boxes(&owner);
        const QMessageBox::StandardButton presses[] = {QMessageBox::Yes, QMessageBox::No,
                                                       QMessageBox::Cancel};
        const Answer answers[] = {Answer::Yes, Answer::No, Answer::Cancel};
        for (int i = 0; i < 3; ++i) {
            whenShown<QMessageBox>([&, i](QMessageBox* box) {
                QCOMPARE(box->text(), QStringLiteral("File Unsaved. Save Now?"));
                QCOMPARE(box->windowTitle(), QStringLiteral("Question"));
                QCOMPARE(box->icon(), QMessageBox::Question);
                QCOMPARE(box->standardButtons(),
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                QCOMPARE(static_cast<QAbstractButton*>(box->defaultButton()),
                         box->button(QMessageBox::Yes));
                box->button(presses[i])->click();
            });
            QCOMPARE(boxes.askYesNoCancel("File Unsaved. Save Now?", "Question"), answers[i]);
        }
        // Closing the box (Esc) answers Cancel.
        whenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(boxes.askYesNoCancel("File Unsaved. Save Now?", "Question"), Answer::Cancel);
    }

    void writerFailureAndErrorBoxes() {
        QWidget owner;
        QtMessageBoxes boxes(&owner);
        whenShown<QMessageBox>([](QMessageBox* box) {
            // The writer separates its lines by CR LF; the box shows lines.
            QCOMPARE(box->text(),
                     QStringLiteral("Error 6 has occured while writing String.\nOverflow\n"
                                    "Continue Anyway?"));
            QCOMPARE(box->windowTitle(), QStringLiteral("Error 6"));
            QCOMPARE(box->icon(), QMessageBox::Critical);
            QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!boxes.askYesNoCritical(
            "Error 6 has occured while writing String.\r\nOverflow\r\nContinue Anyway?",
            "Error 6"));
        // Enter answers No, so that a held key cannot walk on; so does Escape.
        const auto press = [](Qt::Key key) {
            return [key](QMessageBox*) { QTest::keyClick(QApplication::focusWidget(), key); };
        };
        const std::pair<std::function<void(QMessageBox*)>, bool> answers[] = {
            {[](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }, true},
            {press(Qt::Key_Return), false},
            {press(Qt::Key_Escape), false}};
        for (const auto& [answer, continues] : answers) {
            whenShown<QMessageBox>(answer);
            QCOMPARE(boxes.askYesNoCritical("x", "Error 1"), continues);
        }

        bool shown = false;
        whenShown<QMessageBox>([&shown](QMessageBox* box) {
            shown = true;
            QCOMPARE(box->text(), QStringLiteral("Not a valid 'Scrollet' String."));
            QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
            QCOMPARE(box->icon(), QMessageBox::Critical);
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            box->button(QMessageBox::Ok)->click();
        });
        boxes.showError("Not a valid 'Scrollet' String.", "Error");
        QVERIFY(shown);
    }
};

QTEST_MAIN(QtServicesTest)
#include "QtServicesTest.moc"
