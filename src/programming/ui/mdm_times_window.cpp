#include "programming/ui/mdm_times_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "wiring/app_context.h"
#include "base/utilities.h"
#include "programming/ui/editor_window.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {
constexpr const char* kColumnCaptions[kModemTimeColumns] = {"         T1", "Extended T1", "         T2",
                                                           "Extended T2", "RxD Clamp"};
constexpr const char* kColumnNames[kModemTimeColumns] = {"textT1Time", "textExtendedT1Time", "textT2Time",
                                                        "textExtendedT2Time", "textRxdClampTime"};
constexpr const char* kRowCaptions[kModemTimeRows] = {"&4800:", "&9600:", "&19200:", "9&600 Native:"};
}  // namespace

formMdmTimes::formMdmTimes(AppContext& ctx, QWidget* parent)
    : ToolWindowBase(ctx, "formMdmTimes", "Edit Modem Timing", Placement::Saved, parent) {
    auto box = [&](const QString& name, int max = kModemTimeMax) {
        auto* b = new NumBox(ctx_.state.locale);
        b->setObjectName(name);
        b->setNumType(NumBox::numUnsigned);
        b->setNumMax(max);
        b->setNumMaxLength(3);
        b->setSteps(1, 10);
        b->setDragGroup(this);
        b->setMaximumWidth(70);
        b->setAlignment(Qt::AlignRight);
        return b;
    };

    frameModemTimes = new QGroupBox("Modem Times:");
    frameModemTimes->setObjectName("frameModemTimes");
    auto* g = new QGridLayout(frameModemTimes);
    for (int c = 0; c < kModemTimeColumns; ++c) {
        auto* caption = new QLabel(kColumnCaptions[c]);
        g->addWidget(caption, 0, c + 1, Qt::AlignRight);
        for (int r = 0; r < kModemTimeRows; ++r)
            column(c)[static_cast<std::size_t>(r)] = box(QString("%1%2").arg(kColumnNames[c]).arg(r));
    }
    for (int r = 0; r < kModemTimeRows; ++r) {
        auto* caption = new QLabel(kRowCaptions[r]);
        caption->setBuddy(textT1Time[static_cast<std::size_t>(r)]);
        g->addWidget(caption, r + 1, 0);
        // Right-aligned under the right-aligned column captions.
        for (int c = 0; c < kModemTimeColumns; ++c)
            g->addWidget(column(c)[static_cast<std::size_t>(r)], r + 1, c + 1, Qt::AlignRight);
    }
    g->addWidget(new QLabel("Note: All times are displayed in mS."), kModemTimeRows + 1, 0, 1, kModemTimeColumns + 1);

    frameFilterDivisors = new QGroupBox("BT Filter Divisors:");
    frameFilterDivisors->setObjectName("frameFilterDivisors");
    // Divisors travel as single bytes, not as scaled times.
    textTxDivisor = box("textTxDivisor", kModemDivisorMax);
    textRxDivisor = box("textRxDivisor", kModemDivisorMax);
    textTxDivisor->setLocked(true);
    textRxDivisor->setLocked(true);
    auto* d = new QGridLayout(frameFilterDivisors);
    auto* tx = new QLabel("&Tx Divisor:");
    tx->setBuddy(textTxDivisor);
    auto* rx = new QLabel("&Rx Divisor:");
    rx->setBuddy(textRxDivisor);
    d->addWidget(tx, 0, 0);
    d->addWidget(textTxDivisor, 0, 1);
    d->addWidget(rx, 0, 2);
    d->addWidget(textRxDivisor, 0, 3);
    d->addWidget(new QLabel("Note: 0 for default tables"), 1, 0, 1, 4);
    d->setColumnStretch(4, 1);

    auto* top = new QVBoxLayout(this);
    top->addWidget(frameModemTimes);
    top->addWidget(frameFilterDivisors);
    top->addLayout(OkCancelRow(buttonOK, buttonCancel));

    connect(buttonOK, &QPushButton::clicked, this, [this] { buttonOK_Click(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { buttonCancel_Click(); });
    FocusedButtonsAnswerEnter(*this);
    // The main window opens a child at the child's own size.
    resize(sizeHint());
}

formMdmTimes::Row& formMdmTimes::column(int c) {
    Row* const columns[kModemTimeColumns] = {&textT1Time, &textExtendedT1Time, &textT2Time, &textExtendedT2Time,
                                             &textRxdClampTime};
    return *columns[std::clamp(c, 0, kModemTimeColumns - 1)];
}

void formMdmTimes::UpdateChanges() {
    if (!loaded()) return;
    editParameters_ = ctx_.state.mainParameters;
    DisplayModemTimes();
}

bool formMdmTimes::SaveChanges() {
    if (!loaded()) return false;
    StoreModemTimes();
    GiveBackModemTimes(editParameters_, ctx_.state.mainParameters);
    return true;
}

void formMdmTimes::DisplayModemTimes() {
    for (int r = 0; r < kModemTimeRows; ++r)
        for (int c = 0; c < kModemTimeColumns; ++c)
            if (const std::int16_t* v = ModemTimeEntry(editParameters_, c, r))
                column(c)[static_cast<std::size_t>(r)]->setText(QString::number(*v));
    textTxDivisor->setText(QString::number(editParameters_.txDivisorTest));
    textRxDivisor->setText(QString::number(editParameters_.rxDivisorTest));
}

void formMdmTimes::StoreModemTimes() {
    const LocaleInfo& loc = ctx_.state.locale;
    for (int r = 0; r < kModemTimeRows; ++r)
        for (int c = 0; c < kModemTimeColumns; ++c)
            if (std::int16_t* field = ModemTimeEntry(editParameters_, c, r))
                if (auto v = TextToInt16(column(c)[static_cast<std::size_t>(r)]->limitedText().toStdString(), loc))
                    *field = *v;
    if (auto v = TextToInt16(textTxDivisor->limitedText().toStdString(), loc)) editParameters_.txDivisorTest = *v;
    if (auto v = TextToInt16(textRxDivisor->limitedText().toStdString(), loc)) editParameters_.rxDivisorTest = *v;
}

void formMdmTimes::Form_Load() {
    UpdateChanges();
}

void formMdmTimes::buttonOK_Click() {
    SaveChanges();
    CloseForm();
}

void formMdmTimes::buttonCancel_Click() { CloseForm(); }

}  // namespace k45
