// Model -> widget: every change the window model makes shows at once in the
// widget that draws it.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
// For QPixmapCache::totalUsed, which Qt builds into its library for its own tests.
#define Q_TEST_QPIXMAPCACHE
#include <QPixmapCache>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "GuiTestSupport.h"
#include "SampleForm.h"
#include "gui/Convert.h"
#include "gui/FormWindow.h"

namespace gui::test {

using platform::Property;

TEST_F(GuiTest, WindowFollowsTheFormsCaptionGeometryAndShowState) {
    SampleForm form;
    EXPECT_EQ(renderer->windowOf(form), nullptr) << "no window before the form loads";
    form.Show();
    FormWindow* w = renderer->windowOf(form);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Sample of every control"));
    EXPECT_EQ(w->size(), QSize(520, 344)) << "client area of 7800 x 5160 twips";

    form.setCaption("Caf\xE9 - 3640(80.0mm) on LAN");
    EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Caf\u00e9 - 3640(80.0mm) on LAN"));
    form.Move(1500, 750, 6000 + form.frameWidth(), 3000 + form.frameHeight());
    EXPECT_EQ(w->size(), QSize(400, 200));
    EXPECT_EQ(w->pos(), QPoint(100, 50));
    form.setEnabled(false);
    EXPECT_FALSE(w->widgetOf(form.OKButton)->isEnabled());
    form.setEnabled(true);

    form.Hide();
    EXPECT_FALSE(w->isVisible());
    form.Show();
    EXPECT_TRUE(w->isVisible());
    platform::Unload(form);
    EXPECT_EQ(renderer->windowOf(form), nullptr);
    form.Show();
    EXPECT_NE(renderer->windowOf(form), nullptr) << "a form loaded again gets a new window";
}

TEST_F(GuiTest, ControlWidgetsMirrorEveryPropertyChange) {
    SampleForm form;
    form.Show();
    auto* ok = widget<QPushButton>(form.OKButton);
    auto* cut = widget<QCheckBox>(form.AutoCut);
    auto* width58 = widget<QRadioButton>(form.Width(0));
    auto* model = widget<QComboBox>(form.Model);
    auto* host = widget<QLineEdit>(form.Host);
    ASSERT_TRUE(ok && cut && width58 && model && host);

    // Captions keep their access keys in Qt's syntax.
    EXPECT_EQ(ok->text(), QStringLiteral("OK (&1)"));
    EXPECT_TRUE(ok->isDefault());
    form.OKButton.setCaption("Yes (&1)");
    EXPECT_EQ(ok->text(), QStringLiteral("Yes (&1)"));

    EXPECT_EQ(ok->geometry(), QRect(100, 288, 119, 37));
    form.OKButton.Move(150, 300, 1500, 450);
    EXPECT_EQ(ok->geometry(), QRect(10, 20, 100, 30));
    EXPECT_EQ(widget<QRadioButton>(form.Width(1))->geometry().topLeft(), QPoint(16, 44))
        << "inside its frame";

    EXPECT_EQ(cut->checkState(), Qt::Checked);
    form.AutoCut.setValue(platform::vbUnchecked);
    EXPECT_EQ(cut->checkState(), Qt::Unchecked);
    form.AutoCut.setValue(platform::vbGrayed);
    EXPECT_EQ(cut->checkState(), Qt::PartiallyChecked);

    form.Width(0).setValue(true);
    EXPECT_TRUE(width58->isChecked());
    EXPECT_FALSE(widget<QRadioButton>(form.Width(1))->isChecked());

    EXPECT_EQ(model->count(), 4);
    EXPECT_EQ(model->itemText(3), QString::fromUtf8("Caf\u00e9 3650"));
    EXPECT_EQ(model->currentIndex(), 2);
    form.Model.AddItem("3600", 0);
    EXPECT_EQ(model->count(), 5);
    EXPECT_EQ(model->currentIndex(), 3) << "the selection stays on its entry";
    form.Model.Clear();
    EXPECT_EQ(model->count(), 0);
    EXPECT_EQ(model->currentIndex(), -1);

    form.Host.setText("10.0.0.7");
    form.Host.setSelStart(3);
    form.Host.setSelLength(2);
    EXPECT_EQ(host->text(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(host->selectionStart(), 3);
    EXPECT_EQ(host->selectedText(), QStringLiteral("0."));
    form.Host.setLocked(true);
    EXPECT_TRUE(host->isReadOnly());
    form.Host.setPasswordChar('*');
    EXPECT_EQ(host->echoMode(), QLineEdit::Password);
}

TEST_F(GuiTest, EnabledVisibleFontAndColoursFollowTheModel) {
    SampleForm form;
    form.Show();
    QWidget* option = renderer->widgetOf(form.Width(0));
    QWidget* frame = renderer->widgetOf(form.PaperFrame);
    auto* host = widget<QLineEdit>(form.Host);

    // A disabled or hidden container disables or hides its children in
    // effect, while their own state is kept for when it comes back.
    form.PaperFrame.setEnabled(false);
    EXPECT_FALSE(option->isEnabled());
    EXPECT_TRUE(option->isEnabledTo(frame));
    form.PaperFrame.setEnabled(true);
    EXPECT_TRUE(option->isEnabled());
    form.PaperFrame.setVisible(false);
    EXPECT_FALSE(option->isVisible());
    EXPECT_FALSE(option->isHidden());
    form.PaperFrame.setVisible(true);
    EXPECT_TRUE(option->isVisible());
    EXPECT_FALSE(renderer->widgetOf(form.Width(2))->isEnabled());

    EXPECT_EQ(host->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(QFontInfo(host->font()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(host->font().pixelSize(), 11) << "8 points";
    form.Host.setFont(platform::FontSpec{"Arial", 12, true});
    EXPECT_EQ(host->font().pixelSize(), 16);
    EXPECT_TRUE(host->font().bold());

    form.Host.setForeColor(platform::vbRed);
    form.Host.setBackColor(platform::vbInfoBackground);
    EXPECT_EQ(host->palette().color(QPalette::Active, QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(host->palette().color(QPalette::Base), toQColor(platform::vbInfoBackground));
    EXPECT_EQ(host->palette().color(QPalette::Disabled, QPalette::Text), toQColor(platform::vbGrayText))
        << "disabled text stays grey";
    EXPECT_EQ(toQColor(platform::vbInfoBackground), QColor(255, 255, 225));
}

TEST_F(GuiTest, ControlArrayElementsLoadedAtRunTimeGetWidgets) {
    SampleForm form;
    form.Show();
    platform::OptionButton& extra = form.Width.load(3);
    extra.Move(240, 1260, 2200, 255);
    extra.setCaption("&76 mm");
    QWidget* w = renderer->widgetOf(extra);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), renderer->widgetOf(form.PaperFrame));
    EXPECT_EQ(static_cast<QRadioButton*>(w)->text(), QStringLiteral("&76 mm"));
    EXPECT_TRUE(w->isVisible());
    QPointer<QWidget> gone = w;
    form.Width.unload(3);
    // Hidden at once, deleted between loop passes.
    ASSERT_TRUE(gone);
    EXPECT_FALSE(gone->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(gone);
}

TEST_F(GuiTest, TimersAndImageListsHaveNoWidget) {
    SampleForm form;
    form.Show();
    EXPECT_EQ(renderer->widgetOf(form.Poll), nullptr);
    EXPECT_EQ(renderer->widgetOf(form.Pictures), nullptr);
}

// The style keeps the pieces it drew under keys of each window's own
// palettes: a window that went must take its pieces along, or every opening
// adds about 70 kB of them (the cache counts its use in whole megabytes).
TEST_F(GuiTest, WindowsOpenedAndClosedAgainLeaveNoDrawnPiecesBehind) {
    int usedAfterFirst = 0;
    for (int round = 1; round <= 30; ++round) {
        auto form = platform::newForm<SampleForm>();
        form->Show();
        pump();  // drawn
        platform::Unload(*form);
        pump();
        if (round == 1) usedAfterFirst = QPixmapCache::totalUsed();
    }
    EXPECT_EQ(QPixmapCache::totalUsed(), usedAfterFirst);
}

}  // namespace gui::test
