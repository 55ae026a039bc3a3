#include "client/cw/memory_text_edit.h"

#include <QValidator>

#include "controls/edit_ex.h"
#include "controls/looks.h"

namespace {

class MemoryTextValidator : public QValidator {
  public:
    explicit MemoryTextValidator(QObject* parent) : QValidator(parent) {}

    State validate(QString& input, int& /*pos*/) const override {
        for (QChar& ch : input) {
            if (ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
                ch = QLatin1Char(' ');
            }
        }
        bool keyable = input.size() <= kMaxMemoryText;
        for (const QChar ch : input) {
            keyable = keyable && ch.unicode() >= 0x20 && ch.unicode() <= 0x7E;
        }
        if (!keyable) {
            looks::beep();
            return Invalid;
        }
        return Acceptable;
    }
};

}  // namespace

CEditEx* MakeMemoryTextEdit(QWidget* parent) {
    auto* edit = new CEditEx(parent);
    edit->setValidator(new MemoryTextValidator(edit));
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    return edit;
}
