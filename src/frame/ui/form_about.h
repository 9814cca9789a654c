#pragma once
// The About box: the program's identity, shown modally from the Help menu. Ctrl+Alt+Q in it
// opens the radio spec editor modally over it (once that editor exists).
#include <QDialog>

#include "frame/window_interfaces.h"

class QLabel;
class QPushButton;

namespace k45 {

struct AppContext;

class FormAbout : public QDialog, public ToolForm {
    Q_OBJECT
public:
    explicit FormAbout(AppContext& ctx, QWidget* parent = nullptr);

    bool loaded() const override { return loaded_; }

    QLabel* imageAbout = nullptr;
    QLabel* labelTitle = nullptr;
    QLabel* labelRevision = nullptr;
    QLabel* labelPartNumber = nullptr;
    QLabel* labelCopyright = nullptr;
    QLabel* labelCompanyName = nullptr;
    QPushButton* buttonOK = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void done(int result) override;

private:
    AppContext& ctx_;
    bool loaded_ = false;
};

}  // namespace k45
