#include "ui/terminal_text.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "ui/twips.h"

namespace k45 {
namespace {

constexpr qsizetype kUnlimitedTrimLength = 16777216;

template <class Text, class Char>
Text Normalize(const Text& text, Char cr, Char lf) {
    Text out;
    out.reserve(text.size() + text.size() / 2);
    // Drop NULs first so that CR NUL LF still counts as one line end.
    Text clean;
    clean.reserve(text.size());
    for (auto c : text)
        if (c != Char(0)) clean.push_back(c);
    for (qsizetype i = 0; i < static_cast<qsizetype>(clean.size()); ++i) {
        const auto c = clean[i];
        if (c == lf) {
            out.push_back(cr);
            out.push_back(lf);
        } else if (c == cr) {
            out.push_back(cr);
            out.push_back(lf);
            if (i + 1 < static_cast<qsizetype>(clean.size()) && clean[i + 1] == lf) ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

qsizetype ContentLength(const QTextDocument& doc) { return doc.characterCount() - 1; }

template <class Box>
void Append(Box& box, const QString& text, const QString& shown, bool trim, int maxLength, bool hex) {
    QTextDocument& doc = *box.document();
    if (trim && TerminalNeedsTrim(text.size(), ContentLength(doc), maxLength)) {
        const qsizetype drop = TerminalTrimCount(box.width() * kTwipsPerPixel, hex);
        const qsizetype length = ContentLength(doc);
        if (drop >= length) {
            box.clear();
        } else if (drop > 0) {
            QTextCursor front(&doc);
            front.setPosition(static_cast<int>(drop), QTextCursor::KeepAnchor);
            front.removeSelectedText();
        }
    }
    QTextCursor end(&doc);
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    box.setTextCursor(end);
}

}  // namespace

std::string NormalizeLineEnds(std::string_view text) { return Normalize(std::string(text), '\r', '\n'); }

QString NormalizeLineEnds(const QString& text) { return Normalize(text, QChar(u'\r'), QChar(u'\n')); }

bool TerminalNeedsTrim(qsizetype textLength, qsizetype contentLength, int maxLength) {
    if (maxLength > 0) return static_cast<double>(textLength + contentLength) >= maxLength * 0.8;
    return contentLength >= kUnlimitedTrimLength;
}

qsizetype TerminalTrimCount(int widthTwips, bool hex) {
    qsizetype cells = (static_cast<qsizetype>(widthTwips) - 250) / 120;  // truncates toward zero
    if (cells <= 0) return 0;
    if (hex) cells -= cells % 4;
    return cells * (hex ? 64 : 32);
}

void AppendHexText(QPlainTextEdit& box, const QString& text, bool trim, int maxLength) {
    Append(box, text, text, trim, maxLength, true);
}

void AppendHexText(QTextEdit& box, const QString& text, bool trim, int maxLength) {
    Append(box, text, text, trim, maxLength, true);
}

void AppendText(QPlainTextEdit& box, const QString& text, bool normalize, bool trim, int maxLength) {
    Append(box, text, normalize ? NormalizeLineEnds(text) : text, trim, maxLength, false);
}

void AppendText(QTextEdit& box, const QString& text, bool normalize, bool trim, int maxLength) {
    Append(box, text, normalize ? NormalizeLineEnds(text) : text, trim, maxLength, false);
}

}  // namespace k45
