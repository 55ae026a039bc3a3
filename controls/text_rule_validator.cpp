#include "controls/text_rule_validator.h"

#include <utility>

#include "controls/looks.h"

TextRuleValidator::TextRuleValidator(qsizetype maxChars, Accepts accepts, Map map, QObject* parent)
    : QValidator(parent),
      m_maxChars(maxChars),
      m_accepts(std::move(accepts)),
      m_map(std::move(map)) {}

bool TextRuleValidator::Keeps(const QString& text) const {
    if (text.size() > m_maxChars) {
        return false;
    }
    for (const QChar ch : text) {
        if (!m_accepts(ch)) {
            return false;
        }
    }
    return true;
}

QValidator::State TextRuleValidator::validate(QString& input, int& /*pos*/) const {
    if (m_map) {
        for (QChar& ch : input) {
            ch = m_map(ch);
        }
    }
    if (!Keeps(input)) {
        looks::beep();
        return Invalid;
    }
    return Acceptable;
}
