// The QSO boxes' text rule on a real line edit: typed, pasted, dropped and
// committed text, refused whole with a beep or taken whole.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>

#include <ostream>
#include <string>

#include "client/qso/qso_text_filter.h"
#include "controls/looks.h"
#include "tests/support/row_names.h"

namespace {

using pelorin::QsoBlanks;

enum class Way { Typed, Pasted, Dropped, Committed };

struct Case {
    const char* name;
    QsoBlanks blanks;
    std::size_t limit;
    QString before;
    Way way;
    QString input;
    QString after;  // equal to `before` when refused
};
ROW_NAME(Case, row.name);

const Case kCases[] = {
    {"TypedSemicolonRefused", QsoBlanks::Allowed, 19, "AB", Way::Typed, ";", "AB"},
    {"PasteHoldingASemicolonRefusedWhole", QsoBlanks::Allowed, 79, "", Way::Pasted, "a;b", ""},
    {"TwentiethCallCharacterRefused", QsoBlanks::Refused, 19, QString(19, QLatin1Char('K')),
     Way::Typed, "1", QString(19, QLatin1Char('K'))},
    {"NineteenthCallCharacterTaken", QsoBlanks::Refused, 19, QString(18, QLatin1Char('K')),
     Way::Typed, "1", QString(18, QLatin1Char('K')) + "1"},
    {"PasteOverrunningTheLimitRefusedNotCut", QsoBlanks::Allowed, 19, QString(15, QLatin1Char('x')),
     Way::Pasted, "12345", QString(15, QLatin1Char('x'))},
    {"PasteFillingTheQthExactlyTaken", QsoBlanks::Allowed, 39, "", Way::Pasted,
     QString(39, QLatin1Char('q')), QString(39, QLatin1Char('q'))},
    {"TypedEuroSignRefused", QsoBlanks::Allowed, 19, "Ann", Way::Typed, "€", "Ann"},
    {"DroppedTextWithAEuroSignRefusedWhole", QsoBlanks::Allowed, 79, "", Way::Dropped, "Jürgen €5",
     ""},
    {"DroppedLatin1TextTaken", QsoBlanks::Allowed, 79, "", Way::Dropped, "Jürgen", "Jürgen"},
    {"CommittedEuroSignRefused", QsoBlanks::Allowed, 19, "Ann", Way::Committed, "€", "Ann"},
    {"CommittedLatin1LetterTaken", QsoBlanks::Allowed, 19, "J", Way::Committed, "ü", "Jü"},
    {"TypedBlankInACallRefused", QsoBlanks::Refused, 19, "N0", Way::Typed, " ", "N0"},
    {"PastedNoBreakSpaceInACallRefused", QsoBlanks::Refused, 19, "", Way::Pasted,
     QString::fromUtf8("N0\u00A0CALL"), ""},
    {"TypedBlankInANameTaken", QsoBlanks::Allowed, 19, "Ann", Way::Typed, " ", "Ann "},
    {"PastedLineWithItsLineEndRefused", QsoBlanks::Refused, 19, "", Way::Pasted, "N0CALL\n", ""},
    {"PastedTabRefused", QsoBlanks::Allowed, 79, "", Way::Pasted, "tnx\tfer", ""},
    {"PastedC1ControlCharacterRefused", QsoBlanks::Allowed, 79, "", Way::Pasted,
     QString(QChar(0x85)), ""},
    {"PastedEmojiRefused", QsoBlanks::Allowed, 79, "", Way::Pasted,
     QString::fromUtf8("tnx \U0001F600"), ""},
};

class QsoTextFilter : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        looks::setBeepHook([this] { ++m_beeps; });
    }
    void TearDown() override { looks::setBeepHook({}); }

    static void enter(QLineEdit& edit, Way way, const QString& input) {
        switch (way) {
            case Way::Typed:
                for (const QChar ch : input) {
                    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
                    QApplication::sendEvent(&edit, &press);
                }
                break;
            case Way::Pasted:
                QApplication::clipboard()->setText(input);
                edit.paste();
                break;
            case Way::Dropped: {
                QMimeData mime;
                mime.setText(input);
                QDragEnterEvent enterEvent(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton,
                                           Qt::NoModifier);
                QApplication::sendEvent(&edit, &enterEvent);
                QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton,
                                Qt::NoModifier);
                QApplication::sendEvent(&edit, &drop);
                break;
            }
            case Way::Committed: {
                QInputMethodEvent commit;
                commit.setCommitString(input);
                QApplication::sendEvent(&edit, &commit);
                break;
            }
        }
    }

    int m_beeps = 0;
};

TEST_P(QsoTextFilter, TakesOrRefusesWhole) {
    const Case& row = GetParam();
    QLineEdit edit;
    pelorin::InstallQsoTextFilter(edit, row.limit, row.blanks);
    edit.setText(row.before);
    edit.end(false);
    m_beeps = 0;
    enter(edit, row.way, row.input);
    EXPECT_EQ(edit.text(), row.after);
    const bool refused = row.after == row.before;
    EXPECT_EQ(m_beeps > 0, refused);
}

INSTANTIATE_TEST_SUITE_P(Boxes, QsoTextFilter, ::testing::ValuesIn(kCases), CaseName());

TEST(QsoTextBytes, EveryLatin1CharacterTravelsAsItsOneByte) {
    std::string bytes;
    for (int code = 0xA0; code <= 0xFF; ++code) {
        bytes += static_cast<char>(code);
    }
    QLineEdit edit;
    pelorin::InstallQsoTextFilter(edit, 200, QsoBlanks::Allowed);
    pelorin::SetQsoText(edit, bytes);
    EXPECT_EQ(edit.text().size(), 96);
    EXPECT_EQ(pelorin::QsoText(edit), bytes);
}

}  // namespace
