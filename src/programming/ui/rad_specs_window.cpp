#include "programming/ui/rad_specs_window.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "base/utilities.h"
#include "params/radio_spec_file.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"
#include "programming/ui/radio_parms_lists.h"
#include "ui/combo_fillers.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {
constexpr const char* kColumnNames[kRadSpecColumns] = {"textRxFreq", "textTxFreq", "textRxCN",  "textTxCN",
                                                      "textRxFC8",  "textTxFC8",  "textRxFC5", "textTxFC5"};
constexpr const char* kColumnCaptions[kRadSpecColumns] = {"Rx Frequency:", "Tx Frequency:", "RxCN:",  "TxCN:",
                                                         "RxFC8:",        "TxFC8:",        "RxFC5:", "TxFC5:"};
constexpr const char* kRowCaptions[3] = {"&Low:", "&Mid:", "&High:"};
}  // namespace

formRadSpecs::formRadSpecs(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setWindowTitle("Setup Default Radio Frequencies and CNs");
    setObjectName("formRadSpecs");
    setModal(true);

    // Until the load refills them, the lists hold every type and range, nothing selected.
    comboRadioType = new QComboBox;
    comboRadioType->setObjectName("comboRadioType");
    FillRadioTypeCombo(*comboRadioType, kAllRadioTypes);
    comboRadioRange = new QComboBox;
    comboRadioRange->setObjectName("comboRadioRange");
    FillRadioRangeCombo(*comboRadioRange, 0, kAllRadioRanges);
    auto* lists = new QHBoxLayout;
    auto* typeCaption = new QLabel("Ra&dio:");
    typeCaption->setBuddy(comboRadioType);
    auto* rangeCaption = new QLabel("Ran&ge:");
    rangeCaption->setBuddy(comboRadioRange);
    lists->addWidget(typeCaption);
    lists->addWidget(comboRadioType);
    lists->addSpacing(16);
    lists->addWidget(rangeCaption);
    lists->addWidget(comboRadioRange);
    lists->addStretch();

    auto* g = new QGridLayout;
    g->addWidget(new QLabel("Chan:"), 0, 0);
    for (int c = 0; c < kRadSpecColumns; ++c) {
        g->addWidget(new QLabel(kColumnCaptions[c]), 0, c + 1);
        const bool frequency = c < 2;
        for (int k = 0; k < 3; ++k) {
            auto* b = new NumBox(ctx_.state.locale);
            b->setObjectName(QString("%1%2").arg(kColumnNames[c]).arg(k));
            if (frequency) {
                b->setNumType(NumBox::numDecimal);
                b->setNumMin(100);
                b->setNumMax(999);
                b->setNumFormat("0.000000");
                b->setNumMaxLength(10);
                b->setSteps(0.05, 1);
                b->setText("100.000000");
                b->setMinimumWidth(90);
            } else {
                b->setNumType(NumBox::numUnsigned);
                b->setNumMax(255);
                b->setNumMaxLength(3);
                b->setSteps(1, 10);
                b->setText("0");
                b->setMaximumWidth(55);
            }
            b->setDragGroup(this);
            column(c)[static_cast<std::size_t>(k)] = b;
            g->addWidget(b, k + 1, c + 1);
        }
    }
    for (int k = 0; k < 3; ++k) {
        auto* caption = new QLabel(kRowCaptions[k]);
        caption->setBuddy(textRxFreq[static_cast<std::size_t>(k)]);
        g->addWidget(caption, k + 1, 0);
    }

    auto* help = new QGridLayout;
    help->addWidget(new QLabel("OK:"), 0, 0);
    help->addWidget(new QLabel("Exit and Save"), 0, 1);
    help->addWidget(new QLabel("Cancel:"), 1, 0);
    help->addWidget(new QLabel("Exit and Don't Save"), 1, 1);

    buttonReset = kit::Button(nullptr, "buttonReset", "&Reset Defaults");
    buttonOK = kit::Button(nullptr, "buttonOK", "&OK");
    buttonOK->setDefault(true);
    buttonCancel = kit::Button(nullptr, "buttonCancel", "&Cancel");
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(help);
    bottom->addStretch();
    bottom->addWidget(buttonReset);
    bottom->addWidget(buttonOK);
    bottom->addWidget(buttonCancel);

    auto* top = new QVBoxLayout(this);
    top->addLayout(lists);
    top->addLayout(g);
    top->addLayout(bottom);

    connect(buttonOK, &QPushButton::clicked, this, [this] { buttonOK_Click(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { buttonCancel_Click(); });
    connect(buttonReset, &QPushButton::clicked, this, [this] { buttonReset_Click(); });
    connect(comboRadioType, &QComboBox::currentIndexChanged, this, [this] { comboRadioType_Click(); });
    connect(comboRadioRange, &QComboBox::currentIndexChanged, this, [this] { comboRadioRange_Click(); });

    Form_Load();
}

formRadSpecs::Column& formRadSpecs::column(int c) {
    Column* const columns[kRadSpecColumns] = {&textRxFreq, &textTxFreq, &textRxCN,  &textTxCN,
                                              &textRxFC8,  &textTxFC8,  &textRxFC5, &textTxFC5};
    return *columns[std::clamp(c, 0, kRadSpecColumns - 1)];
}

void formRadSpecs::Form_Load() {
    if (auto* main = dynamic_cast<QWidget*>(ctx_.mainFrame)) {
        adjustSize();
        CenterForm(*main, *this);
    }
    loaded_ = true;
    rangeClickEnabled_ = false;
    editDefaults_ = ctx_.state.testDefaults;
    shownType_ = comboRadioType->itemData(0).toInt();
    shownRange_ = comboRadioRange->itemData(0).toInt();
    ShowEntries(shownType_, shownRange_);
    FillRadioTypeCombo(*comboRadioType, ctx_.state);
    SelectListPosition(*comboRadioType, 0);
    SelectListPosition(*comboRadioRange, 0);
    FillRadioRangeCombo(*comboRadioRange, ctx_.state, SelectedItemData(*comboRadioType).value_or(-1));
    rangeClickEnabled_ = true;
    // The boxes show the first listed type's first listed range.
    const auto type = SelectedItemData(*comboRadioType);
    const auto range = SelectedItemData(*comboRadioRange);
    if (type && range && (*type != shownType_ || *range != shownRange_)) {
        shownType_ = *type;
        shownRange_ = *range;
        ShowEntries(shownType_, shownRange_);
    }
}

void formRadSpecs::Form_Unload() { loaded_ = false; }

void formRadSpecs::ShowEntries(int type, int range) {
    for (int k = 0; k < 3; ++k) {
        if (!RadioSpecIndexValid(type, range, k)) return;
        const RadSpecTexts texts = RadSpecToTexts(
            editDefaults_.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(type, range, k))], ctx_.state.locale);
        for (int c = 0; c < kRadSpecColumns; ++c)
            column(c)[static_cast<std::size_t>(k)]->setText(QText(texts[static_cast<std::size_t>(c)]));
    }
}

