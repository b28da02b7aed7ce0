#pragma once

// The recorder as a view of its own, with an optional label: the label first, then the recorder
// control, in one row whose single lines of text share their baseline. Where several such views
// stand in a column, the column aligns them on their controls' leading edges (controlAlignment),
// not on the labels'. The control is made once per view; updating the view with a name hands the
// name to the control, which shows that name's stored shortcut when the name is another.
//
// Made with make. Main thread only.

#include <functional>
#include <memory>
#include <string>

#include "shortcuts/name.h"
#include "shortcuts/recorder_cocoa.h"
#include "ui/stack_view.h"

namespace zoral::shortcuts::GlobalShortcuts {

class Recorder : public ui::StackView {
    struct Passkey {};

public:
    using LabelBuilder = std::function<std::shared_ptr<ui::View>()>;

    // The general form: the label is built once, and shown when hasLabel is true.
    static std::shared_ptr<Recorder> make(Name name, RecorderCocoa::OnChange onChange,
                                          bool hasLabel, const LabelBuilder& label);
    // With a title: a text label showing it.
    static std::shared_ptr<Recorder> make(const std::string& title, Name name,
                                          RecorderCocoa::OnChange onChange = {});

    Recorder(Passkey, Name name, RecorderCocoa::OnChange onChange, bool hasLabel,
             std::shared_ptr<ui::View> label);

    const Name& name() const { return name_; }
    bool hasLabel() const { return hasLabel_; }
    const std::shared_ptr<ui::View>& label() const { return label_; }
    RecorderCocoa& control() const { return *control_; }

    // The view's update with its current name.
    void update(Name name);

    // Where the control's leading edge stands in the view: the view's place for the control
    // alignment.
    double controlAlignment();

private:
    Name name_;
    RecorderCocoa::OnChange onChange_;
    bool hasLabel_;
    std::shared_ptr<ui::View> label_;
    std::shared_ptr<RecorderCocoa> control_;
};

}  // namespace zoral::shortcuts::GlobalShortcuts
