#pragma once
// Terminal text boxes: an ever-growing stream of received and sent data. Appending first drops
// a block from the front when the box is near its length limit, so the newest data always fits.
// Lengths are in document characters (a line end counts as one).
#include <QString>
#include <string>
#include <string_view>

class QPlainTextEdit;
class QTextEdit;

namespace k45 {

// Every character 0 removed, every line break (CR, LF or CR LF) made CR LF.
std::string NormalizeLineEnds(std::string_view text);
QString NormalizeLineEnds(const QString& text);

// Whether appending textLength characters to contentLength calls for a trim: at 80 % of
// maxLength, or with maxLength 0 (no limit) once the content reaches 16777216 characters.
bool TerminalNeedsTrim(qsizetype textLength, qsizetype contentLength, int maxLength);
// Characters dropped from the front of a box widthTwips wide: 64 per 120-twip cell after a
// 250-twip margin for hex boxes (cells counted in fours), 32 per cell for text boxes.
qsizetype TerminalTrimCount(int widthTwips, bool hex);

// Append at the end of the box and put the caret there. With trim, first drop the front block
// when TerminalNeedsTrim says so (decided on the text as passed, before normalising).
void AppendHexText(QPlainTextEdit& box, const QString& text, bool trim, int maxLength = 0);
void AppendHexText(QTextEdit& box, const QString& text, bool trim, int maxLength = 0);
void AppendText(QPlainTextEdit& box, const QString& text, bool normalize, bool trim, int maxLength = 0);
void AppendText(QTextEdit& box, const QString& text, bool normalize, bool trim, int maxLength = 0);

}  // namespace k45