void formRadSpecs::StoreEntries(int type, int range) {
    for (int k = 0; k < 3; ++k) {
        if (!RadioSpecIndexValid(type, range, k)) return;
        RadSpecTexts texts;
        for (int c = 0; c < kRadSpecColumns; ++c)
            texts[static_cast<std::size_t>(c)] = column(c)[static_cast<std::size_t>(k)]->limitedText().toStdString();
        StoreRadSpecTexts(editDefaults_.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(type, range, k))], texts,
                          ctx_.state.locale);
    }
}

void formRadSpecs::comboRadioType_Click() {
    if (comboRadioRange->currentIndex() < 0) return;
    StoreEntries(shownType_, shownRange_);
    rangeClickEnabled_ = false;
    FillRadioRangeCombo(*comboRadioRange, ctx_.state, SelectedItemData(*comboRadioType).value_or(-1));
    rangeClickEnabled_ = true;
    if (auto t = SelectedItemData(*comboRadioType)) shownType_ = *t;
    if (auto r = SelectedItemData(*comboRadioRange)) shownRange_ = *r;
    ShowEntries(shownType_, shownRange_);
}

void formRadSpecs::comboRadioRange_Click() {
    if (comboRadioType->currentIndex() < 0 || !rangeClickEnabled_) return;
    StoreEntries(shownType_, shownRange_);
    if (auto t = SelectedItemData(*comboRadioType)) shownType_ = *t;
    if (auto r = SelectedItemData(*comboRadioRange)) shownRange_ = *r;
    ShowEntries(shownType_, shownRange_);
}

void formRadSpecs::buttonReset_Click() {
    editDefaults_.radioSpecs = ctx_.state.builtInTestDefaults.radioSpecs;
    ShowEntries(shownType_, shownRange_);
}

void formRadSpecs::buttonOK_Click() {
    const int type = SelectedItemData(*comboRadioType).value_or(shownType_);
    const int range = SelectedItemData(*comboRadioRange).value_or(shownRange_);
    if (ctx_.dialogs()->messageBox("Exit and save any changes?", "Exit", MsgButtons::OKCancel) != MsgAnswer::OK)
        return;
    StoreEntries(type, range);
    ctx_.state.testDefaults = editDefaults_;
    std::string error;
    if (!SaveRadioSpecs(ctx_.state, ctx_.state, &error)) {
        std::string text = "Could not save the radio spec file " + RadioSpecFileName(ctx_.state);
        if (!error.empty()) text += "\r\n" + error;
        ctx_.dialogs()->messageBox(text, {}, MsgButtons::OK, MsgIcon::Critical);
    }
    Form_Unload();
    QDialog::accept();
}

void formRadSpecs::buttonCancel_Click() {
    if (ctx_.dialogs()->messageBox("Exit without saving any changes?", "Exit", MsgButtons::OKCancel) != MsgAnswer::OK)
        return;
    Form_Unload();
    QDialog::reject();
}

void formRadSpecs::reject() {
    Form_Unload();
    QDialog::reject();
}

void formRadSpecs::keyPressEvent(QKeyEvent* e) {
    // Esc is the Cancel button (with its question); the close box closes without one.
    if (e->key() == Qt::Key_Escape && !(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        buttonCancel->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void ShowRadSpecsEditor(AppContext& ctx) {
    if (!ctx.dialogs()) return;
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = dynamic_cast<QWidget*>(ctx.mainFrame);
    ctx.dialogs()->runModal("formRadSpecs", [&ctx, parent] {
        formRadSpecs editor(ctx, parent);
        return editor.exec();
    });
}

}  // namespace k45
