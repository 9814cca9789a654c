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
#include <filesystem>

#include "wiring/app_context.h"
#include "base/hex_text.h"
#include "wiring/main_frame.h"
#include "platform/dialogs.h"
#include "platform/port_devices.h"
#include "platform/qt/qt_text.h"
#include "serial/class_comm.h"
#include "serial/tx_modes.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {
const char* const kBaudEntries[] = {"115200", "57600", "38400", "28800", "19200", "14400",
                                    "9600",   "4800",  "2400",  "1200",  "300",   "110"};
const bool kBaudEngineeringOnly[] = {false, true, false, true, false, true, false, false, false, false, true, true};
const char* const kDmpBaudEntries[] = {"110",   "300",   "1200",  "2400",  "4800",  "9600",
                                       "14400", "19200", "28800", "38400", "57600", "115200"};

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

// Lets a long path wrap at its slashes.
QString Breakable(const std::string& path) { return QText(path).replace("/", QString("/") + QChar(0x200B)); }

// What the file system says of a device, for the status line and the question before OK.
const char* DeviceStateText(PortDeviceState state) {
    switch (state) {
    case PortDeviceState::Present: return "The device is present.";
    case PortDeviceState::Missing: return "The device was not found.";
    case PortDeviceState::NoPermission: return "The device is there, but this user may not open it.";
    case PortDeviceState::NotADevice: return "This path is not a serial device.";
    }
    return "";
}

const char* DeviceStateReason(PortDeviceState state) {
    switch (state) {
    case PortDeviceState::Missing: return "was not found";
    case PortDeviceState::NoPermission: return "may not be opened by this user";
    case PortDeviceState::NotADevice: return "is not a serial device";
    case PortDeviceState::Present: break;
    }
    return "is present";
}

}  // namespace

