// The editors as the operator sees them: every caption readable in full, no two controls on
// top of each other, boxes wide enough for the longest value they take. Pictures of each are
// written as PNG files when K45_SCREENSHOT_DIR names a folder.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollBar>
#include <QTabWidget>
#include <cstdlib>
#include <memory>

#include "programming/ui/dac_vals_window.h"
#include "programming/ui/editor_fixture.h"
#include "programming/ui/mdm_times_window.h"
#include "programming/ui/rad_specs_window.h"
#include "programming/ui/radio_parms_window.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

QString Describe(const QWidget* w) {
    QString text;
    if (auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) text = g->title();
    return QString("%1 '%2' %3").arg(w->metaObject()->className(), text, w->objectName());
}

bool Shown(const QWidget* w, const QWidget* window) { return w->isVisibleTo(window) && w->isVisible(); }

// Captions shown narrower than they need are cut off.
void ExpectNoClippedCaption(QWidget& window, const char* where) {
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!Shown(w, &window)) continue;
        const bool caption = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
        if (!caption) continue;
        if (auto* l = qobject_cast<QLabel*>(w); l && l->wordWrap()) {
            EXPECT_GE(l->height(), l->heightForWidth(l->width())) << where << ": " << Describe(w).toStdString();
            continue;
        }
        EXPECT_GE(w->width(), w->minimumSizeHint().width()) << where << ": " << Describe(w).toStdString();
    }
}

// Controls the operator works with never cover each other.
void ExpectNoOverlap(QWidget& window, const char* where) {
    std::vector<QWidget*> controls;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!Shown(w, &window)) continue;
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<QScrollBar*>(w) || qobject_cast<QLabel*>(w)) {
            // Parts of a compound control (a combo's line edit, a tab bar's scroll buttons).
            if (qobject_cast<QComboBox*>(w->parentWidget())) continue;
            if (qobject_cast<QAbstractButton*>(w) && w->parentWidget() && w->parentWidget()->inherits("QTabBar"))
                continue;
            controls.push_back(w);
        }
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QRect a(controls[i]->mapTo(&window, QPoint(0, 0)), controls[i]->size());
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const QRect b(controls[j]->mapTo(&window, QPoint(0, 0)), controls[j]->size());
            EXPECT_FALSE(a.intersects(b)) << where << ": " << Describe(controls[i]).toStdString() << " and "
                                          << Describe(controls[j]).toStdString();
        }
    }
}

// A box shows its longest value in full.
void ExpectFits(const QLineEdit* box, const QString& longest) {
    const QMargins m = box->textMargins();
    const int room = box->contentsRect().width() - m.left() - m.right() - 6;  // frame and cursor
    EXPECT_GE(room, box->fontMetrics().horizontalAdvance(longest)) << box->objectName().toStdString();
}

void Picture(QWidget& w, const QString& name) {
    const QPixmap pm = w.grab();
    ASSERT_FALSE(pm.isNull());
    if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) {
        EXPECT_TRUE(pm.save(QString("%1/%2.png").arg(dir, name))) << name.toStdString();
    }
}

void Settle(QWidget& w) {
    w.show();
    if (w.layout()) w.layout()->activate();
    QApplication::processEvents();
}

class EditorScreens : public EditorFixture {};

TEST_F(EditorScreens, ParameterEditorTabsAreReadable) {
    formRadioParms w(ctx);
    Settle(w);
    for (int tab = 0; tab < w.tabModemRadioParms->count(); ++tab) {
        w.tabModemRadioParms->setCurrentIndex(tab);
        QApplication::processEvents();
        const std::string where = "tab " + std::to_string(tab);
        ExpectNoClippedCaption(w, where.c_str());
        ExpectNoOverlap(w, where.c_str());
        Picture(w, QString("formRadioParms_tab%1").arg(tab));
    }
    ExpectFits(w.textLongId, "4294967295");
    ExpectFits(w.textTotalConfigurations, "65535");
    for (int r = 0; r < formRadioParms::kChannelRows; ++r) {
        ExpectFits(w.textRxFreq[static_cast<std::size_t>(r)], "999.999999");
        ExpectFits(w.textTxFreq[static_cast<std::size_t>(r)], "999.999999");
        ExpectFits(w.textPwrSetting[static_cast<std::size_t>(r)], "255");
    }
}

TEST_F(EditorScreens, TimingEditorIsReadable) {
    formMdmTimes w(ctx);
    Settle(w);
    ExpectNoClippedCaption(w, "timing");
    ExpectNoOverlap(w, "timing");
    for (int c = 0; c < kModemTimeColumns; ++c)
        for (NumBox* b : w.column(c)) ExpectFits(b, "255");
    ExpectFits(w.textTxDivisor, "255");
    Picture(w, "formMdmTimes");
}

TEST_F(EditorScreens, DacValuesEditorIsReadable) {
    ctx.state.productionMode = true;  // with the Default button
    formDacVals w(ctx);
    Settle(w);
    ExpectNoClippedCaption(w, "dac");
    ExpectNoOverlap(w, "dac");
    for (NumBox* b : w.boxes()) ExpectFits(b, b == w.textRssiCalAdj ? "-128" : "255");
    Picture(w, "formDacVals");
}

TEST_F(EditorScreens, RadioSpecEditorIsReadable) {
    formRadSpecs w(ctx);
    Settle(w);
    ExpectNoClippedCaption(w, "radspecs");
    ExpectNoOverlap(w, "radspecs");
    for (int c = 0; c < kRadSpecColumns; ++c)
        for (NumBox* b : w.column(c)) ExpectFits(b, c < 2 ? "999.999999" : "255");
    Picture(w, "formRadSpecs");
}

}  // namespace
}  // namespace k45::test
