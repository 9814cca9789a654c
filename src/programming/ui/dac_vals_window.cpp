#include "programming/ui/dac_vals_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "wiring/dialogue_links.h"
#include "wiring/window_services.h"
#include "base/utilities.h"
#include "programming/ui/editor_window.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

formDacVals::formDacVals(AppContext& ctx, QWidget* parent)
    : ToolWindowBase(ctx, "formDacVals", "Edit DAC Values", Placement::Saved, parent) {
    auto box = [&](const QString& name, bool signedValue = false) {
        auto* b = new NumBox(ctx_.state.locale);
        b->setObjectName(name);
        b->setNumType(signedValue ? NumBox::numSigned : NumBox::numUnsigned);
        if (signedValue) b->setNumMin(-128);
        b->setNumMax(signedValue ? 127 : 255);
        b->setNumMaxLength(signedValue ? 4 : 3);
        b->setSteps(1, 10);
        b->setDragGroup(this);
        b->setMaximumWidth(70);
        b->setAlignment(Qt::AlignRight);
        return b;
    };

    auto* heading = new QLabel("Enter Default DAC Values from ATS Slip and Default Tuning Values");
    heading->setWordWrap(true);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    auto* g = new QGridLayout;
    const char* const pointCaptions[3] = {"Low", "Mid", "High"};
    for (int k = 0; k < 3; ++k) g->addWidget(new QLabel(pointCaptions[k]), 0, k + 1, Qt::AlignHCenter);
    struct TripleRow {
        Triple* boxes;
        const char* name;
        const char* caption;
    };
    const TripleRow rows[] = {
        {&textFrontAdj, "textFrontAdj", "Front-En&d:"}, {&textModAdj, "textModAdj", "&Modulation:"},
        {&textPowerAdj, "textPowerAdj", "&Power:"},     {&textRxFC8, "textRxFC8", "Rx FC 8:"},
        {&textRxFC5, "textRxFC5", "Rx FC 5:"},          {&textTxFC8, "textTxFC8", "Tx FC 8:"},
        {&textTxFC5, "textTxFC5", "Tx FC 5:"},
    };
    int r = 1;
    for (const TripleRow& row : rows) {
        for (int k = 0; k < 3; ++k) (*row.boxes)[static_cast<std::size_t>(k)] = box(QString("%1%2").arg(row.name).arg(k));
        auto* caption = new QLabel(row.caption);
        caption->setBuddy((*row.boxes)[0]);
        g->addWidget(caption, r, 0);
        // Centred under their column captions however wide the heading makes the columns.
        for (int k = 0; k < 3; ++k) g->addWidget((*row.boxes)[static_cast<std::size_t>(k)], r, k + 1, Qt::AlignHCenter);
        ++r;
    }
    textGain = box("textGain");
    textDev = box("textDev");
    textRssiCalAdj = box("textRssiCalAdj", true);
    textPwrCalAdj = box("textPwrCalAdj");
    const std::pair<const char*, NumBox*> singles[] = {
        {"&Rx Gain:", textGain}, {"&Tx Deviation:", textDev}, {"RSSI C&al Adj:", textRssiCalAdj},
        {"Power Cal Ad&j:", textPwrCalAdj}};
    auto* s = new QGridLayout;
    int i = 0;
    for (auto [caption, b] : singles) {
        auto* l = new QLabel(caption);
        l->setBuddy(b);
        s->addWidget(l, i / 2, (i % 2) * 2);
        s->addWidget(b, i / 2, (i % 2) * 2 + 1);
        ++i;
    }

    buttonDefault = kit::Button(nullptr, "buttonDefault", "Defau&lt");
    buttonDefault->setVisible(false);
    buttonDefault->setEnabled(false);
    auto* buttons = OkCancelRow(buttonOK, buttonCancel, buttonDefault);
    buttonOK->setDefault(true);

    auto* top = new QVBoxLayout(this);
    top->addWidget(heading);
    top->addLayout(g);
    top->addLayout(s);
    top->addLayout(buttons);

    connect(buttonOK, &QPushButton::clicked, this, [this] { buttonOK_Click(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { buttonCancel_Click(); });
    connect(buttonDefault, &QPushButton::clicked, this, [this] { buttonDefault_Click(); });
    // The main window opens a child at the child's own size.
    resize(sizeHint());
}

std::array<NumBox*, kDacValueCount> formDacVals::boxes() const {
    std::array<NumBox*, kDacValueCount> b{};
    std::size_t n = 0;
    for (const Triple* t : {&textFrontAdj, &textModAdj, &textPowerAdj, &textRxFC8, &textRxFC5, &textTxFC8, &textTxFC5})
        for (NumBox* box : *t) b[n++] = box;
    b[n++] = textGain;
    b[n++] = textDev;
    b[n++] = textRssiCalAdj;
    b[n++] = textPwrCalAdj;
    return b;
}

void formDacVals::UpdateChanges() {
    if (loaded()) DisplayDacValues();
}

bool formDacVals::SaveChanges() {
    if (!loaded()) return false;
    StoreDacValues();
    return true;
}

void formDacVals::DisplayDacValues() {
    const auto fields = DacValueFields(std::as_const(editDacValues_));
    const auto b = boxes();
    for (std::size_t i = 0; i < fields.size(); ++i) b[i]->setText(QString::number(*fields[i]));
}

void formDacVals::StoreDacValues() {
    const auto fields = DacValueFields(editDacValues_);
    const auto b = boxes();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (auto v = TextToInt16(b[i]->limitedText().toStdString(), ctx_.state.locale)) *fields[i] = *v;
}

void formDacVals::Form_Activate() {
    if (!loaded()) return;
    if (ctx_.state.dacValues == referenceDacValues_) return;
    referenceDacValues_ = ctx_.state.dacValues;
    editDacValues_ = ctx_.state.dacValues;
    DisplayDacValues();
}

void formDacVals::keyPressEvent(QKeyEvent* e) {
    // OK answers Enter and Cancel answers Esc, whichever box has the focus; a focused button
    // answers Enter itself, so Enter on Cancel does not hand the values over.
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused && focused->isEnabled() ? focused : buttonOK)->click();
        return;
    }
    if (mods == Qt::NoModifier && e->key() == Qt::Key_Escape) {
        buttonCancel->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void formDacVals::Form_Load() {
    const bool production = ctx_.state.productionMode;
    buttonDefault->setEnabled(production);
    buttonDefault->setVisible(production);
    referenceDacValues_ = ctx_.state.dacValues;
    editDacValues_ = ctx_.state.dacValues;
    DisplayDacValues();
}

void formDacVals::buttonOK_Click() {
    SaveChanges();
    ctx_.state.dacValues = editDacValues_;
    DialogueLinks::Of(ctx_).windows().DacValuesChanged();
    CloseForm();
}

void formDacVals::buttonCancel_Click() { CloseForm(); }

void formDacVals::buttonDefault_Click() {
    if (!ctx_.state.productionMode) return;
    editDacValues_ = ctx_.state.testParameters.defaultDacValues;
    DisplayDacValues();
}

}  // namespace k45
