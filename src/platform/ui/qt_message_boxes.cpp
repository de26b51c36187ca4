#include "platform/ui/qt_message_boxes.h"

#include <QInputDialog>
#include <QMessageBox>

namespace twinsift {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Message texts break lines with CR LF; Qt draws the CR as a glyph.
QString messageText(std::string_view s) { return qs(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

} // namespace

MsgResult QtMessageBoxes::messageBox(std::string_view id, std::string_view text, MsgIcon icon, MsgButtons buttons,
                                     std::string_view title) {
    QMessageBox box(owner());
    box.setObjectName(qs(id));
    box.setWindowTitle(title.empty() ? title_ : qs(title));
    box.setText(messageText(text));
    switch (icon) {
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    }
    const int answer = box.exec();
    if (afterModal_) afterModal_();
    switch (answer) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Ok: return MsgResult::Ok;
    default:
        // Closed with Escape or the title bar: the box's own way out.
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    }
}

std::optional<std::string> QtMessageBoxes::inputBox(std::string_view id, std::string_view prompt,
                                                    std::string_view title, std::string_view defaultText) {
    QInputDialog dialog(owner());
    dialog.setObjectName(qs(id));
    dialog.setWindowTitle(title.empty() ? title_ : qs(title));
    dialog.setLabelText(messageText(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(qs(defaultText));
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (afterModal_) afterModal_();
    if (!ok) return std::nullopt;
    return dialog.textValue().toUtf8().toStdString();
}

} // namespace twinsift
