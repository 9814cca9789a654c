#include "programming/ui/radio_parms_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "wiring/app_context.h"
#include "base/converters.h"
#include "wiring/main_frame.h"
#include "wiring/tool_window_ids.h"
#include "base/utilities.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"
#include "programming/editor_modem_times.h"
#include "programming/editor_rate_lists.h"
#include "programming/editor_values.h"
#include "programming/ui/dac_vals_window.h"
#include "programming/ui/editor_window.h"
#include "programming/ui/mdm_times_window.h"
#include "programming/ui/rad_specs_window.h"
#include "radio/channel_plan.h"
#include "radio/channel_validation.h"
#include "ui/combo_fillers.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

// A list wide enough for its longest possible entry, whatever it holds at the moment.
QComboBox* List(const char* name, int longestEntry = 0) {
    auto* c = new QComboBox;
    c->setObjectName(name);
    if (longestEntry > 0) {
        c->setMinimumContentsLength(longestEntry);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    } else {
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    return c;
}

QCheckBox* Check(const char* name, const char* caption) {
    auto* c = new QCheckBox(caption);
    c->setObjectName(name);
    return c;
}

// The horizontal scroll bars' least width.
constexpr int kScrollWidth = 140;

void SetScrollIfInRange(QScrollBar* s, double value) {
    if (!std::isfinite(value)) return;
    const double r = RoundHalfEven(value);
    if (r >= s->minimum() && r <= s->maximum()) s->setValue(static_cast<int>(r));
}
}  // namespace

formRadioParms::formRadioParms(AppContext& ctx, QWidget* parent)
    : ToolWindowBase(ctx, "formRadioParms", "Setup Modem/Radio Parameters", Placement::Saved, parent) {
    tabModemRadioParms = new QTabWidget;
    tabModemRadioParms->setObjectName("tabModemRadioParms");
    tabModemRadioParms->addTab(BuildModemTab(), "&Modem");
    tabModemRadioParms->addTab(BuildRadioTab(), "Rad&io");
    tabModemRadioParms->addTab(BuildFrequencyTab(), "Fre&quencies");

    auto* top = new QVBoxLayout(this);
    top->addWidget(tabModemRadioParms);
    top->addLayout(OkCancelRow(buttonOK, buttonCancel));

    Connect();
    // Page Up and Page Down move the channel rows whichever control has the focus.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    FocusedButtonsAnswerEnter(*this);
    // The main window opens a child at the child's own size.
    resize(sizeHint());
}

