#include "platform/ui/c_tooltip.h"

#include <QEnterEvent>
#include <QEvent>
#include <QPixmap>
#include <QToolTip>
#include <QWidget>

#include <utility>

namespace twinsift {

CTooltip::CTooltip(QWidget* target, QString title, QString text, int delayMs, int durationMs)
    : QObject(target), target_(target), title_(std::move(title)), text_(std::move(text)), delayMs_(delayMs),
      durationMs_(durationMs) {
    rest_.setSingleShot(true);
    rest_.setInterval(delayMs_);
    connect(&rest_, &QTimer::timeout, this, &CTooltip::showBalloon);
    target_->installEventFilter(this);
    // The balloon replaces the plain tooltip; having both would show two.
    target_->setToolTip(QString());
}

QString CTooltip::balloonText() const {
    // A fixed table width makes the tooltip wrap the long texts into a
    // balloon-like block instead of one screen-wide line.
    return QStringLiteral("<table width=\"320\" cellspacing=\"0\" cellpadding=\"2\"><tr>"
                          "<td width=\"28\" valign=\"middle\">"
                          "<img src=\":/pictures/info.png\" width=\"24\" height=\"24\"></td>"
                          "<td width=\"292\" valign=\"middle\" align=\"left\"><b>%1</b></td></tr>"
                          "<tr><td colspan=\"2\">%2</td></tr></table>")
        .arg(title_.toHtmlEscaped(), text_.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}

void CTooltip::showBalloon() {
    if (!target_->isVisible()) return;
    const QRect area = target_->rect();
    QToolTip::showText(target_->mapToGlobal(area.bottomLeft()), balloonText(), target_, area, durationMs_);
}

bool CTooltip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        switch (event->type()) {
        case QEvent::Enter:
            rest_.start();
            break;
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::Hide:
            rest_.stop();
            break;
        case QEvent::ToolTip:
            // Our own timer decides when the balloon appears.
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

HelpIcon::HelpIcon(QWidget* parent, const QString& title, const QString& text)
    : QLabel(parent), tooltip_(new CTooltip(this, title, text)) {
    setFixedSize(kSize, kSize);
    setPixmap(QPixmap(QStringLiteral(":/pictures/help.png")));
    setScaledContents(true);
    setAccessibleName(title);
    setAccessibleDescription(text);
}

} // namespace twinsift
