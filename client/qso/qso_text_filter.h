#pragma once

// The rule for every text box of the QSO windows (entry windows, log window,
// editors): Latin-1 only, one byte a character as the record and the log file
// hold it; no ";" (it ends a field of the log line) and no control character
// (a line break would end the line); at most the field's number of
// characters; in a call box no blank either. Whatever breaks the rule is
// refused whole with a beep, however it comes in: typed, pasted, dropped or
// committed by an input method. A refused key or paste leaves the box as it
// was.
//
// The boxes' texts are Latin-1 bytes: QsoText and SetQsoText convert between
// a box and the record's std::string.
//
// GUI thread only.

#include <QChar>

#include <cstddef>
#include <string>

class QLineEdit;

namespace pelorin {

enum class QsoBlanks { Allowed, Refused };

// Whether `ch` may stand in a QSO text.
bool IsQsoTextChar(QChar ch, QsoBlanks blanks);

// Puts the rule on `edit` for texts of at most `maxChars` characters. The edit
// must have no validator of its own; its maximum length is lifted, since the
// rule refuses what is too long instead of cutting it.
void InstallQsoTextFilter(QLineEdit& edit, std::size_t maxChars, QsoBlanks blanks);

// The box's text as Latin-1 bytes.
std::string QsoText(const QLineEdit& edit);
// Shows Latin-1 bytes in the box.
void SetQsoText(QLineEdit& edit, const std::string& latin1);

}  // namespace pelorin