QWidget* formRadioParms::BuildModemTab() {
    const LocaleInfo& loc = ctx_.state.locale;
    frameModemParms = new QGroupBox("Modem Parameters:");
    frameModemParms->setObjectName("frameModemParms");
    textLongId = new NumBox(loc);
    textLongId->setObjectName("textLongId");
    textLongId->setNumType(NumBox::numUnsigned6);
    textLongId->setNumMax(4294967295.0);
    textLongId->setNumMaxLength(10);
    textLongId->setSteps(1, 10);
    textShortId = new QLineEdit;
    textShortId->setObjectName("textShortId");
    textShortId->setReadOnly(true);
    textShortId->setMaximumWidth(80);
    textComment = new QLineEdit;
    textComment->setObjectName("textComment");
    textLastConfigured = new QLineEdit;
    textLastConfigured->setObjectName("textLastConfigured");
    textLastConfigured->setReadOnly(true);
    textLastConfigured->setMinimumWidth(textLastConfigured->fontMetrics().horizontalAdvance("00/00/0000 00:00:00 PM") + 16);
    textTotalConfigurations = new NumBox(loc);
    textTotalConfigurations->setObjectName("textTotalConfigurations");
    textTotalConfigurations->setNumType(NumBox::numUnsigned3);
    textTotalConfigurations->setNumMax(65535);
    textTotalConfigurations->setNumMaxLength(5);
    textTotalConfigurations->setSteps(1, 10);
    textTotalConfigurations->setMaximumWidth(80);
    checkExtendedT1 = Check("checkExtendedT1", "Repeater Mode (Extended T&1 RTS-CTS)");
    checkExtendedT2 = Check("checkExtendedT2", "Extended Turnoff (T&2)");
    checkOnlineDiag = Check("checkOnlineDiag", "On&line Diagnostics");
    checkRawDiag = Check("checkRawDiag", "Output &Raw Diagnostic Data Only");
    checkQMastOption = Check("checkQMastOption", "Q-Ma&st Option");

    auto* g = new QGridLayout(frameModemParms);
    g->addWidget(BuddyCaption("Long I&D:", textLongId), 0, 0);
    g->addWidget(textLongId, 0, 1);
    g->addWidget(new QLabel("Short ID:"), 0, 2, Qt::AlignRight);
    g->addWidget(textShortId, 0, 3);
    g->addWidget(BuddyCaption("Commen&t:", textComment), 1, 0);
    g->addWidget(textComment, 1, 1, 1, 3);
    g->addWidget(new QLabel("Date Last Configured:"), 2, 0);
    g->addWidget(textLastConfigured, 2, 1);
    g->addWidget(BuddyCaption("Total Confi&gurations:", textTotalConfigurations), 3, 0);
    g->addWidget(textTotalConfigurations, 3, 1, Qt::AlignLeft);
    g->addWidget(checkExtendedT1, 4, 0, 1, 4);
    g->addWidget(checkExtendedT2, 5, 0, 1, 4);
    g->addWidget(checkOnlineDiag, 6, 0, 1, 2);
    g->addWidget(checkRawDiag, 6, 2, 1, 2);
    g->addWidget(checkQMastOption, 7, 0, 1, 4);
    g->setColumnStretch(1, 1);

    frameCommunicationParms = new QGroupBox("Communication Parameters:");
    frameCommunicationParms->setObjectName("frameCommunicationParms");
    comboBaudRate = List("comboBaudRate", 5);
    comboDataFormat = List("comboDataFormat", 14);
    for (const char* e : kDataFormatEntries) comboDataFormat->addItem(e);
    comboDataFormat->setCurrentIndex(-1);
    comboNetworkType = List("comboNetworkType", 13);
    comboDataType = List("comboDataType", 13);
    pictureDataType = new DataSignalPicture;
    shapeDataInversion = pictureDataType->shapeDataInversion;
    lists_ = {comboBaudRate, comboDataFormat, comboNetworkType, comboDataType, pictureDataType};
    auto* c = new QGridLayout(frameCommunicationParms);
    c->addWidget(BuddyCaption("&Baud Rate:", comboBaudRate), 0, 0);
    c->addWidget(comboBaudRate, 0, 1);
    c->addWidget(BuddyCaption("D&ata Format:", comboDataFormat), 1, 0);
    c->addWidget(comboDataFormat, 1, 1);
    c->addWidget(BuddyCaption("Networ&k Type:", comboNetworkType), 0, 2);
    c->addWidget(comboNetworkType, 0, 3);
    c->addWidget(BuddyCaption("Data T&ype:", comboDataType), 1, 2);
    c->addWidget(comboDataType, 1, 3);
    c->addWidget(pictureDataType, 2, 3, Qt::AlignLeft);
    c->setColumnStretch(4, 1);

    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(frameModemParms);
    v->addWidget(frameCommunicationParms);
    v->addStretch();
    return page;
}

