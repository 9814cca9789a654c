#include "diagnostics/ui/online_window.h"

#include <QAbstractTableModel>
#include <algorithm>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <QEvent>
#include <functional>

#include "wiring/app_context.h"
#include "base/ini_routines.h"
#include "platform/qt/qt_text.h"
#include "ui/window_utils.h"

namespace k45 {

// The grid's cells, formatted from the dialogue's rows when the view asks for them.
class OnlineGridModel : public QAbstractTableModel {
public:
    OnlineGridModel(const OnlineGrid& grid, const ModeFlags& modes, const LocaleInfo& locale, QObject* parent)
        : QAbstractTableModel(parent), grid_(grid), modes_(modes), locale_(locale) {}
    int rowCount(const QModelIndex& = {}) const override { return grid_.rowCount(); }
    int columnCount(const QModelIndex& = {}) const override { return modes_.engineerMode ? 14 : 13; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= grid_.rowsUsed()) return {};
        return QText(OnlineCellText(grid_.row(index.row()), index.column(), locale_));
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        static const char* kHeads[] = {"",     "Short ID", "RSSI\n(dBm)", "", "Temp\n(C)", "", "Batt\n(V)",
                                       "",     "FwdP\n(W)", "",           "RevP\n(W)", "", "Time", ""};
        if (role != Qt::DisplayRole || o != Qt::Horizontal || section < 0 || section > 13) return {};
        return QString(kHeads[section]);
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    const OnlineGrid& grid_;
    const ModeFlags& modes_;  // the engineer's extra column
    const LocaleInfo& locale_;
};

namespace {
// Runs the action when the watched widget has been resized.
class ResizeWatch : public QObject {
public:
    ResizeWatch(QWidget* watched, std::function<void()> action) : QObject(watched), action_(std::move(action)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize) action_();
        return false;
    }

private:
    std::function<void()> action_;
};

// Column widths in twips.
constexpr int kWidths[14] = {200, 525, 590, 160, 580, 160, 510, 160, 550, 160, 550, 160, 2000, 1150};
}  // namespace

