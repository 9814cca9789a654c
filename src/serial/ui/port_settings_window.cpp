#include "serial/ui/port_settings_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "base/hex_text.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"
#include "wiring/app_context.h"
#include "wiring/main_frame.h"

namespace k45 {

namespace {

// A byte in two upper-case hex digits, as the system writes hex everywhere else.
class HexByteBox : public QSpinBox {
public:
    HexByteBox() {
        setRange(0, 255);
        setDisplayIntegerBase(16);
        lineEdit()->setMaxLength(2);
    }

protected:
    QString textFromValue(int value) const override { return QText(ByteToHex2(value)); }
};

// The device box: takes any path and offers the devices present when its list opens.
class DeviceBox : public QComboBox {
public:
    std::function<void()> beforePopup;
    void showPopup() override {
        if (beforePopup) beforePopup();
        QComboBox::showPopup();
    }
};

// A list whose popup is a table: the first column is the entry, the second tells about it.
// The popup shows a screenful of rows and scrolls, instead of running past the window.
void UseTablePopup(QComboBox* combo, QAbstractItemModel* model) {
    auto* view = new QTableView;
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setShowGrid(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    combo->setModel(model);
    combo->setView(view);
    combo->setModelColumn(0);
    combo->setMaxVisibleItems(12);
    combo->setStyleSheet("QComboBox { combobox-popup: 0; }");
}

// Widens the popup of a table list to show both columns whole.
void FitTablePopup(QComboBox* combo) {
    auto* view = qobject_cast<QTableView*>(combo->view());
    if (!view) return;
    view->resizeColumnsToContents();
    view->resizeRowsToContents();
    const int width = view->horizontalHeader()->length() + 2 * view->frameWidth() +
                      view->verticalScrollBar()->sizeHint().width() + 4;
    view->setMinimumWidth(width);
}

// Lets a long path wrap at its slashes (the texts shown hold slashes only in paths).
QString Breakable(const std::string& text) { return QText(text).replace("/", QString("/") + QChar(0x200B)); }

void Fill(QComboBox* combo, const std::vector<std::string>& entries) {
    for (const std::string& e : entries) combo->addItem(QText(e));
}

}  // namespace

formPortSettings::formPortSettings(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formPortSettings", "Port Settings", Placement::Saved, parent,
                     PortSettingsLinks{ctx.state, ctx.state.places, ctx.state, ctx.ports.classCommPrimary,
                                       ctx.ports.classCommSecondary}) {
    tabPortSettings = new QTabWidget;
    FillSide(0, "Primary Com Port:",
             "The Primary Port      (Host/Local Port)      is the Main Port      for the tools of      this App.");
    FillSide(1, "Secondary Com Port:",
             "The Secondary Port (Remote Port) is used only for those tools that require two Com Ports.");
    tabPortSettings->setTabText(0, "&Primary");
    tabPortSettings->setTabText(1, "&Secondary");

    // Advanced tab.
    frameAdvancedSettings = new QGroupBox("Advanced Settings:");
    checkIgnoreDCD = new QCheckBox("&Ignore DCD Before Tx'ing:");
    checkIgnoreDCD->setLayoutDirection(Qt::RightToLeft);
    auto timeoutBox = [](const char* name) {
        auto* b = new QDoubleSpinBox;
        b->setObjectName(name);
        b->setDecimals(2);
        b->setRange(AdvancedPortChoice::kTimeoutMin, AdvancedPortChoice::kTimeoutMax);
        b->setSingleStep(0.1);  // page keys step ten times this: 1
        return b;
    };
    auto hexBox = [](const char* name) {
        auto* b = new HexByteBox;
        b->setObjectName(name);
        b->setMaximumWidth(60);
        return b;
    };
    textDcdTimeout = timeoutBox("textDcdTimeout");
    textCtsTimeout = timeoutBox("textCtsTimeout");
    textSyncChar = hexBox("textSyncChar");
    textEscChar = hexBox("textEscChar");
    comboDmpBaudrate = new QComboBox;
    comboDmpBaudrate->setObjectName("comboDmpBaudrate");
    Fill(comboDmpBaudrate, DmpBaudEntries());
    auto hexRow = [](QSpinBox* b) {
        auto* w = new QWidget;
        auto* h = new QHBoxLayout(w);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(new QLabel("0x"));
        h->addWidget(b);
        h->addStretch();
        return w;
    };
    auto* ag = new QGridLayout(frameAdvancedSettings);
    ag->addWidget(checkIgnoreDCD, 0, 0, 1, 2, Qt::AlignLeft);
    ag->addWidget(BuddyCaption("&DCD   Timeout (S):", textDcdTimeout), 1, 0);
    ag->addWidget(textDcdTimeout, 1, 1);
    ag->addWidget(BuddyCaption("&CTS   Timeout (S):", textCtsTimeout), 2, 0);
    ag->addWidget(textCtsTimeout, 2, 1);
    ag->addWidget(BuddyCaption("S&YNC Character (in Hex):", textSyncChar), 3, 0);
    ag->addWidget(hexRow(textSyncChar), 3, 1);
    ag->addWidget(BuddyCaption("ESC   Character (in He&x):", textEscChar), 4, 0);
    ag->addWidget(hexRow(textEscChar), 4, 1);
    ag->addWidget(BuddyCaption("D&MP  Baudrate:", comboDmpBaudrate), 5, 0);
    ag->addWidget(comboDmpBaudrate, 5, 1);
    auto* advPage = new QWidget;
    auto* av = new QVBoxLayout(advPage);
    av->addWidget(frameAdvancedSettings);
    av->addStretch();
    tabPortSettings->addTab(advPage, "&Advanced");

    buttonOK = kit::Button(this, "buttonOK", "&OK");
    buttonCancel = kit::Button(this, "buttonCancel", "&Cancel");
    buttonSwap = kit::Button(this, "buttonSwap", "Swap Com Po&rts");
    for (QPushButton* b : {buttonOK, buttonCancel, buttonSwap}) b->setAutoDefault(true);  // a focused one answers Enter
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(buttonOK);
    buttons->addWidget(buttonCancel);
    buttons->addStretch();
    buttons->addWidget(buttonSwap);
    labelDeviceMap = kit::Label(this, "labelDeviceMap");
    labelDeviceMap->setWordWrap(true);
    labelDeviceMap->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* top = new QVBoxLayout(this);
    top->addWidget(tabPortSettings);
    top->addWidget(labelDeviceMap);
    top->addLayout(buttons);
    listDevices = [] { return QtSerialDevice::PresentDevices(); };

    connect(buttonOK, &QPushButton::clicked, this, [this] { buttonOK_Click(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { buttonCancel_Click(); });
    connect(buttonSwap, &QPushButton::clicked, this, [this] { buttonSwap_Click(); });
    connect(checkIgnoreDCD, &QCheckBox::toggled, this, ToDialogue(&PortSettingsDialogue::IgnoreDcdTicked));
    connect(textDcdTimeout, &QDoubleSpinBox::valueChanged, this, ToDialogue(&PortSettingsDialogue::SetDcdTimeout));
    connect(textCtsTimeout, &QDoubleSpinBox::valueChanged, this, ToDialogue(&PortSettingsDialogue::SetCtsTimeout));
    connect(textSyncChar, &QSpinBox::valueChanged, this, ToDialogue(&PortSettingsDialogue::SetSyncChar));
    connect(textEscChar, &QSpinBox::valueChanged, this, ToDialogue(&PortSettingsDialogue::SetEscChar));
    connect(comboDmpBaudrate, &QComboBox::currentIndexChanged, this, ToDialogue(&PortSettingsDialogue::SelectDmpBaud));
    connect(tabPortSettings, &QTabWidget::currentChanged, this, [this] { EnableTabFrames(); });
    // Opens at the size its controls need, not a default window size with its buttons out of
    // sight below the main window's area.
    resize(sizeHint());
}

void formPortSettings::FillSide(int index, const char* frameCaption, const char* explanation) {
    Side& s = side[static_cast<size_t>(index)];
    const char* prefix = index == 0 ? "comboPrimary" : "comboSecondary";
    auto combo = [&](const char* role) {
        auto* c = new QComboBox;
        c->setObjectName(QString(prefix) + role);
        return c;
    };
    s.frame = new QGroupBox(frameCaption);
    s.frame->setObjectName(index == 0 ? "framePrimaryComPort" : "frameSecondaryComPort");
    s.comboPortNum = combo("PortNum");
    if (!portNumbers_) {
        const std::vector<std::string> numbers = PortListEntries(PortList::PortNum, false);
        portNumbers_ = new QStandardItemModel(static_cast<int>(numbers.size()), 2, this);
        for (int row = 0; row < static_cast<int>(numbers.size()); ++row) {
            portNumbers_->setItem(row, 0, new QStandardItem(QText(numbers[static_cast<size_t>(row)])));
            auto* device = new QStandardItem;
            device->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            device->setForeground(palette().brush(QPalette::PlaceholderText));
            portNumbers_->setItem(row, 1, device);
        }
    }
    UseTablePopup(s.comboPortNum, portNumbers_);
    s.comboBaudRate = combo("BaudRate");
    s.comboDataBits = combo("DataBits");
    s.comboParity = combo("Parity");
    Fill(s.comboParity, PortListEntries(PortList::Parity, false));
    s.comboStopBits = combo("StopBits");
    Fill(s.comboStopBits, PortListEntries(PortList::StopBits, false));
    s.comboDtrEnable = combo("DtrEnable");
    Fill(s.comboDtrEnable, PortListEntries(PortList::DtrEnable, false));
    s.comboTxMode = combo("TxMode");
    Fill(s.comboTxMode, PortListEntries(PortList::TxMode, false));

    auto* g = new QGridLayout(s.frame);
    const char* const captions[kPortListCount] = {"Co&m Port:",  "&Baud Rate:",   "Da&ta Bits:", "Parit&y:",
                                                  "Stop B&its:", "DTR Enab&le:", "Mo&de:"};
    const auto lists = s.lists();
    int r = 0;
    for (size_t i = 0; i < kPortListCount; ++i) {
        g->addWidget(BuddyCaption(captions[i], lists[i]), r, 0);
        g->addWidget(lists[i], r, 1);
        ++r;
        connect(lists[i], &QComboBox::currentIndexChanged, this, [this, index, i](int position) {
            dialogue_->Select(index, static_cast<PortList>(i), position);
        });
    }
    auto* deviceBox = new DeviceBox;
    s.comboDevice = deviceBox;
    s.comboDevice->setObjectName(index == 0 ? "comboPrimaryDevice" : "comboSecondaryDevice");
    s.comboDevice->setEditable(true);
    s.comboDevice->setInsertPolicy(QComboBox::NoInsert);
    s.comboDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    s.comboDevice->setMinimumContentsLength(14);
    s.comboDevice->setToolTip("The device file this port number opens: a device of the list or any path "
                              "(a pseudo-terminal, a link)");
    UseTablePopup(s.comboDevice, new QStandardItemModel(0, 2, s.comboDevice));
    deviceBox->beforePopup = [this, deviceBox] { FillPresentDevices(deviceBox); };
    g->addWidget(BuddyCaption("De&vice:", s.comboDevice), r, 0);
    g->addWidget(s.comboDevice, r++, 1, 1, 2);
    s.labelDevice = kit::Label(nullptr, index == 0 ? "labelPrimaryDevice" : "labelSecondaryDevice");
    s.labelDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    s.labelDevice->setWordWrap(true);
    // Room for the longest status (a refused device beside the one open now): the window does
    // not grow when the text does.
    s.labelDevice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    s.labelDevice->setMinimumHeight(3 * s.labelDevice->fontMetrics().lineSpacing());
    g->addWidget(s.labelDevice, r++, 0, 1, 3);
    connect(s.comboDevice, &QComboBox::editTextChanged, this,
            [this, index](const QString& t) { dialogue_->DeviceEdited(index, t.toStdString()); });
    auto* note = new QLabel(explanation);
    note->setWordWrap(true);
    // Runs of blanks in the text end its lines: the label is as wide as the longest piece.
    const QStringList pieces = QString(explanation).split(QRegularExpression(" {2,}"));
    if (pieces.size() > 1) {
        int widest = 0;
        for (const QString& piece : pieces) widest = std::max(widest, note->fontMetrics().horizontalAdvance(piece));
        note->setFixedWidth(widest + 2);
    } else {
        note->setMaximumWidth(150);
    }
    g->addWidget(note, 0, 2, static_cast<int>(kPortListCount), 1, Qt::AlignTop);
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(s.frame);
    tabPortSettings->addTab(page, QString());
}

// ---------------------------------------------------------------------------------------

void formPortSettings::ShowMode(const std::vector<std::string>& baudRates, const std::vector<std::string>& dataBits,
                                bool engineering) {
    tabPortSettings->setTabEnabled(2, true);
    tabPortSettings->setCurrentIndex(0);
    for (Side& s : side) {
        FillPresentDevices(s.comboDevice);
        const QSignalBlocker quietBaud(s.comboBaudRate), quietBits(s.comboDataBits);
        s.comboBaudRate->clear();
        Fill(s.comboBaudRate, baudRates);
        s.comboDataBits->clear();
        Fill(s.comboDataBits, dataBits);
        for (QComboBox* c : s.lists()) c->setEnabled(true);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{checkIgnoreDCD, textSyncChar, textEscChar, textCtsTimeout,
                                                      comboDmpBaudrate})
        w->setEnabled(engineering);
    if (!engineering) tabPortSettings->setTabEnabled(2, false);
    EnableTabFrames();
}

void formPortSettings::ShowChoice(const PortSettingsChoice& choice) {
    for (size_t k = 0; k < 2; ++k) {
        const auto lists = side[k].lists();
        for (size_t i = 0; i < kPortListCount; ++i) {
            const QSignalBlocker quiet(lists[i]);
            lists[i]->setCurrentIndex(choice.side[k].position[i]);
        }
    }
    const AdvancedPortChoice& a = choice.advanced;
    const QSignalBlocker q1(checkIgnoreDCD), q2(textDcdTimeout), q3(textCtsTimeout), q4(textSyncChar),
        q5(textEscChar), q6(comboDmpBaudrate);
    checkIgnoreDCD->setChecked(a.ignoreDCD);
    textDcdTimeout->setValue(a.dcdTimeoutTime);
    textCtsTimeout->setValue(a.ctsTimeoutTime);
    textSyncChar->setValue(a.syncChar);
    textEscChar->setValue(a.escChar);
    comboDmpBaudrate->setCurrentIndex(a.dmpBaudPosition);
}

void formPortSettings::EnableDcdTimeout(bool on) { textDcdTimeout->setEnabled(on); }

void formPortSettings::ShowDevice(int sideIndex, const std::string& device, bool available) {
    QComboBox* box = side[static_cast<size_t>(sideIndex)].comboDevice;
    const QSignalBlocker quiet(box);
    box->setEditText(QText(device));
    box->setEnabled(available);
}

void formPortSettings::ShowDeviceStatus(int sideIndex, const std::string& status) {
    side[static_cast<size_t>(sideIndex)].labelDevice->setText(Breakable(status));
}

void formPortSettings::ShowDeviceColumn(const std::vector<std::string>& texts) {
    for (int row = 0; row < portNumbers_->rowCount() && row < static_cast<int>(texts.size()); ++row)
        portNumbers_->item(row, 1)->setText(QText(texts[static_cast<size_t>(row)]));
    for (Side& s : side) FitTablePopup(s.comboPortNum);
}

void formPortSettings::ShowDeviceMapNote(const std::string& text) { labelDeviceMap->setText(Breakable(text)); }

void formPortSettings::FillPresentDevices(QComboBox* box) {
    auto* model = static_cast<QStandardItemModel*>(box->model());
    const QString typed = box->currentText();
    const QSignalBlocker quiet(box);
    model->removeRows(0, model->rowCount());
    auto add = [&](const std::string& path, const std::string& about) {
        auto* aboutItem = new QStandardItem(QText(about));
        aboutItem->setForeground(palette().brush(QPalette::PlaceholderText));
        model->appendRow({new QStandardItem(QText(path)), aboutItem});
    };
    for (const PresentSerialDevice& d : listDevices ? listDevices() : std::vector<PresentSerialDevice>{}) {
        std::string about;
        for (const std::string& part : {d.description, d.manufacturer,
                                        d.serialNumber.empty() ? std::string() : "serial " + d.serialNumber})
            if (!part.empty()) about += (about.empty() ? "" : ", ") + part;
        if (about.empty()) about = "serial device";
        if (!d.stableLink.empty()) add(d.stableLink, "stable name of " + d.systemLocation + ": " + about);
        add(d.systemLocation, about);
    }
    box->setCurrentIndex(-1);
    box->setEditText(typed);
    FitTablePopup(box);
}

void formPortSettings::UpdateChanges() {
    if (loaded()) dialogue_->UpdateChanges();
}

void formPortSettings::Form_Unload() {
    DialogueWindow::Form_Unload();
    if (ctx_.mainFrame) ctx_.mainFrame->DisplayComPorts();
}

void formPortSettings::EnableTabFrames() {
    const int tab = tabPortSettings->currentIndex();
    side[0].frame->setEnabled(tab == 0);
    side[1].frame->setEnabled(tab == 1);
    frameAdvancedSettings->setEnabled(tab == 2);
    buttonSwap->setVisible(tab != 2);
    buttonSwap->setEnabled(tab != 2);
}

void formPortSettings::keyPressEvent(QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier && e->key() == Qt::Key_Escape) {
        buttonCancel->click();
        return;
    }
    DialogueWindow::keyPressEvent(e);
}

}  // namespace k45
