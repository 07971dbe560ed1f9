#pragma once

#include "platform/appkit/views/view.h"

#include <memory>

namespace appkit {

// An item of a window's toolbar; it may show a view of its own.
class ToolbarItem : public Object {
public:
    const std::shared_ptr<View>& view() const { return view_; }
    void setView(std::shared_ptr<View> view) { view_ = std::move(view); }

private:
    std::shared_ptr<View> view_;
};

} // namespace appkit
