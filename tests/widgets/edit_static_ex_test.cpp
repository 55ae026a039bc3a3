#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "button_events.h"
#include "controls/edit_ex.h"
#include "controls/looks.h"
#include "controls/static_ex.h"

namespace {

using namespace button_events;
using looks::SysColor;

class DigitRejecter : public CEditEx::CharFilter {
  public:
    bool Accept(char32_t ch) const override { return ch < U'0' || ch > U'9'; }
};

// A shown dialog; beeps, opened URLs and messages are recorded, and the
// process-wide hooks are restored afterwards.
class EditStaticTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = std::make_unique<QWidget>();
        dialog->resize(300, 200);
        dialog->show();
        looks::setBeepHook([this] { ++beeps; });
        previousOpener = CStaticEx::SetUrlOpener([this](const QString& url) {
            opened.push_back(url);
            return openerSucceeds;
        });
        previousMessage = CStaticEx::SetMessageHook(
            [this](QWidget*, const QString& text) { messages.push_back(text); });
    }
    void TearDown() override {
        looks::setBeepHook({});
        CStaticEx::SetUrlOpener(std::move(previousOpener));
        CStaticEx::SetMessageHook(std::move(previousMessage));
    }

    CEditEx* makeEdit() {
        auto* e = new CEditEx(dialog.get());
        e->setGeometry(10, 10, 120, 28);
        e->show();
        return e;
    }
    CStaticEx* makeStatic(const QString& text = "VFO A") {
        auto* s = new CStaticEx(text, dialog.get());
        s->setGeometry(10, 50, 120, 20);
        s->show();
        return s;
    }

    std::unique_ptr<QWidget> dialog;
    int beeps = 0;
    bool openerSucceeds = true;
    std::vector<QString> opened;
    std::vector<QString> messages;
    CStaticEx::UrlOpener previousOpener;
    CStaticEx::MessageHook previousMessage;
};

TEST_F(EditStaticTest, EditColoursReachThePaletteAndSurviveReadOnly) {
    CEditEx* e = makeEdit();
    EXPECT_EQ(e->SetBkColor(0x000000), looks::sysColorRef(SysColor::Window));
    EXPECT_EQ(e->SetTextColor(0x00FF00), looks::sysColorRef(SysColor::WindowText));
    EXPECT_EQ(e->SetBkColor(0x000000), 0x000000u);
    EXPECT_EQ(e->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(e->palette().color(QPalette::Text), QColor(0, 255, 0));

    const QPoint inside(e->width() - 8, e->height() / 2);
    EXPECT_EQ(render(e).pixel(inside), qRgb(0, 0, 0));
    e->setReadOnly(true);
    EXPECT_EQ(render(e).pixel(inside), qRgb(0, 0, 0)) << "read-only keeps its background";
}

TEST_F(EditStaticTest, FilterDropsRejectedCharactersWithOneBeepEach) {
    CEditEx* e = makeEdit();
    QTest::keyClicks(e, "a1b");
    EXPECT_EQ(e->text(), "a1b") << "no filter, nothing dropped";
    EXPECT_EQ(beeps, 0);

    e->clear();
    e->SetCharFilter(std::make_unique<DigitRejecter>());
    QTest::keyClicks(e, "a1b");
    EXPECT_EQ(e->text(), "ab");
    EXPECT_EQ(beeps, 1);
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), "a") << "editing keys are not typed characters";
    EXPECT_EQ(beeps, 1);
}

