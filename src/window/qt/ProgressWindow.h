// The Qt 6 view of the progress window (ProgressForm).
//
// A small fixed window "Kirramo" near the pointer: the form's labels, a bar (busy
// where the amount of work is unknown) and 中止. It shows without taking the focus, so
// that what the user types goes on reaching the window that had it; a click on 中止
// works all the same, and Esc once the user has given the window the focus. The
// close box acts as 中止. The view keeps no state of its own and never decides when
// to draw: its host draws it when the form's Tick says so, and closes it when the run
// has ended.
#pragma once

#include <QDialog>
#include <QHash>

class QProgressBar;

namespace kirramo {

class ProgressForm;
enum class Command;

class ProgressWindow : public QDialog {
    Q_OBJECT

public:
    explicit ProgressWindow(ProgressForm& form, QWidget* parent = nullptr);

    // Places the window near the pointer, as the form says, and shows it without
    // taking the focus.
    void PlaceAndShow();
    // Shows the form's texts, the bar and the enabled states.
    void Render();

    // The widget that shows the named control (its objectName is the control's name).
    QWidget* Widget(const QString& name) const { return widgets_.value(name); }
    QProgressBar* Bar() const { return bar_; }

signals:
    // The user's 中止 (the button, Esc or the close box) has reached the form.
    void Stopped();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Run(Command command);

    ProgressForm& form_;
    QHash<QString, QWidget*> widgets_;
    QProgressBar* bar_ = nullptr;
};

}  // namespace kirramo