QWidget* formRadioParms::BuildRadioTab() {
    frameRadioParms = new QGroupBox("Radio Parameters:");
    frameRadioParms->setObjectName("frameRadioParms");
    comboRadioType = List("comboRadioType");
    comboRadioRange = List("comboRadioRange");
    // Until the first refill the range list holds every range.
    FillRadioRangeCombo(*comboRadioRange, 0, kAllRadioRanges);
    comboChanBandwidth = List("comboChanBandwidth", 16);
    comboChanBandwidth->addItem(kBandwidthEntries[0], 0);
    comboChanBandwidth->addItem(kBandwidthEntries[1], 1);
    comboChanBandwidth->setCurrentIndex(-1);

    frameSa702xSynth = new QGroupBox("Synthesi&zer");
    frameSa702xSynth->setObjectName("frameSa702xSynth");
    optionSa7025Synth = new QRadioButton("SA7025");
    optionSa7025Synth->setObjectName("optionSa7025Synth");
    optionSa7026Synth = new QRadioButton("SA7026 SA8026");
    optionSa7026Synth->setObjectName("optionSa7026Synth");
    auto* sv = new QVBoxLayout(frameSa702xSynth);
    sv->addWidget(optionSa7025Synth);
    sv->addWidget(optionSa7026Synth);

    frameRxHighLow = new QGroupBox("Tune Range");
    frameRxHighLow->setObjectName("frameRxHighLow");
    optionHiRxBand = new QRadioButton("High Rx");
    optionHiRxBand->setObjectName("optionHiRxBand");
    optionLoRxBand = new QRadioButton("Low Rx");
    optionLoRxBand->setObjectName("optionLoRxBand");
    auto* hv = new QVBoxLayout(frameRxHighLow);
    hv->addWidget(optionHiRxBand);
    hv->addWidget(optionLoRxBand);

    comboChannelOverride = List("comboChannelOverride");
    comboChannelOverride->addItem("Disabled");
    for (int n = 1; n <= 8; ++n) comboChannelOverride->addItem(QString::number(n));
    comboChannelOverride->setCurrentIndex(-1);

    checkPttWatchdog = Check("checkPttWatchdog", "PTT W&atchdog");
    scrollPttWatchdogTime = kit::HScroll(nullptr, "scrollPttWatchdogTime", 1, 120, 10, kScrollWidth);
    labelPttWatchdogTime = kit::Label(nullptr, "labelPttWatchdogTime");
    labelPttWatchdogTime->setMinimumWidth(50);
    labelPttWatchdogTime->setText(QString("%1 S").arg(scrollPttWatchdogTime->value()));
    checkRxOnly = Check("checkRxOnly", "&Rx-Only Radio:");
    checkTxOnly = Check("checkTxOnly", "&Tx-Only Radio:");

    auto* g = new QGridLayout(frameRadioParms);
    g->addWidget(BuddyCaption("Ra&dio:", comboRadioType), 0, 0);
    g->addWidget(comboRadioType, 0, 1);
    g->addWidget(BuddyCaption("Ran&ge:", comboRadioRange), 1, 0);
    g->addWidget(comboRadioRange, 1, 1);
    g->addWidget(BuddyCaption("Channe&l:", comboChanBandwidth), 2, 0);
    g->addWidget(comboChanBandwidth, 2, 1);
    g->addWidget(frameSa702xSynth, 0, 2, 2, 1);
    g->addWidget(frameRxHighLow, 0, 3, 2, 1);
    g->addWidget(BuddyCaption("Redirect Channel &8 to Channel:", comboChannelOverride), 3, 0, 1, 2);
    g->addWidget(comboChannelOverride, 3, 2, Qt::AlignLeft);
    auto* ptt = new QHBoxLayout;
    ptt->addWidget(checkPttWatchdog);
    ptt->addWidget(scrollPttWatchdogTime, 1);
    ptt->addWidget(labelPttWatchdogTime);
    g->addLayout(ptt, 4, 0, 1, 4);
    g->addWidget(checkRxOnly, 5, 0, 1, 2);
    g->addWidget(checkTxOnly, 5, 2, 1, 2);
    g->setColumnStretch(4, 1);

    frameCarrierDetect = new QGroupBox("Carrier Detect Thresholds:");
    frameCarrierDetect->setObjectName("frameCarrierDetect");
    scrollRssiOn = kit::HScroll(nullptr, "scrollRssiOn", 0, 90, 10, kScrollWidth);
    scrollRssiOff = kit::HScroll(nullptr, "scrollRssiOff", 0, 90, 10, kScrollWidth);
    labelRssiOn = kit::Label(nullptr, "labelRssiOn", QText(FormatRssiDbm(0)));
    labelRssiOff = kit::Label(nullptr, "labelRssiOff", QText(FormatRssiDbm(0)));
    for (QLabel* l : {labelRssiOn, labelRssiOff}) l->setMinimumWidth(70);
    checkDynamicCarrier = Check("checkDynamicCarrier", "D&ynamic Carrier Detect Off Threshold");
    auto* cd = new QGridLayout(frameCarrierDetect);
    cd->addWidget(new QLabel("On:"), 0, 0);
    cd->addWidget(scrollRssiOn, 0, 1);
    cd->addWidget(labelRssiOn, 0, 2);
    cd->addWidget(new QLabel("Off:"), 1, 0);
    cd->addWidget(scrollRssiOff, 1, 1);
    cd->addWidget(labelRssiOff, 1, 2);
    cd->addWidget(checkDynamicCarrier, 2, 0, 1, 3);
    cd->setColumnStretch(1, 1);

    labelWarning = kit::Label(nullptr, "labelWarning", "Be careful with unlocking controls and aligning.");

    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(frameRadioParms);
    v->addWidget(frameCarrierDetect);
    v->addWidget(labelWarning);
    v->addStretch();
    return page;
}