formPortSettings::formPortSettings(AppContext& ctx, QWidget* parent)
    : ToolWindowBase(ctx, "formPortSettings", "Port Settings", Placement::Saved, parent) {
    tabPortSettings = new QTabWidget;
    FillSide(side[0], 0, "Primary Com Port:",
             "The Primary Port      (Host/Local Port)      is the Main Port      for the tools of      this App.");
    FillSide(side[1], 1, "Secondary Com Port:",
             "The Secondary Port (Remote Port) is used only for those tools that require two Com Ports.");
    tabPortSettings->setTabText(0, "&Primary");
    tabPortSettings->setTabText(1, "&Secondary");

    // Advanced tab.
    frameAdvancedSettings = new QGroupBox("Advanced Settings:");
    checkIgnoreDCD = new QCheckBox("&Ignore DCD Before Tx'ing:");
    checkIgnoreDCD->setLayoutDirection(Qt::RightToLeft);
    auto timeoutBox = [] {
        auto* b = new QDoubleSpinBox;
        b->setDecimals(2);
        b->setRange(0.05, 600);
        b->setSingleStep(0.1);  // page keys step ten times this: 1
        return b;
    };
    auto hexBox = [] {
        auto* b = new HexByteBox;
        b->setMaximumWidth(60);
        return b;
    };
    textDcdTimeout = timeoutBox();
    textCtsTimeout = timeoutBox();
    textSyncChar = hexBox();
    textEscChar = hexBox();
    textDcdTimeout->setObjectName("textDcdTimeout");
    textCtsTimeout->setObjectName("textCtsTimeout");
    textSyncChar->setObjectName("textSyncChar");
    textEscChar->setObjectName("textEscChar");
    comboDmpBaudrate = new QComboBox;
    comboDmpBaudrate->setObjectName("comboDmpBaudrate");
    for (const char* e : kDmpBaudEntries) comboDmpBaudrate->addItem(e);
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

    buttonOK = new QPushButton("&OK");
    buttonCancel = new QPushButton("&Cancel");
    buttonSwap = new QPushButton("Swap Com Po&rts");
    buttonOK->setObjectName("buttonOK");
    buttonCancel->setObjectName("buttonCancel");
    buttonSwap->setObjectName("buttonSwap");
    for (QPushButton* b : {buttonOK, buttonCancel, buttonSwap}) b->setAutoDefault(true);  // a focused one answers Enter
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(buttonOK);
    buttons->addWidget(buttonCancel);
    buttons->addStretch();
    buttons->addWidget(buttonSwap);
    labelDeviceMap = new QLabel;
    labelDeviceMap->setObjectName("labelDeviceMap");
    labelDeviceMap->setWordWrap(true);
    labelDeviceMap->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* top = new QVBoxLayout(this);
    top->addWidget(tabPortSettings);
    top->addWidget(labelDeviceMap);
    top->addLayout(buttons);
    listDevices = [] { return QtSerialDevice::PresentDevices(); };
    checkDevice = CheckPortDevice;

    connect(buttonOK, &QPushButton::clicked, this, [this] { buttonOK_Click(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { buttonCancel_Click(); });
    connect(buttonSwap, &QPushButton::clicked, this, [this] { buttonSwap_Click(); });
    connect(checkIgnoreDCD, &QCheckBox::toggled, this, [this] { checkIgnoreDCD_Click(); });
    connect(tabPortSettings, &QTabWidget::currentChanged, this, [this] { EnableTabFrames(); });
    // Opens at the size its controls need, not a default window size with its buttons out of
    // sight below the main window's area.
    resize(sizeHint());
}

void formPortSettings::FillSide(Side& s, int tab, const char* frameCaption, const char* explanation) {
    const char* prefix = tab == 0 ? "comboPrimary" : "comboSecondary";
    auto combo = [&](const char* role) {
        auto* c = new QComboBox;
        c->setObjectName(QString(prefix) + role);
        return c;
    };
    s.frame = new QGroupBox(frameCaption);
    s.frame->setObjectName(tab == 0 ? "framePrimaryComPort" : "frameSecondaryComPort");
    s.comboPortNum = combo("PortNum");
    if (!portNumbers_) {
        portNumbers_ = new QStandardItemModel(kMaxComPort, 2, this);
        for (int n = 1; n <= kMaxComPort; ++n) {
            portNumbers_->setItem(n - 1, 0, new QStandardItem(QString("Com%1").arg(n)));
            auto* device = new QStandardItem;
            device->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            device->setForeground(palette().brush(QPalette::PlaceholderText));
            portNumbers_->setItem(n - 1, 1, device);
        }
    }
    UseTablePopup(s.comboPortNum, portNumbers_);
    s.comboBaudRate = combo("BaudRate");
    s.comboDataBits = combo("DataBits");
    s.comboParity = combo("Parity");
    s.comboParity->addItems({"None", "Odd", "Even"});
    s.comboStopBits = combo("StopBits");
    s.comboStopBits->addItems({"1", "2"});
    s.comboDtrEnable = combo("DtrEnable");
    s.comboDtrEnable->addItems({"No", "Yes"});
    s.comboTxMode = combo("TxMode");
    for (const char* c : kPortSettingsModeCaptions) s.comboTxMode->addItem(c);

    auto* g = new QGridLayout(s.frame);
    const std::pair<const char*, QComboBox*> rows[] = {
        {"Co&m Port:", s.comboPortNum},     {"&Baud Rate:", s.comboBaudRate}, {"Da&ta Bits:", s.comboDataBits},
        {"Parit&y:", s.comboParity},        {"Stop B&its:", s.comboStopBits}, {"DTR Enab&le:", s.comboDtrEnable},
        {"Mo&de:", s.comboTxMode},
    };
    constexpr int kListRows = 7;
    int r = 0;
    for (auto [label, c] : rows) {
        g->addWidget(BuddyCaption(label, c), r, 0);
        g->addWidget(c, r, 1);
        ++r;
    }
    auto* deviceBox = new DeviceBox;
    s.comboDevice = deviceBox;
    s.comboDevice->setObjectName(tab == 0 ? "comboPrimaryDevice" : "comboSecondaryDevice");
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
    s.labelDevice = new QLabel;
    s.labelDevice->setObjectName(tab == 0 ? "labelPrimaryDevice" : "labelSecondaryDevice");
    s.labelDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    s.labelDevice->setWordWrap(true);
    // Room for the longest status (a refused device beside the one open now): the window does
    // not grow when the text does.
    s.labelDevice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    s.labelDevice->setMinimumHeight(3 * s.labelDevice->fontMetrics().lineSpacing());
    g->addWidget(s.labelDevice, r++, 0, 1, 3);
    connect(s.comboPortNum, &QComboBox::currentIndexChanged, this, [this, &s] { ShowDevice(s); });
    connect(s.comboDevice, &QComboBox::editTextChanged, this, [this, &s](const QString& t) { DeviceEdited(s, t); });
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
    g->addWidget(note, 0, 2, kListRows, 1, Qt::AlignTop);
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(s.frame);
    tabPortSettings->addTab(page, QString());
}

// ---------------------------------------------------------------------------------------

std::string formPortSettings::MapFile() const { return PortDeviceMapFile(ctx_.state.places); }

// The device a port object has open on this number: what is in use, whatever the map says now.
std::string formPortSettings::OpenDeviceOf(int portNumber) const {
    for (const classComm* p : {ctx_.ports.classCommPrimary, ctx_.ports.classCommSecondary})
        if (p && p->GetCommPortOpen() && p->settings().portNumber == portNumber) return p->GetOpenDevice();
    return {};
}

void formPortSettings::ShowDevice(Side& s) {
    const int n = s.comboPortNum->currentIndex() + 1;
    const QSignalBlocker quiet(s.comboDevice);
    s.comboDevice->setEditText(n >= 1 ? QText(devices_[n]) : QString());
    s.comboDevice->setEnabled(n >= 1);
    ShowDeviceStatus(s);
}

void formPortSettings::DeviceEdited(Side& s, const QString& text) {
    const int n = s.comboPortNum->currentIndex() + 1;
    if (n < 1) return;
    const std::string path = text.trimmed().toStdString();
    devices_[n] = path.empty() ? DefaultPortDevice(n) : path;
    ShowDeviceColumn();
    // The other side shows the same number only while the choice is still to be corrected.
    for (Side& other : side)
        if (&other != &s && other.comboPortNum->currentIndex() + 1 == n) ShowDevice(other);
    ShowDeviceStatus(s);
}

bool formPortSettings::WantedClosed(int portNumber) const {
    for (const classComm* p : {ctx_.ports.classCommPrimary, ctx_.ports.classCommSecondary})
        if (p && !p->GetCommPortOpen() && p->OpenWanted() && p->settings().portNumber == portNumber) return true;
    return false;
}

// Checked as the device is typed or chosen: open, present, missing or not to be opened.
void formPortSettings::ShowDeviceStatus(Side& s) {
    const int n = s.comboPortNum->currentIndex() + 1;
    if (n < 1) {
        s.labelDevice->clear();
        return;
    }
    const std::string chosen = devices_[n];
    const std::string open = OpenDeviceOf(n);
    const PortDeviceState state = checkDevice ? checkDevice(chosen) : CheckPortDevice(chosen);
    QString text = DeviceStateText(state);
    if (!open.empty() && open == chosen)
        text = QString("Open now on this device.");
    else if (!open.empty() && state == PortDeviceState::Present)
        text = QString("Open now on %1; OK reopens the port on this device.").arg(Breakable(open));
    else if (!open.empty())
        text = QString("%1 Open now on %2; OK asks before it leaves that device.")
                   .arg(DeviceStateText(state), Breakable(open));
    else if (WantedClosed(n) && state == PortDeviceState::Present)
        text = QString("The device is present; OK opens the port on it.");
    s.labelDevice->setText(text);
}

void formPortSettings::ShowDeviceColumn() {
    for (int n = 1; n <= kMaxComPort; ++n) {
        QString text = QText(devices_[n]);
        if (!OpenDeviceOf(n).empty()) text += "  (open)";
        portNumbers_->item(n - 1, 1)->setText(text);
    }
    for (Side& s : side) FitTablePopup(s.comboPortNum);
}

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
    if (loaded()) DisplaySettings();
}

void formPortSettings::Form_Load() {
    DisplaySettings();
}

void formPortSettings::Form_Unload() {
    if (ctx_.mainFrame) ctx_.mainFrame->DisplayComPorts();
}

// ---------------------------------------------------------------------------------------

void formPortSettings::SelectByNumber(QComboBox* combo, double value) {
    for (int i = 0; i < combo->count(); ++i) {
        bool ok = false;
        const double v = combo->itemText(i).toDouble(&ok);
        if (ok && v == value) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(combo->count() - 1);
}

void formPortSettings::SelectByFirstLetter(QComboBox* combo, char letter) {
    const QChar want = letter ? QChar(letter).toLower() : QChar();
    for (int i = 0; i < combo->count(); ++i) {
        const QString e = combo->itemText(i);
        if (!e.isEmpty() && !want.isNull() && e[0].toLower() == want) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(combo->count() - 1);
}

void formPortSettings::DisplaySettings() {
    const bool eng = ctx_.state.engineerMode;
    classComm* ports[2] = {ctx_.ports.classCommPrimary, ctx_.ports.classCommSecondary};
    // Each number's device: the one a port has open on it, else what the map names.
    storedDevices_ = ReadPortDeviceMap(MapFile());
    devices_ = storedDevices_;
    for (int n = 1; n <= kMaxComPort; ++n)
        if (const std::string open = OpenDeviceOf(n); !open.empty()) devices_[n] = open;
    ShowDeviceColumn();
    labelDeviceMap->setText("The port devices of every mode are kept in [Com Port Devices] of\n" +
                            Breakable(MapFile()));
    for (Side& s : side) FillPresentDevices(s.comboDevice);
    tabPortSettings->setTabEnabled(2, true);
    tabPortSettings->setCurrentIndex(0);
    for (int k = 0; k < 2; ++k) {
        Side& s = side[static_cast<size_t>(k)];
        classComm* p = ports[k];
        if (!p) continue;
        // A value without an entry (possible only from a settings file) shows no selection.
        auto position = [](int pos, int count) { return (pos >= 0 && pos < count) ? pos : -1; };
        s.comboPortNum->setCurrentIndex(position(p->settings().portNumber - 1, s.comboPortNum->count()));
        ShowDevice(s);
        s.comboBaudRate->clear();
        for (size_t i = 0; i < std::size(kBaudEntries); ++i)
            if (eng || !kBaudEngineeringOnly[i]) s.comboBaudRate->addItem(kBaudEntries[i]);
        SelectByNumber(s.comboBaudRate, p->settings().portSettings.baudRate);
        SelectByFirstLetter(s.comboParity, p->settings().portSettings.parity);
        s.comboDataBits->clear();
        s.comboDataBits->addItems({"8", "7"});
        if (eng) s.comboDataBits->addItems({"6", "5", "4"});
        SelectByNumber(s.comboDataBits, p->settings().portSettings.dataBits);
        s.comboStopBits->setCurrentIndex(position(p->settings().portSettings.stopBits - 1, 2));
        s.comboDtrEnable->setCurrentIndex(p->settings().dtrEnabled ? 1 : 0);
        s.comboTxMode->setCurrentIndex(position(p->settings().txModeValue, s.comboTxMode->count()));
        for (QComboBox* c : {s.comboPortNum, s.comboBaudRate, s.comboParity, s.comboDataBits, s.comboStopBits,
                             s.comboDtrEnable, s.comboTxMode})
            c->setEnabled(true);
    }
    if (classComm* p = ctx_.ports.classCommPrimary) {
        checkIgnoreDCD->setChecked(p->settings().ignoreDCD);
        checkIgnoreDCD->setEnabled(eng);
        textDcdTimeout->setValue(p->settings().dcdTimeoutTime);
        textDcdTimeout->setEnabled(!checkIgnoreDCD->isChecked() && eng);
        textSyncChar->setValue(p->settings().syncChar);
        textEscChar->setValue(p->settings().escChar);
        textCtsTimeout->setValue(p->settings().ctsTimeoutTime);
        SelectByNumber(comboDmpBaudrate, p->settings().dmpBaudRate);
        for (QWidget* w : std::initializer_list<QWidget*>{textSyncChar, textEscChar, textCtsTimeout, comboDmpBaudrate})
            w->setEnabled(eng);
    }
    if (!eng) tabPortSettings->setTabEnabled(2, false);
    EnableTabFrames();
}

void formPortSettings::EnableTabFrames() {
    const int tab = tabPortSettings->currentIndex();
    side[0].frame->setEnabled(tab == 0);
    side[1].frame->setEnabled(tab == 1);
    frameAdvancedSettings->setEnabled(tab == 2);
    buttonSwap->setVisible(tab != 2);
    buttonSwap->setEnabled(tab != 2);
}

void formPortSettings::checkIgnoreDCD_Click() {
    textDcdTimeout->setEnabled(!checkIgnoreDCD->isChecked() && ctx_.state.engineerMode);
}

void formPortSettings::buttonOK_Click() {
    classComm* ports[2] = {ctx_.ports.classCommPrimary, ctx_.ports.classCommSecondary};
    if (!ports[0] || !ports[1]) return;
    const int primaryPort = side[0].comboPortNum->currentIndex() + 1;
    const int secondaryPort = side[1].comboPortNum->currentIndex() + 1;
    const int shownPrimary = primaryPort > 0 ? primaryPort : ports[0]->settings().portNumber;
    const int shownSecondary = secondaryPort > 0 ? secondaryPort : ports[1]->settings().portNumber;
    if (shownPrimary == shownSecondary) {
        ctx_.dialogs()->messageBox("Primary and Secondary Com Ports must be different!", "Port Number Error",
                                   MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    if (!ConfirmUnusableDevices()) return;
    // A port that should be open but is not (its device lost, a reopen that failed) opens
    // again with what is chosen now.
    const bool wasOpen[2] = {ports[0]->GetCommPortOpen() || ports[0]->OpenWanted(),
                             ports[1]->GetCommPortOpen() || ports[1]->OpenWanted()};
    ports[0]->CloseCommPort();
    ports[1]->CloseCommPort();

    // A list without a selection keeps the port object's value.
    auto number = [](QComboBox* c, auto& field) {
        bool ok = false;
        const long v = c->currentText().toLong(&ok);
        if (c->currentIndex() >= 0 && ok) field = static_cast<std::remove_reference_t<decltype(field)>>(v);
    };
    for (int k = 0; k < 2; ++k) {
        Side& s = side[static_cast<size_t>(k)];
        CommSettings p = ports[k]->settings();
        if (s.comboPortNum->currentIndex() >= 0)
            p.portNumber = static_cast<std::int16_t>(s.comboPortNum->currentIndex() + 1);
        number(s.comboBaudRate, p.portSettings.baudRate);
        number(s.comboDataBits, p.portSettings.dataBits);
        if (s.comboParity->currentIndex() >= 0) p.portSettings.parity = s.comboParity->currentText()[0].toLatin1();
        number(s.comboStopBits, p.portSettings.stopBits);
        if (s.comboDtrEnable->currentIndex() >= 0) p.dtrEnabled = s.comboDtrEnable->currentText() == "Yes";
        if (s.comboTxMode->currentIndex() >= 0) p.txModeValue = s.comboTxMode->currentIndex();
        p.ignoreDCD = checkIgnoreDCD->isChecked();
        p.dcdTimeoutTime = textDcdTimeout->value();
        p.syncChar = static_cast<std::int16_t>(textSyncChar->value());
        p.escChar = static_cast<std::int16_t>(textEscChar->value());
        p.ctsTimeoutTime = textCtsTimeout->value();
        number(comboDmpBaudrate, p.dmpBaudRate);
        ports[k]->setSettings(p);
    }
    // The devices go to the map before the ports reopen, so a port whose device changed opens
    // the new one before anything else is sent.
    std::map<int, std::string> changed;
    for (const auto& [n, path] : devices_)
        if (storedDevices_[n] != path) changed[n] = path;
    std::string error;
    if (!WritePortDevices(MapFile(), changed, &error)) {
        ctx_.dialogs()->messageBox("Could not save the devices of the ports in " + MapFile() + "\r\n" + error,
                                   "Port Settings", MsgButtons::OK, MsgIcon::Exclamation);
    }
    // A port that will not reopen with the new settings has said so in its own message.
    if (wasOpen[0]) (void)ports[0]->OpenCommPort();
    if (wasOpen[1]) (void)ports[1]->OpenCommPort();
    CloseForm();
}

bool formPortSettings::ConfirmUnusableDevices() {
    classComm* ports[2] = {ctx_.ports.classCommPrimary, ctx_.ports.classCommSecondary};
    for (int k = 0; k < 2; ++k) {
        const classComm* p = ports[k];
        if (!p || !p->GetCommPortOpen()) continue;
        const int chosenNumber = side[static_cast<size_t>(k)].comboPortNum->currentIndex() + 1;
        const int n = chosenNumber > 0 ? chosenNumber : p->settings().portNumber;
        // A move to another number is the operator's choice of that number's device as it stands
        // in the map; the question is for a new device typed or chosen for the number in use.
        if (n != p->settings().portNumber) continue;
        const std::string target = devices_[n];
        std::string current = p->GetOpenDevice();
        if (current.empty()) current = storedDevices_[p->settings().portNumber];
        if (target == current) continue;
        const PortDeviceState state = checkDevice ? checkDevice(target) : CheckPortDevice(target);
        if (state == PortDeviceState::Present) continue;
        const std::string text = "Com" + std::to_string(p->settings().portNumber) + " is open on " + current + ".\r\n" +
                                 "The device " + target + " " + DeviceStateReason(state) + ".\r\n\r\n" +
                                 "Use it for Com" + std::to_string(n) +
                                 " anyway? The port closes and stays closed until the device can be opened.";
        if (ctx_.dialogs()->messageBox(text, "Port Settings", MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
            return false;
    }
    return true;
}

void formPortSettings::buttonCancel_Click() { CloseForm(); }

void formPortSettings::keyPressEvent(QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::NoModifier && e->key() == Qt::Key_Escape) {
        buttonCancel->click();
        return;
    }
    ToolWindowBase::keyPressEvent(e);
}

void formPortSettings::buttonSwap_Click() {
    auto lists = [](Side& s) {
        return std::array<QComboBox*, 7>{s.comboPortNum,  s.comboBaudRate,  s.comboDataBits, s.comboParity,
                                         s.comboStopBits, s.comboDtrEnable, s.comboTxMode};
    };
    auto a = lists(side[0]);
    auto b = lists(side[1]);
    std::array<int, 7> pa{}, pb{};
    for (size_t i = 0; i < 7; ++i) {
        pa[i] = a[i]->currentIndex();
        pb[i] = b[i]->currentIndex();
    }
    for (size_t i = 0; i < 7; ++i) {
        a[i]->setCurrentIndex(pb[i]);
        b[i]->setCurrentIndex(pa[i]);
    }
}

}  // namespace k45
