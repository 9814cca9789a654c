#include "programming/ui/ver_reqst_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/app_context.h"
#include "programming/ui/parms_rd_wr_window.h"

namespace k45 {

namespace {
constexpr const char* kVerLabels[] = {"Put modem in setup mode.", "Connect cable and supply power."};
}  // namespace

formVerReqst::formVerReqst(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx), dialogue_(ctx, *this) {
    setObjectName("formVerReqst");
    setWindowTitle("Version Request");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(6);
    for (int i = 0; i < 2; ++i) {
        labelRead[i] = new QLabel(kVerLabels[i], this);
        labelRead[i]->setObjectName(QString("labelRead%1").arg(i));
        labelRead[i]->setAlignment(Qt::AlignCenter);
        labelRead[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(labelRead[i]);
    }
    layout->addSpacing(8);
    buttonOK = new QPushButton("&OK", this);
    buttonOK->setObjectName("buttonOK");
    buttonOK->setDefault(true);
    buttonClose = new QPushButton("&Close", this);
    buttonClose->setObjectName("buttonClose");
    layout->addLayout(dialogue_window::CentredButtons({buttonOK, buttonClose}));
    setMinimumWidth(340);
    FocusedButtonsAnswerEnter(*this);

    connect(buttonOK, &QPushButton::clicked, this, [this] { dialogue_.OK(); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseWindow(); });
}

formVerReqst::~formVerReqst() = default;

void formVerReqst::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    child_window::RestorePlacement(ctx_.state.locale, fileName, sectionName, savedLeft, savedTop);
}

void formVerReqst::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    if (shownThisRun_) child_window::SavePlacement(ctx_.state.locale, fileName, sectionName, savedLeft, savedTop);
}

void formVerReqst::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (dialogue_.loaded()) return;
    // Each load starts from the design-time texts, not the answer of the last open.
    for (int i = 0; i < 2; ++i) labelRead[i]->setText(kVerLabels[i]);
    child_window::MoveToTwips(this, savedLeft, savedTop);
    shownThisRun_ = true;
    dialogue_.Load();
}

void formVerReqst::closeEvent(QCloseEvent* e) {
    if (dialogue_.loaded()) {
        child_window::KeepPlacement(this, savedLeft, savedTop);
        dialogue_.Unload();
    }
    e->accept();
}

bool formVerReqst::IsActiveChild() const { return dialogue_window::IsActiveChild(ctx_, this); }

void formVerReqst::CloseWindow() { child_window::Close(this); }

void formVerReqst::SetLabels(const std::string& upper, const std::string& lower) {
    labelRead[0]->setText(QString::fromLatin1(upper.data(), static_cast<int>(upper.size())));
    labelRead[1]->setText(QString::fromLatin1(lower.data(), static_cast<int>(lower.size())));
}

}  // namespace k45
