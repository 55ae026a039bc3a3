#include "client/qso/qso_text_filter.h"

#include <QLineEdit>
#include <QString>

#include "controls/text_rule_validator.h"

namespace pelorin {

bool IsQsoTextChar(QChar ch, QsoBlanks blanks) {
    const char16_t code = ch.unicode();
    // Latin-1 without its two blocks of control characters.
    const bool printable = (code >= 0x20 && code <= 0x7E) || (code >= 0xA0 && code <= 0xFF);
    if (!printable || code == u';') {
        return false;
    }
    const bool blank = code == u' ' || code == 0xA0;
    return !(blank && blanks == QsoBlanks::Refused);
}

void InstallQsoTextFilter(QLineEdit& edit, std::size_t maxChars, QsoBlanks blanks) {
    edit.setMaxLength(32767);
    edit.setValidator(new TextRuleValidator(
        static_cast<qsizetype>(maxChars), [blanks](QChar ch) { return IsQsoTextChar(ch, blanks); },
        {}, &edit));
}

std::string QsoText(const QLineEdit& edit) {
    return edit.text().toLatin1().toStdString();
}

void SetQsoText(QLineEdit& edit, const std::string& latin1) {
    edit.setText(QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size())));
}

}  // namespace pelorin
