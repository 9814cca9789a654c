#pragma once
// The list controls of the parameter editors: filling a combo box from a list of entries,
// selecting by position or by item data, and the communication lists with their picture of the
// data signal. The radio type and range lists are refilled by ui/combo_fillers.
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QComboBox;

namespace k45 {

// Replaces the entries without running the list's change handler; nothing is selected after.
void SetListEntries(QComboBox& combo, const std::vector<std::string>& entries);
// Selects the position (which runs the change handler) when the list has it; otherwise the
// list keeps its selection.
void SelectListPosition(QComboBox& combo, int position);
// The position of the entry whose item data equals value; the last entry when none does; -1
// for an empty list.
int PositionOfItemDataOrLast(const QComboBox& combo, int value);

// The selected entry's item data as a whole number; nothing when no entry is selected or its
// item data is no number.
std::optional<int> SelectedItemData(const QComboBox& combo);

// A small picture of the data signal: a driver symbol on a line; the inversion circle
// (shapeDataInversion) shows inverted ("Compatible") data.
class DataSignalPicture : public QWidget {
    Q_OBJECT
public:
    explicit DataSignalPicture(QWidget* parent = nullptr);
    QWidget* shapeDataInversion = nullptr;
    QSize sizeHint() const override { return {96, 40}; }

protected:
    void paintEvent(class QPaintEvent* e) override;
    void resizeEvent(class QResizeEvent* e) override;
};

// The four communication lists and the picture.
struct CommunicationLists {
    QComboBox* comboBaudRate = nullptr;
    QComboBox* comboDataFormat = nullptr;
    QComboBox* comboNetworkType = nullptr;
    QComboBox* comboDataType = nullptr;
    DataSignalPicture* picture = nullptr;
};

// The widest content of the baud-rate, data-type and network-type lists, nothing selected.
void ShowWidestRateLists(CommunicationLists& lists);
// Refits the baud-rate, data-type and network-type lists to the family, the selected network
// type and the bandwidth, keeping each list's position where it still exists (else the last
// entry). The caller guards against re-entry.
void RefitRateLists(CommunicationLists& lists, std::int16_t model, std::int32_t bandwidthItemData);

}  // namespace k45