QWidget* formRadioParms::BuildFrequencyTab() {
    const LocaleInfo& loc = ctx_.state.locale;
    pictureFreq = new QWidget;
    pictureFreq->setObjectName("pictureFreq");
    scrollFreqChannels = new QScrollBar(Qt::Vertical);
    scrollFreqChannels->setObjectName("scrollFreqChannels");
    scrollFreqChannels->setRange(0, 0);

    auto* g = new QGridLayout(pictureFreq);
    g->addWidget(new QLabel("Chan:"), 0, 0);
    g->addWidget(new QLabel("Rx Frequency:"), 0, 1);
    g->addWidget(new QLabel("Tx Frequency:"), 0, 2);
    g->addWidget(new QLabel("Tx Power:"), 0, 3);
    auto freqBox = [&](const QString& name) {
        auto* b = new NumBox(loc);
        b->setObjectName(name);
        b->setNumType(NumBox::numDecimal);
        b->setNumMin(100);
        b->setNumMax(999);
        b->setNumFormat("0.000000");
        b->setNumMaxLength(10);
        b->setSteps(0.1, 1);
        b->setDragGroup(this);
        return b;
    };
    for (int r = 0; r < kChannelRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        textRxFreq[i] = freqBox(QString("textRxFreq%1").arg(r));
        textTxFreq[i] = freqBox(QString("textTxFreq%1").arg(r));
        textPwrSetting[i] = new NumBox(loc);
        textPwrSetting[i]->setObjectName(QString("textPwrSetting%1").arg(r));
        textPwrSetting[i]->setNumType(NumBox::numUnsigned);
        textPwrSetting[i]->setNumMax(255);
        textPwrSetting[i]->setNumMaxLength(3);
        textPwrSetting[i]->setSteps(1, 10);
        textPwrSetting[i]->setMaximumWidth(60);
        textPwrSetting[i]->setDragGroup(this);
        labelFreqChanNum[i] = BuddyCaption(QString("&%1:").arg(r + 1), textRxFreq[i]);
        labelFreqChanNum[i]->setObjectName(QString("labelFreqChanNum%1").arg(r));
        g->addWidget(labelFreqChanNum[i], r + 1, 0);
        g->addWidget(textRxFreq[i], r + 1, 1);
        g->addWidget(textTxFreq[i], r + 1, 2);
        g->addWidget(textPwrSetting[i], r + 1, 3);
    }
    g->addWidget(scrollFreqChannels, 1, 4, kChannelRows, 1);
    auto* note1 = new QLabel("Frequencies are in MHz.");
    auto* note2 = new QLabel(
        "Tx Power (0 - 255) is a ratio of Full Power.  Where 255 is Full Power and 128 is less than Half Power.");
    note2->setWordWrap(true);
    g->addWidget(new QLabel("Note:"), kChannelRows + 1, 0, Qt::AlignTop);
    g->addWidget(note1, kChannelRows + 1, 1, 1, 4);
    g->addWidget(new QLabel("Note:"), kChannelRows + 2, 0, Qt::AlignTop);
    g->addWidget(note2, kChannelRows + 2, 1, 1, 4);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(2, 1);

    textLongId->setDragGroup(this);
    textTotalConfigurations->setDragGroup(this);

    buttonDefaultFreqs = kit::Button(nullptr, "buttonDefaultFreqs", "Default Fre&qs");
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(pictureFreq);
    auto* b = new QHBoxLayout;
    b->addStretch();
    b->addWidget(buttonDefaultFreqs);
    v->addLayout(b);
    v->addStretch();
    return page;
}

