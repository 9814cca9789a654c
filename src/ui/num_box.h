#pragma once
// A numeric text box: a number kind, optional minimum, maximum, display format and length, steps
// for the arrow and Page keys (with and without Ctrl), a read-only lock, and drag copy between
// the boxes of one window.
//
// Keys that would make the text something the kind cannot hold, or a value above the maximum,
// are refused as typed; a value below the minimum can still be typed on the way to a longer
// one, and is raised to the minimum when the box loses the focus. A box whose value is limited
// by its window when it is used (setTypedPastLimits) takes any number of its kind and length as
// typed; leaving it still brings the number within the limits. Leaving the box also brings
// a number in the box's text back within its limits and into its format; a text that is no
// number (for instance an empty box) is left as it is. Hexadecimal values are shown in upper
// case.
//
// Drag copy: pressing the right mouse button on a box and moving the mouse drags the box; dropping
// it on another box of the same window copies its text into that box, which takes the focus.
// A locked box can be dragged and can take a drop; the drop is the only way its text changes.
#include <QLineEdit>
#include <optional>

#include "platform/locale_info.h"

class QMimeData;

namespace k45 {

class NumBox : public QLineEdit {
    Q_OBJECT
public:
    // Number kinds (the codes of the box's number type): 0, 3 and 6 whole numbers without sign,
    // 1 signed whole numbers, 9 decimal numbers shown with the format, 2 and 5 hexadecimal.
    enum NumType : int {
        numUnsigned = 0,
        numSigned = 1,
        numHex = 2,
        numUnsigned3 = 3,
        numHex5 = 5,
        numUnsigned6 = 6,
        numDecimal = 9,
    };

    explicit NumBox(const LocaleInfo& locale, QWidget* parent = nullptr);

    void setNumType(int code);
    void setNumMin(double v) { min_ = v; }
    void setNumMax(double v) { max_ = v; }
    std::optional<double> numMin() const { return min_; }
    std::optional<double> numMax() const { return max_; }
    // The most characters the operator can enter (a drop may bring a longer text).
    void setNumMaxLength(int n) { maxLength_ = n; }
    int numMaxLength() const { return maxLength_; }
    // "0.000000": the number of digits after the point is the number of decimals shown.
    void setNumFormat(const QString& format);
    // Arrow keys and Page Up / Page Down; with Ctrl held the second pair (the plain steps when
    // that pair is not set).
    void setSteps(double upDown, double pageUpDown);
    void setCtrlSteps(double upDown, double pageUpDown);
    double step() const { return step_; }
    double pageStep() const { return pageStep_; }
    // Numbers outside the limits can be typed (within the kind and the length); for a box whose
    // window limits the value itself, by a range of its own, when it is used.
    void setTypedPastLimits(bool on) { typedPastLimits_ = on; }
    // Locked: the operator cannot type into the box.
    void setLocked(bool on);
    bool locked() const { return isReadOnly(); }
    // Drag copy reaches the boxes that share this widget (normally the window); without it, the
    // boxes of the same top-level window.
    void setDragGroup(QWidget* group) { dragGroup_ = group; }

    // The box's number, when its text holds one.
    std::optional<double> value() const;
    // A value within the limits in the box's own form.
    QString formatValue(double v) const;
    // The text as the box leaves it when it loses the focus: a number within the limits and in
    // the box's form, any other text as it is. The editors store this, so that a value below
    // the minimum or a dropped text beyond the maximum never reaches a record, also when OK is
    // pressed while the box still has the focus.
    QString limitedText() const;

    // A box dropped on this one: its text is copied here, and this box takes the focus.
    void DragDrop(NumBox& source);
    // Starts dragging this box (what the right-button drag gesture does).
    void Drag();

    // The data format of a drag.
    static const char* const kMimeType;

signals:
    // A box of the same window was dropped here (after its text was copied).
    void dropped(NumBox* source);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    friend class NumBoxValidator;
    NumBox* SourceOf(const QMimeData* mime) const;
    double Clamp(double v) const;
    std::optional<double> Parse(const QString& text) const;

    LocaleInfo locale_;
    int type_ = numUnsigned;
    std::optional<double> min_, max_;
    int decimals_ = -1;  // -1: no format
    int maxLength_ = 0;  // 0: no limit
    bool typedPastLimits_ = false;
    double step_ = 1, pageStep_ = 10;
    std::optional<double> ctrlStep_, ctrlPageStep_;
    QWidget* dragGroup_ = nullptr;
    bool rightDown_ = false;
    QPoint pressPos_;
};

}  // namespace k45
