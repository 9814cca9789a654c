#include "diagnostics/ui/diag_window_support.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QValidator>

#include "frame/app_context.h"
#include "frame/main_frame.h"
#include "programming/parms_get_current.h"

namespace k45 {

namespace {

// Digits only, and no more than the field holds.
class WholeNumberValidator : public QValidator {
public:
    WholeNumberValidator(double maxValue, bool allowMinus, QObject* parent)
        : QValidator(parent), max_(maxValue), minus_(allowMinus) {}
    State validate(QString& input, int&) const override {
        QString digits = input;
        if (minus_ && digits.startsWith('-')) digits.remove(0, 1);
        if (digits.isEmpty()) return Intermediate;
        for (QChar c : digits)
            if (!c.isDigit()) return Invalid;
        bool ok = false;
        const double v = digits.toDouble(&ok);
        return ok && v <= max_ ? Acceptable : Invalid;
    }

private:
    double max_;
    bool minus_;
};

}  // namespace

void RequestCurrentParameters(AppContext& ctx, ParmsClient* client) {
    ToolForm* form = ctx.formParmsGetCurrent.get();
    auto* reader = dynamic_cast<ParmsReader*>(form);
    if (!reader) {
        client->UpdateParms(false);
        return;
    }
    if (form->loaded()) reader->Unload();
    reader->RegisterForParms(client);
    if (ctx.mainFrame) ctx.mainFrame->ShowForm(*form);
}

QLineEdit* NumberBox(QWidget* parent, const char* name, int maxLength, double maxValue, bool allowMinus) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    box->setValidator(new WholeNumberValidator(maxValue, allowMinus, box));
    box->setAlignment(Qt::AlignRight);
    return box;
}

std::string ProgramFile(const AppContext& ctx, const std::string& name) {
    return ctx.state.places.programFolder + "/" + name;
}

}  // namespace k45
