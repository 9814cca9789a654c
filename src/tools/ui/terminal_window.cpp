#include "tools/ui/terminal_window.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdlib>

#include "base/hex_text.h"
#include "base/ini_routines.h"
#include "platform/qt/qt_text.h"
#include "tools/ui/tool_fields.h"
#include "ui/twips.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/terminal_text.h"
#include "ui/window_utils.h"
#include "wiring/app_context.h"

namespace k45 {

namespace {

// The DMP column is 1260 twips wide.
constexpr int kDmpColumnTwips = 1260;
// Design size of a serial terminal: 6135 twips wide.
constexpr int kDesignWidthTwips = 6135;
constexpr int kDesignHeightTwips = 5400;

QPlainTextEdit* TerminalBox(QWidget* parent, const char* name, const char* tip) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    box->setReadOnly(true);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setProperty("tag", "RichTextBox");
    box->setUndoRedoEnabled(false);
    return box;
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

}  // namespace

std::int16_t ReadInt16(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                       const char* key, std::int16_t current) {
    const std::string text = ReadIniValue(locale, fileName, sectionName, key, current);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || v < -32768 || v > 32767) return current;
    return static_cast<std::int16_t>(v);
}

formHexText::formHexText(AppContext& ctx, TerminalCounters& counters, std::int32_t kind, QWidget* parent)
    : DialogueWindow(ctx, "formHexText", TerminalKindEntry(kind).caption, Placement::Saved, parent, MadeByWindow{}),
      counters_(counters),
      kind_(kind) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(5);

    auto* labelRxData = new QLabel("Rx Data:", this);
    labelRxData->setObjectName("labelRxData");
    textRxedData = TerminalBox(this, "textRxedData", "Data that has been received");
    auto* labelTxData = new QLabel("Tx Data:", this);
    labelTxData->setObjectName("labelTxData");
    textTxedData = TerminalBox(this, "textTxedData", "Data that has been transmitted");
    textTxData = new QLineEdit(this);
    textTxData->setObjectName("textTxData");
    textTxData->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    textTxData->installEventFilter(this);
    // The window given the keyboard from code (opened again from the menu) passes it to the
    // entry line.
    setFocusProxy(textTxData);

    auto* text = new QVBoxLayout;
    text->addWidget(labelRxData);
    text->addWidget(textRxedData, 3);
    text->addWidget(labelTxData);
    text->addWidget(textTxedData, 2);
    text->addWidget(textTxData);
    grid->addLayout(text, 0, 0);

    // The DMP column, right of the texts.
    dmpColumn_ = new QWidget(this);
    auto* dmp = new QVBoxLayout(dmpColumn_);
    dmp->setContentsMargins(0, 0, 0, 0);
    labelDmpID = new QLabel("Station:", dmpColumn_);
    labelDmpID->setObjectName("labelDmpID");
    textDmpID = new QLineEdit("P", dmpColumn_);
    textDmpID->setObjectName("textDmpID");
    textDmpID->setMaxLength(8);
    textDmpID->setValidator(new QRegularExpressionValidator(QRegularExpression("[A-Pa-p]{0,8}"), textDmpID));
    labelDmpPort = new QLabel("Device:", dmpColumn_);
    labelDmpPort->setObjectName("labelDmpPort");
    textDmpPort = DigitBox(ctx.state.locale, this, "textDmpPort");
    labelDmpFunc = new QLabel("Function:", dmpColumn_);
    labelDmpFunc->setObjectName("labelDmpFunc");
    textDmpFunc = new QLineEdit("s", dmpColumn_);
    textDmpFunc->setObjectName("textDmpFunc");
    textDmpFunc->setMaxLength(1);
    textDmpFunc->setValidator(new QRegularExpressionValidator(QRegularExpression("[a-z]?"), textDmpFunc));
    for (QWidget* w : {static_cast<QWidget*>(labelDmpID), static_cast<QWidget*>(textDmpID),
                       static_cast<QWidget*>(labelDmpPort), static_cast<QWidget*>(textDmpPort),
                       static_cast<QWidget*>(labelDmpFunc), static_cast<QWidget*>(textDmpFunc)})
        dmp->addWidget(w);
    dmp->addStretch(1);
    dmpColumn_->setFixedWidth(TwipsToPixels(kDmpColumnTwips) - 5);
    grid->addWidget(dmpColumn_, 0, 1);
    dmpColumn_->hide();

    // The buttons and switches along the bottom.
    buttonSend = kit::Button(this, "buttonSend", "&Send", "Send the Data from the Above Line");
    buttonClearRx = kit::Button(this, "buttonClearRx", "Clear &Rx", "Clear the Rx Data");
    buttonClearTx = kit::Button(this, "buttonClearTx", "Clear &Tx", "Clear the Tx Data");
    buttonClose = kit::Button(this, "buttonClose", "&Close", "Close the Window");
    checkPause = Check(this, "checkPause", "P&ause");
    checkPause->setToolTip("Pause the Incoming Rx Data");
    checkPacketNumbers = Check(this, "checkPacketNumbers", "Packet #'s");
    checkDmpTest = Check(this, "checkDmpTest", "DMP Test");
    checkSRecordTest = Check(this, "checkSRecordTest", "S-Record Test");
    checkDdeEnable = Check(this, "checkDdeEnable", "&DDE");
    // The switches on a row of their own above the buttons, so neither is cut off at the
    // design width.
    auto* switches = new QGridLayout;
    switches->addWidget(checkPause, 0, 0);
    switches->addWidget(checkPacketNumbers, 0, 1);
    switches->addWidget(checkDdeEnable, 0, 2);
    switches->addWidget(checkDmpTest, 1, 0);
    switches->addWidget(checkSRecordTest, 1, 1);
    switches->setColumnStretch(3, 1);
    grid->addLayout(switches, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(buttonSend), static_cast<QWidget*>(buttonClearRx),
                       static_cast<QWidget*>(buttonClearTx)})
        buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(buttonClose);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(buttonSend, &QPushButton::clicked, this, [this] {
        if (dialogue_) dialogue_->SendTxData();
    });
    connect(buttonClearRx, &QPushButton::clicked, this, [this] {
        textRxedData->clear();
        if (dialogue_) dialogue_->ClearRx();
    });
    connect(buttonClearTx, &QPushButton::clicked, this, [this] {
        textTxedData->clear();
        if (dialogue_) dialogue_->ClearTx();
    });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
    connect(checkPause, &QCheckBox::toggled, this, [this](bool on) {
        if (dialogue_) dialogue_->SetPause(on);
    });
    connect(checkPacketNumbers, &QCheckBox::toggled, this, [this](bool on) {
        if (dialogue_) dialogue_->SetPacketNumbers(on);
    });
    connect(checkDmpTest, &QCheckBox::toggled, this, [this](bool on) {
        if (!dialogue_) return;
        const bool now = dialogue_->DmpTestClicked(on);
        if (now != on) SetDmpTestChecked(now);
    });
    connect(checkSRecordTest, &QCheckBox::toggled, this, [this](bool on) {
        if (!dialogue_) return;
        const bool now = dialogue_->SRecordTestClicked(on);
        if (now != on) SetSRecordTestChecked(now);
    });
    connect(checkDdeEnable, &QCheckBox::toggled, this, [this](bool on) {
        if (dialogue_) dialogue_->DdeClicked(on);
    });
    connect(textTxData, &QLineEdit::textChanged, this, [this] { HexTextChanged(); });
    // The window sees every key first, so F12 works whichever control has the focus.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    resize(TwipsToPixels(kDesignWidthTwips), TwipsToPixels(kDesignHeightTwips));
}

