#include "ui/message_strip.h"

namespace landuse::ui {

MessageStrip::MessageStrip(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("messageStrip"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setMargin(3);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    hide();
    expiry_.setSingleShot(true);
    expiry_.setInterval(ShowMilliseconds);
    connect(&expiry_, &QTimer::timeout, this, &MessageStrip::clearMessage);
}

void MessageStrip::showMessage(const QString& message) { showText(message, true); }

void MessageStrip::showInfo(const QString& message) { showText(message, false); }

void MessageStrip::showText(const QString& message, bool failure)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, failure ? QColor(255, 235, 235) : QColor(235, 245, 255));
    colours.setColor(QPalette::WindowText, failure ? QColor(200, 0, 0) : QColor(0, 0, 0));
    setPalette(colours);
    if (text() != message)
        setText(message);
    if (!isVisible()) {
        show();
        raise();
    }
    expiry_.start();
}

void MessageStrip::showStatus(const QString& status)
{
    status_ = status;
    if (!expiry_.isActive())
        clearMessage();
}

void MessageStrip::clearMessage()
{
    expiry_.stop();
    if (!status_.isEmpty()) {
        showText(status_, false);
        expiry_.stop(); // the status stays until it changes
        return;
    }
    clear();
    hide();
}

} // namespace landuse::ui