TEST_F(EditStaticTest, FontsUsePixelHeightsAndNormalWeightForTheShortForm) {
    CEditEx* e = makeEdit();
    e->SetFont(-30, 700, 0, "Times New Roman");
    EXPECT_EQ(e->font().pixelSize(), 30);
    EXPECT_EQ(e->font().weight(), QFont::Normal);
    ASSERT_NE(e->GetFontDescription(), nullptr);
    EXPECT_EQ(e->GetFontDescription()->face, "Times New Roman");

    looks::FontDescription bold{"Tahoma", -15, 700};
    e->SetFont(&bold);
    EXPECT_EQ(e->font().weight(), QFont::Bold);
    e->SetFont(nullptr);
    EXPECT_EQ(e->font().pixelSize(), 15);

    CEditEx* copy = makeEdit();
    copy->Assign(*e);
    EXPECT_EQ(copy->GetBkColor(), e->GetBkColor());
    ASSERT_NE(copy->GetFontDescription(), nullptr);
    EXPECT_EQ(copy->font().pixelSize(), 15);
}

TEST_F(EditStaticTest, StaticFillsItsBackgroundInItsColours) {
    CStaticEx* s = makeStatic("");
    EXPECT_EQ(s->GetVisitedColor(), 0xC08000u);
    EXPECT_EQ(s->SetBkColor(0xDFB880), looks::sysColorRef(SysColor::BtnFace));
    EXPECT_EQ(s->SetTextColor(0x0000FF), looks::sysColorRef(SysColor::WindowText));
    EXPECT_EQ(render(s).pixel(60, 10), qRgb(128, 184, 223));
    EXPECT_EQ(s->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(EditStaticTest, PlainStaticTakesNoClicksUntilAskedTo) {
    CStaticEx* s = makeStatic();
    int notified = 0;
    s->SetClickNotify([&notified] { ++notified; });
    (void)render(s);
    EXPECT_FALSE(s->IsNotify()) << "painting never switches a plain static to clicks";
    click(s, QPoint(5, 5));
    EXPECT_EQ(notified, 0);
    s->ModifyNotify(true);
    click(s, QPoint(5, 5));
    EXPECT_EQ(notified, 1);
}

TEST_F(EditStaticTest, LinkOpensAndTurnsVisited) {
    CStaticEx* s = makeStatic("home page");
    s->SetURL("http://example.invalid/");
    (void)render(s);
    ASSERT_TRUE(s->IsNotify());
    click(s, QPoint(5, 5));
    EXPECT_EQ(opened, std::vector<QString>{"http://example.invalid/"});
    EXPECT_TRUE(s->IsVisited());
    EXPECT_EQ(s->palette().color(QPalette::WindowText), looks::toQColor(0xC08000));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(beeps, 0);
}

TEST_F(EditStaticTest, LinkThatCannotBeOpenedSaysSoAndStaysUnvisited) {
    openerSucceeds = false;
    CStaticEx* s = makeStatic("home page");
    s->SetURL("http://example.invalid/");
    s->ModifyNotify(true);
    click(s, QPoint(5, 5));
    EXPECT_EQ(messages, std::vector<QString>{"Unable to open http://example.invalid/."});
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(s->IsVisited());
    EXPECT_EQ(s->palette().color(QPalette::WindowText), QColor(0, 0, 0));
}

TEST_F(EditStaticTest, ClickTogglesTheCompanionBeforeOpeningAndNotifying) {
    CStaticEx* s = makeStatic();
    QWidget companion(dialog.get());
    companion.show();
    std::vector<std::string> order;
    s->SetCompanionWindow(&companion);
    s->SetURL("http://example.invalid/");
    CStaticEx::SetUrlOpener([&](const QString&) {
        order.push_back(companion.isVisible() ? "open, companion shown" : "open, companion hidden");
        return true;
    });
    s->SetClickNotify([&] { order.push_back("notify"); });
    s->ModifyNotify(true);
    s->Click();
    EXPECT_EQ(order, (std::vector<std::string>{"open, companion hidden", "notify"}));
    s->Click();
    EXPECT_TRUE(companion.isVisible());
}

TEST_F(EditStaticTest, LinkCursorIsThePointingHand) {
    CStaticEx* s = makeStatic();
    s->SetLinkCursor(true);
    EXPECT_EQ(s->cursor().shape(), Qt::PointingHandCursor);
    s->SetLinkCursor(false);
    EXPECT_EQ(s->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