formHexText::~formHexText() {
    // At program exit the port objects go before the windows.
    if (dialogue_ && !ctx_.ports.classCommPrimary) dialogue_->Abandon();
}

void formHexText::setThisFormType(std::int32_t kind) {
    if (dialogue_ && dialogue_->loaded()) return;
    kind_ = kind;
    dialogue_.reset();
    setWindowTitle(TerminalKindEntry(kind).caption);
}

void formHexText::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    const auto& locale = ctx_.state.locale;
    formWidth = ReadInt16(locale, fileName, sectionName, "Width", formWidth);
    formHeight = ReadInt16(locale, fileName, sectionName, "Height", formHeight);
}

void formHexText::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!dialogue_) return;  // never loaded this run
    WriteWindowSetting(ctx_.state.locale, fileName, sectionName, "Width", formWidth);
    WriteWindowSetting(ctx_.state.locale, fileName, sectionName, "Height", formHeight);
}

void formHexText::Form_Load() {
    const classComm* port =
        TerminalKindEntry(kind_).primaryPort ? ctx_.ports.classCommPrimary : ctx_.ports.classCommSecondary;
    if (!port || !ctx_.dialogs()) return;
    if (!dialogue_) MakeDialogue(DialogueLinks::Of(ctx_), kind_, counters_);
    // A size never saved (0) takes the design size.
    const int w = formWidth > 0 ? formWidth : kDesignWidthTwips;
    const int h = formHeight > 0 ? formHeight : kDesignHeightTwips;
    child_window::Placed(this)->resize(TwipsToPixels(w), TwipsToPixels(h));
    const QSignalBlocker b1(checkPause), b2(checkPacketNumbers), b3(checkDmpTest), b4(checkSRecordTest),
        b5(checkDdeEnable);
    for (QCheckBox* c : {checkPause, checkPacketNumbers, checkDmpTest, checkSRecordTest, checkDdeEnable})
        c->setChecked(false);
    textRxedData->clear();
    textTxedData->clear();
    textTxData->clear();
    textTxData->setMaxLength(dialogue_->maxEntryLength());
    checkDmpTest->setVisible(dialogue_->offersDmpAndSRecord());
    checkSRecordTest->setVisible(dialogue_->offersDmpAndSRecord());
    checkPacketNumbers->setVisible(dialogue_->offersPacketNumbers());
    checkDdeEnable->setVisible(dialogue_->offersDde());
    dmpColumn_->hide();
    DialogueWindow::Form_Load();
}

