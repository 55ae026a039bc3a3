#pragma once

// TextRuleValidator: holds a line edit's text to a rule, whichever way the
// text comes in (typing, paste, drop, an input method's commit), since the
// edit asks its validator about every change. Each character may first be
// mapped (a pasted tab becoming a blank, say); then the text must have at most
// `maxChars` characters, every one of them taken by `accepts`. A change that
// breaks the rule is refused whole with a beep, and the edit keeps the text it
// had: a paste is never half taken.
//
// Set it on the edit with setValidator and do not give the edit a maximum
// length: QLineEdit cuts a paste to its maximum before it asks, which would
// take the first part of a long paste instead of refusing it.
//
// GUI thread only.

#include <QString>
#include <QValidator>

#include <functional>

class TextRuleValidator : public QValidator {
    Q_OBJECT

  public:
    using Accepts = std::function<bool(QChar)>;
    using Map = std::function<QChar(QChar)>;

    // `map` may be empty: the characters stay as they are.
    TextRuleValidator(qsizetype maxChars, Accepts accepts, Map map, QObject* parent);

    State validate(QString& input, int& pos) const override;

    // Whether `text` (already mapped) keeps the rule.
    bool Keeps(const QString& text) const;

  private:
    qsizetype m_maxChars;
    Accepts m_accepts;
    Map m_map;
};
