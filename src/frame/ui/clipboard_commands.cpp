#include "frame/ui/clipboard_commands.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>

#include "platform/clipboard.h"
#include "platform/qt/qt_text.h"

namespace k45 {
namespace {

// The selected text of a text control and a way to replace it.
class TextTarget {
public:
    explicit TextTarget(QWidget* control) {
        if (!control) return;
        if (auto* combo = qobject_cast<QComboBox*>(control)) line_ = combo->lineEdit();
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control)) line_ = spin->findChild<QLineEdit*>();
        else line_ = qobject_cast<QLineEdit*>(control);
        if (!line_) {
            text_ = qobject_cast<QTextEdit*>(control);
            plain_ = qobject_cast<QPlainTextEdit*>(control);
        }
        const QVariant lockedProp = control->property("locked");
        locked_ = lockedProp.isValid() && lockedProp.toBool();
        if (line_) locked_ = locked_ || line_->isReadOnly();
        if (text_) locked_ = locked_ || text_->isReadOnly();
        if (plain_) locked_ = locked_ || plain_->isReadOnly();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(control)) locked_ = locked_ || spin->isReadOnly();
    }
    bool valid() const { return line_ || text_ || plain_; }
    bool locked() const { return locked_; }

    QString selected() const {
        QString s;
        if (line_) s = line_->selectedText();
        else if (text_) s = text_->textCursor().selectedText();
        else if (plain_) s = plain_->textCursor().selectedText();
        s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        return s;
    }

    void replaceSelection(const QString& s) {
        if (line_) {
            line_->insert(s);
        } else if (text_) {
            QTextCursor c = text_->textCursor();
            c.insertText(s);
            text_->setTextCursor(c);
        } else if (plain_) {
            QTextCursor c = plain_->textCursor();
            c.insertText(s);
            plain_->setTextCursor(c);
        }
    }

private:
    QLineEdit* line_ = nullptr;
    QTextEdit* text_ = nullptr;
    QPlainTextEdit* plain_ = nullptr;
    bool locked_ = false;
};

QWidget* ActiveControl(QWidget* window) {
    if (!window) return nullptr;
    QWidget* control = window->focusWidget();
    if (!control) return nullptr;
    if (control->property("tag").toString() == QLatin1String("RichTextBox")) return nullptr;
    return control;
}

// The clipboard is cleared for any control; a control without a text selection (a button,
// a list) then leaves it empty.
void CopyFrom(const TextTarget& target, Clipboard& clipboard) {
    clipboard.clear();
    if (!target.valid()) return;
    const QString s = target.selected();
    if (!s.isEmpty()) clipboard.setText(s.toStdString());
}

}  // namespace

void CopyActiveText(QWidget* window, Clipboard& clipboard) {
    QWidget* control = ActiveControl(window);
    if (!control) return;
    CopyFrom(TextTarget(control), clipboard);
}

void CutActiveText(QWidget* window, Clipboard& clipboard) {
    QWidget* control = ActiveControl(window);
    if (!control) return;
    TextTarget target(control);
    CopyFrom(target, clipboard);
    if (target.valid() && !target.locked()) target.replaceSelection(QString());
}

void PasteActiveText(QWidget* window, Clipboard& clipboard) {
    TextTarget target(ActiveControl(window));
    if (!target.valid() || target.locked()) return;
    target.replaceSelection(QText(clipboard.text()));
}

}  // namespace k45
