#include "client/cw/memory_text_edit.h"

#include <QLineEdit>

#include "controls/edit_ex.h"
#include "controls/text_rule_validator.h"

namespace {

// The memory edit's rule, which holds for what the operator enters. A text the
// program shows (setText: a memory as stored, which may be longer than the
// rule or hold a character outside ASCII) stands as it is, without a beep, and
// counts as the valid text an edit falls back to: the edit asks its validator
// about the text it was given too, and goes on taking every change, however
// wrong, after a text that was refused.
class MemoryTextValidator : public TextRuleValidator {
  public:
    explicit MemoryTextValidator(QLineEdit* edit)
        : TextRuleValidator(
              kMaxMemoryText, [](QChar ch) { return ch.unicode() >= 0x20 && ch.unicode() <= 0x7E; },
              [](QChar ch) {
                  const bool lineBreak =
                      ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n');
                  return lineBreak ? QLatin1Char(' ') : ch;
              },
              edit),
          m_edit(edit) {
        // The edit announces a text only once it has taken it, so while it
        // asks about a change this still holds the text before it.
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_shown = text; });
    }

    State validate(QString& input, int& pos) const override {
        // setText clears the edit's modified state before it asks; every
        // change the operator makes sets it before the edit asks.
        if (!m_edit->isModified()) {
            return Acceptable;
        }
        // A stored text that breaks the rule is mended key by key: a change
        // that only takes characters away is taken, though the text may
        // break the rule still (its key refuses it until it keeps the rule).
        if (OnlyRemoves(m_shown, input)) {
            return Acceptable;
        }
        return TextRuleValidator::validate(input, pos);
    }

  private:
    // Whether `to` is `from` with characters taken away (or `from` itself).
    static bool OnlyRemoves(const QString& from, const QString& to) {
        if (to.size() > from.size()) {
            return false;
        }
        qsizetype at = 0;
        for (const QChar ch : from) {
            if (at < to.size() && to[at] == ch) {
                ++at;
            }
        }
        return at == to.size();
    }

    QLineEdit* m_edit;
    QString m_shown;
};

}  // namespace

CEditEx* MakeMemoryTextEdit(QWidget* parent) {
    auto* edit = new CEditEx(parent);
    edit->setValidator(new MemoryTextValidator(edit));
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    return edit;
}