void formRadioParms::Connect() {
    connect(buttonOK, &QPushButton::clicked, this, [this] { buttonOK_Click(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { buttonCancel_Click(); });
    connect(buttonDefaultFreqs, &QPushButton::clicked, this, [this] { buttonDefaultFreqs_Click(); });
    connect(tabModemRadioParms, &QTabWidget::currentChanged, this, [this] { EnableTabFrames(); });
    connect(textLongId, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (auto s = ShortIdOfText(t.toStdString(), ctx_.state.locale)) textShortId->setText(QText(*s));
    });
    connect(comboDataType, &QComboBox::currentIndexChanged, this,
            [this](int i) { shapeDataInversion->setVisible(i != 0); });
    connect(comboNetworkType, &QComboBox::currentIndexChanged, this, [this] { RebuildRateLists(); });
    connect(comboChanBandwidth, &QComboBox::currentIndexChanged, this, [this] { RebuildRateLists(); });
    connect(comboRadioType, &QComboBox::currentIndexChanged, this, [this] { comboRadioType_Click(); });
    connect(comboRadioRange, &QComboBox::currentIndexChanged, this, [this] { comboRadioRange_Click(); });
    connect(checkRxOnly, &QCheckBox::toggled, this, [this](bool on) {
        if (on) checkTxOnly->setChecked(false);
    });
    connect(checkTxOnly, &QCheckBox::toggled, this, [this](bool on) {
        if (on) checkRxOnly->setChecked(false);
    });
    connect(scrollPttWatchdogTime, &QScrollBar::valueChanged, this,
            [this](int v) { labelPttWatchdogTime->setText(QString("%1 S").arg(v)); });
    connect(scrollRssiOn, &QScrollBar::valueChanged, this,
            [this](int v) { labelRssiOn->setText(QText(FormatRssiDbm(static_cast<std::int16_t>(v)))); });
    connect(scrollRssiOff, &QScrollBar::valueChanged, this,
            [this](int v) { labelRssiOff->setText(QText(FormatRssiDbm(static_cast<std::int16_t>(v)))); });
    connect(scrollFreqChannels, &QScrollBar::valueChanged, this, [this](int v) { scrollFreqChannels_Change(v); });
}

// ---------------------------------------------------------------------------------------------
// Settings, load and unload

EditorPage* formRadioParms::TimingEditor() const { return ctx_.formAs<EditorPage>(ToolWindow::formMdmTimes); }

void formRadioParms::Form_Load() {
    rateListsEnabled_ = false;
    {
        // A new load starts with the first channel rows.
        const QSignalBlocker block(scrollFreqChannels);
        scrollFreqChannels->setRange(0, kTopChannelMax);
        scrollFreqChannels->setPageStep(3);
        scrollFreqChannels->setValue(0);
    }
    displayTopChannel_ = scrollFreqChannels->value();
    storeTopChannel_ = displayTopChannel_;
    const bool production = ctx_.state.productionMode;
    textTotalConfigurations->setLocked(!production);
    for (QWidget* w : std::initializer_list<QWidget*>{comboRadioType, comboRadioRange, comboChanBandwidth, frameRxHighLow,
                                                      frameSa702xSynth, optionSa7025Synth, optionSa7026Synth})
        w->setEnabled(production);
    tabModemRadioParms->setCurrentIndex(0);
    FillRadioTypeCombo(*comboRadioType, ctx_.state);
    UpdateChanges();
    FillRadioRangeCombo(*comboRadioRange, ctx_.state, SelectedItemData(*comboRadioType).value_or(-1));
}

// ---------------------------------------------------------------------------------------------
// The copy and the controls

void formRadioParms::UpdateChanges() {
    if (EditorPage* timing = TimingEditor()) timing->UpdateChanges();
    if (!loaded()) return;
    editParameters_ = ctx_.state.mainParameters;
    ShowWidestRateLists(lists_);
    rateListsEnabled_ = false;
    DisplayParameters();
    rateListsEnabled_ = true;
    RebuildRateLists();
    EnableTabFrames();
}

bool formRadioParms::SaveChanges() {
    if (EditorPage* timing = TimingEditor()) timing->SaveChanges();
    if (!loaded()) return false;
    StoreParameters();
    const std::int16_t index =
        CheckChannelFreqs(ctx_.state, ctx_.state, ctx_.state, editParameters_).Show(MessageShower(ctx_.dialogs()));
    if (index != -1) {
        SelectFrequencyInError(index);
        return false;
    }
    // The timing fields are not shown here: those of the shared record (the timing editor's
    // latest) stay.
    CopyTimingFields(ctx_.state.mainParameters, editParameters_);
    ctx_.state.mainParameters = editParameters_;
    if (ctx_.mainFrame) ctx_.mainFrame->SetUnitIdLabels(editParameters_.serialNumber);
    return true;
}

void formRadioParms::DisplayParameters() {
    const ModemParameters& p = editParameters_;
    const LocaleInfo& loc = ctx_.state.locale;
    textLongId->setText(QText(LongIdText(p.serialNumber, loc)));
    textComment->setText(Cp1252Text(p.comment));
    textLastConfigured->setText(QText(SetupTimeText(p.setupTime)));
    textTotalConfigurations->setText(QString::number(p.numberOfWrites));
    checkOnlineDiag->setChecked(IsSet(p.diagEnable));
    checkQMastOption->setChecked(IsSet(p.qMastOption));
    checkExtendedT1->setChecked(IsSet(p.repeaterMode));
    checkExtendedT2->setChecked(IsSet(p.earlyDcd));
    checkRawDiag->setChecked(IsSet(p.diagGateMode));
    SelectListPosition(*comboBaudRate, p.baudRate);
    SelectListPosition(*comboDataFormat, DataFormatPosition(p.nineDataBits, p.twoStopBits));
    if (p.model == familyPNet) SelectListPosition(*comboNetworkType, p.networkType);
    SelectListPosition(*comboDataType, DataTypePosition(p.invertedData));
    SelectListPosition(*comboRadioType, PositionOfItemDataOrLast(*comboRadioType, p.radioType));
    SelectListPosition(*comboRadioRange, PositionOfItemDataOrLast(*comboRadioRange, p.radioRange));
    {
        int bw = PositionOfItemDataOrLast(*comboChanBandwidth, p.channelBandwidth);
        if (comboChanBandwidth->itemData(bw).toInt() != p.channelBandwidth) bw = 0;
        SelectListPosition(*comboChanBandwidth, bw);
    }
    SelectListPosition(*comboChannelOverride, p.channelOverride);
    checkPttWatchdog->setChecked(IsSet(p.pttWatchdog));
    SetScrollIfInRange(scrollPttWatchdogTime, p.pttTimeout);
    checkTxOnly->setChecked(IsSet(p.txOnly));
    checkRxOnly->setChecked(IsSet(p.rxOnly));
    (IsSet(p.highBand) ? optionHiRxBand : optionLoRxBand)->setChecked(true);
    (IsSet(p.sa7026Synthesizer) ? optionSa7026Synth : optionSa7025Synth)->setChecked(true);
    checkDynamicCarrier->setChecked(IsSet(p.dynamicRssi));
    SetScrollIfInRange(scrollRssiOn, p.rssiOnThreshold);
    SetScrollIfInRange(scrollRssiOff, p.rssiOffThreshold);
    for (int r = 0; r < kChannelRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int c = displayTopChannel_ + r;
        if (c < 0 || c >= static_cast<int>(p.channels.size())) continue;
        const auto ci = static_cast<std::size_t>(c);
        labelFreqChanNum[i]->setText(QString("&%1:").arg(c + 1));
        textRxFreq[i]->setText(QText(FormatMHz(p.channels[ci].rxFrequency, loc)));
        textTxFreq[i]->setText(QText(FormatMHz(p.channels[ci].txFrequency, loc)));
        textPwrSetting[i]->setText(QString::number(p.powerAdjust[ci]));
    }
}

void formRadioParms::StoreParameters() {
    ModemParameters& p = editParameters_;
    const LocaleInfo& loc = ctx_.state.locale;
    auto text = [](const NumBox* e) { return e->limitedText().toStdString(); };
    if (auto v = TextToDouble(text(textLongId), loc); v && *v >= 0 && *v <= 4294967295.0)
        p.serialNumber = static_cast<std::uint32_t>(RoundHalfEven(*v));
    p.comment = Cp1252Bytes(textComment->text());
    if (auto v = TextToInt32(text(textTotalConfigurations), loc)) p.numberOfWrites = *v;
    p.diagEnable = ToFlag(checkOnlineDiag->isChecked());
    p.qMastOption = ToFlag(checkQMastOption->isChecked());
    p.repeaterMode = ToFlag(checkExtendedT1->isChecked());
    p.earlyDcd = ToFlag(checkExtendedT2->isChecked());
    p.diagGateMode = ToFlag(checkRawDiag->isChecked());
    if (comboBaudRate->currentIndex() >= 0) p.baudRate = static_cast<std::int16_t>(comboBaudRate->currentIndex());
    if (comboDataFormat->currentIndex() >= 0)
        ReadDataFormatPosition(comboDataFormat->currentIndex(), p.nineDataBits, p.twoStopBits);
    if (p.model == familyPNet && comboNetworkType->currentIndex() >= 0)
        p.networkType = static_cast<std::int16_t>(comboNetworkType->currentIndex());
    if (comboDataType->currentIndex() >= 0) p.invertedData = InvertedDataOfPosition(comboDataType->currentIndex());
    if (auto v = SelectedItemData(*comboRadioType)) p.radioType = *v;
    if (auto v = SelectedItemData(*comboRadioRange)) p.radioRange = *v;
    if (auto v = SelectedItemData(*comboChanBandwidth)) p.channelBandwidth = *v;
    if (comboChannelOverride->currentIndex() >= 0)
        p.channelOverride = static_cast<std::int16_t>(comboChannelOverride->currentIndex());
    p.pttWatchdog = ToFlag(checkPttWatchdog->isChecked());
    p.pttTimeout = static_cast<float>(scrollPttWatchdogTime->value());
    p.txOnly = ToFlag(checkTxOnly->isChecked());
    p.rxOnly = ToFlag(checkRxOnly->isChecked());
    p.highBand = ToFlag(optionHiRxBand->isChecked());
    p.sa7026Synthesizer = ToFlag(optionSa7026Synth->isChecked());
    p.dynamicRssi = ToFlag(checkDynamicCarrier->isChecked());
    p.rssiOnThreshold = static_cast<std::int16_t>(scrollRssiOn->value());
    p.rssiOffThreshold = static_cast<std::int16_t>(scrollRssiOff->value());
    for (int r = 0; r < kChannelRows; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const int c = storeTopChannel_ + r;
        if (c < 0 || c >= static_cast<int>(p.channels.size())) continue;
        const auto ci = static_cast<std::size_t>(c);
        if (auto hz = MHzTextToHz(text(textRxFreq[i]), loc)) p.channels[ci].rxFrequency = *hz;
        if (auto hz = MHzTextToHz(text(textTxFreq[i]), loc)) p.channels[ci].txFrequency = *hz;
        if (auto v = TextToInt16(text(textPwrSetting[i]), loc)) p.powerAdjust[ci] = *v;
    }
}

void formRadioParms::EnableTabFrames() {
    const int tab = tabModemRadioParms->currentIndex();
    frameModemParms->setEnabled(tab == 0);
    frameCommunicationParms->setEnabled(tab == 0);
    frameRadioParms->setEnabled(tab == 1);
    frameCarrierDetect->setEnabled(tab == 1);
    pictureFreq->setEnabled(tab == 2);
}

void formRadioParms::RebuildRateLists() {
    if (!rateListsEnabled_) return;
    rateListsEnabled_ = false;
    RefitRateLists(lists_, editParameters_.model, SelectedItemData(*comboChanBandwidth).value_or(-1));
    rateListsEnabled_ = true;
}

void formRadioParms::comboRadioType_Click() {
    if (comboRadioRange->currentIndex() < 0) return;
    FillRadioRangeCombo(*comboRadioRange, ctx_.state, SelectedItemData(*comboRadioType).value_or(-1));
    ApplyTuneRangeRule();
}

void formRadioParms::comboRadioRange_Click() {
    if (comboRadioType->currentIndex() < 0) return;
    ApplyTuneRangeRule();
}

void formRadioParms::ApplyTuneRangeRule() {
    const bool on = SelectedItemData(*comboRadioType) == 0 && SelectedItemData(*comboRadioRange) == 0 && ctx_.state.productionMode;
    frameRxHighLow->setEnabled(on);
}

// ---------------------------------------------------------------------------------------------
// Channel rows

void formRadioParms::scrollFreqChannels_Change(int value) {
    displayTopChannel_ = value;
    StoreParameters();
    DisplayParameters();
    EnableTabFrames();
    storeTopChannel_ = displayTopChannel_;
}

bool formRadioParms::PageKey(QKeyEvent* e) {
    if (e->key() != Qt::Key_PageUp && e->key() != Qt::Key_PageDown) return false;
    if (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return false;
    const int v = scrollFreqChannels->value();
    if (e->key() == Qt::Key_PageUp && v > 0) scrollFreqChannels->setValue(v - 1);
    if (e->key() == Qt::Key_PageDown && v < scrollFreqChannels->maximum()) scrollFreqChannels->setValue(v + 1);
    e->accept();
    return true;
}

void formRadioParms::keyPressEvent(QKeyEvent* e) {
    if (!PageKey(e)) QWidget::keyPressEvent(e);
}

bool formRadioParms::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && PageKey(static_cast<QKeyEvent*>(e))) return true;
    if (watched == textComment && e->type() == QEvent::FocusIn)
        QTimer::singleShot(0, textComment, [box = textComment] { box->selectAll(); });
    return QWidget::eventFilter(watched, e);
}

