#include "diagnostics/ui/diag_window_support.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>

#include "wiring/app_context.h"
#include "ui/num_box.h"

namespace k45 {

namespace {

// Selects the combo box's text when the box or its text field gets the focus. A mouse click
// that gave the focus goes on to place the cursor, so the selection is made again after it.
class SelectAllFilter : public QObject {
public:
    explicit SelectAllFilter(QComboBox* combo) : QObject(combo), combo_(combo) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::FocusIn) return false;
        QLineEdit* edit = combo_->lineEdit();
        if (!edit) return false;
        edit->selectAll();
        if (static_cast<QFocusEvent*>(e)->reason() == Qt::MouseFocusReason)
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        return false;
    }

private:
    QComboBox* combo_;
};

}  // namespace

NumBox* NumberBox(const LocaleInfo& locale, QWidget* dragGroup, QWidget* parent, const char* name, int maxLength,
                  double maxValue) {
    auto* box = new NumBox(locale, parent);
    box->setObjectName(name);
    box->setNumType(NumBox::numUnsigned6);
    box->setNumMax(maxValue);
    box->setNumMaxLength(maxLength);
    box->setSteps(1, 10);
    box->setDragGroup(dragGroup);
    box->setAlignment(Qt::AlignRight);
    return box;
}

void SelectAllOnFocus(QComboBox* combo) {
    auto* filter = new SelectAllFilter(combo);
    combo->installEventFilter(filter);
    if (QLineEdit* edit = combo->lineEdit()) edit->installEventFilter(filter);
}

std::string ProgramFile(const AppContext& ctx, const std::string& name) {
    return ctx.state.places.programFolder + "/" + name;
}

}  // namespace k45
