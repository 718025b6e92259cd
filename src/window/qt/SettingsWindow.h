// The Qt 6 view of the settings window.
//
// Builds one fixed-size dialog from the controls of a SettingsForm, passes every user
// action to the form and then shows the form's states again. It keeps no state of its
// own: checks, selections, texts, captions and enabled states all come from the form.
#pragma once

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QIcon>

#include <string>

class QScreen;

namespace kirramo {

class SettingsForm;

class SettingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit SettingsWindow(SettingsForm& form, QWidget* parent = nullptr);

    // Runs the form's loading for the pointer's screen, places the window where the
    // form says, and shows it with the focus on the form's first control.
    void LoadAndShow();

    // The widget that shows the named control (its objectName is the control's name).
    QWidget* Widget(const QString& name) const { return widgets_.value(name); }

    // The program's icon: a clipboard with lines of text, drawn at 16, 32 and 48 pixels.
    static QIcon Icon();
    // The named face at the given size; where the system lacks it, a Japanese
    // sans-serif face of the system.
    static QFont JapaneseFont(const std::string& face, double points);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void Place(QScreen* screen);
    void Render();
    void AfterCommand();

    SettingsForm& form_;
    QHash<QString, QWidget*> widgets_;  // the widget of each control, by the control's name
    QObject* doubleClicked_ = nullptr;  // the label whose double-click awaits its release
};

}  // namespace kirramo
