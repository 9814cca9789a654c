#pragma once
// The tuning windows lay out their controls in grids of caption and control pairs.
#include <QGridLayout>
#include <QString>

#include "ui/window_utils.h"

namespace k45 {

// The caption at (row, column), its access key focusing the control beside it.
inline void AddCaptioned(QGridLayout& grid, int row, int column, const QString& caption, QWidget* control) {
    grid.addWidget(BuddyCaption(caption, control), row, column);
    grid.addWidget(control, row, column + 1);
}

}  // namespace k45
