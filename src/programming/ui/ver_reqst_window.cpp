#include "programming/ui/ver_reqst_window.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {
constexpr const char* kVerLabels[] = {"Put modem in setup mode.", "Connect cable and supply power."};
}  // namespace

formVerReqst::formVerReqst(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formVerReqst", "Version Request", Placement::Saved, parent, DialogueLinks::Of(ctx)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(6);
    for (int i = 0; i < 2; ++i) {
        labelRead[i] = kit::Label(this, QString("labelRead%1").arg(i), kVerLabels[i]);
        labelRead[i]->setAlignment(Qt::AlignCenter);
        labelRead[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(labelRead[i]);
    }
    layout->addSpacing(8);
    const OkCloseButtons row = AddOkCloseRow(*this, *layout, "buttonClose", "&Close");
    buttonOK = row.ok;
    buttonClose = row.close;
    setMinimumWidth(340);

    connect(buttonOK, &QPushButton::clicked, this, [this] { dialogue_->OK(); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseWindow(); });
}

formVerReqst::~formVerReqst() = default;

void formVerReqst::Form_Load() {
    // Each load starts from the design-time texts, not the answer of the last open.
    for (int i = 0; i < 2; ++i) labelRead[i]->setText(kVerLabels[i]);
    DialogueWindow::Form_Load();
}

void formVerReqst::SetLabels(const std::string& upper, const std::string& lower) {
    labelRead[0]->setText(Latin1Text(upper));
    labelRead[1]->setText(Latin1Text(lower));
}

}  // namespace k45
