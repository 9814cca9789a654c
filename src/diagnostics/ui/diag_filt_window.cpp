#include "diagnostics/ui/diag_filt_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/ini_routines.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"
#include "wiring/app_context.h"

namespace k45 {

namespace {

struct BoxSpec {
    const char* name;
    const char* caption;
    int numType;
    double minimum, maximum;
    const char* format;
    int maxLength;
    double step, pageStep;
};
constexpr BoxSpec kBoxes[10] = {
    {"textLoRssi", "&Low RSSI:", NumBox::numSigned, -140, -30, "", 4, 1, 10},
    {"textHiRssi", "&High RSSI:", NumBox::numSigned, -140, -30, "", 4, 1, 10},
    {"textLoTemp", "&Low Temp:", NumBox::numSigned, -80, 180, "", 3, 1, 10},
    {"textHiTemp", "&High Temp:", NumBox::numSigned, -80, 180, "", 3, 1, 10},
    {"textLoBatt", "&Low Batt:", NumBox::numDecimal, 0, 24, "00.0", 4, 0.1, 1},
    {"textHiBatt", "&High Batt:", NumBox::numDecimal, 0, 24, "00.0", 4, 0.1, 1},
    {"textLoFwdP", "&Low Fwd Pwr:", NumBox::numDecimal, 0, 8, "0.0", 3, 0.1, 1},
    {"textHiFwdP", "&High Fwd Pwr:", NumBox::numDecimal, 0, 8, "0.0", 3, 0.1, 1},
    {"textLoRevP", "&Low Rev Pwr:", NumBox::numDecimal, 0, 8, "0.0", 3, 0.1, 1},
    {"textHiRevP", "&High Rev Pwr:", NumBox::numDecimal, 0, 8, "0.0", 3, 0.1, 1},
};

}  // namespace

formDiagFilt::formDiagFilt(AppContext& ctx, SharedDiagSettings settings, QWidget* parent)
    : ToolWindowBase(ctx, "formDiagFilt", kDiagFiltCaption, Placement::Saved, parent),
      settings_(std::move(settings)),
      editor_(*settings_, *ctx.state.dialogs, ctx.state.locale) {
    auto* limits = new QGroupBox("Alarms and Filters", this);
    auto* ll = new QGridLayout(limits);
    optionAlarmSelect = new QRadioButton("Ala&rms", limits);
    optionAlarmSelect->setObjectName("optionAlarmSelect");
    optionAlarmSelect->setChecked(true);
    optionFilterSelect = new QRadioButton("Filters", limits);
    optionFilterSelect->setObjectName("optionFilterSelect");
    ll->addWidget(optionAlarmSelect, 0, 0);
    ll->addWidget(optionFilterSelect, 0, 2);
    for (int i = 0; i < 10; ++i) {
        const BoxSpec& b = kBoxes[i];
        auto* box = new NumBox(ctx.state.locale, limits);
        box->setObjectName(b.name);
        box->setNumType(b.numType);
        box->setNumMin(b.minimum);
        box->setNumMax(b.maximum);
        if (*b.format) box->setNumFormat(b.format);
        box->setNumMaxLength(b.maxLength);
        box->setSteps(b.step, b.pageStep);
        box->setDragGroup(this);
        box->setAlignment(Qt::AlignRight);
        box->setMaximumWidth(70);
        limitBoxes[static_cast<std::size_t>(i)] = box;
        ll->addWidget(BuddyCaption(b.caption, box), 1 + i / 2, (i % 2) * 2);
        ll->addWidget(box, 1 + i / 2, (i % 2) * 2 + 1);
    }

    auto* ids = new QGroupBox("ID Entry and List", this);
    ids->setObjectName("frameIdEntryAndList");
    auto* il = new QGridLayout(ids);
    textFilterID = NumberBox(ctx.state.locale, this, ids, "textFilterID", 10, 4294967295.0);
    textFilterID->setToolTip("Enter ID to be Added to List");
    comboFilterIDs = new QComboBox(ids);
    comboFilterIDs->setObjectName("comboFilterIDs");
    comboFilterIDs->setToolTip("Select ID from List to be Deleted");
    comboFilterIDs->setMinimumWidth(110);
    textShortId = new QLineEdit(ids);
    textShortId->setObjectName("textShortId");
    textShortId->setReadOnly(true);
    textShortId->setToolTip("Short ID of the ID from the List");
    buttonAddID = kit::Button(ids, "buttonAddID", "&Add ID");
    buttonDeleteID = kit::Button(ids, "buttonDeleteID", "&Delete ID");
    il->addWidget(BuddyCaption("ID En&try:", textFilterID), 0, 0);
    il->addWidget(textFilterID, 0, 1);
    il->addWidget(buttonAddID, 0, 2);
    il->addWidget(BuddyCaption("&ID List:", comboFilterIDs), 1, 0);
    il->addWidget(comboFilterIDs, 1, 1);
    il->addWidget(buttonDeleteID, 1, 2);
    il->addWidget(new QLabel("Short ID:", ids), 2, 0);
    il->addWidget(textShortId, 2, 1);

    buttonOpen = kit::Button(this, "buttonOpen", "O&pen");
    buttonSave = kit::Button(this, "buttonSave", "&Save");
    buttonSaveAs = kit::Button(this, "buttonSaveAs", "Sa&ve As");
    buttonOK = kit::Button(this, "buttonOK", "&OK");
    buttonCancel = kit::Button(this, "buttonCancel", "&Cancel");
    labelFilename = new QLabel(this);
    labelFilename->setObjectName("labelFilename");
    labelFilename->setWordWrap(true);

    auto* file = new QHBoxLayout;
    file->addWidget(new QLabel("File:", this));
    file->addWidget(labelFilename, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(limits);
    layout->addWidget(ids);
    layout->addLayout(file);
    layout->addLayout(CentredButtons({buttonOpen, buttonSave, buttonSaveAs, buttonOK, buttonCancel}));
    FocusedButtonsAnswerEnter(*this);

    connect(optionAlarmSelect, &QRadioButton::clicked, this, [this] {
        ReadBoxes();
        editor_.ShowAlarms();
        Refresh();
    });
    connect(optionFilterSelect, &QRadioButton::clicked, this, [this] {
        ReadBoxes();
        editor_.ShowFilters();
        Refresh();
    });
    // The list handlers refresh every box: what the limit boxes hold is taken first, not lost.
    auto add = [this] {
        ReadBoxes();
        editor_.SetIdEntryText(textFilterID->text().toStdString());
        editor_.AddId();
        Refresh();
        textFilterID->setFocus();
    };
    connect(buttonAddID, &QPushButton::clicked, this, add);
    connect(textFilterID, &QLineEdit::returnPressed, this, add);
    connect(buttonDeleteID, &QPushButton::clicked, this, [this] {
        ReadBoxes();
        editor_.DeleteId();
        Refresh();
        comboFilterIDs->setFocus();
    });
    connect(comboFilterIDs, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        ReadBoxes();
        editor_.SelectId(i);
        Refresh();
    });
    connect(buttonOpen, &QPushButton::clicked, this, [this] {
        editor_.OpenClicked(diaFileName_, ctx_.state.places.programFolder);
        Refresh();
    });
    connect(buttonSave, &QPushButton::clicked, this, [this] {
        ReadBoxes();
        editor_.SaveClicked(diaFileName_, ctx_.state.places.programFolder);
        Refresh();
    });
    connect(buttonSaveAs, &QPushButton::clicked, this, [this] {
        ReadBoxes();
        editor_.SaveAsClicked(diaFileName_, ctx_.state.places.programFolder);
        Refresh();
    });
    connect(buttonOK, &QPushButton::clicked, this, [this] {
        ReadBoxes();
        editor_.ApplyChanges();
        editor_.CloseFromCode();
        CloseForm();
    });
    connect(buttonCancel, &QPushButton::clicked, this, [this] {
        ReadBoxes();
        editor_.CloseFromCode();
        CloseForm();
    });
}

formDiagFilt::~formDiagFilt() = default;

void formDiagFilt::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    diaFileName_ = ProgramFile(ctx_, "filter.dia");
    ReadIniInto(ctx_.state.locale, fileName, sectionName, "Alarm/Filter Filename", diaFileName_);
    LoadDiaFile(*settings_, ctx_.state.locale, diaFileName_);
}

