#pragma once
// Messages for the user inside the window: a red strip across the bottom of
// the drawing panel, the text verbatim. Not a dialog: at a thousand steps a
// second a dialog per failed step would bury the user. The strip clears a
// few seconds after the last message, or at once when cleared.

#include <QLabel>
#include <QTimer>

namespace landuse::ui {

class MessageStrip : public QLabel {
    Q_OBJECT
public:
    static constexpr int ShowMilliseconds = 5000;

    explicit MessageStrip(QWidget* parent = nullptr);

    // A failure, in red.
    void showMessage(const QString& message);
    // News that is no failure (files written), in plain colours.
    void showInfo(const QString& message);
    // Where a sweep stands: shown, in plain colours, whenever no message is;
    // an empty text takes it away.
    void showStatus(const QString& status);
    void clearMessage();
    bool showing() const { return isVisible(); }

private:
    void showText(const QString& text, bool failure);

    QTimer expiry_;
    QString status_;
};

} // namespace landuse::ui