formOnLine::formOnLine(AppContext& ctx, SharedDiagSettings settings, QWidget* parent)
    : DiagDialogueWindow(ctx, "formOnLine", "Online Diagnostics", Placement::Saved, parent, DialogueLinks::Of(ctx),
                         *settings),
      settings_(std::move(settings)) {
    auto* top = new QHBoxLayout;
    auto* filter = new QGroupBox("Filter:", this);
    auto* fl = new QVBoxLayout(filter);
    optionIdOff = new QRadioButton("Off (All IDs)", filter);
    optionIdOff->setObjectName("optionIdOff");
    optionIdList = new QRadioButton("Short ID List", filter);
    optionIdList->setObjectName("optionIdList");
    optionIdSelected = new QRadioButton("Selected ID", filter);
    optionIdSelected->setObjectName("optionIdSelected");
    optionIdOff->setChecked(true);
    fl->addWidget(optionIdOff);
    fl->addWidget(optionIdList);
    fl->addWidget(optionIdSelected);
    top->addWidget(filter);

    auto* mid = new QVBoxLayout;
    comboFilterIDs = new QComboBox(this);
    comboFilterIDs->setObjectName("comboFilterIDs");
    comboFilterIDs->setMinimumWidth(90);
    SelectAllOnFocus(comboFilterIDs);
    mid->addWidget(BuddyCaption("&Short ID Filter List:", comboFilterIDs));
    mid->addWidget(comboFilterIDs);
    auto* display = new QGroupBox("Displa&y:", this);
    auto* dl = new QVBoxLayout(display);
    optionDisplayScroll = new QRadioButton("Scroll (by Time)", display);
    optionDisplayScroll->setObjectName("optionDisplayScroll");
    optionDisplaySlot = new QRadioButton("Slotted (by ID)", display);
    optionDisplaySlot->setObjectName("optionDisplaySlot");
    optionDisplayScroll->setChecked(true);
    dl->addWidget(optionDisplayScroll);
    dl->addWidget(optionDisplaySlot);
    mid->addWidget(display);
    top->addLayout(mid);

    auto* right = new QGridLayout;
    checkPause = new QCheckBox("P&ause", this);
    checkPause->setObjectName("checkPause");
    labelTestCount = new QLabel("0", this);
    labelTestCount->setObjectName("labelTestCount");
    panelProgress = new QProgressBar(this);
    panelProgress->setObjectName("panelProgress");
    panelProgress->setRange(0, 100);
    panelProgress->setValue(0);
    right->addWidget(checkPause, 0, 0);
    right->addWidget(labelTestCount, 0, 1);
    right->addWidget(new QLabel("Progress:", this), 1, 0);
    right->addWidget(panelProgress, 1, 1);
    buttonClear = new QPushButton("C&lear", this);
    buttonClear->setObjectName("buttonClear");
    buttonSave = new QPushButton("Sa&ve", this);
    buttonSave->setObjectName("buttonSave");
    buttonClose = new QPushButton("&Close", this);
    buttonClose->setObjectName("buttonClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(buttonClear);
    buttons->addWidget(buttonSave);
    buttons->addWidget(buttonClose);
    right->addLayout(buttons, 2, 0, 1, 2);
    top->addLayout(right);

    model_ = new OnlineGridModel(dialogue_->grid(), ctx.state, ctx.state.locale, this);
    gridRxData = new QTableView(this);
    gridRxData->setObjectName("gridRxData");
    gridRxData->setModel(model_);
    gridRxData->verticalHeader()->hide();
    gridRxData->verticalHeader()->setDefaultSectionSize(16);
    gridRxData->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    gridRxData->setSelectionMode(QAbstractItemView::NoSelection);
    gridRxData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Twips widths, widened where the header text needs more; a model reset sets them again.
    for (int c = 0; c < 14; ++c)
        columnWidths_[static_cast<std::size_t>(c)] =
            std::max(kWidths[c] / 15 + 8, gridRxData->horizontalHeader()->sectionSizeHint(c));
    ApplyColumnWidths();
    FitGridWidth();
    gridRxData->setMinimumHeight(16 * 12 + gridRxData->horizontalHeader()->sizeHint().height() +
                                 2 * gridRxData->frameWidth());
    gridRxData->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    // Where the operator scrolls is the grid's top row; slotted mode keeps it while units report.
    connect(gridRxData->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top) {
        if (!showingGrid_) dialogue_->GridScrolled(top);
    });
    // The rows that scroll into view are the ones the grid has room for, at any size.
    new ResizeWatch(gridRxData->viewport(), [this] { FollowGridHeight(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(gridRxData, 1);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(4);
    FocusedButtonsAnswerEnter(*this);

    auto mode = [this] {
        dialogue_->SetFilterMode(optionIdList->isChecked()       ? IdFilterMode::List
                                 : optionIdSelected->isChecked() ? IdFilterMode::Selected
                                                                 : IdFilterMode::Off);
    };
    for (QRadioButton* b : {optionIdOff, optionIdList, optionIdSelected})
        connect(b, &QRadioButton::clicked, this, mode);
    connect(optionDisplayScroll, &QRadioButton::clicked, this, [this] { dialogue_->SetSlotted(false); });
    connect(optionDisplaySlot, &QRadioButton::clicked, this, [this] { dialogue_->SetSlotted(true); });
    connect(comboFilterIDs, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->SelectFilterEntry(i); });
    connect(checkPause, &QCheckBox::clicked, this, [this](bool on) { dialogue_->SetPause(on); });
    connect(buttonClear, &QPushButton::clicked, this, [this] { dialogue_->Clear(); });
    connect(buttonSave, &QPushButton::clicked, this, [this] { dialogue_->SaveClicked(saveFileName_); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
}

formOnLine::~formOnLine() = default;

void formOnLine::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    const LocaleInfo& l = ctx_.state.locale;
    OnlineLoadOptions o = dialogue_->loadOptions();
    ReadIniInto(l, fileName, sectionName, "ID List", o.idList);
    ReadIniInto(l, fileName, sectionName, "ID Selected", o.idSelected);
    ReadIniInto(l, fileName, sectionName, "Slotted Display", o.slotted);
    dialogue_->SetLoadOptions(o);
    saveFileName_ = ProgramFile(ctx_, "ondiags.txt");
    ReadIniInto(l, fileName, sectionName, "Online Diagnostics File", saveFileName_);
}

void formOnLine::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    const LocaleInfo& l = ctx_.state.locale;
    const OnlineLoadOptions& o = dialogue_->loadOptions();
    WriteWindowSetting(l, fileName, sectionName, "ID List", o.idList);
    WriteWindowSetting(l, fileName, sectionName, "ID Selected", o.idSelected);
    WriteWindowSetting(l, fileName, sectionName, "Slotted Display", o.slotted);
    WriteWindowSetting(l, fileName, sectionName, "Online Diagnostics File", saveFileName_);
}

void formOnLine::Form_Load() {
    const OnlineLoadOptions& o = dialogue_->loadOptions();
    checkPause->setChecked(false);
    for (QRadioButton* b : {optionIdOff, optionIdList, optionIdSelected, optionDisplayScroll, optionDisplaySlot})
        b->blockSignals(true);
    optionIdOff->setChecked(true);
    optionDisplayScroll->setChecked(true);
    if (o.idSelected) optionIdSelected->setChecked(true);
    if (o.idList) optionIdList->setChecked(true);
    if (o.slotted) optionDisplaySlot->setChecked(true);
    for (QRadioButton* b : {optionIdOff, optionIdList, optionIdSelected, optionDisplayScroll, optionDisplaySlot})
        b->blockSignals(false);
    FitGridWidth();
    // The mode's column may make the window wider than when the main window sized it.
    layout()->activate();
    if (const int grow = minimumSizeHint().width() - width(); grow > 0) {
        QWidget* outer = child_window::Placed(this);
        outer->resize(outer->width() + grow, outer->height());
    }
    DiagDialogueWindow::Form_Load();
}

void formOnLine::Form_Unload() {
    dialogue_->SetLoadOptions({.idList = optionIdList->isChecked(),
                               .idSelected = optionIdSelected->isChecked(),
                               .slotted = optionDisplaySlot->isChecked()});
    DiagDialogueWindow::Form_Unload();
}

void formOnLine::ShowTestCount(const std::string& text) { labelTestCount->setText(QText(text)); }

void formOnLine::ShowFilterEntries(const std::vector<std::string>& entries, int selected) {
    comboFilterIDs->blockSignals(true);
    comboFilterIDs->clear();
    for (const auto& e : entries) comboFilterIDs->addItem(QText(e));
    comboFilterIDs->setCurrentIndex(selected);
    comboFilterIDs->blockSignals(false);
}

void formOnLine::FitGridWidth() {
    // Room for every column (the sequence column only in engineering mode); the grid's 17 rows
    // scroll inside a window that fits the main window's area at its first-run size.
    int width = 2 * gridRxData->frameWidth() + gridRxData->verticalScrollBar()->sizeHint().width() + 16;
    for (int c = 0; c < model_->columnCount(); ++c) width += columnWidths_[static_cast<std::size_t>(c)];
    gridRxData->setMinimumWidth(width);
}

void formOnLine::FollowGridHeight() {
    const int rowHeight = model_->rowCount() > 0 ? gridRxData->rowHeight(0) : gridRxData->verticalHeader()->defaultSectionSize();
    if (rowHeight > 0) dialogue_->SetGridVisibleRows(gridRxData->viewport()->height() / rowHeight);
}

void formOnLine::ApplyColumnWidths() {
    for (int c = 0; c < 14; ++c) gridRxData->setColumnWidth(c, columnWidths_[static_cast<std::size_t>(c)]);
}

void formOnLine::GridChanged() {
    showingGrid_ = true;
    model_->Reset();
    ApplyColumnWidths();
    // The scroll range follows the new rows now, not at the next layout pass, or the top row
    // would be limited by the old range.
    gridRxData->doItemsLayout();
    gridRxData->verticalScrollBar()->setValue(dialogue_->grid().topRow());
    showingGrid_ = false;
}

void formOnLine::SetProgress(int percent) { panelProgress->setValue(percent); }

}  // namespace k45