void formDiagFilt::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    WriteWindowSetting(ctx_.state.locale, fileName, sectionName, "Alarm/Filter Filename", diaFileName_);
    std::string error;
    if (!SaveDiaFile(*settings_, diaFileName_, &error) && ctx_.state.dialogs)
        ctx_.state.dialogs->messageBox("The alarm/filter file could not be saved.\r\n" + error, kDiagFiltCaption,
                                       MsgButtons::OK, MsgIcon::Exclamation);
}

void formDiagFilt::Form_Load() {
    wasLoaded_ = true;
    optionAlarmSelect->setChecked(true);
    editor_.Load();
    Refresh();
}

void formDiagFilt::ReadBoxes() {
    // As each box would leave it: a dropped text beyond the box's limits is brought within them.
    for (int i = 0; i < 10; ++i)
        editor_.SetBox(i, limitBoxes[static_cast<std::size_t>(i)]->limitedText().toStdString());
}

void formDiagFilt::Refresh() {
    for (int i = 0; i < 10; ++i)
        limitBoxes[static_cast<std::size_t>(i)]->setText(QText(editor_.boxes()[static_cast<std::size_t>(i)]));
    comboFilterIDs->blockSignals(true);
    comboFilterIDs->clear();
    for (const auto& id : editor_.ids()) comboFilterIDs->addItem(QText(id));
    comboFilterIDs->setCurrentIndex(editor_.selected());
    comboFilterIDs->blockSignals(false);
    textShortId->setText(QText(editor_.shortIdText()));
    if (textFilterID->text().isEmpty()) textFilterID->setText(QText(editor_.idEntryText()));
    // The name as it is: in other letters it would name another file.
    labelFilename->setText(QText(diaFileName_));
}

}  // namespace k45
