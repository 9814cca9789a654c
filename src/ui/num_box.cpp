#include "ui/num_box.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QValidator>
#include <cmath>

#include "base/converters.h"
#include "base/utilities.h"
#include "platform/qt/qt_text.h"

namespace k45 {

const char* const NumBox::kMimeType = "application/x-k45-numbox";

namespace {
bool IsHexKind(int type) { return type == NumBox::numHex || type == NumBox::numHex5; }
bool IsUnsignedKind(int type) {
    return type == NumBox::numUnsigned || type == NumBox::numUnsigned3 || type == NumBox::numUnsigned6;
}
}  // namespace

// Refuses keys that would leave text the box's kind cannot hold, or a value above the maximum
// (below the minimum for negative numbers); accepts a value below the minimum as a step on the way.
class NumBoxValidator : public QValidator {
public:
    explicit NumBoxValidator(NumBox& box) : QValidator(&box), box_(box) {}

    State validate(QString& input, int& pos) const override {
        (void)pos;
        if (input.isEmpty()) return Intermediate;
        if (box_.maxLength_ > 0 && input.size() > box_.maxLength_) return Invalid;
        if (IsHexKind(box_.type_)) return ValidateHex(input);
        const QString minus = QText(box_.locale_.minus);
        const QString decimal = QText(box_.locale_.decimal.empty() ? "." : box_.locale_.decimal);
        const bool signAllowed =
            box_.type_ == NumBox::numSigned || (box_.type_ == NumBox::numDecimal && (!box_.min_ || *box_.min_ < 0));
        QString s = input;
        bool negative = false;
        if (signAllowed) {
            if (s.startsWith(u'-')) {
                negative = true;
                s.remove(0, 1);
            } else if (!minus.isEmpty() && s.startsWith(minus)) {
                negative = true;
                s.remove(0, minus.size());
            }
        }
        int digits = 0, decimals = 0;
        bool separator = false;
        for (qsizetype i = 0; i < s.size();) {
            if (s[i].isDigit() && s[i].unicode() < 128) {
                ++digits;
                if (separator) ++decimals;
                ++i;
            } else if (box_.type_ == NumBox::numDecimal && !separator && box_.decimals_ != 0 &&
                       s.mid(i, decimal.size()) == decimal) {
                separator = true;
                i += decimal.size();
            } else {
                return Invalid;
            }
        }
        if (box_.decimals_ >= 0 && decimals > box_.decimals_) return Invalid;
        if (digits == 0) return Intermediate;
        const std::optional<double> v = box_.Parse(input);
        if (!v) return Intermediate;
        if (box_.typedPastLimits_) return box_.Clamp(*v) == *v ? Acceptable : Intermediate;
        if (box_.max_ && *v > *box_.max_) return negative ? Intermediate : Invalid;
        if (box_.min_ && *v < *box_.min_) return negative ? Invalid : Intermediate;
        return Acceptable;
    }

private:
    State ValidateHex(const QString& input) const {
        for (QChar c : input)
            if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() >= 128) return Invalid;
        const std::optional<double> v = box_.Parse(input);
        if (!v) return Invalid;
        if (box_.typedPastLimits_) return box_.Clamp(*v) == *v ? Acceptable : Intermediate;
        if (box_.max_ && *v > *box_.max_) return Invalid;
        if (box_.min_ && *v < *box_.min_) return Intermediate;
        return Acceptable;
    }

    NumBox& box_;
};

NumBox::NumBox(const LocaleInfo& locale, QWidget* parent) : QLineEdit(parent), locale_(locale) {
    setValidator(new NumBoxValidator(*this));
    // The right button drags the box; there is no context menu to compete with it.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setAcceptDrops(true);
    setDragEnabled(false);
}

void NumBox::setNumType(int code) { type_ = code; }

void NumBox::setNumFormat(const QString& format) {
    const qsizetype dot = format.indexOf(u'.');
    decimals_ = dot < 0 ? 0 : static_cast<int>(format.size() - dot - 1);
    if (format.isEmpty()) decimals_ = -1;
}

void NumBox::setSteps(double upDown, double pageUpDown) {
    step_ = upDown;
    pageStep_ = pageUpDown;
}

void NumBox::setCtrlSteps(double upDown, double pageUpDown) {
    ctrlStep_ = upDown;
    ctrlPageStep_ = pageUpDown;
}

void NumBox::setLocked(bool on) {
    setReadOnly(on);
    setProperty("locked", on);
}

