#include "ui/page_builder.h"

#include "ui/layout.h"
#include "ui/control_widgets.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <map>
#include <string>

namespace landuse::ui {

namespace {

constexpr int Spacing = 3;
constexpr int UpDownWidth = 15;

QString qt(const char* s) { return QString::fromUtf8(s); }

QLabel* plainLabel(const char* text, QWidget* parent)
{
    auto* label = new QLabel(qt(text), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QHBoxLayout* newRow()
{
    auto* row = new QHBoxLayout;
    row->setSpacing(Spacing);
    row->setContentsMargins(0, 0, 0, 0);
    return row;
}

// Builds one page or group area.
class Builder {
public:
    Builder(std::string_view page, QWidget* container, ControlWidgets& widgets)
        : page_(page), container_(container), widgets_(widgets), root_(new QVBoxLayout(container))
    {
        const int margin = page_.empty() ? 0 : 4;
        root_->setContentsMargins(margin, margin, margin, margin);
        root_->setSpacing(Spacing);
    }

    int build()
    {
        for (size_t i = 0; i < ControlCount; ++i) {
            const ControlDef& def = ControlDefOf(Ctl(i));
            if (page_ == def.page && !placed_[i])
                place(def);
        }
        for (const StaticText& note : StaticTexts())
            if (page_ == note.page)
                layoutOf(note.group)->addWidget(plainLabel(note.text, container_));
        root_->addStretch(1);
        return made_;
    }

private:
    QWidget* make(Ctl id)
    {
        QWidget* widget = CreateControlWidget(ControlDefOf(id), container_);
        widgets_[size_t(id)] = widget;
        placed_[size_t(id)] = true;
        ++made_;
        return widget;
    }

    // Where the next row of a group goes: a group with a side control puts
    // its first rows beside it, the rest below.
    struct GroupRows {
        QVBoxLayout* beside = nullptr;
        QVBoxLayout* below = nullptr;
        int besideRows = 0;
        int added = 0;
        QBoxLayout* next() { return added++ < besideRows ? beside : below; }
    };

    // The next row's place in a group, made with its box (and its parents')
    // on first use.
    QBoxLayout* layoutOf(const char* group)
    {
        if (*group == '\0')
            return root_;
        auto found = groups_.find(group);
        if (found == groups_.end())
            found = groups_.emplace(group, makeGroup(group)).first;
        return found->second.next();
    }

    GroupRows makeGroup(const char* group)
    {
        const GroupDef* def = findGroup(group);
        auto* box = new QGroupBox(qt(group), container_);
        layoutOf(def ? def->parent : "")->addWidget(box);
        const auto column = [] {
            auto* rows = new QVBoxLayout;
            rows->setSpacing(Spacing);
            rows->setContentsMargins(0, 0, 0, 0);
            return rows;
        };
        GroupRows rows;
        rows.below = column();
        auto* frame = new QVBoxLayout(box);
        frame->setContentsMargins(6, 2, 6, 4);
        frame->setSpacing(Spacing);
        if (def && def->side != Ctl::Count) {
            rows.beside = column();
            rows.besideRows = def->sideRows;
            auto* top = new QHBoxLayout;
            top->setSpacing(6);
            top->addLayout(rows.beside, 1);
            QWidget* side = make(def->side);
            side->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
            top->addWidget(side);
            frame->addLayout(top);
        }
        frame->addLayout(rows.below);
        return rows;
    }

    // An edit with its up-down and label, on the side the label's text asks for.
    void addEdit(QHBoxLayout* row, Ctl id)
    {
        const ControlDef& def = ControlDefOf(id);
        QWidget* edit = make(id);
        const ControlDef* updown = UpDownOf(id);
        const bool labelFirst = *def.label != '\0' && def.label[0] != ':';
        if (labelFirst) {
            row->addWidget(plainLabel(def.label, container_));
            row->addStretch(1);
        }
        row->addWidget(edit);
        if (updown)
            row->addWidget(make(updown->id));
        else if (labelFirst)
            row->addSpacing(UpDownWidth + Spacing); // edits of a column line up, with or without arrows
        if (*def.label != '\0' && !labelFirst)
            row->addWidget(plainLabel(def.label, container_));
    }

    void addPart(QHBoxLayout* row, Ctl id)
    {
        const ControlKind kind = ControlDefOf(id).kind;
        if (kind == ControlKind::Edit)
            addEdit(row, id);
        else if (kind == ControlKind::Label)
            row->addWidget(make(id), 1, Qt::AlignCenter); // a label in a row is centred in what is left
        else
            row->addWidget(make(id));
    }

    // Controls side by side. Rows of controls that follow each other in a
    // group share a grid, so their columns line up.
    void addRowOfControls(QBoxLayout* rows, const char* group, std::span<const Ctl> members)
    {
        bool simple = true;
        for (Ctl member : members)
            simple = simple && ControlDefOf(member).kind != ControlKind::Edit;
        if (!simple) {
            lastGrid_ = nullptr;
            QHBoxLayout* row = newRow();
            for (Ctl member : members)
                addPart(row, member);
            row->addStretch(1);
            rows->addLayout(row);
            return;
        }
        if (!lastGrid_ || lastGridGroup_ != group || lastGridWidth_ != members.size()) {
            lastGrid_ = new QGridLayout;
            lastGrid_->setHorizontalSpacing(12);
            lastGrid_->setVerticalSpacing(Spacing);
            lastGrid_->setColumnStretch(int(members.size()), 1);
            rows->addLayout(lastGrid_);
            lastGridGroup_ = group;
            lastGridWidth_ = members.size();
        }
        const int row = lastGrid_->rowCount();
        for (size_t i = 0; i < members.size(); ++i)
            lastGrid_->addWidget(make(members[i]), row, int(i));
    }

    // A scroll bar: its label and value label above it.
    void addScrollBar(QBoxLayout* rows, const ControlDef& def)
    {
        QHBoxLayout* heading = newRow();
        heading->addWidget(plainLabel(def.label, container_));
        for (size_t i = 0; i < ControlCount; ++i) {
            const ControlDef& other = ControlDefOf(Ctl(i));
            if (other.kind == ControlKind::Label && other.buddy == def.id && other.id != def.id)
                heading->addWidget(make(other.id));
        }
        heading->addStretch(1);
        rows->addLayout(heading);
        rows->addWidget(make(def.id));
    }

    void place(const ControlDef& def)
    {
        QBoxLayout* rows = layoutOf(def.group);
        if (placed_[size_t(def.id)])
            return; // made with its group as the group's side control
        for (std::span<const Ctl> members : ControlRows()) {
            if (std::find(members.begin(), members.end(), def.id) == members.end())
                continue;
            addRowOfControls(rows, def.group, members);
            return;
        }
        lastGrid_ = nullptr;
        if (def.kind == ControlKind::ScrollBar) {
            addScrollBar(rows, def);
            return;
        }
        if (def.kind == ControlKind::RadioButton) {
            // The buttons of a frame stand side by side.
            QHBoxLayout* row = newRow();
            for (size_t i = 0; i < ControlCount; ++i) {
                const ControlDef& other = ControlDefOf(Ctl(i));
                if (other.kind == ControlKind::RadioButton && page_ == other.page
                    && std::string_view(other.group) == def.group)
                    row->addWidget(make(other.id));
            }
            row->addStretch(1);
            rows->addLayout(row);
            return;
        }
        QHBoxLayout* row = newRow();
        addPart(row, def.id);
        if (def.kind != ControlKind::Edit || *def.label == '\0' || def.label[0] == ':')
            row->addStretch(1);
        rows->addLayout(row);
    }

    std::string_view page_;
    QWidget* container_;
    ControlWidgets& widgets_;
    QVBoxLayout* root_;
    std::map<std::string, GroupRows> groups_;
    QGridLayout* lastGrid_ = nullptr;
    std::string lastGridGroup_;
    size_t lastGridWidth_ = 0;
    std::array<bool, ControlCount> placed_{};
    int made_ = 0;
};

} // namespace

int BuildControls(std::string_view page, QWidget* container, ControlWidgets& widgets)
{
    return Builder(page, container, widgets).build();
}

} // namespace landuse::ui
