#include "window/qt/SettingsWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextBoundaryFinder>

#include <cmath>

#include "window/SettingsForm.h"
#include "window/qt/FormPlacement.h"

namespace kirramo {

namespace {

std::string U(const QString& text) { return text.toUtf8().toStdString(); }

QStringList Items(const std::vector<std::string>& list) {
    QStringList items;
    for (const std::string& s : list) items << Q(s);
    return items;
}

// Japanese sans-serif faces found on Linux desktops, best first.
const char* const kJapaneseSans[] = {
    "MS PGothic",       "Noto Sans CJK JP", "Noto Sans JP", "Source Han Sans JP", "IPAexGothic", "IPAPGothic", "IPAGothic",
    "VL PGothic",       "VL Gothic",    "TakaoPGothic",       "TakaoGothic", "Droid Sans Japanese",
};

// A frame drawn as the layout means it: an etched line around the whole box, its top at
// half the caption's height, the caption standing on that line. (The toolkit's group
// box puts the caption above the line and would push the line into the controls.)
class FrameBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QFontMetrics fm(font());
        const int lineY = title().isEmpty() ? 0 : fm.height() / 2;
        const QRect box = rect().adjusted(0, lineY, -2, -2);
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(box);
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(box.translated(1, 1));
        if (title().isEmpty()) return;
        const int pad = fm.horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
        const QRect caption(fm.horizontalAdvance(QLatin1Char(' ')) + 2, 0,
                            fm.horizontalAdvance(title()) + 2 * pad, fm.height());
        p.fillRect(caption, palette().brush(QPalette::Window));
        style()->drawItemText(&p, caption, Qt::AlignCenter, palette(), isEnabled(), title(),
                              QPalette::WindowText);
    }
};

// Fits a check box's caption into the box the layout gives it. The designed layout
// counts on the window font of its system; where this system's font is wider, a
// caption that does not fit is broken into lines where the language allows a break,
// the font made a little smaller until each line fits, and the box made as tall as
// the lines need, about its old centre and within its container.
void FitCaption(QAbstractButton* button, const QString& caption) {
    QStyle* style = button->style();
    const bool option = qobject_cast<QRadioButton*>(button) != nullptr;
    const int indicator =
        style->pixelMetric(option ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr, button) +
        style->pixelMetric(option ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, nullptr,
                           button);
    const int room = button->width() - indicator - 2;
    button->setText(caption);
    if (room <= 0 || QFontMetrics(button->font()).horizontalAdvance(caption) <= room) return;
    // Only a box designed for more than one line is wrapped; a one-line box is clipped.
    const int maxLines = static_cast<int>(
        std::lround(static_cast<double>(button->height()) / QFontMetrics(button->font()).lineSpacing()));
    if (maxLines < 2) return;

    QFont font = button->font();
    QStringList lines;
    for (;;) {
        const QFontMetrics fm(font);
        lines.clear();
        QString line;
        QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, caption);
        int start = 0;
        for (int end = breaks.toNextBoundary(); end > 0; end = breaks.toNextBoundary()) {
            const QString piece = caption.mid(start, end - start);
            if (!line.isEmpty() && fm.horizontalAdvance(line + piece) > room) {
                lines << line;
                line.clear();
            }
            line += piece;
            start = end;
        }
        if (!line.isEmpty()) lines << line;
        int widest = 0;
        for (const QString& l : lines) widest = std::max(widest, fm.horizontalAdvance(l));
        if ((widest <= room && lines.size() <= maxLines) || font.pointSizeF() <= 7) break;
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    button->setFont(font);
    button->setText(lines.join(QLatin1Char('\n')));

    const int needed = QFontMetrics(font).lineSpacing() * static_cast<int>(lines.size());
    QRect box = button->geometry();
    if (needed > box.height()) {
        box.adjust(0, -(needed - box.height()) / 2, 0, needed - box.height() - (needed - box.height()) / 2);
        if (QWidget* parent = button->parentWidget()) {
            if (box.bottom() > parent->height() - 1) box.moveBottom(parent->height() - 1);
            if (box.top() < 0) box.moveTop(0);
        }
        button->setGeometry(box);
    }
}

