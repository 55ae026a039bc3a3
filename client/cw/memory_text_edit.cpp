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
          m_edit(edit) {}

    State validate(QString& input, int& pos) const override {
        // setText clears the edit's modified state before it asks; every
        // change the operator makes sets it before the edit asks.
        if (!m_edit->isModified()) {
            return Acceptable;
        }
        return TextRuleValidator::validate(input, pos);
    }

  private:
    QLineEdit* m_edit;
};

}  // namespace

CEditEx* MakeMemoryTextEdit(QWidget* parent) {
    auto* edit = new CEditEx(parent);
    edit->setValidator(new MemoryTextValidator(edit));
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    return edit;
}
