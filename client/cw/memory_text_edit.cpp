#include "client/cw/memory_text_edit.h"

#include "controls/edit_ex.h"
#include "controls/text_rule_validator.h"

CEditEx* MakeMemoryTextEdit(QWidget* parent) {
    auto* edit = new CEditEx(parent);
    edit->setValidator(new TextRuleValidator(
        kMaxMemoryText, [](QChar ch) { return ch.unicode() >= 0x20 && ch.unicode() <= 0x7E; },
        [](QChar ch) {
            const bool lineBreak =
                ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n');
            return lineBreak ? QLatin1Char(' ') : ch;
        },
        edit));
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    return edit;
}