void formRadioParms::SelectFrequencyInError(std::int16_t freqIndex) {
    if (freqIndex < 0 || freqIndex > 15) return;
    tabModemRadioParms->setCurrentIndex(2);
    const bool tx = freqIndex < 8;
    const int k = tx ? freqIndex : freqIndex - 8;
    int row = 0;
    if (k <= scrollFreqChannels->maximum()) {
        scrollFreqChannels->setValue(k);
    } else {
        scrollFreqChannels->setValue(scrollFreqChannels->maximum());
        row = k - scrollFreqChannels->maximum();
    }
    if (row < 0 || row >= kChannelRows) return;
    NumBox* box = (tx ? textTxFreq : textRxFreq)[static_cast<std::size_t>(row)];
    box->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------------
// Buttons

void formRadioParms::buttonOK_Click() {
    buttonOK->setFocus(Qt::OtherFocusReason);
    if (SaveChanges()) CloseForm();
}

void formRadioParms::buttonCancel_Click() { CloseForm(); }

void formRadioParms::buttonDefaultFreqs_Click() {
    StoreParameters();
    SetDefaultChannels(ctx_.state, editParameters_);
    CorrectChannelFreqs(ctx_.state, ctx_.state, editParameters_);
    DisplayParameters();
}

// ---------------------------------------------------------------------------------------------

void AddEditorWindows(AppContext& ctx, QWidget& owner) {
    ctx.Register(ToolWindow::formMdmTimes, *new formMdmTimes(ctx, &owner));
    ctx.Register(ToolWindow::formRadioParms, *new formRadioParms(ctx, &owner));
    ctx.Register(ToolWindow::formDacVals, *new formDacVals(ctx, &owner));
    ctx.showRadSpecs = [&ctx] { ShowRadSpecsEditor(ctx); };
}

}  // namespace k45
