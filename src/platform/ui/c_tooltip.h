#pragma once
// Balloon help for the small info icons beside the options of the dialogs.
//
// A CTooltip attaches to any widget: when the pointer has rested on it for the
// delay, a balloon with the info icon, a bold title and the wrapped text comes
// up and stays for the duration (or until the pointer leaves). HelpIcon is the
// 15 x 15 pixel icon that carries one; the dialogs place it beside an option.

#include <QLabel>
#include <QObject>
#include <QString>
#include <QTimer>

namespace twinsift {

class CTooltip final : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultDelayMs = 200;
    static constexpr int kDefaultDurationMs = 30000;

    // The balloon belongs to target and lives as long as it does.
    CTooltip(QWidget* target, QString title, QString text, int delayMs = kDefaultDelayMs,
             int durationMs = kDefaultDurationMs);

    const QString& title() const { return title_; }
    const QString& text() const { return text_; }
    int delayMs() const { return delayMs_; }
    int durationMs() const { return durationMs_; }
    // What the balloon shows: the icon and the bold title above the text.
    QString balloonText() const;
    // Brings the balloon up at once, as the pointer resting would.
    void showBalloon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* target_;
    QString title_;
    QString text_;
    int delayMs_;
    int durationMs_;
    QTimer rest_;
};

class HelpIcon final : public QLabel {
    Q_OBJECT
public:
    static constexpr int kSize = 15;

    // The title becomes the icon's accessible name and the text its
    // accessible description, so a screen reader gets the help too.
    HelpIcon(QWidget* parent, const QString& title, const QString& text);

    QString title() const { return tooltip_->title(); }
    QString text() const { return tooltip_->text(); }
    CTooltip& tooltip() { return *tooltip_; }

private:
    CTooltip* tooltip_; // a child object; Qt frees it with the icon
};

} // namespace twinsift
