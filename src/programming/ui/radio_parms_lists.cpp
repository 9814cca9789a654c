#include "programming/ui/radio_parms_lists.h"

#include <QComboBox>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalBlocker>

#include "platform/qt/qt_text.h"
#include "programming/editor_rate_lists.h"

namespace k45 {

void SetListEntries(QComboBox& combo, const std::vector<std::string>& entries) {
    const QSignalBlocker block(combo);
    combo.clear();
    for (const std::string& e : entries) combo.addItem(QText(e));
    combo.setCurrentIndex(-1);
}

void SelectListPosition(QComboBox& combo, int position) {
    if (position >= 0 && position < combo.count()) combo.setCurrentIndex(position);
}

int PositionOfItemDataOrLast(const QComboBox& combo, int value) {
    for (int i = 0; i < combo.count(); ++i) {
        bool ok = false;
        const int data = combo.itemData(i).toInt(&ok);
        if (ok && data == value) return i;
    }
    return combo.count() - 1;
}

std::optional<int> SelectedItemData(const QComboBox& combo) {
    if (combo.currentIndex() < 0) return std::nullopt;
    bool ok = false;
    const int v = combo.currentData().toInt(&ok);
    if (!ok) return std::nullopt;
    return v;
}

// ---------------------------------------------------------------------------------------------

namespace {
class InversionCircle : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette().windowText().color(), 1.5));
        p.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
};
}  // namespace

DataSignalPicture::DataSignalPicture(QWidget* parent) : QWidget(parent) {
    setObjectName("pictureDataType");
    shapeDataInversion = new InversionCircle(this);
    shapeDataInversion->setObjectName("shapeDataInversion");
    setMinimumSize(sizeHint());
}

void DataSignalPicture::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    const int mid = height() / 2;
    const int tip = width() / 2 + 10;
    shapeDataInversion->setGeometry(tip, mid - 5, 10, 10);
}

void DataSignalPicture::paintEvent(QPaintEvent*) {
    // lineDataType: the signal line in, the driver triangle, the line out.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().windowText().color(), 1.5));
    const int mid = height() / 2;
    const int left = width() / 2 - 10;
    const int tip = width() / 2 + 10;
    p.drawLine(4, mid, left, mid);
    const QPointF triangle[3] = {QPointF(left, mid - 10), QPointF(left, mid + 10), QPointF(tip, mid)};
    p.drawPolygon(triangle, 3);
    p.drawLine(tip + 10, mid, width() - 4, mid);
}

// ---------------------------------------------------------------------------------------------

void ShowWidestRateLists(CommunicationLists& lists) {
    const RateListContent c = WidestRateLists();
    SetListEntries(*lists.comboDataType, c.dataTypes);
    SetListEntries(*lists.comboBaudRate, c.baudRates);
    SetListEntries(*lists.comboNetworkType, c.networkTypes);
}

void RefitRateLists(CommunicationLists& lists, std::int16_t model, std::int32_t bandwidthItemData) {
    const int a = lists.comboDataType->currentIndex();
    const int b = lists.comboBaudRate->currentIndex();
    const int c = std::max(0, lists.comboNetworkType->currentIndex());
    const RateListContent content = RateListsFor(model, c, bandwidthItemData);
    SetListEntries(*lists.comboDataType, content.dataTypes);
    SetListEntries(*lists.comboBaudRate, content.baudRates);
    SetListEntries(*lists.comboNetworkType, content.networkTypes);
    lists.comboNetworkType->setEnabled(content.networkTypeEnabled);
    SelectListPosition(*lists.comboDataType, ReselectedPosition(a, lists.comboDataType->count()));
    SelectListPosition(*lists.comboBaudRate, ReselectedPosition(b, lists.comboBaudRate->count()));
    SelectListPosition(*lists.comboNetworkType, ReselectedPosition(c, lists.comboNetworkType->count()));
}

}  // namespace k45
