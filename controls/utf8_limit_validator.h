#pragma once

// Utf8LimitValidator: keeps a line edit's text within a number of UTF-8 bytes
// (a stored text's width). What is typed or pasted is taken as far as it fits,
// whole characters only; the text around it is never cut. Set it on the edit
// with setValidator; it follows the edit's text to find what was inserted.
//
// GUI thread only.

#include <QString>
#include <QValidator>

#include <cstddef>

class QLineEdit;

class Utf8LimitValidator : public QValidator {
    Q_OBJECT

  public:
    Utf8LimitValidator(std::size_t maxBytes, QLineEdit* edit);

    State validate(QString& input, int& pos) const override;

    // `inserted` cut to at most `maxBytes` UTF-8 bytes, whole characters.
    static QString CutToBytes(const QString& inserted, std::size_t maxBytes);

  private:
    std::size_t m_maxBytes;
    QString m_previous;
};
