#include "window/qt/SettingsWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSessionManager>
#include <QTest>

#include <gtest/gtest.h>

#include "fake/FakePlatform.h"
#include "window/SettingsForm.h"

// Readable QString values in failure messages.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kirramo {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() { fs.commandLine = ""; }

    template <class W = QWidget>
    W* Widget(const char* name) {
        auto* w = qobject_cast<W*>(window.Widget(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Click(const char* name) { QTest::mouseClick(Widget(name), Qt::LeftButton); }
    // The session manager asks the program to save its data before the user is logged off.
    void EndTheSession() {
        auto* manager = qApp->findChild<QSessionManager*>();
        ASSERT_NE(manager, nullptr);
        emit qApp->commitDataRequest(*manager);
    }

    Session session;
    FakePlatform fs;
    SettingsForm form{session, fs};
    SettingsWindow window{form};
};

// The text a widget shows as its caption, whatever its kind (without the line breaks
// that fit a long caption into its box).
QString CaptionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text().remove(QLatin1Char('\n'));
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

TEST_F(SettingsWindowTest, ShowsEveryControlOfTheForm) {
    window.LoadAndShow();
    EXPECT_EQ(window.windowTitle(), "Kirramo");
    EXPECT_FALSE(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const double dpi = window.screen()->logicalDotsPerInchX();
    EXPECT_NEAR(window.width(), SettingsForm::kClientWidth * dpi / 1440, 1);

    for (const Control& c : form.Controls()) {
        QWidget* w = window.Widget(Q(c.name));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->objectName(), Q(c.name));
        EXPECT_EQ(CaptionOf(w), Q(c.caption)) << c.name;
        EXPECT_EQ(w->toolTip(), Q(c.tooltip)) << c.name;
        EXPECT_EQ(w->isEnabled(), form.IsUsable(c.name)) << c.name;
        EXPECT_EQ(w->parentWidget(), c.container.empty() ? &window : window.Widget(Q(c.container))) << c.name;
        // Every caption fits its box in the system's Japanese font.
        if (auto* box = qobject_cast<QCheckBox*>(w)) {
            EXPECT_LE(box->sizeHint().width(), box->width()) << c.name;
            const auto lines = box->text().count(QLatin1Char('\n')) + 1;
            EXPECT_LE(QFontMetrics(box->font()).height() * lines, box->height() + 2) << c.name;
            EXPECT_LE(box->geometry().bottom(), box->parentWidget()->height()) << c.name;
        }
    }
    EXPECT_EQ(Widget<QCheckBox>("ChkTreeF")->x(), qRound(1800 * dpi / 1440));
    EXPECT_TRUE(Widget<QRadioButton>("OptLong")->isChecked());
    EXPECT_TRUE(Widget<QPushButton>("CmdGet")->isDefault());
    EXPECT_EQ(Widget<QPushButton>("CmdGet")->text(), "取　得");
    EXPECT_EQ(Widget("CmdGet")->font().pointSizeF(), 12);
    EXPECT_EQ(Widget("CboPattern")->font().pointSizeF(), 11.25);
    auto* pattern = Widget<QComboBox>("CboPattern");
    EXPECT_TRUE(pattern->isEditable());
    EXPECT_EQ(pattern->currentText(), "*.*");
    EXPECT_EQ(pattern->count(), 12);
    EXPECT_EQ(pattern->itemText(11), "*.txt");
    EXPECT_FALSE(pattern->isEnabled());
    EXPECT_EQ(window.focusWidget(), Widget("ChkName"));  // the focus as the window gets active
}

TEST_F(SettingsWindowTest, JapaneseFontAndIcon) {
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    if (japanese.isEmpty()) GTEST_SKIP() << "no Japanese font on this system";
    // The face of the layout, or where the system lacks it a Japanese face.
    const QFontInfo shown(Widget("CmdGet")->font());
    EXPECT_TRUE(japanese.contains(shown.family())) << shown.family().toStdString();
    EXPECT_TRUE(japanese.contains(QFontInfo(window.font()).family()));

    QList<QSize> sizes = SettingsWindow::Icon().availableSizes();
    EXPECT_EQ(sizes, (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
}

TEST_F(SettingsWindowTest, TabOrderFollowsTheForm) {
    const std::vector<std::string> order = form.TabOrder();
    QStringList expected, seen;
    for (const auto& name : order) expected << Q(name);
    QWidget* first = window.Widget(expected.first());
    QWidget* w = first;
    do {
        if (expected.contains(w->objectName())) seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first && seen.size() < 100);
    EXPECT_EQ(seen, expected);
    for (const QString& name : expected) EXPECT_NE(window.Widget(name)->focusPolicy() & Qt::TabFocus, 0);
}

TEST_F(SettingsWindowTest, ClicksAndTypingReachTheForm) {
    window.LoadAndShow();
    Click("ChkTreeP");
    EXPECT_TRUE(form.At("ChkTreeP").checked);
    EXPECT_FALSE(Widget("ChkName")->isEnabled());
    EXPECT_FALSE(Widget("ChkExt")->isEnabled());
    Click("ChkTreeF");
    EXPECT_FALSE(Widget<QCheckBox>("ChkTreeP")->isChecked());
    Click("ChkTreeF");
    EXPECT_TRUE(Widget("ChkName")->isEnabled());

    Click("ChkFolder");
    EXPECT_TRUE(Widget("CboPattern")->isEnabled());
    QLineEdit* patternEdit = Widget<QComboBox>("CboPattern")->lineEdit();
    patternEdit->clear();
    QTest::keyClicks(patternEdit, "*.log");
    EXPECT_EQ(form.At("CboPattern").text, "*.log");
    EXPECT_EQ(Widget<QComboBox>("CboPattern")->count(), 12);
    Widget<QComboBox>("CboPattern")->setCurrentIndex(1);  // picked from the list
    EXPECT_EQ(form.At("CboPattern").text, "*.bat");

    QTest::keyClicks(Widget("TxtPrefix"), " <a ");
    EXPECT_EQ(form.At("TxtPrefix").text, " <a ");
    Click("OptShot");
    EXPECT_TRUE(form.At("OptShot").selected);
    EXPECT_FALSE(form.At("OptLong").selected);

    // The unit label steps the unit; inside a disabled frame it takes no clicks.
    Click("LblUnit");
    EXPECT_EQ(session.options.GUnit, 1);
    EXPECT_EQ(Widget<QLabel>("LblUnit")->text(), "byte");
    Click("ChkDir");
    EXPECT_FALSE(Widget("LblUnit")->isEnabled());
    Click("LblUnit");
    EXPECT_EQ(session.options.GUnit, 1);

    Click("CmdHelp");
    EXPECT_EQ(fs.usageTextOpened, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(form.IsClosed());
}

TEST_F(SettingsWindowTest, EnterPressesGet) {
    window.LoadAndShow();
    Click("ChkUpper");
    QTest::keyClick(Widget("ChkName"), Qt::Key_Return);
    EXPECT_TRUE(form.IsClosed());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(session.options.GUpper);
    EXPECT_FALSE(session.Cancelled);
    EXPECT_EQ(fs.settingsWrites, 1);
}

TEST_F(SettingsWindowTest, EnterInThePatternBoxPressesGet) {
    window.LoadAndShow();
    Click("ChkFolder");
    QLineEdit* edit = Widget<QComboBox>("CboPattern")->lineEdit();
    edit->clear();
    QTest::keyClicks(edit, "*.new");
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_TRUE(form.IsClosed());
    EXPECT_EQ(session.options.GFPattern, "*.new");
    EXPECT_EQ(form.At("CboPattern").list.size(), 12u);  // the typed pattern is not added
}

TEST_F(SettingsWindowTest, EscapeCancels) {
    window.LoadAndShow();
    Click("ChkUpper");
    QTest::keyClick(Widget("ChkUpper"), Qt::Key_Escape);
    EXPECT_TRUE(form.IsClosed());
    EXPECT_TRUE(session.Cancelled);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(session.options.GUpper);
    EXPECT_EQ(fs.settingsWrites, 0);
}

TEST_F(SettingsWindowTest, CloseBoxSavesWithoutRunning) {
    window.LoadAndShow();
    Click("LblUnit");
    window.close();
    EXPECT_TRUE(form.IsClosed());
    EXPECT_FALSE(session.Cancelled);
    EXPECT_EQ(fs.settingsWrites, 1);
    EXPECT_FALSE(fs.clipboard.has_value());
    ASSERT_TRUE(fs.settingsText.has_value());
    EXPECT_NE(fs.settingsText->find("GUnit=1\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, DoubleClickOnTheUnitLabelStepsOnce) {
    window.LoadAndShow();
    QWidget* label = Widget("LblUnit");
    // Through the window, as the display delivers it: press, release, press (the
    // double-click), release.
    const QPoint at = label->mapTo(&window, label->rect().center());
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(session.options.GUnit, 1);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(session.options.GUnit, 2);
    EXPECT_EQ(Widget<QLabel>("LblUnit")->text(), "KB");
}

TEST_F(SettingsWindowTest, EndOfTheSessionSavesAsClosingDoes) {
    window.LoadAndShow();
    Click("LblUnit");
    EndTheSession();
    EXPECT_EQ(fs.settingsWrites, 1);
    ASSERT_TRUE(fs.settingsText.has_value());
    EXPECT_NE(fs.settingsText->find("GUnit=1\r\n"), std::string::npos);
    EXPECT_FALSE(session.Cancelled);
    EXPECT_FALSE(fs.clipboard.has_value());
    // The session may yet go on (the logging off was cancelled): the window still works,
    // and closing it saves once more.
    Click("LblUnit");
    window.close();
    EXPECT_EQ(fs.settingsWrites, 2);
    EXPECT_NE(fs.settingsText->find("GUnit=2\r\n"), std::string::npos);
}

TEST_F(SettingsWindowTest, EndOfTheSessionAfterCancelSavesNothing) {
    window.LoadAndShow();
    Click("CmdCancel");
    EndTheSession();
    EXPECT_EQ(fs.settingsWrites, 0);
}

}  // namespace
}  // namespace kirramo
