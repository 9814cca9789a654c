#pragma once
#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

namespace k45 {

// Dialogs on screen. They belong to the main window (centred over it, never loose on the
// screen when no window is active, as after a file dialog or another box); one asked for while
// a modal window is up belongs to that window.
class QtDialogs : public Dialogs {
public:
    void setMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }
    // The parent a box or file dialog gets now.
    QWidget* dialogParent() const;

    MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    int runModal(const std::string& name, const std::function<int()>& exec) override;

private:
    QPointer<QWidget> mainWindow_;
};

// "Data Files (*.dat)|*.dat|All Files (*.*)|*.*" -> "Data Files (*.dat);;All Files (*.*)"
std::string ConvertFileFilter(const std::string& filter);

}  // namespace k45