std::optional<double> NumBox::Parse(const QString& text) const {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    if (IsHexKind(type_)) {
        bool ok = false;
        const qulonglong v = t.toULongLong(&ok, 16);
        if (!ok) return std::nullopt;
        return static_cast<double>(v);
    }
    return ParseNumberText(t.toStdString(), locale_);
}

std::optional<double> NumBox::value() const { return Parse(text()); }

double NumBox::Clamp(double v) const {
    if ((IsUnsignedKind(type_) || IsHexKind(type_)) && v < 0) v = 0;
    if (min_ && v < *min_) v = *min_;
    if (max_ && v > *max_) v = *max_;
    return v;
}

QString NumBox::formatValue(double v) const {
    const QString minus = QText(locale_.minus.empty() ? "-" : locale_.minus);
    if (IsHexKind(type_))
        return QString::number(static_cast<qulonglong>(std::max(0.0, RoundHalfEven(v))), 16).toUpper();
    if (type_ == numDecimal && decimals_ < 0) {
        QString text = QString::number(std::fabs(v), 'g', 15);
        text.replace(u'.', QText(locale_.decimal.empty() ? "." : locale_.decimal));
        return v < 0 ? minus + text : text;
    }
    // FormatFixed gives the locale's separator and never "-0"; the box shows the locale's minus.
    QString text = QText(FormatFixed(v, type_ == numDecimal ? decimals_ : 0, locale_));
    if (text.startsWith(u'-')) text.replace(0, 1, minus);
    return text;
}

void NumBox::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_PageUp && key != Qt::Key_PageDown) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (isReadOnly()) {
        e->ignore();
        return;
    }
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool arrow = key == Qt::Key_Up || key == Qt::Key_Down;
    const double s =
        arrow ? (ctrl ? ctrlStep_.value_or(step_) : step_) : (ctrl ? ctrlPageStep_.value_or(pageStep_) : pageStep_);
    const double sign = (key == Qt::Key_Up || key == Qt::Key_PageUp) ? 1.0 : -1.0;
    const double base = value().value_or(min_.value_or(0.0));
    setText(formatValue(Clamp(base + sign * s)));
    e->accept();
}

QString NumBox::limitedText() const {
    const std::optional<double> v = value();
    return v ? formatValue(Clamp(*v)) : text();
}

void NumBox::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    const QString t = limitedText();
    if (t != text()) setText(t);
}

void NumBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        rightDown_ = true;
        pressPos_ = e->position().toPoint();
        e->accept();
        return;
    }
    QLineEdit::mousePressEvent(e);
}

void NumBox::mouseMoveEvent(QMouseEvent* e) {
    if (rightDown_ && (e->buttons() & Qt::RightButton)) {
        if ((e->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
            rightDown_ = false;
            Drag();
        }
        e->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(e);
}

void NumBox::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        rightDown_ = false;
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void NumBox::Drag() {
    auto* mime = new QMimeData;
    mime->setData(kMimeType, QByteArray::number(reinterpret_cast<quintptr>(this)));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}

NumBox* NumBox::SourceOf(const QMimeData* mime) const {
    if (!mime || !mime->hasFormat(kMimeType)) return nullptr;
    bool ok = false;
    const quintptr id = mime->data(kMimeType).toULongLong(&ok);
    if (!ok) return nullptr;
    // Only a box that still exists in the same window counts.
    QWidget* group = dragGroup_ ? dragGroup_ : window();
    const auto boxes = group->findChildren<NumBox*>();
    for (NumBox* b : boxes) {
        if (reinterpret_cast<quintptr>(b) != id) continue;
        QWidget* itsGroup = b->dragGroup_ ? b->dragGroup_ : b->window();
        return itsGroup == group ? b : nullptr;
    }
    return nullptr;
}

void NumBox::dragEnterEvent(QDragEnterEvent* e) {
    if (SourceOf(e->mimeData())) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void NumBox::dragMoveEvent(QDragMoveEvent* e) {
    if (SourceOf(e->mimeData())) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void NumBox::dropEvent(QDropEvent* e) {
    NumBox* source = SourceOf(e->mimeData());
    if (!source) {
        e->ignore();
        return;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    DragDrop(*source);
}

void NumBox::DragDrop(NumBox& source) {
    setText(source.text());
    setFocus(Qt::OtherFocusReason);
    emit dropped(&source);
}

}  // namespace k45