QString JapaneseSansFamily() {
    for (const char* family : kJapaneseSans)
        if (QFontDatabase::hasFamily(QString::fromUtf8(family))) return QString::fromUtf8(family);
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    for (const QString& family : japanese)
        if ((family.contains("Sans", Qt::CaseInsensitive) || family.contains("Gothic", Qt::CaseInsensitive)) &&
            !family.contains("Mono", Qt::CaseInsensitive))
            return family;
    return japanese.isEmpty() ? QString() : japanese.first();
}

}  // namespace

QFont SettingsWindow::JapaneseFont(const std::string& face, double points) {
    QFont font;
    QString family = Q(face);
    if (!QFontDatabase::hasFamily(family)) family = JapaneseSansFamily();
    if (!family.isEmpty()) font.setFamilies({family});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

// Drawn on a 16-pixel grid and scaled by whole numbers, so every edge stays sharp.
QIcon SettingsWindow::Icon() {
    QIcon icon;
    for (int k : {1, 2, 3}) {
        QPixmap pixmap(16 * k, 16 * k);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        auto box = [&p, k](int x, int y, int w, int h, QColor color) {
            p.fillRect(x * k, y * k, w * k, h * k, color);
        };
        auto clearCorners = [&p, k](int x, int y, int w, int h) {
            p.setCompositionMode(QPainter::CompositionMode_Clear);
            for (auto [cx, cy] : {std::pair{x, y}, {x + w - 1, y}, {x, y + h - 1}, {x + w - 1, y + h - 1}})
                p.fillRect(cx * k, cy * k, k, k, Qt::transparent);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        };
        // The board with its dark edge, the sheet of paper, the lines of text, the clip.
        box(2, 2, 12, 14, QColor(0x5c, 0x3a, 0x1a));
        box(3, 3, 10, 12, QColor(0xc0, 0x80, 0x40));
        clearCorners(2, 2, 12, 14);
        box(4, 4, 8, 10, Qt::white);
        const int lengths[] = {6, 4, 6, 5};
        for (int i = 0; i < 4; ++i) box(5, 6 + 2 * i, lengths[i], 1, QColor(0x1f, 0x5f, 0xc8));
        box(5, 1, 6, 4, QColor(0x50, 0x58, 0x60));
        box(6, 2, 4, 2, QColor(0xd0, 0xd6, 0xdc));
        clearCorners(5, 1, 6, 4);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

SettingsWindow::SettingsWindow(SettingsForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(Q(SettingsForm::kCaption));
    setWindowIcon(Icon());
    // A fixed dialog with a title and a close button, without minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(JapaneseFont(SettingsForm::kWindowFontFace, SettingsForm::kWindowFontSize));
    Build();
    Place(screen());
    Render();
    // Logging off or shutting down with the window open saves the options as closing
    // the window does.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { form_.EndSession(); });
}

// Creates one widget per control, in the form's creation order, inside its frame.
void SettingsWindow::Build() {
    for (const Control& c : form_.Controls()) {
        const QString name = Q(c.name);
        QWidget* parent = c.container.empty() ? static_cast<QWidget*>(this) : widgets_.value(Q(c.container));
        QWidget* w = nullptr;
        switch (c.kind) {
        case ControlKind::Frame:
            w = new FrameBox(Q(c.caption), parent);
            break;
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(Q(c.caption), parent);
            connect(box, &QCheckBox::clicked, this, [this, c = c.name](bool checked) {
                form_.SetChecked(c, checked);
                Render();
            });
            w = box;
            break;
        }
        case ControlKind::OptionButton: {
            auto* option = new QRadioButton(Q(c.caption), parent);
            connect(option, &QRadioButton::clicked, this, [this, c = c.name] {
                form_.SelectOption(c);
                Render();
            });
            w = option;
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            // A typed pattern is used but not added to the list.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setMaxVisibleItems(12);
            connect(combo, &QComboBox::editTextChanged, this,
                    [this, c = c.name](const QString& text) { form_.SetText(c, U(text)); });
            w = combo;
            break;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(parent);
            connect(edit, &QLineEdit::textEdited, this,
                    [this, c = c.name](const QString& text) { form_.SetText(c, U(text)); });
            w = edit;
            break;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(Q(c.caption), parent);
            // A label that carries a command takes clicks (see eventFilter).
            if (c.command != Command::None) {
                label->installEventFilter(this);
                label->setCursor(Qt::PointingHandCursor);
            }
            w = label;
            break;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(Q(c.caption), parent);
            button->setDefault(c.isDefault);
            connect(button, &QPushButton::clicked, this, [this, command = c.command] {
                form_.Run(command);
                AfterCommand();
            });
            w = button;
            break;
        }
        }
        w->setObjectName(name);
        if (!c.tooltip.empty()) w->setToolTip(Q(c.tooltip));
        widgets_.insert(name, w);
    }

    QWidget* previous = nullptr;
    for (const std::string& name : form_.TabOrder()) {
        QWidget* w = widgets_.value(Q(name));
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

// Places every widget from the form's twips at the screen's resolution.
void SettingsWindow::Place(QScreen* screen) {
    for (const Control& c : form_.Controls()) {
        QWidget* w = widgets_.value(Q(c.name));
        w->setGeometry(PixelRect(c.left, c.top, c.width, c.height, screen));
        // The control's own font, or the window's; set anew before a caption is fitted.
        w->setFont(c.fontFace.empty() ? QFont() : JapaneseFont(c.fontFace, c.fontSize));
        if (auto* box = qobject_cast<QCheckBox*>(w)) FitCaption(box, Q(c.caption));
    }
    setFixedSize(PixelSize(SettingsForm::kClientWidth, SettingsForm::kClientHeight, screen));
}

void SettingsWindow::LoadAndShow() {
    const PointerScreen s = ScreenAtPointer();
    // The form places the window on a screen whose corner is (0, 0).
    form_.Load(s.cursor.x(), s.cursor.y(), s.twipsPerPixelX, s.twipsPerPixelY, s.widthTwips, s.heightTwips);
    if (s.screen) setScreen(s.screen);
    Place(s.screen);
    Render();
    move(s.Point(form_.WindowLeft(), form_.WindowTop()));
    show();
    if (QWidget* first = widgets_.value(Q(form_.InitialFocus()))) first->setFocus(Qt::OtherFocusReason);
}

// Shows the form's states: checks, selections, texts, captions and enabled states.
void SettingsWindow::Render() {
    for (const Control& c : form_.Controls()) {
        QWidget* w = widgets_.value(Q(c.name));
        QSignalBlocker block(w);
        w->setEnabled(c.enabled);
        w->setVisible(c.visible);
        switch (c.kind) {
        case ControlKind::CheckBox:
            static_cast<QCheckBox*>(w)->setChecked(c.checked);
            break;
        case ControlKind::OptionButton:
            if (c.selected) static_cast<QRadioButton*>(w)->setChecked(true);
            break;
        case ControlKind::ComboBox: {
            auto* combo = static_cast<QComboBox*>(w);
            const QStringList items = Items(c.list);
            QStringList shown;
            for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
            if (shown != items) {
                combo->clear();
                combo->addItems(items);
            }
            if (combo->currentText() != Q(c.text)) combo->setEditText(Q(c.text));
            break;
        }
        case ControlKind::TextBox: {
            auto* edit = static_cast<QLineEdit*>(w);
            if (edit->text() != Q(c.text)) edit->setText(Q(c.text));
            break;
        }
        case ControlKind::Label:
            static_cast<QLabel*>(w)->setText(Q(c.caption));
            break;
        default:
            break;
        }
    }
}

// After a command: a closed form closes the window; otherwise show the form again.
void SettingsWindow::AfterCommand() {
    if (form_.IsClosed()) close();
    else Render();
}

// The close box: the form decides what closing stores. While Get's run goes on the
// window takes no input, the close box included.
void SettingsWindow::closeEvent(QCloseEvent* event) {
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    form_.Close();
    event->accept();
}

// Esc presses the cancel button.
void SettingsWindow::reject() {
    for (const Control& c : form_.Controls()) {
        auto* button = qobject_cast<QPushButton*>(widgets_.value(Q(c.name)));
        if (c.isCancel && button) {
            button->click();
            return;
        }
    }
}

// A click on a label that carries a command (a press and release of the left button
// over it). A double-click is one click: the release that ends it runs nothing.
bool SettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (label && event->type() == QEvent::MouseButtonDblClick) {
        doubleClicked_ = label;
        return true;
    }
    if (label && event->type() == QEvent::MouseButtonPress) doubleClicked_ = nullptr;
    if (label && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const Control* c = form_.Find(U(label->objectName()));
        if (c && mouse->button() == Qt::LeftButton) {
            const bool second = doubleClicked_ == label;
            doubleClicked_ = nullptr;
            if (!second && label->rect().contains(mouse->position().toPoint()) && form_.Run(c->command))
                AfterCommand();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kirramo