void formHexText::Form_Unload() {
    if (!dialogue_) return;
    QWidget* placed = child_window::Placed(this);
    if (!placed->isMinimized()) {
        formHeight = static_cast<std::int16_t>(PixelsToTwips(placed->height()));
        int width = static_cast<int>(PixelsToTwips(placed->width()));
        if (dialogue_->dmpTest()) width -= kDmpColumnTwips;
        formWidth = static_cast<std::int16_t>(width);
    }
    DialogueWindow::Form_Unload();
}

void formHexText::Form_Activate() {
    DialogueWindow::Form_Activate();
    // The operator types as soon as the terminal is in front, without a click or Tab first.
    textTxData->setFocus(Qt::ActiveWindowFocusReason);
}

void formHexText::RxSpecial(const std::string& text) {
    if (dialogue_ && dialogue_->loaded()) dialogue_->RxSpecial(text);
}

bool formHexText::F12Key(const QKeyEvent& key) {
    if (!dialogue_ || key.key() != Qt::Key_F12 || key.modifiers() != Qt::NoModifier) return false;
    const std::string pattern = dialogue_->F12Text();
    if (pattern.empty()) return false;
    textTxData->setText(textTxData->text() + Cp1252Text(pattern));
    textTxData->setFocus();
    return true;
}

void formHexText::keyPressEvent(QKeyEvent* event) {
    if (F12Key(*event)) event->accept();
    else ToolWindowBase::keyPressEvent(event);
}

NumBox* formHexText::DraggedBox(const QMimeData* mime) const {
    if (!mime || !mime->hasFormat(NumBox::kMimeType)) return nullptr;
    bool ok = false;
    const quintptr id = mime->data(NumBox::kMimeType).toULongLong(&ok);
    if (!ok) return nullptr;
    for (NumBox* box : findChildren<NumBox*>())
        if (reinterpret_cast<quintptr>(box) == id) return box;
    return nullptr;
}

bool formHexText::EntryLineEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn:
            // The whole line is selected, also after the click that gave the focus has placed
            // the caret.
            textTxData->selectAll();
            QTimer::singleShot(0, textTxData, [box = textTxData] {
                if (box->hasFocus()) box->selectAll();
            });
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (!DraggedBox(drag->mimeData())) return false;
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            NumBox* source = DraggedBox(drop->mimeData());
            if (!source) return false;
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            textTxData->setText(source->text());
            textTxData->setFocus(Qt::OtherFocusReason);
            return true;
        }
        default:
            return false;
    }
}

