#pragma once
// The About box: the program's identity, shown modally from the Help menu. Ctrl+Alt+Q in it
// opens the radio spec editor modally over it (once that editor exists).
#include <QDialog>

#include "frame/ui/identity_texts.h"
#include "wiring/window_interfaces.h"

class QPushButton;

namespace k45 {

struct AppContext;

// The labels and the picture are the IdentityBlock's.
class FormAbout : public QDialog, public ToolForm, public IdentityBlock {
    Q_OBJECT
public:
    explicit FormAbout(AppContext& ctx, QWidget* parent = nullptr);

    bool loaded() const override { return loaded_; }

    QPushButton* buttonOK = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void done(int result) override;

private:
    AppContext& ctx_;
    bool loaded_ = false;
};

}  // namespace k45
