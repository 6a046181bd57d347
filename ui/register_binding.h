#pragma once
// Keeps widgets and the register in step both ways: what the user does goes
// into the register at once, and every state notice of the register shows in
// its widget at once, whoever changed the state (a rule, the model, a sweep).

#include "model/register.h"
#include "ui/frame_gate.h"

#include <QObject>

#include <array>
#include <vector>

class QWidget;

namespace landuse::ui {

class RegisterBinding : public QObject {
    Q_OBJECT
public:
    explicit RegisterBinding(ParamRegister& reg, QObject* parent = nullptr);
    ~RegisterBinding() override;

    // Binds the widget made for a control (buttons excluded: they are
    // commands) and shows the register's state in it.
    void bind(Ctl id, QWidget* widget);
    QWidget* widget(Ctl id) const { return widgets_[size_t(id)]; }
    // Shows now the label texts still waiting for their frame.
    void flushLabels() { labelFrames_.flush(); }

private:
    void onNotice(const StateNotice& notice);
    void show(Ctl id);
    void showCell(int col, int row);
    void showLabels();

    ParamRegister& reg_;
    ListenerId listener_ = 0;
    std::array<QWidget*, ControlCount> widgets_{};
    // Labels change with every step (the step counter): they are shown at
    // screen pace.
    std::array<bool, ControlCount> labelWaiting_{};
    std::vector<Ctl> labelsWaiting_;
    FrameGate labelFrames_;
};

} // namespace landuse::ui