bool formHexText::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && F12Key(*static_cast<QKeyEvent*>(event))) return true;
    if (watched == textTxData && EntryLineEvent(event)) return true;
    if (watched != textTxData || event->type() != QEvent::KeyPress || !dialogue_)
        return ToolWindowBase::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        dialogue_->SendTxData();
        return true;
    }
    if (dialogue_->isAscii()) return false;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    const QString t = key->text();
    char c = 0;
    if (key->key() == Qt::Key_Backspace) c = kKeyBackspace;
    else if (key->key() == Qt::Key_Delete) c = kKeyDelete;
    else if (t.size() == 1 && t[0].unicode() < 128) c = static_cast<char>(t[0].unicode());
    else if (t.isEmpty()) return false;  // navigation keys move the caret
    const int selStart = textTxData->hasSelectedText() ? textTxData->selectionStart() : 0;
    const int selLength = textTxData->hasSelectedText() ? static_cast<int>(textTxData->selectedText().size()) : 0;
    const HexKeyResult r =
        HexEntryKey(Cp1252Bytes(textTxData->text()), textTxData->cursorPosition(), c, selStart, selLength);
    if (r.action == HexKeyResult::swallow) return true;
    if (r.action == HexKeyResult::rewrite) {
        textTxData->setText(Cp1252Text(r.text));
        textTxData->setCursorPosition(r.caret);
        return true;
    }
    if (r.key == kKeyBackspace || r.key == kKeyDelete) return false;
    textTxData->insert(QString(QChar(r.key)));
    return true;
}

void formHexText::HexTextChanged() {
    if (rewriting_ || !dialogue_ || dialogue_->isAscii() || textTxData->text().isEmpty()) return;
    const HexLayout l = HexEntryLayout(Cp1252Bytes(textTxData->text()), textTxData->cursorPosition());
    const QString shown = Cp1252Text(l.text);
    if (shown == textTxData->text()) return;
    rewriting_ = true;
    textTxData->setText(shown);
    textTxData->setCursorPosition(l.caret);
    rewriting_ = false;
}

// ---- TerminalView ----

void formHexText::AppendRx(const RxText& text) {
    const QString shown = Cp1252Text(text.text);
    switch (text.kind) {
        case RxAppendKind::hex: {
            // One short row per append to lay out, not one paragraph that grows without end.
            const int column = static_cast<int>(textRxedData->document()->lastBlock().length()) - 1;
            AppendHexText(*textRxedData, Cp1252Text(HexDumpRows(text.text, column)), true);
            break;
        }
        case RxAppendKind::normalizedText: AppendText(*textRxedData, shown, true, true); break;
        case RxAppendKind::text: AppendText(*textRxedData, shown, false, true); break;
    }
}

void formHexText::AppendTx(const std::string& text, bool hex) {
    const QString shown = Cp1252Text(text);
    if (hex) AppendHexText(*textTxedData, shown, true);
    else AppendText(*textTxedData, shown, false, true);
}

std::string formHexText::TxEntryText() const { return Cp1252Bytes(textTxData->text()); }

void formHexText::SetTxEntryText(const std::string& text) {
    rewriting_ = true;
    textTxData->setText(Cp1252Text(text));
    rewriting_ = false;
}

std::uint32_t formHexText::DmpStation() const { return NibblesToLong(textDmpID->text().toStdString()); }

int formHexText::DmpDevice() const { return static_cast<int>(BoxNumber(*textDmpPort)); }

int formHexText::DmpFunction() const {
    const QString f = textDmpFunc->text();
    return f.isEmpty() ? 's' : f[0].toLower().unicode();
}

void formHexText::ShowDmpColumn(bool shown) {
    if (dmpColumn_->isVisible() == shown) return;
    QWidget* placed = child_window::Placed(this);
    const int delta = TwipsToPixels(kDmpColumnTwips);
    dmpColumn_->setVisible(shown);
    placed->resize(placed->width() + (shown ? delta : -delta), placed->height());
}

void formHexText::SetDmpTestChecked(bool on) {
    const QSignalBlocker block(checkDmpTest);
    checkDmpTest->setChecked(on);
}

void formHexText::SetSRecordTestChecked(bool on) {
    const QSignalBlocker block(checkSRecordTest);
    checkSRecordTest->setChecked(on);
}

void formHexText::SetDdeChecked(bool on) {
    const QSignalBlocker block(checkDdeEnable);
    checkDdeEnable->setChecked(on);
}

}  // namespace k45
