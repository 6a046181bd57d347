#include "ui/message_strip.h"

namespace landuse::ui {

MessageStrip::MessageStrip(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("messageStrip"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setMargin(3);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 235, 235));
    colours.setColor(QPalette::WindowText, QColor(200, 0, 0));
    setPalette(colours);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    hide();
    expiry_.setSingleShot(true);
    expiry_.setInterval(ShowMilliseconds);
    connect(&expiry_, &QTimer::timeout, this, &MessageStrip::clearMessage);
}

void MessageStrip::showMessage(const QString& message)
{
    if (text() != message)
        setText(message);
    if (!isVisible()) {
        show();
        raise();
    }
    expiry_.start();
}

void MessageStrip::clearMessage()
{
    expiry_.stop();
    clear();
    hide();
}

} // namespace landuse::ui
