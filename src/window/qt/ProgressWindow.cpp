#include "window/qt/ProgressWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "window/ProgressForm.h"
#include "window/SettingsForm.h"
#include "window/qt/FormPlacement.h"
#include "window/qt/SettingsWindow.h"

namespace kirramo {

ProgressWindow::ProgressWindow(ProgressForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(Q(ProgressForm::kCaption));
    setWindowIcon(SettingsWindow::Icon());
    // A fixed dialog with a title and a close button, without minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // The user goes on working in the file manager while the run goes on: the window
    // appears without taking the focus from it (a window that could never have the
    // focus would not take Esc either).
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(SettingsWindow::JapaneseFont(SettingsForm::kWindowFontFace, SettingsForm::kWindowFontSize));

    for (const Control& c : form_.Controls()) {
        QWidget* w = nullptr;
        if (c.kind == ControlKind::Button) {
            auto* button = new QPushButton(Q(c.caption), this);
            button->setDefault(c.isDefault);
            connect(button, &QPushButton::clicked, this, [this, command = c.command] { Run(command); });
            w = button;
        } else {
            w = new QLabel(Q(c.caption), this);
        }
        w->setObjectName(Q(c.name));
        widgets_.insert(w->objectName(), w);
    }
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    Render();
}

void ProgressWindow::PlaceAndShow() {
    const PointerScreen s = ScreenAtPointer();
    form_.Place(s.cursor.x(), s.cursor.y(), s.twipsPerPixelX, s.twipsPerPixelY, s.widthTwips, s.heightTwips);
    if (s.screen) setScreen(s.screen);
    for (const Control& c : form_.Controls())
        widgets_.value(Q(c.name))->setGeometry(PixelRect(c.left, c.top, c.width, c.height, s.screen));
    const ProgressForm::Bar& b = form_.ProgressBar();
    bar_->setGeometry(PixelRect(b.left, b.top, b.width, b.height, s.screen));
    setFixedSize(PixelSize(ProgressForm::kClientWidth, ProgressForm::kClientHeight, s.screen));
    move(s.Point(form_.WindowLeft(), form_.WindowTop()));
    Render();
    show();
}

void ProgressWindow::Render() {
    for (const Control& c : form_.Controls()) {
        QWidget* w = widgets_.value(Q(c.name));
        w->setEnabled(c.enabled);
        if (auto* label = qobject_cast<QLabel*>(w)) label->setText(Q(c.caption));
    }
    // A range of 0..0 is the toolkit's busy bar.
    const int percent = form_.ProgressBar().percent;
    if (percent == ProgressForm::kBusy) {
        bar_->setRange(0, 0);
    } else {
        bar_->setRange(0, 100);
        bar_->setValue(percent);
    }
}

void ProgressWindow::Run(Command command) {
    if (!form_.Run(command)) return;
    Render();
    emit Stopped();
}

// The close box acts as 中止; the window stays until the run has ended, when its host
// hides it.
void ProgressWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Run(Command::Cancel);
}

// Esc acts as 中止.
void ProgressWindow::reject() { Run(Command::Cancel); }

}  // namespace kirramo
