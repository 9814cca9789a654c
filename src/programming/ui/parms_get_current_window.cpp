#include "programming/ui/parms_get_current_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

formParmsGetCurrent::formParmsGetCurrent(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formParmsGetCurrent", "Read Current Parameters", Placement::CentredInArea, parent,
                     DialogueLinks::Of(ctx)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(8);
    labelGetSettings = kit::Label(this, "labelGetSettings", "Reading Current Parameters...");
    labelGetSettings->setAlignment(Qt::AlignCenter);
    layout->addWidget(labelGetSettings);
    panelPercent = PercentPanel(this);
    layout->addWidget(panelPercent);
    buttonCancel = kit::Button(this, "buttonCancel", "&Cancel");
    buttonCancel->setDefault(true);  // Enter and Esc both press it
    layout->addLayout(CentredButtons({buttonCancel}));
    setMinimumWidth(300);

    connect(buttonCancel, &QPushButton::clicked, this, [this] { dialogue_->Cancel(); });
}

formParmsGetCurrent::~formParmsGetCurrent() = default;

void formParmsGetCurrent::keyPressEvent(QKeyEvent* e) {
    const bool plain = e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier;
    if (plain && (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        buttonCancel->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void formParmsGetCurrent::Unload() {
    if (loaded()) CloseForm();
}

void formParmsGetCurrent::SetPercent(int percent) { panelPercent->setValue(percent); }

}  // namespace k45
