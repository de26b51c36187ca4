#include "platform/ui/qt_desktop_services.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace twinsift {

namespace {
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

void QtDesktopServices::setClipboardText(std::string_view text) {
    if (QClipboard* c = QGuiApplication::clipboard()) c->setText(qs(text));
}

std::string QtDesktopServices::clipboardText() const {
    const QClipboard* c = QGuiApplication::clipboard();
    return c ? c->text().toUtf8().toStdString() : std::string();
}

bool QtDesktopServices::openDocument(std::string_view pathOrUrl) {
    const QString s = qs(pathOrUrl);
    const bool web = s.startsWith(QLatin1String("http://")) || s.startsWith(QLatin1String("https://"));
    return QDesktopServices::openUrl(web ? QUrl(s) : QUrl::fromLocalFile(s));
}

} // namespace twinsift
